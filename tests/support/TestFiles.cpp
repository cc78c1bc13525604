// Files and folders of the tests (see TestFiles.h).
#include "TestFiles.h"
#include "TestLines.h"

#include <gtest/gtest.h>

#include "UniqueHandle.h"
#include "WinFormat.h"

namespace
{

std::wstring g_testFolder;

// The form of an absolute path that may exceed MAX_PATH.
std::wstring Long(const std::wstring &path)
{
    if (path.size() >= 3 && path[1] == L':' && path[2] == L'\\') return L"\\\\?\\" + path;
    return path;
}

std::wstring WithoutTrailingSlash(std::wstring path)
{
    while (path.size() > 3 && path.back() == L'\\')
        path.pop_back();
    return path;
}

} // namespace

std::wstring TestFolder()
{
    if (g_testFolder.empty())
    {
        wchar_t temp[MAX_PATH];
        DWORD length = ::GetTempPathW(MAX_PATH, temp);
        std::wstring folder = WithoutTrailingSlash(std::wstring(temp, length)) +
                              L"\\ferrovane-tests-" + std::to_wstring(::GetCurrentProcessId());
        // A folder left by an earlier process with the same id goes first.
        RemoveTree(folder);
        MakeFolder(folder);
        g_testFolder = folder;
    }
    return g_testFolder;
}

void RemoveTestFolder()
{
    if (!g_testFolder.empty()) RemoveTree(g_testFolder);
    g_testFolder.clear();
}

std::wstring TempPath(const wchar_t *name)
{
    std::wstring path = TestFolder() + L"\\" + name;
    ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    ::DeleteFileW(path.c_str());
    return path;
}

std::wstring FreshFolder(const std::wstring &name)
{
    std::wstring folder = TestFolder() + L"\\" + name;
    RemoveTree(folder);
    MakeFolder(folder);
    return folder + L"\\";
}

std::wstring MakeFolder(const std::wstring &path)
{
    std::wstring folder = WithoutTrailingSlash(path);
    if (!::CreateDirectoryW(Long(folder).c_str(), nullptr) &&
        ::GetLastError() == ERROR_PATH_NOT_FOUND)
    {
        size_t slash = folder.rfind(L'\\');
        if (slash != std::wstring::npos && slash > 2)
        {
            MakeFolder(folder.substr(0, slash));
            ::CreateDirectoryW(Long(folder).c_str(), nullptr);
        }
    }
    return path;
}

void RemoveTree(const std::wstring &path)
{
    const std::wstring folder = WithoutTrailingSlash(path);
    DWORD attributes = ::GetFileAttributesW(Long(folder).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return;
    if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
    {
        WIN32_FIND_DATAW data;
        fx::unique_find find(::FindFirstFileW(Long(folder + L"\\*").c_str(), &data));
        if (find)
        {
            do
            {
                std::wstring name = data.cFileName;
                if (name == L"." || name == L"..") continue;
                std::wstring child = Long(folder + L"\\" + name);
                ::SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                    !(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
                    RemoveTree(folder + L"\\" + name);
                else if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                    ::RemoveDirectoryW(child.c_str());
                else
                    ::DeleteFileW(child.c_str());
            } while (::FindNextFileW(find.get(), &data));
        }
    }
    ::SetFileAttributesW(Long(folder).c_str(), FILE_ATTRIBUTE_NORMAL);
    ::RemoveDirectoryW(Long(folder).c_str());
}

bool Exists(const std::wstring &path)
{
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool SetWriteTimeBack(const std::wstring &path)
{
    fx::unique_file file(::CreateFileW(
        path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file) return false;
    FILETIME now{};
    ::GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER time{};
    time.LowPart = now.dwLowDateTime;
    time.HighPart = now.dwHighDateTime;
    time.QuadPart -= 3600ULL * 10000000ULL; // one hour in 100 ns steps
    const FILETIME earlier{time.LowPart, time.HighPart};
    return ::SetFileTime(file.get(), nullptr, nullptr, &earlier) != FALSE;
}

std::vector<BYTE> ReadBytes(const std::wstring &path)
{
    std::vector<BYTE> bytes;
    fx::unique_file file(::CreateFileW(path.c_str(), GENERIC_READ,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                       nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file) return bytes;
    BYTE buffer[65536];
    DWORD read = 0;
    while (::ReadFile(file.get(), buffer, sizeof(buffer), &read, nullptr) && read)
        bytes.insert(bytes.end(), buffer, buffer + read);
    return bytes;
}

std::string ReadText(const std::wstring &path)
{
    std::vector<BYTE> bytes = ReadBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

void WriteBytes(const std::wstring &path, const std::vector<BYTE> &bytes)
{
    fx::unique_file file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file) << "cannot write " << Narrow(path) << ": error " << ::GetLastError();
    DWORD written = 0;
    bool whole =
        bytes.empty() || (::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()),
                                      &written, nullptr) &&
                          written == bytes.size());
    EXPECT_TRUE(whole) << "cannot write " << Narrow(path);
}

void WriteText(const std::wstring &path, const std::string &text)
{
    MakeFolder(path.substr(0, path.rfind(L'\\')));
    WriteBytes(path, std::vector<BYTE>(text.begin(), text.end()));
}

std::vector<std::string> SplitLines(const std::string &text)
{
    std::vector<std::string> lines;
    size_t at = 0;
    while (at < text.size())
    {
        size_t end = text.find("\r\n", at);
        if (end == std::string::npos)
        {
            lines.push_back(text.substr(at));
            break;
        }
        lines.push_back(text.substr(at, end - at));
        at = end + 2;
    }
    return lines;
}

Lines ReadLines(const std::wstring &path)
{
    Lines lines;
    const std::string text = ReadText(path);
    size_t at = 0;
    while (at < text.size())
    {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(at, end - at);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
        at = end + 1;
    }
    return lines;
}

Lines After(const Lines &lines, const std::string &marker)
{
    Lines found;
    for (const std::string &line : lines)
    {
        size_t at = line.find(marker);
        if (at != std::string::npos) found.push_back(line.substr(at));
    }
    return found;
}

std::string Narrow(const std::wstring &text)
{
    return fx::Narrow(text.c_str());
}

std::wstring CurrentTestName()
{
    std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    return std::wstring(name.begin(), name.end());
}

CTempTree::CTempTree()
{
    static int counter = 0;
    m_root = TestFolder() + L"\\t" + std::to_wstring(++counter);
    RemoveTree(m_root);
    MakeFolder(m_root);
}

CTempTree::~CTempTree()
{
    RemoveTree(m_root);
}

void CTempTree::Add(const std::vector<std::wstring> &entries) const
{
    for (const std::wstring &entry : entries)
    {
        size_t slash = entry.rfind(L'\\');
        if (slash != std::wstring::npos) MakeFolder(m_root + L"\\" + entry.substr(0, slash));
        if (slash == std::wstring::npos || slash + 1 < entry.size())
        {
            fx::unique_file file(::CreateFileW(Long(m_root + L"\\" + entry).c_str(), GENERIC_WRITE,
                                               0, nullptr, CREATE_ALWAYS, 0, nullptr));
        }
    }
}
