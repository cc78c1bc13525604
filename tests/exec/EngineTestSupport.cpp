// Helpers of the engine tests and the test executable's trace profile.
#include "EngineTestSupport.h"

#include <shellapi.h>

#include "Trace.h"
#include "UniqueHandle.h"

TraceProfile g_traceProfile = {L"Software\\Veltrac\\FerrovaneEngineTest",
                               L"FerrovaneEngineTest.log", false, false};

namespace
{
std::wstring BaseFolder()
{
    static std::wstring folder;
    if (folder.empty())
    {
        wchar_t base[MAX_PATH];
        GetTempPathW(MAX_PATH, base);
        folder = std::wstring(base) + L"eng" + std::to_wstring(GetCurrentProcessId());
        CreateDirectoryW(folder.c_str(), nullptr);
    }
    return folder;
}

void RemoveTree(const std::wstring &path)
{
    WIN32_FIND_DATAW data;
    fx::unique_find find(FindFirstFileW((L"\\\\?\\" + path + L"\\*").c_str(), &data));
    if (find)
    {
        do
        {
            std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") continue;
            std::wstring child = path + L"\\" + name;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(child);
            else
                DeleteFileW((L"\\\\?\\" + child).c_str());
        } while (FindNextFileW(find.get(), &data));
    }
    RemoveDirectoryW((L"\\\\?\\" + path).c_str());
}
} // namespace

CTempTree::CTempTree()
{
    static int counter = 0;
    m_root = BaseFolder() + L"\\t" + std::to_wstring(++counter);
    RemoveTree(m_root);
    CreateDirectoryW(m_root.c_str(), nullptr);
}

CTempTree::~CTempTree()
{
    RemoveTree(m_root);
}

void CTempTree::Add(const std::vector<std::wstring> &entries) const
{
    for (const std::wstring &entry : entries)
    {
        std::wstring full = m_root;
        size_t at = 0;
        while (true)
        {
            size_t slash = entry.find(L'\\', at);
            if (slash == std::wstring::npos) break;
            full = m_root + L"\\" + entry.substr(0, slash);
            CreateDirectoryW((L"\\\\?\\" + full).c_str(), nullptr);
            at = slash + 1;
        }
        if (at < entry.size())
        {
            fx::unique_file file(CreateFileW((L"\\\\?\\" + m_root + L"\\" + entry).c_str(),
                                             GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        }
    }
}

bool Exists(const std::wstring &path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

CTraceLines::CTraceLines(DWORD level)
{
    static int counter = 0;
    m_path = BaseFolder() + L"\\trace" + std::to_wstring(++counter) + L".log";
    m_start = StartTracing(TRUE, m_path.c_str(), TRACE_NO_PREFIX | level);
}

CTraceLines::~CTraceLines()
{
    StopTracing(0);
    DeleteFileW(m_path.c_str());
}

std::vector<std::wstring> CTraceLines::Lines() const
{
    std::vector<std::wstring> lines;
    fx::unique_file file(CreateFileW(m_path.c_str(), GENERIC_READ,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                     nullptr));
    if (!file) return lines;
    std::string text(GetFileSize(file.get(), nullptr), '\0');
    DWORD read = 0;
    if (!text.empty())
        ReadFile(file.get(), &text[0], static_cast<DWORD>(text.size()), &read, nullptr);
    text.resize(read);
    size_t at = m_start < text.size() ? m_start : text.size();
    while (at < text.size())
    {
        size_t end = text.find("\r\n", at);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(at, end - at);
        lines.push_back(std::wstring(line.begin(), line.end()));
        at = end + 2;
    }
    return lines;
}

std::vector<std::wstring> CTraceLines::With(const wchar_t *part) const
{
    std::vector<std::wstring> lines;
    for (const std::wstring &line : Lines())
        if (line.find(part) != std::wstring::npos) lines.push_back(line);
    return lines;
}

bool CTraceLines::Has(const std::wstring &line) const
{
    for (const std::wstring &l : Lines())
        if (l == line) return true;
    return false;
}

std::wstring R(const std::wstring &root, const std::wstring &text)
{
    std::wstring out = text;
    for (size_t at = out.find(L"<R>"); at != std::wstring::npos;
         at = out.find(L"<R>", at + root.size()))
        out.replace(at, 3, root);
    return out;
}

std::vector<std::wstring> R(const std::wstring &root, const std::vector<std::wstring> &texts)
{
    std::vector<std::wstring> out;
    for (const std::wstring &text : texts)
        out.push_back(R(root, text));
    return out;
}
