// The library-wide verbose trace levels of a run: the level words of the
// expansion traces and of the per-operation traces, which "/v" raises. They
// stay as a run set them for the rest of the process.
#pragma once

#include <windows.h>

enum : DWORD
{
    EXPANSION_TRACE_DEFAULT = 0x8003,
    OPERATION_TRACE_DEFAULT = 0x8004,
    VERBOSE_TRACE_RAISED = 0x8001,
};
struct VerboseTraceLevels
{
    DWORD expansion = EXPANSION_TRACE_DEFAULT;
    DWORD operation = OPERATION_TRACE_DEFAULT;
};

VerboseTraceLevels GetVerboseTraceLevels();
void SetVerboseTraceLevels(const VerboseTraceLevels &levels);
DWORD ExpansionTraceLevel();
DWORD OperationTraceLevel();
