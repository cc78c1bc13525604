// The shell version probe and its process-wide record.
#include "ShellVersion.h"

#include "Trace.h"

namespace fx
{

namespace
{
DLLVERSIONINFO g_shellVersion = {sizeof(DLLVERSIONINFO), 0, 0, 0, 0};
} // namespace

const DLLVERSIONINFO &ShellVersion() noexcept
{
    return g_shellVersion;
}

const DLLVERSIONINFO &ProbeShellVersion() noexcept
{
    HMODULE shell = ::GetModuleHandleW(L"SHELL32.DLL");
    auto getVersion = shell ? reinterpret_cast<DLLGETVERSIONPROC>(reinterpret_cast<void (*)()>(
                                  ::GetProcAddress(shell, "DllGetVersion")))
                            : nullptr;
    if (getVersion)
    {
        try
        {
            getVersion(&g_shellVersion);
        }
        catch (...)
        {
        }
    }
    Trace(2, L"ShellVersion %u.%u.%u", g_shellVersion.dwMajorVersion, g_shellVersion.dwMinorVersion,
          g_shellVersion.dwBuildNumber);
    return g_shellVersion;
}

} // namespace fx
