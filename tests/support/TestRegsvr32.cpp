// The system's regsvr32 run for a test (see TestLauncher.h). A file of its
// own, without the message box watcher of whole-process runs: a suite that
// only registers links no thread machinery, so a test of what loading a
// library leaves in the process (TLS slots, handles) sees the process as a
// host without it does.
#include "TestLauncher.h"

#include <gtest/gtest.h>

#include "UniqueHandle.h"

DWORD Regsvr32(const std::wstring &library, bool unregister)
{
    // With /s regsvr32 shows no box; one that hung it ends it here.
    wchar_t system[MAX_PATH] = L"";
    ::GetSystemDirectoryW(system, MAX_PATH);
    const std::wstring program = std::wstring(system) + L"\\regsvr32.exe";
    std::wstring commandLine =
        L"\"" + program + L"\" /s " + (unregister ? L"/u " : L"") + L"\"" + library + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION started = {};
    if (!::CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                          nullptr, &startup, &started))
    {
        ADD_FAILURE() << "CreateProcess regsvr32: error " << ::GetLastError();
        return static_cast<DWORD>(-1);
    }
    fx::unique_handle process(started.hProcess);
    fx::unique_handle thread(started.hThread);
    if (::WaitForSingleObject(process.get(), 60000) != WAIT_OBJECT_0)
    {
        ::TerminateProcess(process.get(), static_cast<UINT>(-1));
        ADD_FAILURE() << "regsvr32 did not end within a minute: " << Narrow(library);
        return static_cast<DWORD>(-1);
    }
    DWORD code = static_cast<DWORD>(-1);
    ::GetExitCodeProcess(process.get(), &code);
    return code;
}
