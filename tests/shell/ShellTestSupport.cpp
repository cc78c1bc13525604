// Helpers of the shell tests.
#include "ShellTestSupport.h"

#include <shlwapi.h>

#include <stdexcept>

#include "Trace.h"

// The handlers start the log themselves; in the tests it reads a key of its own.
TraceProfile g_traceProfile = {L"Software\\Veltrac\\FerrovaneShellTest", L"FerrovaneShellTest.log",
                               false, false};

std::wstring TempFolder()
{
    static std::wstring folder;
    if (folder.empty())
    {
        wchar_t temp[MAX_PATH];
        ::GetTempPathW(MAX_PATH, temp);
        folder = MakeFolder(std::wstring(temp) + L"shell-tests-" +
                            std::to_wstring(::GetCurrentProcessId()) + L"-" +
                            std::to_wstring(::GetTickCount()) + L"\\");
    }
    return folder;
}

std::wstring MakeFolder(const std::wstring &path)
{
    ::CreateDirectoryW(path.c_str(), nullptr);
    return path;
}

void WriteBytes(const std::wstring &path, const std::vector<BYTE> &bytes)
{
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot write test file");
    DWORD written = 0;
    ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(file);
}

std::string ReadText(const std::wstring &path)
{
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::string();
    std::string text;
    char buffer[4096];
    DWORD read = 0;
    while (::ReadFile(file, buffer, sizeof(buffer), &read, nullptr) && read)
        text.append(buffer, read);
    ::CloseHandle(file);
    return text;
}

bool KeyExists(HKEY root, const std::wstring &path)
{
    HKEY key = nullptr;
    if (::RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    ::RegCloseKey(key);
    return true;
}

std::wstring RegText(HKEY root, const std::wstring &path, const wchar_t *name, bool *present)
{
    if (present) *present = false;
    wchar_t data[2048] = L"";
    DWORD size = sizeof(data) - sizeof(wchar_t);
    DWORD type = 0;
    if (::RegGetValueW(root, path.c_str(), name, RRF_RT_ANY | RRF_NOEXPAND, &type, data, &size) !=
            ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return std::wstring();
    if (present) *present = true;
    return std::wstring(data, wcsnlen(data, size / sizeof(wchar_t)));
}

DWORD RegDword(HKEY root, const std::wstring &path, const wchar_t *name, DWORD missing)
{
    DWORD value = 0;
    DWORD size = sizeof(value);
    if (::RegGetValueW(root, path.c_str(), name, RRF_RT_REG_DWORD, nullptr, &value, &size) !=
        ERROR_SUCCESS)
        return missing;
    return value;
}

void DeleteTree(HKEY root, const std::wstring &path)
{
    ::SHDeleteKeyW(root, path.c_str());
}
