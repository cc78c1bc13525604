// CTaskelPropBase, the two lists: filling both views, the layout without a
// target, in-place and dialog editing, reordering with keys and repeating
// buttons, the context menu, the clipboard and deleting.
#define TRACE_SOURCE "Taskel\\TaskelPropBase"
#include "TaskelPropBase.h"

#include <commctrl.h>

#include <algorithm>
#include <climits>

#include "Clipboard.h"
#include "DialogControls.h"
#include "PathDialog.h"
#include "TaskelClass.h"
#include "TaskelEntryText.h"
#include "TaskelListRules.h"
#include "TaskelStrings.h"
#include "FxException.h"
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
};

bool IsListBox(HWND control)
{
    wchar_t name[32] = {};
    ::GetClassNameW(control, name, 32);
    return lstrcmpiW(name, L"ListBox") == 0;
}

int RowCount(HWND control)
{
    return static_cast<int>(IsListBox(control) ? ::SendMessageW(control, LB_GETCOUNT, 0, 0)
                                               : ::SendMessageW(control, LVM_GETITEMCOUNT, 0, 0));
}

int Selection(HWND control)
{
    if (IsListBox(control)) return static_cast<int>(::SendMessageW(control, LB_GETCURSEL, 0, 0));
    return ListView_GetNextItem(control, -1, LVNI_SELECTED);
}

void Select(HWND control, int row)
{
    if (IsListBox(control))
    {
        ::SendMessageW(control, LB_SETCURSEL, static_cast<WPARAM>(row), 0);
        return;
    }
    ListView_SetItemState(control, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_SetItemState(control, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_EnsureVisible(control, row, FALSE);
}

void DeleteRowsFrom(HWND control, int first)
{
    for (int n = RowCount(control); n > first; --n)
        ::SendMessageW(control, IsListBox(control) ? LB_DELETESTRING : LVM_DELETEITEM,
                       static_cast<WPARAM>(n - 1), 0);
}

// Redrawing off for the time of a fill.
class NoRedraw
{
  public:
    explicit NoRedraw(HWND control) : m_control(control)
    {
        ::SendMessageW(m_control, WM_SETREDRAW, FALSE, 0);
    }
    ~NoRedraw()
    {
        ::SendMessageW(m_control, WM_SETREDRAW, TRUE, 0);
        ::InvalidateRect(m_control, nullptr, TRUE);
    }

  private:
    HWND m_control;
};

} // namespace

LRESULT CALLBACK TaskelListSubclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                    UINT_PTR, DWORD_PTR data)
{
    auto *page = reinterpret_cast<CTaskelPropBase *>(data);
    try
    {
        switch (message)
        {
        case WM_CUT:
        case WM_COPY:
        case WM_PASTE:
        case WM_CLEAR:
            page->ClipboardCommand(window, message);
            return 0;
        case WM_KEYDOWN:
            if (page->ListKey(window, static_cast<UINT>(wParam))) return 0;
            break;
        case WM_GETDLGCODE:
            if (lParam && reinterpret_cast<MSG *>(lParam)->message == WM_KEYDOWN &&
                reinterpret_cast<MSG *>(lParam)->wParam == VK_RETURN)
                return DLGC_WANTALLKEYS;
            break;
        case WM_SETFOCUS:
            if (::GetKeyState(VK_TAB) < 0)
                Trace(4, page->IsSourceControl(window) ? L"Edit FilesFrom for NextDlgCtl"
                                                       : L"Edit FilesTo for NextDlgCtl");
            break;
        default:
            break;
        }
    }
    TRACE_CATCH_ALL(4)
    return ::DefSubclassProc(window, message, wParam, lParam);
}

LRESULT CALLBACK TaskelButtonSubclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR, DWORD_PTR data)
{
    auto *page = reinterpret_cast<CTaskelPropBase *>(data);
    const UINT_PTR timer = ::GetDlgCtrlID(window) == IDC_MOVE_UP
                               ? CTaskelPropBase::TIMER_REPEAT_UP
                               : CTaskelPropBase::TIMER_REPEAT_DOWN;
    try
    {
        switch (message)
        {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            if (::IsWindowEnabled(window)) page->StartRepeat(timer);
            break;
        case WM_LBUTTONUP:
        case WM_CAPTURECHANGED:
        case WM_CANCELMODE:
            page->StopRepeat(timer);
            break;
        default:
            break;
        }
    }
    TRACE_CATCH_ALL(4)
    return ::DefSubclassProc(window, message, wParam, lParam);
}

