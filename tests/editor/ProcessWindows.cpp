// Windows of another process.
#include "ProcessWindows.h"

#include "TestFiles.h"
#include "TestWindows.h"

#include <vector>

namespace
{
struct Search
{
    DWORD process;
    const wchar_t *className;
    const std::wstring *caption;
    HWND found;
};

BOOL CALLBACK Visit(HWND window, LPARAM data)
{
    auto *search = reinterpret_cast<Search *>(data);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner != search->process || !::IsWindowVisible(window)) return TRUE;
    wchar_t className[64] = {};
    ::GetClassNameW(window, className, 64);
    if (lstrcmpiW(className, search->className) != 0) return TRUE;
    if (!search->caption->empty() && WindowText(window) != *search->caption) return TRUE;
    search->found = window;
    return FALSE;
}
} // namespace

std::wstring WindowText(HWND window)
{
    const LRESULT length = ::SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
    std::vector<wchar_t> buffer(static_cast<size_t>(length > 0 ? length : 0) + 1);
    ::SendMessageW(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()));
    return buffer.data();
}

bool HasProcessWindow(DWORD process, const wchar_t *className, const std::wstring &caption)
{
    Search search{process, className, &caption, nullptr};
    ::EnumWindows(Visit, reinterpret_cast<LPARAM>(&search));
    return search.found != nullptr;
}

HWND WaitForProcessWindow(DWORD process, const wchar_t *className, const std::wstring &caption,
                          DWORD timeoutMs)
{
    Search search{process, className, &caption, nullptr};
    WaitUntil(
        [&] {
            ::EnumWindows(Visit, reinterpret_cast<LPARAM>(&search));
            return search.found != nullptr;
        },
        timeoutMs);
    return search.found;
}

std::wstring EditLauncherPath()
{
    std::string dir = EDIT_BINARY_DIR;
    std::wstring wide = L"Z:";
    for (char c : dir)
        wide += c == '/' ? L'\\' : static_cast<wchar_t>(c);
    return wide + L"\\ZELK.exe";
}

FileStamp StampOf(const std::wstring &path)
{
    FileStamp stamp;
    stamp.bytes = ReadBytes(path);
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
        stamp.written = data.ftLastWriteTime;
    return stamp;
}

bool SameStamp(const FileStamp &a, const FileStamp &b)
{
    return a.bytes == b.bytes && ::CompareFileTime(&a.written, &b.written) == 0;
}
