// CEntryEditing: in-place and dialog editing, and the lists' keys.
#define TRACE_SOURCE "Taskel\\TaskelPropBase"
#include "EntryEditing.h"

#include "CommandBody.h"
#include "EntryCommands.h"
#include "EntryList.h"
#include "PathDialog.h"
#include "SubclassProc.h"
#include "TaskelClass.h"
#include "TaskelEntryText.h"
#include "TaskelListRules.h"
#include "TaskelStrings.h"
#include "Trace.h"
#include "resource.h"

CEntryEditing::CEntryEditing(ICommandBody &body, CEntryList &sources, CEntryList &target,
                             CEntryCommands &commands)
    : m_body(body), m_sources(sources), m_target(target), m_commands(commands)
{
}

void CEntryEditing::Attach(HWND page)
{
    Detach();
    m_page = page;
    for (CEntryList *list : {&m_sources, &m_target})
        if (list->IsAttached())
            for (HWND control : {list->Specifications().Window(), list->Descriptions().Window()})
                ::SetWindowSubclass(control, ListProc, 1, reinterpret_cast<DWORD_PTR>(this));
}

void CEntryEditing::Detach()
{
    if (!m_page) return;
    for (CEntryList *list : {&m_sources, &m_target})
        if (list->IsAttached())
            for (HWND control : {list->Specifications().Window(), list->Descriptions().Window()})
                ::RemoveWindowSubclass(control, ListProc, 1);
    m_page = nullptr;
}

LRESULT CALLBACK CEntryEditing::ListProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR id, DWORD_PTR data)
{
    auto *editing = reinterpret_cast<CEntryEditing *>(data);
    return TrappedSubclassMessage(
        window, message, wParam, lParam, ListProc, id, [&](LRESULT &result) {
            return editing->OnListMessage(window, message, wParam, lParam, result);
        });
}

bool CEntryEditing::OnListMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                  LRESULT &result)
{
    switch (message)
    {
    case WM_CUT:
    case WM_COPY:
    case WM_PASTE:
    case WM_CLEAR:
        m_commands.OnClipboardMessage(window, message);
        result = 0;
        return true;
    case WM_KEYDOWN:
        result = 0;
        return OnKey(window, static_cast<UINT>(wParam));
    case WM_GETDLGCODE:
        result = DLGC_WANTALLKEYS;
        return lParam && reinterpret_cast<MSG *>(lParam)->message == WM_KEYDOWN &&
               reinterpret_cast<MSG *>(lParam)->wParam == VK_RETURN;
    case WM_SETFOCUS:
        // The dialog manager moved the focus here: the selection stays.
        if (::GetKeyState(VK_TAB) < 0)
            Trace(4, m_sources.Owns(window) ? L"Edit FilesFrom for NextDlgCtl"
                                            : L"Edit FilesTo for NextDlgCtl");
        return false;
    default:
        return false;
    }
}

CEntryList *CEntryEditing::ListOf(HWND control) const
{
    if (m_sources.Owns(control)) return &m_sources;
    if (m_target.Owns(control)) return &m_target;
    return nullptr;
}

int CEntryEditing::SelectionOf(HWND control) const
{
    CEntryList *list = ListOf(control);
    CRowList *rows = list ? list->ListOf(control) : nullptr;
    return rows ? rows->Selection() : -1;
}

bool CEntryEditing::OnNotify(NMHDR *header, LRESULT &result)
{
    CEntryList *list = header ? ListOf(header->hwndFrom) : nullptr;
    if (!list || list->IsDescriptionList(header->hwndFrom)) return false;
    switch (header->code)
    {
    case LVN_BEGINLABELEDITW:
        result = m_body.IsLocked() ? TRUE : FALSE;
        if (m_body.IsLocked())
            ::MessageBeep(MB_OK);
        else if (HWND edit = list->Specifications().EditControl())
            ::SetWindowTextW(edit, list->SelectedEntry(header->hwndFrom).c_str());
        return true;
    case LVN_ENDLABELEDITW: {
        auto *info = reinterpret_cast<NMLVDISPINFOW *>(header);
        result = FALSE;
        if (info->item.pszText)
            EndLabelEdit(header->hwndFrom, info->item.iItem, info->item.pszText);
        return true;
    }
    case NM_DBLCLK:
    case NM_RETURN:
        EditWithDialog(header->hwndFrom, SelectionOf(header->hwndFrom));
        result = 0;
        return true;
    case LVN_ITEMCHANGED: {
        auto *change = reinterpret_cast<NMLISTVIEW *>(header);
        if ((change->uChanged & LVIF_STATE) &&
            ((change->uNewState ^ change->uOldState) & LVIS_SELECTED))
            m_commands.ScheduleButtonRefresh();
        return true;
    }
    default:
        return false;
    }
}