bool CTaskelPropBase::IsSourceControl(HWND control) const
{
    return control == Item(IDC_SOURCE_LIST) || control == Item(IDC_SOURCE_DESCRIPTIONS);
}

bool CTaskelPropBase::IsTargetControl(HWND control) const
{
    return control == Item(IDC_TARGET_LIST) || control == Item(IDC_TARGET_DESCRIPTIONS);
}

bool CTaskelPropBase::IsListControl(HWND control) const
{
    return control && (IsSourceControl(control) || IsTargetControl(control));
}

std::wstring CTaskelPropBase::DisplayText(const std::wstring &entry) const
{
    if (DescriptionView())
        return DescriptionMarkup(entry, m_folder, m_document ? m_document->GetAction() : 0);
    return SpecDisplayText(entry, m_folder);
}

void CTaskelPropBase::SetRowText(HWND control, int row, const std::wstring &text)
{
    SetRowText(control, row, text, RowCount(control));
}

namespace
{
std::wstring ListBoxText(HWND control, int row)
{
    const LRESULT length = ::SendMessageW(control, LB_GETTEXTLEN, static_cast<WPARAM>(row), 0);
    if (length <= 0) return std::wstring();
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const LRESULT got = ::SendMessageW(control, LB_GETTEXT, static_cast<WPARAM>(row),
                                       reinterpret_cast<LPARAM>(&text[0]));
    text.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return text;
}
} // namespace

// The kept texts of the source description list (null for other lists),
// read again from the list should its row count differ from them.
std::vector<std::wstring> *CTaskelPropBase::KeptRowTexts(HWND control, int count)
{
    if (control != Item(IDC_SOURCE_DESCRIPTIONS)) return nullptr;
    if (m_sourceRowTexts.size() != static_cast<size_t>(count))
    {
        m_sourceRowTexts.clear();
        for (int row = 0; row < count; ++row)
            m_sourceRowTexts.push_back(ListBoxText(control, row));
    }
    return &m_sourceRowTexts;
}

