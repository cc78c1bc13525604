// The library-wide verbose trace levels, set by the run switches and read by
// the engine and the runner.
#include "TaskelTraceLevels.h"

namespace
{
VerboseTraceLevels g_verboseLevels;
}

VerboseTraceLevels GetVerboseTraceLevels()
{
    return g_verboseLevels;
}

void SetVerboseTraceLevels(const VerboseTraceLevels &levels)
{
    g_verboseLevels = levels;
}

DWORD ExpansionTraceLevel()
{
    return g_verboseLevels.expansion;
}

DWORD OperationTraceLevel()
{
    return g_verboseLevels.operation;
}
