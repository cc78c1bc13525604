// The preview window: a resizable dialog with the plan's rows in a virtual
// list, filled by a worker (PreviewFill) while the window stays responsive,
// with a filter by what happens, the totals, copying, saving as CSV and the
// run itself.
#define TRACE_SOURCE "Taskel\\PreviewWindow"
#include "PreviewWindow.h"

#include <commctrl.h>

#include "AccessibleName.h"
#include "ContextHelp.h"
#include "ActivationContext.h"
#include "FxException.h"
#include "PlanTexts.h"
#include "PreviewExport.h"
#include "PreviewFill.h"
#include "PreviewHelp.h"
#include "PreviewLayout.h"
#include "PreviewPlacement.h"
#include "PreviewResources.h"
#include "PreviewRows.h"
#include "PropertyPageExEx.h"
#include "TaskelMessage.h"
#include "TaskelStrings.h"
#include "UikitResources.h"

namespace
{
const UINT WM_PREVIEW_FILLED = WM_APP + 0x31;
const UINT_PTR TIMER_FILL = 1;    // takes the rows the worker found so far
const UINT_PTR TIMER_GIVE_UP = 2; // closes without waiting longer for the worker
const UINT FILL_INTERVAL_MS = 150;
const UINT GIVE_UP_MS = 5000;

// Column widths in dialog units.
const int kColumnWidths[PLAN_COLUMNS] = {36, 110, 110, 100, 40};

class CPreviewWindow
{
  public:
    explicit CPreviewWindow(const PreviewSource &source)
        : m_source(source), m_texts(LibraryPlanTexts()), m_header(PlanColumnNames())
    {
    }
    void Run(HWND owner);

  private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    bool Dispatch(UINT message, WPARAM wParam, LPARAM lParam, LRESULT &result);

    void OnInitDialog();
    void OnCommand(UINT code, UINT id);
    bool OnNotify(NMHDR *header, LRESULT &result);
    void OnTimer(UINT_PTR id);
    void OnDestroy();

    void AddColumns() const;
    void TakeRows();
    void ShowChangedRows(size_t before, size_t changed) const;
    void ShowCounts() const;
    void GetDispInfo(NMLVDISPINFOW &info) const;
    bool OnListKey(const NMLVKEYDOWN &key);
    std::vector<size_t> SelectedRows() const;
    void CopyRows(const std::vector<PlanRow> &rows) const;
    void SaveCsv() const;
    void Close();
    HWND Item(int id) const { return ::GetDlgItem(m_window, id); }

    const PreviewSource &m_source;
    PlanTexts m_texts;
    std::vector<std::wstring> m_header;
    HWND m_window = nullptr;
    HWND m_list = nullptr;
    CPreviewRows m_rows;
    CPreviewFill m_fill;
    CAnchorLayout m_layout;
    SIZE m_minimum = {0, 0};
    bool m_filling = false;
    bool m_failed = false;
    bool m_closing = false;
};

void CPreviewWindow::Run(HWND owner)
{
    CActivationScope scope;
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&controls);
    const INT_PTR result =
        ::DialogBoxParamW(UikitModule(), MAKEINTRESOURCEW(IDD_PREVIEW), owner,
                          &CPreviewWindow::DialogProc, reinterpret_cast<LPARAM>(this));
    if (result == -1)
    {
        TRACE_HERE();
        LogWinErr(2, ::GetLastError(), L"DialogBoxParam");
    }
}

INT_PTR CALLBACK CPreviewWindow::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    try
    {
        auto *self = reinterpret_cast<CPreviewWindow *>(::GetWindowLongPtrW(window, DWLP_USER));
        if (message == WM_INITDIALOG)
        {
            self = reinterpret_cast<CPreviewWindow *>(lParam);
            ::SetWindowLongPtrW(window, DWLP_USER, lParam);
            self->m_window = window;
        }
        if (!self) return FALSE;
        if (message == WM_NCDESTROY)
        {
            ::SetWindowLongPtrW(window, DWLP_USER, 0);
            self->m_window = nullptr;
            return FALSE;
        }
        LRESULT result = 0;
        bool handled = false;
        try
        {
            handled = self->Dispatch(message, wParam, lParam, result);
        }
        TRACE_CATCH_ALL(2)
        if (!handled) return FALSE;
        if (message == WM_INITDIALOG) return static_cast<INT_PTR>(result);
        ::SetWindowLongPtrW(window, DWLP_MSGRESULT, result);
        return TRUE;
    }
    TRACE_CATCH_ALL(2)
    return FALSE;
}