// `count` is the list's row count: a fill knows it. Every message to a
// subclassed control costs a round trip to the window server under Wine,
// far more than describing the row, so unchanged rows send none.
void CTaskelPropBase::SetRowText(HWND control, int row, const std::wstring &text, int count)
{
    if (IsListBox(control))
    {
        std::vector<std::wstring> *kept = KeptRowTexts(control, count);
        if (row < count)
        {
            // A list box cannot change a row's text: an unchanged row stays,
            // a changed one is replaced, keeping it selected if it was.
            if (kept ? (*kept)[static_cast<size_t>(row)] == text
                     : ListBoxText(control, row) == text)
                return;
            const bool selected = Selection(control) == row;
            ::SendMessageW(control, LB_DELETESTRING, static_cast<WPARAM>(row), 0);
            ::SendMessageW(control, LB_INSERTSTRING, static_cast<WPARAM>(row),
                           reinterpret_cast<LPARAM>(text.c_str()));
            if (kept) (*kept)[static_cast<size_t>(row)] = text;
            if (selected) Select(control, row);
            return;
        }
        const LRESULT at = ::SendMessageW(control, LB_INSERTSTRING, static_cast<WPARAM>(row),
                                          reinterpret_cast<LPARAM>(text.c_str()));
        if (kept)
        {
            if (at == row)
                kept->push_back(text);
            else
                kept->clear(); // not inserted: read again at the next row
        }
        return;
    }
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.pszText = const_cast<LPWSTR>(text.c_str());
    ::SendMessageW(control, row < count ? LVM_SETITEMTEXTW : LVM_INSERTITEMW,
                   static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

// Describing a source takes about a millisecond, so the description list of
// a long command is filled in steps: the rows in sight at once, the others on
// the fill timer, and the sheet paints before a thousand rows are described.
void CTaskelPropBase::FillSources()
{
    HWND control = Item(DescriptionView() ? IDC_SOURCE_DESCRIPTIONS : IDC_SOURCE_LIST);
    if (!control) return;
    if (Window()) ::KillTimer(Window(), TIMER_FILL);
    m_fillRow = 0;
    int limit = INT_MAX;
    if (IsListBox(control))
    {
        const int top = static_cast<int>(::SendMessageW(control, LB_GETTOPINDEX, 0, 0));
        limit = kFillFirstRows + (top > 0 ? top : 0);
    }
    m_namesRequested = false;
    FillSourceRows(control, limit);
    try
    {
        const ListLabels labels = LabelsForAction(m_document ? m_document->GetAction() : 0);
        const std::wstring label = LoadTaskelString(labels.sourceId) + L":";
        ::SetDlgItemTextW(Window(), IDC_SOURCE_LABEL, label.c_str());
        ::SetDlgItemTextW(Window(), IDC_SOURCE_DESC_LABEL, label.c_str());
    }
    TRACE_CATCH_ALL(4)
}

// Asks for the names the rows still to be filled will use, so that the
// background look-ups run while the steps fill the list.
void CTaskelPropBase::RequestSourceNames()
{
    m_namesRequested = true;
    if (!m_document) return;
    const std::vector<std::wstring> &sources = m_document->GetSources();
    for (size_t row = m_fillRow; row < sources.size(); ++row)
        RequestEntryNames(sources[row], m_folder);
}

bool CTaskelPropBase::NamesPending() const
{
    return !m_namesRequested && m_document && m_fillRow < m_document->GetSourceCount();
}

// Deletes the rows from `first` on, keeping the kept texts in step.
void CTaskelPropBase::DropRowsFrom(HWND control, int first)
{
    DeleteRowsFrom(control, first);
    if (control == Item(IDC_SOURCE_DESCRIPTIONS) && first >= 0 &&
        m_sourceRowTexts.size() > static_cast<size_t>(first))
        m_sourceRowTexts.resize(static_cast<size_t>(first));
}

// Sets up to `limit` source rows from m_fillRow on, for at most `budgetMs`
// if that is not 0. After the last source it sets the prompt row and drops
// rows left from a longer list; until then the fill timer brings the next
// step.
void CTaskelPropBase::FillSourceRows(HWND control, int limit, DWORD budgetMs)
{
    bool done = true;
    m_filling = true;
    try
    {
        const bool listBox = IsListBox(control);
        const int top = listBox ? static_cast<int>(::SendMessageW(control, LB_GETTOPINDEX, 0, 0)) : 0;
        const int selection = Selection(control);
        NoRedraw noRedraw(control);
        static const std::vector<std::wstring> none;
        const std::vector<std::wstring> &sources = m_document ? m_document->GetSources() : none;
        const size_t end = std::min(sources.size(), m_fillRow + static_cast<size_t>(limit));
        const ULONGLONG start = ::GetTickCount64();
        int count = RowCount(control);
        for (; m_fillRow < end; ++m_fillRow)
        {
            if (budgetMs && ::GetTickCount64() - start >= budgetMs) break;
            const int row = static_cast<int>(m_fillRow);
            SetRowText(control, row, DisplayText(sources[m_fillRow]), count);
            if (row >= count) ++count;
        }
        done = m_fillRow >= sources.size();
        if (done)
        {
            const int row = static_cast<int>(sources.size());
            SetRowText(control, row, LoadTaskelString(IDS_NEW_ENTRY_PROMPT));
            DropRowsFrom(control, row + 1);
        }
        if (selection >= 0 && selection < RowCount(control) && Selection(control) != selection)
            Select(control, selection);
        if (Selection(control) < 0) Select(control, 0);
        if (listBox && top > 0) ::SendMessageW(control, LB_SETTOPINDEX, static_cast<WPARAM>(top), 0);
    }
    TRACE_CATCH_ALL(4)
    m_filling = false;
    if (Window())
    {
        // A hidden sheet waits for its modal loop to go idle before it shows;
        // a busy timer would keep it from that, so steps wait for the first
        // drawing of the list.
        if (done)
            ::KillTimer(Window(), TIMER_FILL);
        else
            ::SetTimer(Window(), TIMER_FILL, m_listDrawn ? 10 : 50, nullptr);
    }
    ScheduleButtonRefresh();
}

void CTaskelPropBase::FillTarget()
{
    const uint32_t action = m_document ? m_document->GetAction() : 0;
    const bool hasTarget = ActionHasTarget(action);
    ApplyLayout(hasTarget);
    HWND control = Item(DescriptionView() ? IDC_TARGET_DESCRIPTIONS : IDC_TARGET_LIST);
    if (!control) return;
    try
    {
        NoRedraw noRedraw(control);
        SetRowText(control, 0, DisplayText(m_document ? m_document->GetTarget() : std::wstring()));
        DeleteRowsFrom(control, 1);
        if (Selection(control) < 0) Select(control, 0);
        const ListLabels labels = LabelsForAction(action);
        const std::wstring label =
            labels.targetId ? LoadTaskelString(labels.targetId) + L":" : std::wstring();
        ::SetDlgItemTextW(Window(), IDC_TARGET_LABEL, label.c_str());
        ::SetDlgItemTextW(Window(), IDC_TARGET_DESC_LABEL, label.c_str());
    }
    TRACE_CATCH_ALL(4)
}

void CTaskelPropBase::ApplyLayout(bool hasTarget)
{
    const bool descriptions = DescriptionView();
    RECT source = m_sourceRect;
    if (!hasTarget) source.bottom = m_targetRect.bottom;
    for (int id : {IDC_SOURCE_LIST, IDC_SOURCE_DESCRIPTIONS})
        ::MoveWindow(Item(id), source.left, source.top, source.right - source.left,
                     source.bottom - source.top, TRUE);
    CControl(Window(), IDC_TARGET_LIST).Show(hasTarget && !descriptions);
    CControl(Window(), IDC_TARGET_LABEL).Show(hasTarget && !descriptions);
    CControl(Window(), IDC_TARGET_DESCRIPTIONS).Show(hasTarget && descriptions);
    CControl(Window(), IDC_TARGET_DESC_LABEL).Show(hasTarget && descriptions);
}

int CTaskelPropBase::SourceSelection() const
{
    return Selection(Item(DescriptionView() ? IDC_SOURCE_DESCRIPTIONS : IDC_SOURCE_LIST));
}

void CTaskelPropBase::SelectSource(int row)
{
    Select(Item(DescriptionView() ? IDC_SOURCE_DESCRIPTIONS : IDC_SOURCE_LIST), row);
}

std::wstring CTaskelPropBase::SelectedEntry(HWND control) const
{
    if (!m_document) return std::wstring();
    if (IsTargetControl(control)) return m_document->GetTarget();
    std::wstring entry;
    m_document->GetSource(Selection(control), entry);
    return entry;
}

void CTaskelPropBase::RefreshAfterEdit()
{
    FillSources();
    FillTarget();
    UpdateOptionControls();
}

void CTaskelPropBase::ScheduleButtonRefresh()
{
    if (Window()) ::SetTimer(Window(), TIMER_BUTTONS, 100, nullptr);
}

void CTaskelPropBase::UpdateMoveButtons()
{
    const size_t count = m_document ? m_document->GetSourceCount() : 0;
    const int row = SourceSelection();
    const bool up = !m_locked && CanMoveUp(row, count);
    const bool down = !m_locked && CanMoveDown(row, count);
    // A button losing its enabled state while held stops its repetition.
    if (!up) StopRepeat(TIMER_REPEAT_UP);
    if (!down) StopRepeat(TIMER_REPEAT_DOWN);
    CControl(Window(), IDC_MOVE_UP).Enable(up);
    CControl(Window(), IDC_MOVE_DOWN).Enable(down);
}

bool CTaskelPropBase::SwapSources(int row, int other)
{
    if (!m_document || m_locked) return false;
    std::wstring a, b;
    if (!m_document->GetSource(row, a) || !m_document->GetSource(other, b)) return false;
    m_document->SetSource(row, b.c_str());
    m_document->SetSource(other, a.c_str());
    HWND control = Item(DescriptionView() ? IDC_SOURCE_DESCRIPTIONS : IDC_SOURCE_LIST);
    SetRowText(control, row, DisplayText(b));
    SetRowText(control, other, DisplayText(a));
    SelectSource(other);
    SetModified(true);
    UpdateMoveButtons();
    return true;
}

bool CTaskelPropBase::MoveUp()
{
    const int row = SourceSelection();
    if (!m_document || !CanMoveUp(row, m_document->GetSourceCount())) return false;
    return SwapSources(row, row - 1);
}

bool CTaskelPropBase::MoveDown()
{
    const int row = SourceSelection();
    if (!m_document || !CanMoveDown(row, m_document->GetSourceCount())) return false;
    return SwapSources(row, row + 1);
}

void CTaskelPropBase::StartRepeat(UINT_PTR timer)
{
    const UINT delay = ::GetProfileIntW(L"windows", L"DragDelay", 200);
    ::SetTimer(Window(), timer, delay, nullptr);
}

void CTaskelPropBase::StopRepeat(UINT_PTR timer)
{
    if (Window()) ::KillTimer(Window(), timer);
}

void CTaskelPropBase::EditWithDialog(HWND control, int row)
{
    if (m_locked || !m_document)
    {
        ::MessageBeep(MB_OK);
        return;
    }
    if (row < 0) return;
    const bool target = IsTargetControl(control);
    const ListLabels labels = LabelsForAction(m_document->GetAction());
    std::wstring entry;
    if (target)
        entry = m_document->GetTarget();
    else if (!m_document->GetSource(row, entry) && row > 0)
        m_document->GetSource(row - 1, entry);
    const std::wstring title =
        LoadTaskelString(target ? labels.targetId : labels.sourceId) + L"...";
    CPathDialog dialog(title, target ? L"ToPath" : L"FromPath", m_folder, entry);
    dialog.SetBrowseText(LoadTaskelString(IDS_PATH_BROWSE));
    if (dialog.DoModal(Window()) != IDOK) return;
    if (target)
        m_document->SetTarget(dialog.Path());
    else
        m_document->SetSource(row, dialog.Path().c_str());
    SetModified(true);
    RefreshAfterEdit();
    UpdateMoveButtons();
}

bool CTaskelPropBase::EndLabelEdit(HWND control, int row, const wchar_t *text)
{
    if (m_locked || !m_document)
    {
        ::MessageBeep(MB_OK);
        return false;
    }
    const bool target = IsTargetControl(control);
    std::wstring stored;
    const bool isNew = target ? false : !m_document->GetSource(row, stored);
    if (target) stored = m_document->GetTarget();
    const LabelEditResult decision =
        DecideLabelEdit(text, stored, isNew, EntryAccepted(text, m_folder));
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
            m_document->SetTarget(value);
        else
            m_document->SetSource(row, value.c_str());
        SetModified(true);
        RefreshAfterEdit();
        return true;
    }
    }
    return false;
}

