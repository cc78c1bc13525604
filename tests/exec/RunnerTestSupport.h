// Helpers of the runner tests: a seam that records every request sent to
// the shell and answers it, and short forms for commands.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <string>
#include <vector>

#include "EngineTestSupport.h"
#include "TaskelExecRun.h"
#include "TaskelOptions.h"

struct SentRequest
{
    UINT func;
    std::vector<std::wstring> from;
    std::vector<std::wstring> to;
    FILEOP_FLAGS flags;
};

// Installs the recording seam (and a notify seam that always succeeds)
// while it lives.
class CRecordingShell
{
  public:
    CRecordingShell();
    ~CRecordingShell();
    // Answers each request; the default succeeds. It may set
    // fAnyOperationsAborted or hNameMappings.
    std::function<int(SHFILEOPSTRUCTW &request, size_t index)> answer;
    std::vector<SentRequest> requests;
    int freedMappings = 0;
};

// A command of `action` with the sources and target given.
ExecCommand Command(DWORD action, DWORD options, const std::vector<std::wstring> &sources,
                    const std::wstring &target = std::wstring());

// Options that keep a run quiet and free of the tray icon.
constexpr DWORD QUIET = OPT_X_NO_ANIMATION;
