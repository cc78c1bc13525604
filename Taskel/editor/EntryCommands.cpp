// CEntryCommands: reordering with the repeating move buttons, the
// clipboard, deleting, and the lists' context menu.
#define TRACE_SOURCE "Taskel\\TaskelPropBase"
#include "EntryCommands.h"

#include <commctrl.h>

#include <vector>

#include "Clipboard.h"
#include "CommandBody.h"
#include "ContextHelp.h"
#include "DialogControls.h"
#include "EntryList.h"
#include "PathDialog.h"
#include "SubclassProc.h"
#include "TaskelClass.h"
#include "TaskelEntryText.h"
#include "TaskelListRules.h"
#include "TaskelStrings.h"
#include "UikitResources.h"
#include "Trace.h"
#include "resource.h"

namespace
{
enum : UINT
{
    MENU_CUT = 1,
    MENU_COPY,
    MENU_PASTE,
    MENU_DELETE,
    MENU_WHATS_THIS,
};
} // namespace

CEntryCommands::CEntryCommands(ICommandBody &body, CEntryList &sources, CEntryList &target)
    : m_body(body), m_sources(sources), m_target(target)
{
}

bool CEntryCommands::Attach(HWND page)
{
    Detach();
    HWND up = ::GetDlgItem(page, IDC_MOVE_UP);
    HWND down = ::GetDlgItem(page, IDC_MOVE_DOWN);
    if (!up || !down) return false;
    m_page = page;
    for (HWND button : {up, down})
        ::SetWindowSubclass(button, ButtonProc, 1, reinterpret_cast<DWORD_PTR>(this));
    return true;
}

void CEntryCommands::Detach()
{
    if (!m_page) return;
    for (int id : {IDC_MOVE_UP, IDC_MOVE_DOWN})
        if (HWND button = ::GetDlgItem(m_page, id)) ::RemoveWindowSubclass(button, ButtonProc, 1);
    m_page = nullptr;
}

// The move buttons repeat while held.
LRESULT CALLBACK CEntryCommands::ButtonProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                            UINT_PTR id, DWORD_PTR data)
{
    auto *commands = reinterpret_cast<CEntryCommands *>(data);
    return TrappedSubclassMessage(window, message, wParam, lParam, ButtonProc, id, [&](LRESULT &) {
        const UINT_PTR timer =
            ::GetDlgCtrlID(window) == IDC_MOVE_UP ? TIMER_REPEAT_UP : TIMER_REPEAT_DOWN;
        switch (message)
        {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            if (::IsWindowEnabled(window)) commands->StartRepeat(timer);
            break;
        case WM_LBUTTONUP:
        case WM_CAPTURECHANGED:
        case WM_CANCELMODE:
            commands->StopRepeat(timer);
            break;
        default:
            break;
        }
        return false;
    });
}

bool CEntryCommands::IsMoveButton(int id)
{
    return id == IDC_MOVE_UP || id == IDC_MOVE_DOWN;
}

void CEntryCommands::OnMoveButton(WORD id)
{
    if (m_body.IsLocked())
        ::MessageBeep(MB_OK);
    else if (id == IDC_MOVE_UP)
        MoveUp();
    else
        MoveDown();
}

bool CEntryCommands::OnTimer(UINT_PTR id)
{
    switch (id)
    {
    case TIMER_BUTTONS:
        if (m_page) ::KillTimer(m_page, TIMER_BUTTONS);
        UpdateMoveButtons();
        return true;
    case TIMER_REPEAT_UP:
        if (!MoveUp()) StopRepeat(TIMER_REPEAT_UP);
        return true;
    case TIMER_REPEAT_DOWN:
        if (!MoveDown()) StopRepeat(TIMER_REPEAT_DOWN);
        return true;
    default:
        return false;
    }
}

void CEntryCommands::ScheduleButtonRefresh()
{
    if (m_page) ::SetTimer(m_page, TIMER_BUTTONS, 100, nullptr);
}

void CEntryCommands::UpdateMoveButtons()
{
    if (!m_page) return;
    CTaskel *command = m_body.Document();
    const size_t count = command ? command->GetSourceCount() : 0;
    const int row = m_sources.Selection();
    const bool up = !m_body.IsLocked() && CanMoveUp(row, count);
    const bool down = !m_body.IsLocked() && CanMoveDown(row, count);
    // A button losing its enabled state while held stops its repetition.
    if (!up) StopRepeat(TIMER_REPEAT_UP);
    if (!down) StopRepeat(TIMER_REPEAT_DOWN);
    CControl(m_page, IDC_MOVE_UP).Enable(up);
    CControl(m_page, IDC_MOVE_DOWN).Enable(down);
}

