// CActionGroup: the group's controls in and out of the page.
#include "ActionGroup.h"

#include "DialogControls.h"
#include "TaskelActionGroup.h"
#include "TaskelOptions.h"
#include "resource.h"

bool CActionGroup::Attach(HWND page)
{
    m_page = ::GetDlgItem(page, IDC_ACTION_MOVE) ? page : nullptr;
    return m_page != nullptr;
}

void CActionGroup::Show(uint32_t editorAction) const
{
    if (!m_page) return;
    const ActionGroupState state = ActionGroupFor(editorAction);
    for (int id : {IDC_ACTION_MOVE, IDC_ACTION_COPY, IDC_ACTION_RENAME, IDC_ACTION_DELETE})
        CButton(m_page, id).SetCheck(state.checkedRadio == id);
    auto apply = [&](int id, const RenameBoxState &box) {
        CButton button(m_page, id);
        button.SetCheck(box.checked);
        button.Enable(box.enabled);
        button.Show(box.visible);
    };
    apply(IDC_ACTION_MOVERENAME, state.moveRename);
    apply(IDC_ACTION_COPYRENAME, state.copyRename);
    ::RedrawWindow(m_page, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
}

uint32_t CActionGroup::ActionAfterClick(WORD id, uint32_t editorAction) const
{
    const bool boxChecked = m_page && CButton(m_page, id).IsChecked();
    return ActionForClick(id, editorAction, boxChecked);
}

void CActionGroup::KeepFocus(WORD id) const
{
    if (m_page && (id == IDC_ACTION_MOVE || id == IDC_ACTION_COPY))
        ::SetFocus(::GetDlgItem(m_page, id));
}

void CActionGroup::EnableFor(bool hasCommand, uint32_t editorAction) const
{
    if (!m_page) return;
    for (int id : {IDC_ACTION_MOVE, IDC_ACTION_COPY, IDC_ACTION_DELETE, IDC_ACTION_RENAME})
        CButton(m_page, id).Enable(hasCommand);
    CButton(m_page, IDC_ACTION_MOVERENAME)
        .Enable(hasCommand &&
                (editorAction == EDIT_ACTION_MOVE || editorAction == EDIT_ACTION_MOVERENAME));
    CButton(m_page, IDC_ACTION_COPYRENAME)
        .Enable(hasCommand &&
                (editorAction == EDIT_ACTION_COPY || editorAction == EDIT_ACTION_COPYRENAME));
}
