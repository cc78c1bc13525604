// The run's own trace log: "/l", "/l+", "/l-" and "/lf<path>" in a run's
// switch set decide, before each command file, whether the trace log stops,
// goes on unchanged or starts again on another file. The decisions are plain
// functions; ApplyRunLog is the thin part that reads the trace state and
// restarts the log.
#pragma once

#include <string>

#include "TaskelParams.h"

// The level word of a run log: level 1 without identifier prefix or stamp.
constexpr DWORD RUN_LOG_LEVEL = 0x4001;

// The log file a "/lf" specification names: relative paths with a folder
// part lie below the command file's folder, bare names (and an empty
// specification) in `desktopFolder`, absolute paths where they say. A name
// without extension gets ".log"; the title "*" (or "*.*") becomes the
// command file's title, an empty title "Ferrovane".
std::wstring RunLogFileName(const std::wstring &spec, const std::wstring &commandPath,
                            const std::wstring &desktopFolder);

// A path in the form two names of one file share: full, with "." and ".."
// resolved and short (8.3) components in their long form where the file
// exists. The real one asks the file system; tests give their own.
using PathNormalizer = std::wstring (*)(const std::wstring &path);
std::wstring NormalizedFilePath(const std::wstring &path);

// True when the log file `logFile` is the command file itself (compared as
// normalised full paths, case-insensitively): logging into it would
// overwrite or append to the command.
bool NamesCommandFile(const std::wstring &logFile, const std::wstring &commandPath,
                      PathNormalizer normalize = NormalizedFilePath);

struct RunLogPlan
{
    enum Kind
    {
        Keep,    // the trace log goes on as it is
        Stop,    // no further lines in this process
        Restart, // start again on `fileName` at RUN_LOG_LEVEL
    };
    Kind kind = Keep;
    bool truncate = false;
    bool refused = false; // the restart would have logged into the command file
    std::wstring fileName;
};

// What the switch set asks of the trace log for one command file, given the
// log's current file name and whether it is on at level 1. A restart on the
// command file itself is refused: the log goes on as it is.
RunLogPlan PlanRunLog(const SwitchSet &switches, const std::wstring &commandPath,
                      const std::wstring &currentFile, bool levelOneEnabled,
                      const std::wstring &desktopFolder,
                      PathNormalizer normalize = NormalizedFilePath);

// The user's Desktop folder as the shell records it in the registry (the
// shell's answer when the value is missing), without trailing backslash.
std::wstring DesktopFolder();

// Plans and carries out the run log for `commandPath`; traps and traces
// every exception.
void ApplyRunLog(const SwitchSet &switches, const std::wstring &commandPath);