bool CEntryCommands::Swap(int row, int other)
{
    CTaskel *command = m_body.Document();
    if (!command || m_body.IsLocked()) return false;
    std::wstring a, b;
    if (!command->GetSource(row, a) || !command->GetSource(other, b)) return false;
    command->SetSource(row, b.c_str());
    command->SetSource(other, a.c_str());
    m_sources.ShowEntry(row, b);
    m_sources.ShowEntry(other, a);
    m_sources.Select(other);
    m_body.MarkModified();
    UpdateMoveButtons();
    return true;
}

bool CEntryCommands::MoveUp()
{
    CTaskel *command = m_body.Document();
    const int row = m_sources.Selection();
    if (!command || !CanMoveUp(row, command->GetSourceCount())) return false;
    return Swap(row, row - 1);
}

bool CEntryCommands::MoveDown()
{
    CTaskel *command = m_body.Document();
    const int row = m_sources.Selection();
    if (!command || !CanMoveDown(row, command->GetSourceCount())) return false;
    return Swap(row, row + 1);
}

void CEntryCommands::StartRepeat(UINT_PTR timer)
{
    const UINT delay = ::GetProfileIntW(L"windows", L"DragDelay", 200);
    if (m_page) ::SetTimer(m_page, timer, delay, nullptr);
}

void CEntryCommands::StopRepeat(UINT_PTR timer)
{
    if (m_page) ::KillTimer(m_page, timer);
}

bool CEntryCommands::DrawButton(const DRAWITEMSTRUCT &item) const
{
    if (!m_page || item.CtlType != ODT_BUTTON || !IsMoveButton(static_cast<int>(item.CtlID)))
        return false;
    UINT state = item.CtlID == IDC_MOVE_UP ? DFCS_SCROLLUP : DFCS_SCROLLDOWN;
    if (item.itemState & ODS_SELECTED) state |= DFCS_PUSHED;
    if (item.itemState & ODS_DISABLED) state |= DFCS_INACTIVE;
    RECT r = item.rcItem;
    ::DrawFrameControl(item.hDC, &r, DFC_SCROLL, state);
    if (item.itemState & ODS_FOCUS)
    {
        ::InflateRect(&r, -3, -3);
        ::DrawFocusRect(item.hDC, &r);
    }
    return true;
}

CEntryList *CEntryCommands::ListOf(HWND control) const
{
    if (m_sources.Owns(control)) return &m_sources;
    if (m_target.Owns(control)) return &m_target;
    return nullptr;
}

bool CEntryCommands::Copy(HWND control)
{
    CEntryList *list = ListOf(control);
    const std::wstring entry = list ? list->SelectedEntry(control) : std::wstring();
    if (entry.empty()) return false;
    std::vector<std::wstring> files;
    const ResolvedEntry resolved = ResolveEntry(entry, m_body.CommandFolder());
    if (!resolved.url && resolved.valid) files.push_back(resolved.full);
    return CClipboard::SetPaths(m_page, {entry}, files);
}

bool CEntryCommands::Delete(HWND control)
{
    CTaskel *command = m_body.Document();
    if (!command) return false;
    if (m_target.Owns(control))
    {
        if (command->GetTarget().empty()) return false;
        command->SetTarget(std::wstring());
        m_body.MarkModified();
        m_body.FillTarget();
        return true;
    }
    CRowList *list = m_sources.ListOf(control);
    const int row = list ? list->Selection() : -1;
    std::wstring entry;
    if (!command->GetSource(row, entry)) return false;
    command->SetSource(row, L"");
    m_body.MarkModified();
    m_body.FillSources();
    m_body.UpdateOptionControls();
    return true;
}

void CEntryCommands::Paste(HWND control)
{
    CTaskel *command = m_body.Document();
    CEntryList *list = ListOf(control);
    CRowList *rows = list ? list->ListOf(control) : nullptr;
    if (!command || !rows) return;
    std::vector<std::wstring> paths;
    bool hasText = false;
    bool verbatim = false;
    if (!CClipboard::GetPaths(m_page, paths, hasText, verbatim) || paths.empty()) return;
    const int row = rows->Selection();
    if (!PageTakesPaste(list->IsDescriptionList(control), paths.size(), hasText))
    {
        // A single text in the specification view goes into the in-place editor.
        if (row < 0) return;
        if (HWND edit = list->Specifications().EditLabel(row))
            ::SetWindowTextW(edit, paths[0].c_str());
        return;
    }
    const bool target = list == &m_target;
    // Entries cut or copied from these lists come back as they were stored
    // (relative, with their rename part); paths from elsewhere are
    // normalised against the command file's folder.
    if (!verbatim)
    {
        const bool relative = CPathDialog::ReadRelative(target ? L"ToPath" : L"FromPath");
        for (std::wstring &path : paths)
            path = NormalisePastedPath(path, m_body.CommandFolder(), relative);
    }
    if (target)
    {
        for (const std::wstring &path : paths)
            if (!path.empty())
            {
                command->SetTarget(path);
                break;
            }
    }
    else
    {
        std::vector<std::wstring> entries =
            PasteOver(command->GetSources(),
                      row < 0 ? command->GetSourceCount() : static_cast<size_t>(row), paths);
        command->SetSource(-1, nullptr);
        for (size_t i = 0; i < entries.size(); ++i)
            command->SetSource(static_cast<long>(i), entries[i].c_str());
    }
    m_body.MarkModified();
    m_body.RefreshAfterEdit();
}

