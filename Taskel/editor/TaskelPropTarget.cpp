// The target pages' shared part: base folder, profile key, buttons and
// header texts.
#include "TaskelPropTarget.h"

#include "TaskelExecPath.h"

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

void CTaskelPropTarget::UpdateButtons()
{
    if (!Sheet()) return;
    DWORD buttons = PSWIZB_BACK;
    if (m_steps.CanGoNext(*this)) buttons |= PSWIZB_NEXT;
    buttons |= m_steps.CanFinish(*this) ? PSWIZB_FINISH : PSWIZB_DISABLEDFINISH;
    ::SendMessageW(Sheet(), PSM_SETWIZBUTTONS, 0, static_cast<LPARAM>(buttons));
}

void CTaskelPropTarget::Activated()
{
    std::wstring title, subtitle;
    m_steps.PageActivated(*this, title, subtitle);
    UpdateButtons();
}
