#include "Trace.h"
BOOL IsTraceEnabled(DWORD) { return FALSE; }