bool CPreviewWindow::Dispatch(UINT message, WPARAM wParam, LPARAM lParam, LRESULT &result)
{
    switch (message)
    {
    case WM_INITDIALOG:
        OnInitDialog();
        result = TRUE; // the system focuses the first control
        return true;
    case WM_COMMAND:
        OnCommand(HIWORD(wParam), LOWORD(wParam));
        return true;
    case WM_NOTIFY:
        return OnNotify(reinterpret_cast<NMHDR *>(lParam), result);
    case WM_TIMER:
        OnTimer(wParam);
        return true;
    case WM_PREVIEW_FILLED:
        TakeRows();
        return true;
    case WM_SIZE:
        m_layout.Apply(m_window);
        return true;
    case WM_GETMINMAXINFO: {
        auto *info = reinterpret_cast<MINMAXINFO *>(lParam);
        if (m_minimum.cx) info->ptMinTrackSize = {m_minimum.cx, m_minimum.cy};
        return true;
    }
    case WM_HELP:
        ShowDialogControlHelp(m_window, reinterpret_cast<const HELPINFO *>(lParam));
        result = TRUE;
        return true;
    case WM_CONTEXTMENU:
        return OfferWhatsThis(m_window, reinterpret_cast<HWND>(wParam), lParam);
    case WM_DESTROY:
        OnDestroy();
        return false;
    default:
        return false;
    }
}

