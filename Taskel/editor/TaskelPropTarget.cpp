// The target pages' shared part: base folder, profile key, buttons and
// header texts.
#include "TaskelPropTarget.h"

#include "AccessibleName.h"
#include "ShellDisplayPrefs.h"
#include "TaskelExecPath.h"
#include "WizardButtons.h"
#include "resource.h"

#include <oleacc.h>

CTaskelPropTarget::CTaskelPropTarget(UINT templateId, IWizardSteps &steps)
    : CPropertyPageExEx(templateId), m_steps(steps)
{
}

std::wstring CTaskelPropTarget::BaseFolder() const
{
    const std::wstring folder = m_steps.Folder();
    return folder.empty() ? CurrentFolder() : execpath::AddBackslash(folder);
}

std::wstring CTaskelPropTarget::CurrentFolder()
{
    wchar_t current[MAX_PATH] = {};
    const DWORD length = ::GetCurrentDirectoryW(MAX_PATH, current);
    if (!length || length >= MAX_PATH) return std::wstring();
    return execpath::AddBackslash(current);
}

std::wstring CTaskelPropTarget::ProfileKey()
{
    return g_traceProfile.registryKey;
}

bool CTaskelPropTarget::ShowsHiddenEntries()
{
    return GetShellDisplayPrefs().showHiddenFolders;
}

void CTaskelPropTarget::UpdateButtons()
{
    if (!Sheet()) return;
    DWORD buttons = PSWIZB_BACK;
    if (m_steps.CanGoNext(*this)) buttons |= PSWIZB_NEXT;
    buttons |= m_steps.CanFinish(*this) ? PSWIZB_FINISH : PSWIZB_DISABLEDFINISH;
    // Enter means Next here, never Finish or "Another".
    fx::SetWizardButtons(Sheet(), buttons, false);
}

void CTaskelPropTarget::Activated()
{
    // The texts the state leaves alone stay the page's own.
    std::wstring title = HeaderTitle();
    std::wstring subtitle = HeaderSubtitle();
    m_steps.PageActivated(*this, title, subtitle);
    UpdateButtons();
}

void CTaskelPropTarget::NameControls()
{
    struct Name
    {
        int id;
        const wchar_t *name;
        DWORD role;
    };
    static const Name names[] = {
        {IDC_TARGET_FOLDER_NAME, L"Folder Name", ROLE_SYSTEM_STATICTEXT},
        {IDC_TARGET_TREE, L"Folders", 0},
        {IDC_TARGET_FILE_NAME, L"File Name", 0},
        {IDC_TARGET_NEW_NAME, L"New File Name", 0},
        {IDC_TARGET_TYPE, L"File Type", 0},
    };
    for (const Name &name : names)
        if (HWND control = Item(name.id)) SetAccessibleName(control, name.name, name.role);
}