bool CEntryEditing::OnCommand(WORD code, HWND control)
{
    CEntryList *list = ListOf(control);
    if (!list || !list->IsDescriptionList(control)) return false;
    if (code == LBN_DBLCLK)
        EditWithDialog(control, SelectionOf(control));
    else if (code == LBN_SELCHANGE)
        m_commands.ScheduleButtonRefresh();
    return true;
}

bool CEntryEditing::OnKey(HWND control, UINT key)
{
    const bool ctrl = ::GetKeyState(VK_CONTROL) < 0;
    const bool alt = ::GetKeyState(VK_MENU) < 0;
    const bool shift = ::GetKeyState(VK_SHIFT) < 0;
    if (ctrl && !alt && !shift && m_sources.Owns(control) && (key == VK_UP || key == VK_DOWN))
    {
        if (m_body.IsLocked())
            ::MessageBeep(MB_OK);
        else if (key == VK_UP)
            m_commands.MoveUp();
        else
            m_commands.MoveDown();
        return true;
    }
    if (alt) return false;
    if (ctrl && (key == 'C' || key == 'X' || key == 'V'))
    {
        ::SendMessageW(control, key == 'C' ? WM_COPY : key == 'X' ? WM_CUT : WM_PASTE, 0, 0);
        return true;
    }
    if (!ctrl && !shift && key == VK_DELETE)
    {
        ::SendMessageW(control, WM_CLEAR, 0, 0);
        return true;
    }
    if (!ctrl && !shift && key == VK_RETURN)
    {
        EditWithDialog(control, SelectionOf(control));
        return true;
    }
    CEntryList *list = ListOf(control);
    if (!ctrl && !shift && key == VK_F2 && list && !list->IsDescriptionList(control))
    {
        const int row = SelectionOf(control);
        if (m_body.IsLocked())
            ::MessageBeep(MB_OK);
        else if (row >= 0)
            list->Specifications().EditLabel(row);
        return true;
    }
    return false;
}

void CEntryEditing::EditWithDialog(HWND control, int row)
{
    CTaskel *command = m_body.Document();
    if (m_body.IsLocked() || !command)
    {
        ::MessageBeep(MB_OK);
        return;
    }
    if (row < 0) return;
    const bool target = m_target.Owns(control);
    const ListLabels labels = LabelsForAction(command->GetAction());
    std::wstring entry;
    if (target)
        entry = command->GetTarget();
    else if (!command->GetSource(row, entry) && row > 0)
        command->GetSource(row - 1, entry);
    const std::wstring title =
        LoadTaskelString(target ? labels.targetId : labels.sourceId) + L"...";
    CPathDialog dialog(title, target ? L"ToPath" : L"FromPath", m_body.CommandFolder(), entry);
    dialog.SetBrowseText(LoadTaskelString(IDS_PATH_BROWSE));
    if (dialog.DoModal(m_page) != IDOK) return;
    if (target)
        command->SetTarget(dialog.Path());
    else
        command->SetSource(row, dialog.Path().c_str());
    m_body.MarkModified();
    m_body.RefreshAfterEdit();
    m_commands.UpdateMoveButtons();
}

bool CEntryEditing::EndLabelEdit(HWND control, int row, const wchar_t *text)
{
    CTaskel *command = m_body.Document();
    if (m_body.IsLocked() || !command)
    {
        ::MessageBeep(MB_OK);
        return false;
    }
    const bool target = m_target.Owns(control);
    std::wstring stored;
    const bool isNew = target ? false : !command->GetSource(row, stored);
    if (target) stored = command->GetTarget();
    const LabelEditResult decision =
        DecideLabelEdit(text, stored, isNew, EntryAccepted(text, m_body.CommandFolder()));
    switch (decision)
    {
    case LabelEditResult::Unchanged:
        return false;
    case LabelEditResult::Refuse:
        ::MessageBeep(MB_OK);
        return false;
    case LabelEditResult::Store:
    case LabelEditResult::Remove: {
        const std::wstring value =
            decision == LabelEditResult::Store ? TrimSpec(text) : std::wstring();
        if (target)
            command->SetTarget(value);
        else
            command->SetSource(row, value.c_str());
        m_body.MarkModified();
        m_body.RefreshAfterEdit();
        return true;
    }
    }
    return false;
}
