// The run, new-command and edit flows. For now each traces its landmark line
// with what it was handed; opening, running, the wizard and the sheet follow
// with the command object.
#define TRACE_SOURCE "Taskel\\TaskelClass"
#include "TaskelFlows.h"

#include "Trace.h"

void RunCommandFlow(HWND, const std::wstring &path, const SwitchSet &switches)
{
    if (!IsTraceEnabled(1)) return;
    Trace(1, L">>> Run [%s]", path.c_str());
    if (!switches.empty()) Trace(1, L"        [%s]", JoinParams(switches).c_str());
}

void NewCommandFlow(HWND, const std::wstring &path, const ParamList &params)
{
    if (IsTraceEnabled(1))
        Trace(1, L"NewCommand [%s] [%s]", path.c_str(), JoinParams(params).c_str());
}

void EditCommandFlow(HWND, const std::wstring &path, const ParamList &params)
{
    if (IsTraceEnabled(1))
        Trace(1, L"EditCommand [%s] [%s]", path.c_str(), JoinParams(params).c_str());
}
