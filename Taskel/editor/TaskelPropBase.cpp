// CTaskelPropBase: set-up, activation, the action group, the option boxes
// and the dispatch of the page's messages to the list and drawing code.
#define TRACE_SOURCE "Taskel\\TaskelPropBase"
#include "TaskelPropBase.h"

#include <commctrl.h>
#include <windowsx.h>

#include "DialogControls.h"
#include "ShellDisplayPrefs.h"
#include "ShellFolderCache.h"
#include "TaskelActionGroup.h"
#include "TaskelClass.h"
#include "FxException.h"
#include "Trace.h"
#include "resource.h"

void CTaskelRef::Reset(CTaskel *command)
{
    if (command) command->ExternalAddRef();
    if (m_command) m_command->ExternalRelease();
    m_command = command;
}

CTaskelPropBase::CTaskelPropBase(UINT templateId, HINSTANCE resources)
    : CPropertyPageExEx(templateId, resources)
{
}

CTaskelPropBase::~CTaskelPropBase()
{
    if (m_boldFont) ::DeleteObject(m_boldFont);
    if (m_shadowBrush) ::DeleteObject(m_shadowBrush);
    if (m_lightBrush) ::DeleteObject(m_lightBrush);
}

void CTaskelPropBase::SetDocument(CTaskel *command)
{
    m_document.Reset(command);
}

void CTaskelPropBase::SetCommandFolder(const std::wstring &folder)
{
    m_folder = folder;
    if (!m_folder.empty() && m_folder.back() != L'\\') m_folder += L'\\';
}

bool CTaskelPropBase::DescriptionView() const
{
    return GetShellDisplayPrefs().showDescriptions;
}

