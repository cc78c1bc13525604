// The flow tests' trace profile and OLE apartment.
#include "FlowTestSupport.h"

#include "TestOle.h"
#include "Trace.h"

TraceProfile g_traceProfile = {L"Software\\Veltrac\\FerrovaneFlowTest", L"FerrovaneFlowTest.log",
                               false, false};

namespace
{
testing::Environment *const g_ole = testing::AddGlobalTestEnvironment(new OleEnvironment);
}
