// The document tests' trace profile and OLE apartment.
#include "DocumentTestSupport.h"

#include "TestOle.h"
#include "Trace.h"

TraceProfile g_traceProfile = {L"Software\\Veltrac\\FerrovaneTest", L"FerrovaneTest.log", false,
                               false};

namespace
{
testing::Environment *const g_ole = testing::AddGlobalTestEnvironment(new OleEnvironment);
}
