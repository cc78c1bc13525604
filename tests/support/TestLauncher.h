// Whole-process tests of the built programs: a build folder as a Windows
// path, a program started and waited for while its message boxes are read
// and dismissed, and the trace configuration that the launchers and the
// library read (HKCU), pointed at a test's log file and put back afterwards.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "MessageBoxWatch.h"
#include "TestFiles.h"
#include "TestLines.h"
#include "TestRegistry.h"

// A folder of the build, given as a Linux path, as a Windows path on drive
// Z: with a trailing backslash.
std::wstring BuildFolder(const char *linuxPath);

struct ProcessRun
{
    bool started = false;
    bool ended = false; // within the time allowed (otherwise it was ended)
    DWORD exitCode = static_cast<DWORD>(-1);
    std::vector<ShownMessage> messages; // the boxes it showed, all dismissed
};

// Starts `program` with `args` (the command line is the quoted program and
// `args`) in `folder` and waits for it to end.
ProcessRun RunProgram(const std::wstring &program, const std::wstring &args,
                      const std::wstring &folder, DWORD timeoutMs = 120000);
// Runs the system's regsvr32 silently on `library` (with /u: unregisters)
// and waits for it; its exit code. Starts no thread in this process.
DWORD Regsvr32(const std::wstring &library, bool unregister = false);
// Waits for a started process; takes ownership of `process`.
ProcessRun WaitForProgram(HANDLE process, DWORD timeoutMs = 120000);

// A program left running while a test drives its windows; ended at
// destruction if it still runs.
class CRunningProgram
{
  public:
    CRunningProgram() = default;
    ~CRunningProgram();
    CRunningProgram(const CRunningProgram &) = delete;
    CRunningProgram &operator=(const CRunningProgram &) = delete;

    // Starts `program` with `args` in `folder`; one started before is ended.
    bool Start(const std::wstring &program, const std::wstring &args, const std::wstring &folder);
    bool WaitForExit(DWORD timeoutMs) const;
    DWORD Id() const { return m_process.dwProcessId; }

  private:
    void End();
    PROCESS_INFORMATION m_process{};
};

// The trace log of the launchers and the library (key
// "Software\Veltrac\Ferrovane" in HKCU): LogLevel and LogFile set while it
// lives, then put back as they were.
class CLauncherTrace
{
  public:
    explicit CLauncherTrace(const std::wstring &logPath, DWORD level = 3);
    const std::wstring &Path() const { return m_path; }
    void Clear() const;
    Lines Read() const { return ReadLines(m_path); }
    std::string Text() const { return ReadText(m_path); }

  private:
    CSavedValue m_level;
    CSavedValue m_file;
    std::wstring m_path;
};
