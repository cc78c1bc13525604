// The new-command and edit flows. Each traces its landmark line with what
// it was handed; the wizard and the property sheet follow with the editor.
// A missing file is reported before an edit.
#define TRACE_SOURCE "Taskel\\TaskelClass"
#include "TaskelFlows.h"

#include "Trace.h"

void NewCommandFlow(HWND, const std::wstring &path, const ParamList &params)
{
    if (IsTraceEnabled(1))
        Trace(1, L"NewCommand [%s] [%s]", path.c_str(), JoinParams(params).c_str());
}

void EditCommandFlow(HWND owner, const std::wstring &path, const ParamList &params)
{
    if (IsTraceEnabled(1))
        Trace(1, L"EditCommand [%s] [%s]", path.c_str(), JoinParams(params).c_str());
    CheckCommandFileExists(owner, path);
}
