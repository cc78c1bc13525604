// What a run of a command would send to the shell's file operation: every
// request as the shell would receive it, the specifications that match
// nothing, the entries left out and why, and the target folders the run
// would create first. The procedures that run a command find it with the
// send step replaced by recording, so a preview shows what a run sends.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "TaskelExecRules.h"

// Why an entry of a command is left out of the requests.
enum class LeftOutReason
{
    TooLong,         // the path would pass the 260-character limit
    Unresolved,      // no base folder or no sound path for a relative entry
    NoTarget,        // the command's target cannot be used, or the entry has none
    DuplicateTarget, // an earlier entry already goes to the same target
    UnsafeRename,    // the rename part would take the file out of its folder
    TooDeep,         // nested deeper than any real tree
    ListsDiffer,     // the shell would pair sources and targets wrongly
};

struct PlannedRequest
{
    UINT func;          // FO_MOVE, FO_COPY, FO_DELETE or FO_RENAME, as sent
    FILEOP_FLAGS flags; // as sent
    StringArray from;
    StringArray to; // one per source, one for all, or none
};

struct LeftOutEntry
{
    std::wstring entry;
    LeftOutReason reason;
};

struct ExecPlan
{
    std::vector<PlannedRequest> requests;
    StringArray missing; // specifications that matched nothing
    std::vector<LeftOutEntry> leftOut;
    StringArray madeFolders; // target folders created before the requests
    bool done = false;       // what the run would report (something to do, nothing failed)
    bool cancelled = false;  // the plan stopped at `cancel`: it is incomplete

    // Set by the maker of the plan: a flag that stops the plan at the next
    // entry looked at, and a call after every request recorded.
    const std::atomic<bool> *cancel = nullptr;
    std::function<void(const ExecPlan &plan)> recorded;
    // Optional: a call with the entries the expansion found since the last
    // call, so that a long expansion can be shown before its request is
    // recorded. Entries are gathered up to FOUND_BATCH of them, or for at
    // most FOUND_WAIT_MS while the expansion goes on; those not handed over
    // when a request is recorded are dropped (the request's rows stand for
    // them). What is handed over is no part of the plan: the request's
    // sources are its own list, in the order the shell receives them.
    std::function<void(const StringArray &entries)> found;
    static constexpr size_t FOUND_BATCH = 512;
    static constexpr DWORD FOUND_WAIT_MS = 50;
};

// Thrown inside the procedures when `cancel` is set; the procedure that
// makes the plan catches it.
struct PlanCancelled
{
};