void CPreviewWindow::OnInitDialog()
{
    m_list = Item(IDC_PREVIEW_LIST);
    ::SetWindowTextW(m_window, FormatTaskelString(IDS_PREVIEW_TITLE, m_source.name).c_str());
    ::SendMessageW(m_list, LVM_SETEXTENDEDLISTVIEWSTYLE,
                   LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER | LVS_EX_LABELTIP,
                   LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER | LVS_EX_LABELTIP);
    AddColumns();
    HWND filter = Item(IDC_PREVIEW_FILTER);
    for (int i = 0; i < PREVIEW_FILTERS; ++i)
    {
        const std::wstring name = LoadTaskelString(FilterStringId(static_cast<PreviewFilter>(i)));
        ::SendMessageW(filter, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    }
    ::SendMessageW(filter, CB_SETCURSEL, 0, 0);
    SetAccessibleName(m_list, LoadTaskelString(IDS_PREVIEW_LIST_NAME));
    GiveControlsHelpIds(m_window);
    if (!m_source.run) ::ShowWindow(Item(IDC_PREVIEW_RUN), SW_HIDE);
    ::EnableWindow(Item(IDC_PREVIEW_RUN), FALSE);

    RECT frame;
    ::GetWindowRect(m_window, &frame);
    m_minimum = {frame.right - frame.left, frame.bottom - frame.top};
    m_layout.Add(m_window, IDC_PREVIEW_LIST, ANCHOR_RIGHT | ANCHOR_BOTTOM);
    m_layout.Add(m_window, IDC_PREVIEW_PROGRESS, ANCHOR_RIGHT | ANCHOR_MOVE_Y);
    m_layout.Add(m_window, IDC_PREVIEW_TOTALS, ANCHOR_RIGHT | ANCHOR_MOVE_Y);
    for (int id : {IDC_PREVIEW_COPY, IDC_PREVIEW_SAVE, IDC_PREVIEW_RUN})
        m_layout.Add(m_window, id, ANCHOR_MOVE_Y);
    m_layout.Add(m_window, IDCANCEL, ANCHOR_MOVE_X | ANCHOR_MOVE_Y);
    m_layout.Start(m_window);
    RestoreWindowPlacement(m_window, HKEY_CURRENT_USER, g_traceProfile.registryKey, m_minimum);

    m_filling = m_fill.Start(m_source.command, m_source.baseFolder, m_window, WM_PREVIEW_FILLED);
    m_failed = !m_filling;
    if (m_filling) ::SetTimer(m_window, TIMER_FILL, FILL_INTERVAL_MS, nullptr);
    ShowCounts();
}

void CPreviewWindow::AddColumns() const
{
    for (int i = 0; i < PLAN_COLUMNS && i < static_cast<int>(m_header.size()); ++i)
    {
        RECT width = {0, 0, kColumnWidths[i], 0};
        ::MapDialogRect(m_window, &width);
        LVCOLUMNW column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
        column.fmt = i == PLAN_COLUMNS - 1 ? LVCFMT_RIGHT : LVCFMT_LEFT;
        column.cx = width.right;
        column.pszText = const_cast<LPWSTR>(m_header[static_cast<size_t>(i)].c_str());
        column.iSubItem = i;
        ::SendMessageW(m_list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(i),
                       reinterpret_cast<LPARAM>(&column));
    }
}

void CPreviewWindow::OnCommand(UINT code, UINT id)
{
    switch (id)
    {
    case IDC_PREVIEW_FILTER:
        if (code != CBN_SELCHANGE) return;
        {
            const LRESULT chosen = ::SendMessageW(Item(IDC_PREVIEW_FILTER), CB_GETCURSEL, 0, 0);
            if (chosen < 0 || chosen >= PREVIEW_FILTERS) return;
            m_rows.SetFilter(static_cast<PreviewFilter>(chosen));
            LVITEMW none = {};
            none.stateMask = LVIS_SELECTED;
            ::SendMessageW(m_list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
                           reinterpret_cast<LPARAM>(&none));
            ::SendMessageW(m_list, LVM_SETITEMCOUNT, m_rows.ShownCount(), 0);
            ::InvalidateRect(m_list, nullptr, TRUE);
            ShowCounts();
        }
        return;
    case IDC_PREVIEW_COPY:
        CopyRows(m_rows.ShownRows());
        return;
    case IDC_PREVIEW_SAVE:
        SaveCsv();
        return;
    case IDC_PREVIEW_RUN:
        // Only once the plan is whole: the user runs what the list shows.
        if (m_source.run && !m_filling && !m_closing) m_source.run(m_window);
        return;
    case IDCANCEL:
        Close();
        return;
    default:
        // Enter outside a button (IDOK) does nothing: nothing runs by accident.
        return;
    }
}

bool CPreviewWindow::OnNotify(NMHDR *header, LRESULT &result)
{
    if (!header || header->hwndFrom != m_list) return false;
    switch (header->code)
    {
    case LVN_GETDISPINFOW:
        GetDispInfo(*reinterpret_cast<NMLVDISPINFOW *>(header));
        return true;
    case LVN_KEYDOWN:
        result = 0;
        return OnListKey(*reinterpret_cast<NMLVKEYDOWN *>(header));
    default:
        return false;
    }
}

void CPreviewWindow::GetDispInfo(NMLVDISPINFOW &info) const
{
    LVITEMW &item = info.item;
    if (!(item.mask & LVIF_TEXT) || !item.pszText || item.cchTextMax <= 0) return;
    item.pszText[0] = L'\0';
    if (item.iItem < 0 || static_cast<size_t>(item.iItem) >= m_rows.ShownCount()) return;
    const PlanRow &row = m_rows.Shown(static_cast<size_t>(item.iItem));
    std::wstring text;
    switch (item.iSubItem)
    {
    case 0:
        text = m_texts.action(row.func);
        break;
    case 1:
        text = row.source;
        break;
    case 2:
        text = row.target;
        break;
    case 3:
        text = m_texts.outcome(row);
        break;
    case 4:
        if (row.sized) text = std::to_wstring(row.size);
        break;
    default:
        break;
    }
    const size_t length = text.size() < static_cast<size_t>(item.cchTextMax - 1)
                              ? text.size()
                              : static_cast<size_t>(item.cchTextMax - 1);
    text.copy(item.pszText, length);
    item.pszText[length] = L'\0';
}

bool CPreviewWindow::OnListKey(const NMLVKEYDOWN &key)
{
    if (::GetKeyState(VK_CONTROL) >= 0) return false;
    if (key.wVKey == 'A')
    {
        LVITEMW all = {};
        all.state = LVIS_SELECTED;
        all.stateMask = LVIS_SELECTED;
        ::SendMessageW(m_list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
                       reinterpret_cast<LPARAM>(&all));
        return true;
    }
    if (key.wVKey == 'C')
    {
        const std::vector<size_t> selected = SelectedRows();
        CopyRows(selected.empty() ? m_rows.ShownRows() : m_rows.ShownRows(selected));
        return true;
    }
    return false;
}

std::vector<size_t> CPreviewWindow::SelectedRows() const
{
    std::vector<size_t> rows;
    const LRESULT count = ::SendMessageW(m_list, LVM_GETSELECTEDCOUNT, 0, 0);
    if (count <= 0) return rows;
    rows.reserve(static_cast<size_t>(count));
    int index = -1;
    while ((index = static_cast<int>(::SendMessageW(
                m_list, LVM_GETNEXTITEM, static_cast<WPARAM>(index), LVNI_SELECTED))) >= 0)
        rows.push_back(static_cast<size_t>(index));
    return rows;
}

void CPreviewWindow::CopyRows(const std::vector<PlanRow> &rows) const
{
    const DWORD error = CopyTextToClipboard(m_window, TabText(rows, m_texts, &m_header));
    if (!error) return;
    TRACE_HERE();
    LogWinErr(2, error, L"Copy");
    ShowTaskelMessage(m_window, IDS_PREVIEW_COPY_FAILED,
                      FormatTaskelString(IDS_PREVIEW_COPY_FAILED, SystemErrorText(error)),
                      MB_ICONERROR);
}

void CPreviewWindow::SaveCsv() const
{
    std::wstring path;
    if (!AskCsvPath(m_window, SuggestedCsvName(m_source.name), path)) return;
    const DWORD error =
        WriteFileWhole(path, Utf8WithBom(CsvText(m_rows.ShownRows(), m_texts, m_header)));
    if (!error) return;
    ShowTaskelMessage(
        m_window, IDS_PREVIEW_SAVE_FAILED,
        InsertTexts(LoadTaskelString(IDS_PREVIEW_SAVE_FAILED), {path, SystemErrorText(error)}),
        MB_ICONERROR);
}

void CPreviewWindow::OnTimer(UINT_PTR id)
{
    if (id == TIMER_FILL)
        TakeRows();
    else if (id == TIMER_GIVE_UP)
        ::EndDialog(m_window, IDCANCEL);
}

void CPreviewWindow::TakeRows()
{
    if (!m_filling) return;
    PreviewBatch batch = m_fill.Take();
    if (!batch.rows.empty() && !m_closing)
    {
        const size_t before = m_rows.ShownCount();
        ShowChangedRows(before, m_rows.Add(std::move(batch.rows)));
    }
    if (batch.finished)
    {
        // A plan that stopped before their request leaves no provisional rows.
        if (m_rows.PendingCount() && !m_closing)
        {
            const size_t before = m_rows.ShownCount();
            ShowChangedRows(before, m_rows.DropPending());
        }
        m_filling = false;
        m_failed = batch.failed;
        ::KillTimer(m_window, TIMER_FILL);
        if (m_closing)
        {
            ::EndDialog(m_window, IDCANCEL);
            return;
        }
        ::EnableWindow(Item(IDC_PREVIEW_RUN), m_source.run ? TRUE : FALSE);
    }
    if (!m_closing) ShowCounts();
}

// The list after the rows from shown index `changed` on were replaced or
// removed (`before` rows were shown): a selection there named rows that are
// gone, so it is cleared; the rows above keep theirs and the scroll position
// stays.
void CPreviewWindow::ShowChangedRows(size_t before, size_t changed) const
{
    if (changed < before)
    {
        LVITEMW none = {};
        none.stateMask = LVIS_SELECTED;
        int index = static_cast<int>(changed) - 1;
        while ((index = static_cast<int>(::SendMessageW(
                    m_list, LVM_GETNEXTITEM, static_cast<WPARAM>(index), LVNI_SELECTED))) >= 0)
            ::SendMessageW(m_list, LVM_SETITEMSTATE, static_cast<WPARAM>(index),
                           reinterpret_cast<LPARAM>(&none));
    }
    // Rows only appended: the list draws the new ones. Rows replaced: the
    // list draws again what it shows, since rows kept their index but not
    // their content.
    ::SendMessageW(m_list, LVM_SETITEMCOUNT, m_rows.ShownCount(),
                   changed < before ? LVSICF_NOSCROLL : LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
}

void CPreviewWindow::ShowCounts() const
{
    const std::wstring progress =
        m_failed && !m_filling
            ? LoadTaskelString(IDS_PREVIEW_FAILED)
            : ProgressText(m_filling, m_rows.Count(), m_rows.ShownCount(), m_rows.PendingCount());
    ::SetDlgItemTextW(m_window, IDC_PREVIEW_PROGRESS, progress.c_str());
    ::SetDlgItemTextW(m_window, IDC_PREVIEW_TOTALS, TotalsText(m_rows.Totals()).c_str());
}

void CPreviewWindow::Close()
{
    if (!m_filling)
    {
        ::EndDialog(m_window, IDCANCEL);
        return;
    }
    if (m_closing) return;
    // The plan stops at the next entry it looks at; the window ends when the
    // worker says it is done, or after a while without waiting further.
    m_closing = true;
    m_fill.Cancel();
    for (int id : {IDC_PREVIEW_FILTER, IDC_PREVIEW_COPY, IDC_PREVIEW_SAVE, IDC_PREVIEW_RUN})
        ::EnableWindow(Item(id), FALSE);
    ::SetDlgItemTextW(m_window, IDC_PREVIEW_PROGRESS,
                      LoadTaskelString(IDS_PREVIEW_STOPPING).c_str());
    ::SetTimer(m_window, TIMER_GIVE_UP, GIVE_UP_MS, nullptr);
    TakeRows();
}

void CPreviewWindow::OnDestroy()
{
    ::KillTimer(m_window, TIMER_FILL);
    ::KillTimer(m_window, TIMER_GIVE_UP);
    m_fill.Cancel();
    m_fill.Detach();
    SaveWindowPlacement(m_window, HKEY_CURRENT_USER, g_traceProfile.registryKey);
}
} // namespace

void ShowPreviewWindow(HWND owner, const PreviewSource &source)
{
    try
    {
        CPreviewWindow window(source);
        window.Run(owner);
    }
    TRACE_CATCH_ALL(2)
}
