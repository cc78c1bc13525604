// Facts for the START banner: the module that carries this copy of the log,
// the executable's file version, and the description of the machine.
#include "TraceInternal.h"

#include "UniqueHandle.h"
#include "WinFormat.h"

#include <vector>

namespace tracelog
{

namespace
{
tstring FormatString(LPCTSTR format, ...)
{
    va_list args;
    va_start(args, format);
    tstring s = fx::FormatV(format, args);
    va_end(args);
    return s;
}

// Reads a REG_SZ value of at most `maxBytes` bytes; false when absent or of
// another type.
bool ReadString(HKEY key, LPCTSTR name, DWORD maxBytes, tstring &out)
{
    std::vector<BYTE> data(maxBytes + 2 * sizeof(TCHAR), 0);
    DWORD type = 0, size = maxBytes;
    if (RegQueryValueEx(key, name, nullptr, &type, data.data(), &size) != ERROR_SUCCESS ||
        type != REG_SZ)
        return false;
    out = reinterpret_cast<const TCHAR *>(data.data());
    return true;
}
} // namespace

bool ModulePath(TCHAR *out, size_t count) noexcept
{
    HMODULE module = nullptr;
    if (!GetModuleHandleEx(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                               GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           reinterpret_cast<LPCTSTR>(&ModulePath), &module))
        return false;
    DWORD n = GetModuleFileName(module, out, static_cast<DWORD>(count));
    return n > 0 && n < count;
}

// The fixed file version of a file's version resource.
tstring FileVersionText(LPCTSTR path)
{
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSize(path, &ignored);
    if (size == 0) return tstring();
    std::vector<BYTE> data(size);
    if (!GetFileVersionInfo(path, 0, size, data.data())) return tstring();
    VS_FIXEDFILEINFO *info = nullptr;
    UINT length = 0;
    if (!VerQueryValue(data.data(), _T("\\"), reinterpret_cast<LPVOID *>(&info), &length) ||
        !info || length < sizeof(VS_FIXEDFILEINFO))
        return tstring();
    if (info->dwFileVersionMS == 0 && info->dwFileVersionLS == 0) return tstring();
    return FormatString(_T("%u.%u.%u.%u"), HIWORD(info->dwFileVersionMS),
                        LOWORD(info->dwFileVersionMS), HIWORD(info->dwFileVersionLS),
                        LOWORD(info->dwFileVersionLS));
}

tstring ExecutableVersion()
{
    TCHAR path[MAX_PATH];
    DWORD n = GetModuleFileName(nullptr, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return tstring();
    return FileVersionText(path);
}

tstring ProductName()
{
    fx::unique_hkey key;
    tstring name;
    if (RegOpenKeyEx(HKEY_LOCAL_MACHINE, _T("Software\\Microsoft\\Windows NT\\CurrentVersion"), 0,
                     KEY_READ, key.put()) == ERROR_SUCCESS &&
        ReadString(key.get(), _T("ProductName"), 100, name))
        return name;
    return _T("Windows");
}

tstring WindowsVersionText()
{
    OSVERSIONINFO info = {};
    info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (GetVersionEx(&info))
        return FormatString(_T("%u.%u.%u (%s)"), info.dwMajorVersion, info.dwMinorVersion,
                            info.dwBuildNumber, info.szCSDVersion);
    DWORD version = GetVersion();
#pragma GCC diagnostic pop
    return FormatString(_T("%d.%d"), static_cast<int>(LOBYTE(LOWORD(version))),
                        static_cast<int>(HIBYTE(LOWORD(version))));
}

tstring ProcessorTypeName(DWORD processorType)
{
    switch (processorType)
    {
    case 386:
        return _T("I386");
    case 486:
        return _T("I486");
    case 586:
        return _T("Pentium");
    default:
        return _T("Unknown");
    }
}

tstring ProcessorText(bool fromRegistry)
{
    if (fromRegistry)
    {
        fx::unique_hkey key;
        tstring identifier;
        if (RegOpenKeyEx(HKEY_LOCAL_MACHINE,
                         _T("Hardware\\Description\\System\\CentralProcessor\\0"), 0, KEY_READ,
                         key.put()) == ERROR_SUCCESS &&
            ReadString(key.get(), _T("Identifier"), 512, identifier))
        {
            tstring vendor;
            if (ReadString(key.get(), _T("VendorIdentifier"), 512, vendor))
                identifier += _T(" ") + vendor;
            DWORD mhz = 0, type = 0, size = sizeof mhz;
            if (RegQueryValueEx(key.get(), _T("~MHz"), nullptr, &type,
                                reinterpret_cast<BYTE *>(&mhz), &size) == ERROR_SUCCESS &&
                type == REG_DWORD)
                identifier += FormatString(_T(" %uMHz"), mhz);
            return identifier;
        }
    }
    SYSTEM_INFO info = {};
    GetSystemInfo(&info);
    return ProcessorTypeName(info.dwProcessorType);
}

} // namespace tracelog
