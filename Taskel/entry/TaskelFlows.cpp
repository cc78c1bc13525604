// The new-command and edit flows. Each traces its landmark line with what
// it was handed. The edit flow reports a missing file, loads the command
// through the command page (a damaged file is reported and no sheet
// appears), and shows the sheet with the command page and the Preferences
// page; the wizard follows with the new-command issue.
#define TRACE_SOURCE "Taskel\\TaskelClass"
#include "TaskelFlows.h"

#include "CommandPage.h"
#include "FxException.h"
#include "PropertySheetExEx.h"
#include "TaskelCommandFile.h"
#include "TaskelMessage.h"
#include "TaskelPreferences.h"
#include "Trace.h"
#include "resource.h"

#include <shlwapi.h>

namespace
{
// Source lines the edit flow's exception traces name.
enum : int
{
    EDIT_LINE_SHOW = 600,
    EDIT_LINE_LOAD = 613,
    EDIT_LINE_OTHER = 618,
};

void ShowFailure(HWND owner, const fx::CException &failure, int line)
{
    TraceException(2, failure, TRACE_SOURCE, line);
    ShowTaskelMessage(owner, 0, failure.MessageText());
}
} // namespace

std::wstring EditSheetCaption(const std::wstring &path)
{
    std::wstring name = ::PathFindFileNameW(path.c_str());
    const size_t dot = name.find_last_of(L'.');
    if (dot != std::wstring::npos && dot > 0) name.erase(dot);
    return name + L" - " + LoadTaskelString(IDS_APP_TITLE);
}

void NewCommandFlow(HWND, const std::wstring &path, const ParamList &params)
{
    if (IsTraceEnabled(1))
        Trace(1, L"NewCommand [%s] [%s]", path.c_str(), JoinParams(params).c_str());
}

void EditCommandFlow(HWND owner, const std::wstring &path, const ParamList &params)
{
    try
    {
        if (IsTraceEnabled(1))
            Trace(1, L"EditCommand [%s] [%s]", path.c_str(), JoinParams(params).c_str());
        if (!CheckCommandFileExists(owner, path)) return;

        CPropertySheetExEx sheet(EditSheetCaption(path), owner);
        fx::ComPtr<IDispatch> created;
        CTaskel *command = nullptr;
        fx::COleException::ThrowIfFailed(CreateCommandObject(created, command));
        std::unique_ptr<CPropertyPageExEx> commandPage;
        const HRESULT hr = CreateCommandPage(path, *command, false, commandPage);
        if (FAILED(hr) || !commandPage)
        {
            ShowFailure(owner, fx::COleException(FAILED(hr) ? hr : E_FAIL), EDIT_LINE_LOAD);
            return;
        }
        CTaskelPreferences preferences;
        sheet.AddPage(*commandPage);
        sheet.AddPage(preferences);
        try
        {
            Trace(0x1002, L"Show PropSheet");
            const INT_PTR result = sheet.DoModal();
            Trace(0x1002, L"PropSheet Result [%d]", static_cast<int>(result));
        }
        catch (const fx::CException &e)
        {
            ShowFailure(owner, e, EDIT_LINE_SHOW);
        }
        catch (...)
        {
            Trace(2, L"*** Exception *** at %hs %d", TRACE_SOURCE, EDIT_LINE_SHOW);
        }
    }
    catch (const fx::CException &e)
    {
        TraceException(4, e, TRACE_SOURCE, EDIT_LINE_OTHER);
    }
    catch (...)
    {
        Trace(2, L"*** Exception *** at %hs %d", TRACE_SOURCE, EDIT_LINE_OTHER);
    }
}