bool CTaskelPropBase::OnInitDialog()
{
    HWND page = Window();
    for (int id : {IDC_SOURCE_LIST, IDC_TARGET_LIST})
    {
        HWND list = Item(id);
        if (!list) continue;
        ListView_SetExtendedListViewStyleEx(list, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
        RECT client{};
        ::GetClientRect(list, &client);
        LVCOLUMNW column{};
        column.mask = LVCF_WIDTH | LVCF_FMT;
        column.fmt = LVCFMT_LEFT;
        column.cx = client.right - ::GetSystemMetrics(SM_CXVSCROLL);
        ::SendMessageW(list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
    }
    for (int id :
         {IDC_SOURCE_LIST, IDC_TARGET_LIST, IDC_SOURCE_DESCRIPTIONS, IDC_TARGET_DESCRIPTIONS})
        if (HWND list = Item(id))
            ::SetWindowSubclass(list, TaskelListSubclass, 1, reinterpret_cast<DWORD_PTR>(this));
    for (int id : {IDC_MOVE_UP, IDC_MOVE_DOWN})
        if (HWND button = Item(id))
            ::SetWindowSubclass(button, TaskelButtonSubclass, 1, reinterpret_cast<DWORD_PTR>(this));

    // Descriptions draw with the dialog font and a bold variant of it.
    HFONT font = reinterpret_cast<HFONT>(::SendMessageW(page, WM_GETFONT, 0, 0));
    LOGFONTW lf{};
    if (font && ::GetObjectW(font, sizeof(lf), &lf))
    {
        lf.lfWeight = FW_BOLD;
        m_boldFont = ::CreateFontIndirectW(&lf);
    }
    HDC dc = ::GetDC(page);
    HGDIOBJ old = ::SelectObject(dc, font ? font : ::GetStockObject(DEFAULT_GUI_FONT));
    TEXTMETRICW tm{};
    ::GetTextMetricsW(dc, &tm);
    ::SelectObject(dc, old);
    ::ReleaseDC(page, dc);
    for (int id : {IDC_SOURCE_DESCRIPTIONS, IDC_TARGET_DESCRIPTIONS})
        ::SendMessageW(Item(id), LB_SETITEMHEIGHT, 0, tm.tmHeight + 2);

    if (!m_layoutTaken)
    {
        auto take = [&](int id, RECT &r) {
            ::GetWindowRect(Item(id), &r);
            ::MapWindowPoints(nullptr, page, reinterpret_cast<POINT *>(&r), 2);
        };
        take(IDC_SOURCE_LIST, m_sourceRect);
        take(IDC_TARGET_LIST, m_targetRect);
        m_layoutTaken = true;
    }
    ShowView();
    return true;
}

void CTaskelPropBase::OnDestroy()
{
    for (int id :
         {IDC_SOURCE_LIST, IDC_TARGET_LIST, IDC_SOURCE_DESCRIPTIONS, IDC_TARGET_DESCRIPTIONS})
        if (HWND list = Item(id)) ::RemoveWindowSubclass(list, TaskelListSubclass, 1);
    for (int id : {IDC_MOVE_UP, IDC_MOVE_DOWN})
        if (HWND button = Item(id)) ::RemoveWindowSubclass(button, TaskelButtonSubclass, 1);
}

void CTaskelPropBase::ShowView()
{
    const bool descriptions = DescriptionView();
    for (int id : {IDC_SOURCE_LIST, IDC_SOURCE_LABEL})
        CControl(Window(), id).Show(!descriptions);
    for (int id : {IDC_SOURCE_DESCRIPTIONS, IDC_SOURCE_DESC_LABEL})
        CControl(Window(), id).Show(descriptions);
}

bool CTaskelPropBase::OnSetActive()
{
    try
    {
        ShowView();
        UpdateOptionControls();
        return true;
    }
    TRACE_CATCH_ALL(4)
    return true;
}

bool CTaskelPropBase::OnApply()
{
    return true;
}

void CTaskelPropBase::UpdateActionControls()
{
    const uint32_t action = m_document ? m_document->GetAction() : 0;
    ActionGroupState state = ActionGroupFor(action);
    for (int id : {IDC_ACTION_MOVE, IDC_ACTION_COPY, IDC_ACTION_RENAME, IDC_ACTION_DELETE})
        CButton(Window(), id).SetCheck(state.checkedRadio == id);
    auto apply = [&](int id, const RenameBoxState &box) {
        CButton button(Window(), id);
        button.SetCheck(box.checked);
        button.Enable(box.enabled);
        button.Show(box.visible);
    };
    apply(IDC_ACTION_MOVERENAME, state.moveRename);
    apply(IDC_ACTION_COPYRENAME, state.copyRename);
    ::RedrawWindow(Window(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
}

void CTaskelPropBase::ChangeAction(uint32_t editorAction, bool refresh)
{
    if (m_locked || !m_document || m_document->GetAction() == editorAction) return;
    m_document->SetAction(editorAction);
    SetModified(true);
    UpdateActionControls();
    if (refresh)
    {
        UpdateOptionControls();
        FillSources();
        FillTarget();
    }
}

void CTaskelPropBase::OnActionClick(WORD id)
{
    if (m_locked || !m_document)
    {
        ::MessageBeep(MB_OK);
        UpdateActionControls();
        return;
    }
    const uint32_t action = m_document->GetAction();
    const bool boxChecked = CButton(Window(), id).IsChecked();
    const uint32_t next = ActionForClick(id, action, boxChecked);
    ChangeAction(next, true);
    if (id == IDC_ACTION_MOVE || id == IDC_ACTION_COPY) ::SetFocus(Item(id));
}

void CTaskelPropBase::UpdateOptionControls()
{
    CTaskel *command = m_document.Get();
    m_mask = command ? command->GetOptionMask() : 0;
    m_shown = ShowOptionBoxes(command != nullptr, command ? command->GetAction() : 0, m_mask,
                              command ? command->GetOptions() : 0);
    for (const OptionBoxState &box : m_shown)
    {
        CButton button(Window(), box.id);
        if (!button) continue;
        button.SetCheck(box.checked);
        button.Enable(box.enabled);
        button.Show(box.visible);
    }
    for (int id : {IDC_OPT_ERRORS, IDC_OPT_CONFIRM})
        ::InvalidateRect(Item(id), nullptr, TRUE);
}

void CTaskelPropBase::ReadOptionBoxes(OptionBoxes &boxes) const
{
    boxes = m_shown;
    for (OptionBoxState &box : boxes)
        box.checked = CButton(Window(), box.id).IsChecked();
}

void CTaskelPropBase::StoreOptions()
{
    if (!m_document) return;
    OptionBoxes boxes{};
    ReadOptionBoxes(boxes);
    const uint32_t options = StoreOptionBoxes(boxes, m_document->GetOptions());
    if (options != m_document->GetOptions())
    {
        m_document->SetOptions(options);
        SetModified(true);
    }
}

void CTaskelPropBase::OnOptionClick(WORD id)
{
    if (m_locked || !m_document)
    {
        UpdateOptionControls();
        ::MessageBeep(MB_OK);
        return;
    }
    StoreOptions();
    UpdateOptionControls();
    if (id == IDC_OPT_IGNORE_ERRORS)
        for (int other : {IDC_OPT_ERRORS, IDC_OPT_CONFIRM, IDC_OPT_PROGRESS, IDC_OPT_FILE_PROGRESS})
            ::InvalidateRect(Item(other), nullptr, TRUE);
}

bool CTaskelPropBase::OnCommand(WORD code, WORD id, HWND control)
{
    try
    {
        if (IsActionControl(id))
        {
            if (code == BN_CLICKED) OnActionClick(id);
            return true;
        }
        if (OptionBoxIndex(id) >= 0)
        {
            if (code == BN_CLICKED) OnOptionClick(id);
            return true;
        }
        switch (id)
        {
        case IDC_MOVE_UP:
        case IDC_MOVE_DOWN:
            if (code == BN_CLICKED)
            {
                if (m_locked)
                    ::MessageBeep(MB_OK);
                else if (id == IDC_MOVE_UP)
                    MoveUp();
                else
                    MoveDown();
            }
            return true;
        case IDC_SOURCE_DESCRIPTIONS:
        case IDC_TARGET_DESCRIPTIONS:
            if (code == LBN_DBLCLK)
                EditWithDialog(control,
                               static_cast<int>(::SendMessageW(control, LB_GETCURSEL, 0, 0)));
            else if (code == LBN_SELCHANGE)
                ScheduleButtonRefresh();
            return true;
        default:
            break;
        }
    }
    TRACE_CATCH_ALL(4)
    return CPropertyPageExEx::OnCommand(code, id, control);
}

bool CTaskelPropBase::OnNotify(UINT_PTR id, NMHDR *header, LRESULT &result)
{
    if (id != IDC_SOURCE_LIST && id != IDC_TARGET_LIST)
        return CPropertyPageExEx::OnNotify(id, header, result);
    try
    {
        switch (header->code)
        {
        case LVN_BEGINLABELEDITW: {
            auto *info = reinterpret_cast<NMLVDISPINFOW *>(header);
            result = m_locked ? TRUE : FALSE;
            if (m_locked)
                ::MessageBeep(MB_OK);
            else if (HWND edit = ListView_GetEditControl(header->hwndFrom))
                ::SetWindowTextW(edit, SelectedEntry(header->hwndFrom).c_str());
            (void)info;
            return true;
        }
        case LVN_ENDLABELEDITW: {
            auto *info = reinterpret_cast<NMLVDISPINFOW *>(header);
            result = FALSE;
            if (info->item.pszText)
                EndLabelEdit(header->hwndFrom, info->item.iItem, info->item.pszText);
            return true;
        }
        case NM_DBLCLK:
        case NM_RETURN: {
            int row = ListView_GetNextItem(header->hwndFrom, -1, LVNI_SELECTED);
            EditWithDialog(header->hwndFrom, row);
            result = 0;
            return true;
        }
        case LVN_ITEMCHANGED: {
            auto *change = reinterpret_cast<NMLISTVIEW *>(header);
            if ((change->uChanged & LVIF_STATE) &&
                ((change->uNewState ^ change->uOldState) & LVIS_SELECTED))
                ScheduleButtonRefresh();
            return true;
        }
        default:
            break;
        }
    }
    TRACE_CATCH_ALL(4)
    return CPropertyPageExEx::OnNotify(id, header, result);
}

bool CTaskelPropBase::OnTimer(UINT_PTR id)
{
    try
    {
        switch (id)
        {
        case TIMER_BUTTONS:
            ::KillTimer(Window(), TIMER_BUTTONS);
            UpdateMoveButtons();
            return true;
        case TIMER_REPEAT_UP:
            if (!MoveUp()) StopRepeat(TIMER_REPEAT_UP);
            return true;
        case TIMER_REPEAT_DOWN:
            if (!MoveDown()) StopRepeat(TIMER_REPEAT_DOWN);
            return true;
        case TIMER_FILL:
            if (HWND control = Item(IDC_SOURCE_DESCRIPTIONS); control && DescriptionView())
            {
                const bool ready = ::IsWindowVisible(Sheet()) && (m_listDrawn || ++m_fillWaits > 20);
                if (ready && !m_namesRequested) RequestSourceNames();
                FillSourceRows(control, ready ? INT_MAX : 0, kFillStepMs);
            }
            else
                ::KillTimer(Window(), TIMER_FILL);
            return true;
        default:
            break;
        }
    }
    TRACE_CATCH_ALL(4)
    return CPropertyPageExEx::OnTimer(id);
}

bool CTaskelPropBase::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT &result)
{
    try
    {
        switch (message)
        {
        case WM_DRAWITEM: {
            auto *item = reinterpret_cast<DRAWITEMSTRUCT *>(lParam);
            if (item->CtlType == ODT_LISTBOX)
                DrawListItem(*item);
            else if (item->CtlType == ODT_BUTTON)
                DrawMoveButton(*item);
            else
                break;
            result = TRUE;
            return true;
        }
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            if (HBRUSH brush =
                    OptionColour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam)))
            {
                result = reinterpret_cast<LRESULT>(brush);
                return true;
            }
            break;
        case WM_SYSCOLORCHANGE:
            if (m_shadowBrush) ::DeleteObject(m_shadowBrush);
            if (m_lightBrush) ::DeleteObject(m_lightBrush);
            m_shadowBrush = m_lightBrush = nullptr;
            break;
        default:
            break;
        }
    }
    TRACE_CATCH_ALL(4)
    return CPropertyPageExEx::OnMessage(message, wParam, lParam, result);
}
