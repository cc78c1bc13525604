// COptionBoxGroup: the boxes in and out of the page, and their hints.
#include "OptionBoxGroup.h"

#include "DialogControls.h"
#include "TaskelClass.h"
#include "resource.h"

COptionBoxGroup::~COptionBoxGroup()
{
    DropBrushes();
}

bool COptionBoxGroup::Attach(HWND page)
{
    m_page = ::GetDlgItem(page, IDC_OPT_PROGRESS) ? page : nullptr;
    return m_page != nullptr;
}

void COptionBoxGroup::Detach()
{
    m_page = nullptr;
    DropBrushes();
}

void COptionBoxGroup::Show(const CTaskel *command)
{
    if (!m_page) return;
    m_mask = command ? command->GetOptionMask() : 0;
    m_shown = ShowOptionBoxes(command != nullptr, command ? command->GetAction() : 0, m_mask,
                              command ? command->GetOptions() : 0);
    for (const OptionBoxState &box : m_shown)
    {
        CButton button(m_page, box.id);
        if (!button) continue;
        button.SetCheck(box.checked);
        button.Enable(box.enabled);
        button.Show(box.visible);
    }
    for (int id : {IDC_OPT_ERRORS, IDC_OPT_CONFIRM})
        ::InvalidateRect(::GetDlgItem(m_page, id), nullptr, TRUE);
}

OptionBoxes COptionBoxGroup::Ticked() const
{
    OptionBoxes boxes = m_shown;
    for (OptionBoxState &box : boxes)
        box.checked = CButton(m_page, box.id).IsChecked();
    return boxes;
}

uint32_t COptionBoxGroup::Stored(uint32_t options) const
{
    return m_page ? StoreOptionBoxes(Ticked(), options) : options;
}

void COptionBoxGroup::RedrawHints() const
{
    if (!m_page) return;
    for (int id : {IDC_OPT_ERRORS, IDC_OPT_CONFIRM, IDC_OPT_PROGRESS, IDC_OPT_FILE_PROGRESS})
        ::InvalidateRect(::GetDlgItem(m_page, id), nullptr, TRUE);
}

HBRUSH COptionBoxGroup::HintBrush(HDC dc, HWND control)
{
    const int id = ::GetDlgCtrlID(control);
    if (!m_page || OptionBoxIndex(id) < 0) return nullptr;
    switch (OptionBoxHint(id, Ticked(), m_mask))
    {
    case OptionHint::Shadow:
        // Greyed caption on the dialog's face: the runner passes it over.
        if (!m_shadowBrush) m_shadowBrush = ::CreateSolidBrush(::GetSysColor(COLOR_BTNFACE));
        ::SetTextColor(dc, ::GetSysColor(COLOR_BTNSHADOW));
        ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
        return m_shadowBrush;
    case OptionHint::Light:
        if (!m_lightBrush) m_lightBrush = ::CreateSolidBrush(::GetSysColor(COLOR_3DLIGHT));
        ::SetBkColor(dc, ::GetSysColor(COLOR_3DLIGHT));
        return m_lightBrush;
    case OptionHint::None:
    default:
        return nullptr;
    }
}

void COptionBoxGroup::DropBrushes()
{
    if (m_shadowBrush) ::DeleteObject(m_shadowBrush);
    if (m_lightBrush) ::DeleteObject(m_lightBrush);
    m_shadowBrush = m_lightBrush = nullptr;
}
