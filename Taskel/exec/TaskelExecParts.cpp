// Moving and copying in parts: one shell call per source/target pair, with
// the name mappings the shell returns and the moved-folder rewrite applied
// to the entries that follow.
#define TRACE_SOURCE "Taskel\\TaskelExec"
#include "TaskelExecRun.h"

#include <shlwapi.h>

#include "FxException.h"
#include "TaskelOptions.h"
#include "TaskelTraceSites.h"
#include "Trace.h"

using namespace execpath;
using namespace execspec;

namespace execrun
{

namespace
{
bool IsSeparator(wchar_t c)
{
    return c == L'\\' || c == L'/';
}
} // namespace

bool BeginsWithPath(const std::wstring &entry, const wchar_t *prefix, size_t count)
{
    if (count == 0 || entry.size() < count) return false;
    if (CompareStringOrdinal(entry.c_str(), static_cast<int>(count), prefix,
                             static_cast<int>(count), TRUE) != CSTR_EQUAL)
        return false;
    return entry.size() == count || IsSeparator(entry[count]) || IsSeparator(prefix[count - 1]);
}

void ApplyNameMappings(StringArray &targets, size_t current, const ShellNameMappings &mappings,
                       DWORD level)
{
    try
    {
        for (UINT m = 0; m < mappings.count; ++m)
        {
            const SHNAMEMAPPINGW &mapping = mappings.mappings[m];
            Trace(level, L"  Map [%.*s]", mapping.cchOldPath, mapping.pszOldPath);
            Trace(level, L"   to [%.*s]", mapping.cchNewPath, mapping.pszNewPath);
            const size_t oldCount = static_cast<size_t>(mapping.cchOldPath);
            const std::wstring newPath(mapping.pszNewPath, static_cast<size_t>(mapping.cchNewPath));
            for (size_t i = current; i < targets.size(); ++i)
            {
                if (!BeginsWithPath(targets[i], mapping.pszOldPath, oldCount)) break;
                targets[i] = newPath + targets[i].substr(oldCount);
            }
        }
    }
    TRACE_CATCH_SITE(4, sites::kNameMappings)
}

bool ApplyMovePath(StringArray &sources, size_t current, const std::wstring &movedTo, DWORD level)
{
    const std::wstring moved = sources[current];
    const std::wstring inside = moved + L"\\";
    bool changed = false;
    for (size_t i = current + 1; i < sources.size(); ++i)
    {
        if (sources[i].size() <= inside.size() ||
            CompareStringOrdinal(sources[i].c_str(), static_cast<int>(inside.size()),
                                 inside.c_str(), static_cast<int>(inside.size()),
                                 TRUE) != CSTR_EQUAL)
            continue;
        sources[i] = movedTo + sources[i].substr(moved.size());
        changed = true;
    }
    if (changed && IsTraceEnabled(1))
    {
        Trace(level, L"  ApplyMovePath [%s]", moved.c_str());
        Trace(level, L"                [%s]", movedTo.c_str());
    }
    return changed;
}

bool LiesInside(const std::wstring &last, const std::wstring &entry)
{
    return !last.empty() && last.size() < entry.size() &&
           BeginsWithPath(entry, last.c_str(), last.size());
}

} // namespace execrun

using namespace execrun;

bool CExecRunner::RunPart(CExecRunner &part, bool &result)
{
    if (part.CheckNothing(L"Part") || part.RunRequest(true))
        result = true;
    else if (!part.ShouldContinue())
        return false;
    return true;
}

void CExecRunner::ApplyMappings(CExecRunner &part, StringArray &targets, size_t current) const
{
    HANDLE mappings = part.Request().hNameMappings;
    if (!mappings) return;
    Pump();
    ::ApplyNameMappings(targets, current, *static_cast<const ShellNameMappings *>(mappings),
                        m_specs->OperationLevel());
    FreeNameMappings(mappings);
    part.Request().hNameMappings = nullptr;
}

bool CExecRunner::RunMoveParts()
{
    SetFlags(OPT_MULTIDESTFILES, 0);
    StringArray sources = SplitDoubleNull(SourceList());
    StringArray targets = SplitDoubleNull(Target());
    bool result = false;
    for (size_t i = 0; i < sources.size() && i < targets.size(); ++i)
    {
        std::unique_ptr<CExecRunner> part = MakePart(sources[i], targets[i]);
        if (EqualNoCase(sources[i], targets[i]))
        {
            Trace(1, L"  Move [%s] (Part)", sources[i].c_str());
            Trace(1, L"  Skip [%s]", targets[i].c_str());
            continue;
        }
        const bool folder = !(Flags() & OPT_FILESONLY) && PathIsDirectoryW(sources[i].c_str());
        if (folder) part->SetFlags(0, OPT_WANTMAPPINGHANDLE);
        const bool before = result;
        result = false;
        if (!RunPart(*part, result)) return false;
        const bool moved = result;
        result = result || before;
        if (!folder) continue;
        ApplyMappings(*part, targets, i);
        // The folder's contents moved with it only when its own move
        // succeeded; otherwise they are still moved one by one.
        if (moved) ::ApplyMovePath(sources, i, targets[i], m_specs->OperationLevel());
    }
    return result;
}

bool CExecRunner::RunCopyParts()
{
    SetFlags(OPT_MULTIDESTFILES, 0);
    StringArray sources = SplitDoubleNull(SourceList());
    StringArray targets = SplitDoubleNull(Target());
    std::wstring last;
    bool result = false;
    for (size_t i = 0; i < sources.size() && i < targets.size(); ++i)
    {
        std::unique_ptr<CExecRunner> part = MakePart(sources[i], targets[i]);
        bool wantsMappings = false;
        if (!(Flags() & OPT_FILESONLY))
        {
            if (LiesInside(last, sources[i]))
            {
                if (Flags() & OPT_X_IGNORE_ERRORS) part->SetFlags(0, OPT_NOERRORUI);
            }
            else
            {
                const DWORD kept = OPT_NOERRORUI | OPT_RENAMEONCOLLISION;
                part->SetFlags(kept, Flags() & kept);
                if ((part->Flags() & OPT_RENAMEONCOLLISION) && PathIsDirectoryW(sources[i].c_str()))
                {
                    part->SetFlags(0, OPT_WANTMAPPINGHANDLE);
                    wantsMappings = true;
                }
                last = sources[i];
            }
        }
        if (!RunPart(*part, result)) return false;
        if (wantsMappings) ApplyMappings(*part, targets, i);
    }
    return result;
}