bool CTaskelPropBase::ListKey(HWND control, UINT key)
{
    const bool ctrl = ::GetKeyState(VK_CONTROL) < 0;
    const bool alt = ::GetKeyState(VK_MENU) < 0;
    const bool shift = ::GetKeyState(VK_SHIFT) < 0;
    if (ctrl && !alt && !shift && IsSourceControl(control) && (key == VK_UP || key == VK_DOWN))
    {
        if (m_locked)
            ::MessageBeep(MB_OK);
        else if (key == VK_UP)
            MoveUp();
        else
            MoveDown();
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
        EditWithDialog(control, Selection(control));
        return true;
    }
    if (!ctrl && !shift && key == VK_F2 && !IsListBox(control))
    {
        if (m_locked)
            ::MessageBeep(MB_OK);
        else if (Selection(control) >= 0)
            ListView_EditLabel(control, Selection(control));
        return true;
    }
    return false;
}

bool CTaskelPropBase::CopySelection(HWND control)
{
    const std::wstring entry = SelectedEntry(control);
    if (entry.empty()) return false;
    std::vector<std::wstring> files;
    ResolvedEntry resolved = ResolveEntry(entry, m_folder);
    if (!resolved.url && resolved.valid) files.push_back(resolved.full);
    return CClipboard::SetPaths(Window(), {entry}, files);
}

