// Whole-process tests of the built programs (see TestLauncher.h).
#include "TestLauncher.h"

#include <gtest/gtest.h>

#include "UniqueHandle.h"

namespace
{
const wchar_t TRACE_KEY[] = L"Software\\Veltrac\\Ferrovane";
}

std::wstring BuildFolder(const char *linuxPath)
{
    std::wstring folder = L"Z:";
    for (const char *c = linuxPath; *c; ++c)
        folder += *c == '/' ? L'\\' : static_cast<wchar_t>(*c);
    return folder + L"\\";
}

ProcessRun RunProgram(const std::wstring &program, const std::wstring &args,
                      const std::wstring &folder, DWORD timeoutMs)
{
    std::wstring commandLine = L"\"" + program + L"\" " + args;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!::CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                          folder.empty() ? nullptr : folder.c_str(), &startup, &process))
    {
        ADD_FAILURE() << "CreateProcess " << Narrow(program) << ": error " << ::GetLastError();
        return ProcessRun();
    }
    ::CloseHandle(process.hThread);
    return WaitForProgram(process.hProcess, timeoutMs);
}

CRunningProgram::~CRunningProgram()
{
    End();
}

void CRunningProgram::End()
{
    if (!m_process.hProcess) return;
    if (::WaitForSingleObject(m_process.hProcess, 0) == WAIT_TIMEOUT)
        ::TerminateProcess(m_process.hProcess, 1);
    ::CloseHandle(m_process.hProcess);
    ::CloseHandle(m_process.hThread);
    m_process = {};
}

bool CRunningProgram::Start(const std::wstring &program, const std::wstring &args,
                            const std::wstring &folder)
{
    End();
    std::wstring line = L"\"" + program + L"\" " + args;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    return ::CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                            &startup, &m_process) != FALSE;
}

bool CRunningProgram::WaitForExit(DWORD timeoutMs) const
{
    return m_process.hProcess &&
           ::WaitForSingleObject(m_process.hProcess, timeoutMs) == WAIT_OBJECT_0;
}

ProcessRun WaitForProgram(HANDLE handle, DWORD timeoutMs)
{
    fx::unique_handle process(handle);
    ProcessRun run;
    run.started = true;
    CMessageBoxWatcher watcher(::GetProcessId(process.get()));
    run.ended = ::WaitForSingleObject(process.get(), timeoutMs) == WAIT_OBJECT_0;
    if (!run.ended)
    {
        ADD_FAILURE() << "the program did not end within " << timeoutMs << " ms";
        ::TerminateProcess(process.get(), 1);
        ::WaitForSingleObject(process.get(), 10000);
    }
    ::GetExitCodeProcess(process.get(), &run.exitCode);
    run.messages = watcher.Stop();
    return run;
}

CLauncherTrace::CLauncherTrace(const std::wstring &logPath, DWORD level)
    : m_level(HKEY_CURRENT_USER, TRACE_KEY, L"LogLevel"),
      m_file(HKEY_CURRENT_USER, TRACE_KEY, L"LogFile"), m_path(logPath)
{
    m_level.SetDword(level);
    m_file.SetString(logPath);
    Clear();
}

void CLauncherTrace::Clear() const
{
    ::DeleteFileW(m_path.c_str());
}
