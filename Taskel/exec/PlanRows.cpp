// Rows, totals and texts of a plan.
#include "PlanRows.h"

#include "NoCase.h"
#include "TaskelExecPath.h"
#include "TaskelOptions.h"
#include "UniqueHandle.h"

using namespace execpath;

namespace
{

PathFacts FactsOf(const WIN32_FIND_DATAW &data)
{
    PathFacts facts;
    facts.exists = true;
    facts.folder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    facts.size = (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return facts;
}

PathFacts SystemFacts(const std::wstring &path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    PathFacts facts;
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return facts;
    facts.exists = true;
    facts.folder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    facts.size = (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return facts;
}

std::vector<std::pair<std::wstring, PathFacts>> SystemMatches(const std::wstring &pattern,
                                                              bool filesOnly)
{
    std::vector<std::pair<std::wstring, PathFacts>> found;
    WIN32_FIND_DATAW data;
    fx::unique_find find(::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data,
                                            FindExSearchNameMatch, nullptr, 0));
    if (!find) return found;
    const std::wstring folder = AddBackslash(ParentFolder(pattern));
    do
    {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        const PathFacts facts = FactsOf(data);
        if (filesOnly && facts.folder) continue;
        found.push_back({folder + name, facts});
    } while (::FindNextFileW(find.get(), &data));
    return found;
}

bool BeginsWithFolder(const std::wstring &path, const std::wstring &folder)
{
    const std::wstring prefix = AddBackslash(folder);
    return EqualNoCase(path, folder) ||
           (path.size() > prefix.size() && EqualNoCase(path.substr(0, prefix.size()), prefix));
}

// A folder now, or one the run makes before its requests (or inside one).
bool IsFolderAtRun(const std::wstring &path, const ExecPlan &plan, const PlanDisk &disk)
{
    for (const std::wstring &made : plan.madeFolders)
        if (BeginsWithFolder(made, path)) return true;
    const PathFacts facts = disk.facts(path);
    return facts.exists && facts.folder;
}

PlanRow SourceRow(const PlannedRequest &request, const std::wstring &source,
                  const PathFacts &sourceFacts, const std::wstring &target, const PlanDisk &disk)
{
    PlanRow row;
    row.func = request.func;
    row.source = source;
    row.target = target;
    row.folder = sourceFacts.exists && sourceFacts.folder;
    if (!sourceFacts.exists)
    {
        row.outcome = PlanOutcome::SourceMissing;
        return row;
    }
    row.sized = !row.folder;
    row.size = row.sized ? sourceFacts.size : 0;
    if (request.func == FO_DELETE)
    {
        row.outcome = (request.flags & FOF_ALLOWUNDO) ? PlanOutcome::Recycled : PlanOutcome::Deleted;
        return row;
    }
    const PathFacts targetFacts = target.empty() ? PathFacts() : disk.facts(target);
    if (!targetFacts.exists || EqualNoCase(source, target))
        row.outcome = PlanOutcome::NewTarget;
    else if (row.folder && targetFacts.folder)
        row.outcome = PlanOutcome::Merges;
    else if (request.flags & FOF_RENAMEONCOLLISION)
        row.outcome = PlanOutcome::RenamedCopy;
    else
        row.outcome = PlanOutcome::Replaces;
    return row;
}

// Strips tabs and line breaks, which would split a tab-separated line.
std::wstring TabField(std::wstring field)
{
    for (wchar_t &c : field)
        if (c == L'\t' || c == L'\r' || c == L'\n') c = L' ';
    return field;
}

} // namespace

PlanDisk SystemDisk()
{
    return {SystemFacts, SystemMatches};
}

UINT PlanFunc(DWORD storedAction)
{
    switch (storedAction)
    {
    case ACTION_MOVE:
    case ACTION_MOVERENAME:
        return FO_MOVE;
    case ACTION_COPY:
    case ACTION_COPYRENAME:
        return FO_COPY;
    case ACTION_DELETE:
        return FO_DELETE;
    default:
        return FO_RENAME;
    }
}

std::vector<PlanRow> RequestRows(const ExecPlan &plan, size_t first, size_t last,
                                 const PlanDisk &disk)
{
    std::vector<PlanRow> rows;
    for (size_t r = first; r < last && r < plan.requests.size(); ++r)
    {
        const PlannedRequest &request = plan.requests[r];
        const bool pairs = (request.flags & FOF_MULTIDESTFILES) && !request.to.empty() &&
                           request.to.size() == request.from.size();
        // One target for all sources: a folder they go into, or for a
        // single source that names no folder, its new path.
        bool into = false;
        if (!pairs && !request.to.empty() && request.func != FO_DELETE)
            into = request.from.size() > 1 || IsFolderAtRun(request.to[0], plan, disk);
        for (size_t i = 0; i < request.from.size(); ++i)
        {
            const std::wstring &source = request.from[i];
            auto targetOf = [&](const std::wstring &entry) -> std::wstring {
                if (request.func == FO_DELETE || request.to.empty()) return std::wstring();
                if (pairs) return request.to[i];
                if (into || HasWildcard(FileNamePart(source)))
                    return AddBackslash(request.to[0]) + FileNamePart(entry);
                return request.to[0];
            };
            if (HasWildcard(FileNamePart(source)))
            {
                const bool filesOnly = (request.flags & FOF_FILESONLY) != 0;
                for (const auto &match : disk.matches(source, filesOnly))
                    rows.push_back(
                        SourceRow(request, match.first, match.second, targetOf(match.first), disk));
                continue;
            }
            rows.push_back(SourceRow(request, source, disk.facts(source), targetOf(source), disk));
        }
    }
    return rows;
}

std::vector<PlanRow> NoteRows(const ExecPlan &plan, UINT commandFunc)
{
    std::vector<PlanRow> rows;
    for (const LeftOutEntry &entry : plan.leftOut)
    {
        PlanRow row;
        row.func = commandFunc;
        row.source = entry.entry;
        row.outcome = PlanOutcome::LeftOut;
        row.reason = entry.reason;
        rows.push_back(row);
    }
    for (const std::wstring &spec : plan.missing)
    {
        PlanRow row;
        row.func = commandFunc;
        row.source = spec;
        row.outcome = PlanOutcome::NothingMatches;
        rows.push_back(row);
    }
    return rows;
}

std::vector<PlanRow> PendingRows(const StringArray &entries, UINT commandFunc)
{
    std::vector<PlanRow> rows(entries.size());
    for (size_t i = 0; i < entries.size(); ++i)
    {
        PlanRow &row = rows[i];
        row.func = commandFunc;
        row.source = entries[i];
        row.outcome = PlanOutcome::Pending;
        // The expansion lists folders with their trailing backslash.
        row.folder = !entries[i].empty() && entries[i].back() == L'\\';
    }
    return rows;
}

std::vector<PlanRow> PlanRows(const ExecPlan &plan, UINT commandFunc, const PlanDisk &disk)
{
    std::vector<PlanRow> rows = RequestRows(plan, 0, plan.requests.size(), disk);
    std::vector<PlanRow> notes = NoteRows(plan, commandFunc);
    rows.insert(rows.end(), notes.begin(), notes.end());
    return rows;
}

void AddToTotals(PlanTotals &totals, const PlanRow &row)
{
    switch (row.outcome)
    {
    case PlanOutcome::SourceMissing:
    case PlanOutcome::NothingMatches:
        ++totals.missing;
        return;
    case PlanOutcome::LeftOut:
        ++totals.leftOut;
        return;
    case PlanOutcome::Pending:
        return;
    case PlanOutcome::Replaces:
    case PlanOutcome::Merges:
    case PlanOutcome::RenamedCopy:
        ++totals.replaced;
        break;
    default:
        break;
    }
    if (row.folder)
        ++totals.folders;
    else
        ++totals.files;
    totals.bytes += row.size;
}

std::vector<std::wstring> RowColumns(const PlanRow &row, const PlanTexts &texts)
{
    return {texts.action(row.func), row.source, row.target, texts.outcome(row),
            row.sized ? std::to_wstring(row.size) : std::wstring()};
}

std::wstring TabText(const std::vector<PlanRow> &rows, const PlanTexts &texts,
                     const std::vector<std::wstring> *header)
{
    std::wstring text;
    auto line = [&text](const std::vector<std::wstring> &fields) {
        for (size_t i = 0; i < fields.size(); ++i)
        {
            if (i) text += L'\t';
            text += TabField(fields[i]);
        }
        text += L"\r\n";
    };
    if (header) line(*header);
    for (const PlanRow &row : rows)
        line(RowColumns(row, texts));
    return text;
}

std::wstring CsvField(const std::wstring &field)
{
    const bool quote = field.find_first_of(L",\"\r\n") != std::wstring::npos ||
                       (!field.empty() && (field.front() == L' ' || field.back() == L' '));
    if (!quote) return field;
    std::wstring quoted = L"\"";
    for (wchar_t c : field)
    {
        if (c == L'"') quoted += L'"';
        quoted += c;
    }
    return quoted + L"\"";
}

std::wstring CsvText(const std::vector<PlanRow> &rows, const PlanTexts &texts,
                     const std::vector<std::wstring> &header)
{
    std::wstring text;
    auto line = [&text](const std::vector<std::wstring> &fields) {
        for (size_t i = 0; i < fields.size(); ++i)
        {
            if (i) text += L',';
            text += CsvField(fields[i]);
        }
        text += L"\r\n";
    };
    line(header);
    for (const PlanRow &row : rows)
        line(RowColumns(row, texts));
    return text;
}

std::string Utf8WithBom(const std::wstring &text)
{
    std::string bytes = "\xEF\xBB\xBF";
    if (text.empty()) return bytes;
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                           nullptr, 0, nullptr, nullptr);
    if (size <= 0) return bytes;
    const size_t at = bytes.size();
    bytes.resize(at + static_cast<size_t>(size));
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &bytes[at], size,
                          nullptr, nullptr);
    return bytes;
}