bool CTaskelPropBase::DeleteSelection(HWND control)
{
    if (!m_document) return false;
    if (IsTargetControl(control))
    {
        if (m_document->GetTarget().empty()) return false;
        m_document->SetTarget(std::wstring());
        SetModified(true);
        FillTarget();
        return true;
    }
    const int row = Selection(control);
    std::wstring entry;
    if (!m_document->GetSource(row, entry)) return false;
    m_document->SetSource(row, L"");
    SetModified(true);
    FillSources();
    UpdateOptionControls();
    return true;
}

void CTaskelPropBase::Paste(HWND control)
{
    std::vector<std::wstring> paths;
    bool hasText = false;
    if (!CClipboard::GetPaths(Window(), paths, hasText) || paths.empty()) return;
    if (!PageTakesPaste(IsListBox(control), paths.size(), hasText))
    {
        // A single text in the specification view goes into the in-place editor.
        const int row = Selection(control);
        if (row < 0) return;
        if (HWND edit = ListView_EditLabel(control, row)) ::SetWindowTextW(edit, paths[0].c_str());
        return;
    }
    const bool relative =
        CPathDialog::ReadRelative(IsTargetControl(control) ? L"ToPath" : L"FromPath");
    for (std::wstring &path : paths)
        path = NormalisePastedPath(path, m_folder, relative);
    if (IsTargetControl(control))
    {
        for (const std::wstring &path : paths)
            if (!path.empty())
            {
                m_document->SetTarget(path);
                break;
            }
    }
    else
    {
        const int row = Selection(control);
        std::vector<std::wstring> entries =
            PasteOver(m_document->GetSources(),
                      row < 0 ? m_document->GetSourceCount() : static_cast<size_t>(row), paths);
        m_document->SetSource(-1, nullptr);
        for (size_t i = 0; i < entries.size(); ++i)
            m_document->SetSource(static_cast<long>(i), entries[i].c_str());
    }
    SetModified(true);
    RefreshAfterEdit();
}