void CEntryCommands::OnClipboardMessage(HWND control, UINT message)
{
    if (!m_body.Document()) return;
    if (message != WM_COPY && m_body.IsLocked())
    {
        ::MessageBeep(MB_OK);
        return;
    }
    switch (message)
    {
    case WM_COPY:
        Copy(control);
        break;
    case WM_CUT:
        if (!Copy(control))
        {
            ::MessageBeep(MB_ICONHAND);
            break;
        }
        Delete(control);
        break;
    case WM_CLEAR:
        Delete(control);
        break;
    case WM_PASTE:
        Paste(control);
        break;
    default:
        break;
    }
}

bool CEntryCommands::ContextMenu(HWND control, POINT point)
{
    CEntryList *list = ListOf(control);
    if (!list) return false;
    const bool fromKeyboard = point.x == -1 && point.y == -1;
    // A right click in the description view acts on the row under the
    // mouse, as the specification view (a list view) does by itself.
    if (!fromKeyboard && list->IsDescriptionList(control)) SelectRowAt(control, point);
    const bool empty = list->SelectedEntry(control).empty();
    const bool locked = m_body.IsLocked();
    unique_menu menu(::CreatePopupMenu());
    if (!menu) return true;
    auto add = [&](UINT id, UINT text, bool grey) {
        const std::wstring caption = LoadTaskelString(text);
        ::AppendMenuW(menu.get(), MF_STRING | (grey ? MF_GRAYED : 0), id, caption.c_str());
    };
    add(MENU_CUT, IDS_MENU_CUT, empty || locked);
    add(MENU_COPY, IDS_MENU_COPY, empty);
    add(MENU_PASTE, IDS_MENU_PASTE, locked);
    add(MENU_DELETE, IDS_MENU_DELETE, empty || locked);
    // Then the menu every control of the sheet has: its help.
    ::AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
    const std::wstring whatsThis = LoadTaskelString(IDS_WHATS_THIS);
    ::AppendMenuW(menu.get(), MF_STRING, MENU_WHATS_THIS,
                  whatsThis.empty() ? L"What's This?" : whatsThis.c_str());
    if (fromKeyboard)
    {
        RECT r{};
        ::GetWindowRect(control, &r);
        point = {r.left + 8, r.top + 8};
    }
    const UINT chosen = static_cast<UINT>(
        ::TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, point.x,
                         point.y, 0, m_page, nullptr));
    menu.reset();
    static const UINT messages[] = {0, WM_CUT, WM_COPY, WM_PASTE, WM_CLEAR};
    if (chosen >= MENU_CUT && chosen <= MENU_DELETE)
        ::SendMessageW(control, messages[chosen], 0, 0);
    else if (chosen == MENU_WHATS_THIS)
        ShowHelpOf(control, point);
    return true;
}

void CEntryCommands::SelectRowAt(HWND listBox, POINT screen)
{
    POINT client = screen;
    ::ScreenToClient(listBox, &client);
    const LRESULT hit = ::SendMessageW(listBox, LB_ITEMFROMPOINT, 0, MAKELPARAM(client.x, client.y));
    // The high word is set when the point is below the last row.
    if (HIWORD(hit) != 0) return;
    const int row = static_cast<int>(LOWORD(hit));
    if (::SendMessageW(listBox, LB_GETCURSEL, 0, 0) == row) return;
    ::SendMessageW(listBox, LB_SETCURSEL, static_cast<WPARAM>(row), 0);
    ScheduleButtonRefresh();
}

void CEntryCommands::ShowHelpOf(HWND control, POINT screen)
{
    DWORD helpId = ::GetWindowContextHelpId(control);
    if (!helpId) helpId = static_cast<DWORD>(::GetDlgCtrlID(control));
    CContextHelp::ShowPopup(m_page, helpId, screen);
}
