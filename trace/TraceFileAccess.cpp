// The file calls of the writer: opening the log with sharing-violation
// retries, appending a text in the ANSI code page, and whether a log lies
// on a network drive; with the module reference and the process-end check
// that its callbacks need.
#include "TraceWriter.h"

#include <cstdint>
#include <cstring>
#include <string>

namespace tracelog
{

HANDLE OpenOnce(LPCTSTR name, DWORD share, bool writeThrough) noexcept
{
    DWORD flags = FILE_ATTRIBUTE_NORMAL | (writeThrough ? FILE_FLAG_WRITE_THROUGH : 0);
    return CreateFile(name, GENERIC_READ | GENERIC_WRITE, share, nullptr, OPEN_ALWAYS, flags,
                      nullptr);
}

Opened OpenLog(LPCTSTR name, bool writeThrough, bool mayWait, HANDLE &out,
               bool &writeShared) noexcept
{
    writeShared = false;
    out = OpenOnce(name, FILE_SHARE_READ, writeThrough);
    if (out != INVALID_HANDLE_VALUE) return Opened::Yes;
    if (GetLastError() != ERROR_SHARING_VIOLATION || Unloading()) return Opened::No;
    if (!mayWait) return Opened::Contended;
    for (DWORD i = 0; i < OPEN_RETRIES_READ_SHARE + OPEN_RETRIES_READ_WRITE_SHARE; ++i)
    {
        writeShared = i >= OPEN_RETRIES_READ_SHARE;
        Sleep(OPEN_RETRY_DELAY_MS);
        out = OpenOnce(name, writeShared ? FILE_SHARE_READ | FILE_SHARE_WRITE : FILE_SHARE_READ,
                       writeThrough);
        if (out != INVALID_HANDLE_VALUE) return Opened::Yes;
        if (GetLastError() != ERROR_SHARING_VIOLATION || Unloading()) break;
    }
    return Opened::No;
}

#ifdef UNICODE
namespace
{
// Copies the leading ASCII characters of `text` to `out` as bytes and
// returns how many there were. Four characters at a time: a line is nearly
// always ASCII through and through, and the copy is then most of its cost.
size_t NarrowAscii(const wchar_t *text, size_t length, char *out) noexcept
{
    static_assert(sizeof(wchar_t) == 2, "UTF-16 characters");
    size_t i = 0;
    for (; i + 4 <= length; i += 4)
    {
        uint64_t four;
        memcpy(&four, text + i, sizeof four);
        if (four & 0xFF80FF80FF80FF80ull) break;
        const uint32_t low = static_cast<uint32_t>(four), high = static_cast<uint32_t>(four >> 32);
        const uint32_t bytes = (low & 0xFFu) | ((low >> 8) & 0xFF00u) | ((high & 0xFFu) << 16) |
                               ((high >> 8) & 0xFF00u) << 16;
        memcpy(out + i, &bytes, sizeof bytes);
    }
    for (; i < length && text[i] < 0x80; ++i)
        out[i] = static_cast<char>(text[i]);
    return i;
}
} // namespace
#endif

bool WriteAtEnd(HANDLE h, bool seek, LPCTSTR text, size_t length) noexcept
{
    if (seek && SetFilePointer(h, 0, nullptr, FILE_END) == INVALID_SET_FILE_POINTER &&
        GetLastError() != NO_ERROR)
        return false;
    DWORD written = 0;
#ifdef UNICODE
    // The converted copy lives on the stack unless the text needs more room.
    // Plain ASCII, what nearly every line is, has the same bytes in every
    // ANSI code page: copied without asking the code page.
    char small[4096];
    if (length <= sizeof small && NarrowAscii(text, length, small) == length)
        return length == 0 ||
               WriteFile(h, small, static_cast<DWORD>(length), &written, nullptr) != FALSE;
    int n = length && length <= sizeof small
                ? WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(length), small,
                                      sizeof small, nullptr, nullptr)
                : 0;
    if (n > 0) return WriteFile(h, small, static_cast<DWORD>(n), &written, nullptr) != FALSE;
    if (length == 0) return true;
    n = WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(length), nullptr, 0, nullptr,
                            nullptr);
    if (n <= 0) return false;
    try
    {
        std::string ansi(static_cast<size_t>(n), '\0');
        WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(length), &ansi[0], n, nullptr,
                            nullptr);
        return WriteFile(h, ansi.data(), static_cast<DWORD>(n), &written, nullptr) != FALSE;
    }
    catch (...)
    {
        return false;
    }
#else
    return length == 0 ||
           WriteFile(h, text, static_cast<DWORD>(length), &written, nullptr) != FALSE;
#endif
}

bool IsSlowLogFile(LPCTSTR name) noexcept
{
#ifdef UNICODE
    if (!name || !name[0]) return false;
    TCHAR full[MAX_PATH];
    DWORD n = GetFullPathName(name, MAX_PATH, full, nullptr);
    if (n == 0 || n >= MAX_PATH) return false;
    // "\\server\share\..." and "\\?\UNC\server\share\..." are shares.
    if (full[0] == _T('\\') && full[1] == _T('\\'))
    {
        if (full[2] != _T('?') && full[2] != _T('.')) return true;
        return _tcsnicmp(full, _T("\\\\?\\UNC\\"), 8) == 0;
    }
    if (full[1] != _T(':')) return false;
    TCHAR root[4] = {full[0], _T(':'), _T('\\'), 0};
    return GetDriveType(root) == DRIVE_REMOTE;
#else
    (void)name;
    return false;
#endif
}

bool ProcessEnding() noexcept
{
    using Query = BOOLEAN(NTAPI *)();
    HMODULE ntdll = GetModuleHandle(_T("ntdll.dll"));
    FARPROC proc = ntdll ? GetProcAddress(ntdll, "RtlDllShutdownInProgress") : nullptr;
    return proc && reinterpret_cast<Query>(reinterpret_cast<void (*)()>(proc))();
}

#ifdef UNICODE
HMODULE TakeModuleReference() noexcept
{
    HMODULE module = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                            reinterpret_cast<LPCWSTR>(&TakeModuleReference), &module))
        return nullptr;
    return module;
}
#endif

} // namespace tracelog