void CTaskelPropBase::ClipboardCommand(HWND control, UINT message)
{
    if (!m_document) return;
    if (message != WM_COPY && m_locked)
    {
        ::MessageBeep(MB_OK);
        return;
    }
    switch (message)
    {
    case WM_COPY:
        CopySelection(control);
        break;
    case WM_CUT:
        if (!CopySelection(control))
        {
            ::MessageBeep(MB_ICONHAND);
            break;
        }
        DeleteSelection(control);
        break;
    case WM_CLEAR:
        DeleteSelection(control);
        break;
    case WM_PASTE:
        Paste(control);
        break;
    default:
        break;
    }
}

bool CTaskelPropBase::OnContextMenu(HWND window, POINT point)
{
    if (!IsListControl(window)) return CPropertyPageExEx::OnContextMenu(window, point);
    try
    {
        const bool empty = SelectedEntry(window).empty();
        HMENU menu = ::CreatePopupMenu();
        if (!menu) return true;
        auto add = [&](UINT id, UINT text, bool grey) {
            const std::wstring caption = LoadTaskelString(text);
            ::AppendMenuW(menu, MF_STRING | (grey ? MF_GRAYED : 0), id, caption.c_str());
        };
        add(MENU_CUT, IDS_MENU_CUT, empty || m_locked);
        add(MENU_COPY, IDS_MENU_COPY, empty);
        add(MENU_PASTE, IDS_MENU_PASTE, m_locked);
        add(MENU_DELETE, IDS_MENU_DELETE, empty || m_locked);
        if (point.x == -1 && point.y == -1)
        {
            RECT r{};
            ::GetWindowRect(window, &r);
            point = {r.left + 8, r.top + 8};
        }
        const UINT chosen =
            static_cast<UINT>(::TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY,
                                               point.x, point.y, 0, Window(), nullptr));
        ::DestroyMenu(menu);
        static const UINT messages[] = {0, WM_CUT, WM_COPY, WM_PASTE, WM_CLEAR};
        if (chosen >= MENU_CUT && chosen <= MENU_DELETE)
            ::SendMessageW(window, messages[chosen], 0, 0);
    }
    TRACE_CATCH_ALL(4)
    return true;
}
