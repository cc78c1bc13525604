// The shell tests' trace profile.
#include "ShellTestSupport.h"

#include "Trace.h"

// The handlers start the log themselves; in the tests it reads a key of its own.
TraceProfile g_traceProfile = {L"Software\\Veltrac\\FerrovaneShellTest", L"FerrovaneShellTest.log",
                               false, false};
