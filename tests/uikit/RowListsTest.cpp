// The two lists over an array of rows and the list-box wrapper under them,
// on real controls: the rich-text list box keeps its rows' texts so that a
// refill sends nothing for an unchanged row, replaces a changed one in
// place with its selection, and reads its rows again once they were changed
// behind its back; the list view sets, appends and trims rows and selects
// one alone. The row decision itself without a window.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "ListBox.h"
#include "ListViewArrayEdit.h"
#include "RtfListBoxArray.h"

namespace
{

// A top-level window holding one list, whose messages a subclass counts.
class ListHost
{
  public:
    ListHost(const wchar_t *cls, DWORD style)
    {
        m_window =
            ::CreateWindowExW(0, L"STATIC", L"host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400,
                              300, nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
        m_list = ::CreateWindowExW(0, cls, L"", WS_CHILD | WS_VISIBLE | WS_BORDER | style, 0, 0,
                                   380, 200, m_window, reinterpret_cast<HMENU>(100),
                                   ::GetModuleHandleW(nullptr), nullptr);
        ::SetWindowSubclass(m_list, Count, 1, reinterpret_cast<DWORD_PTR>(this));
    }
    ~ListHost()
    {
        ::RemoveWindowSubclass(m_list, Count, 1);
        ::DestroyWindow(m_window);
    }
    HWND List() const { return m_list; }
    HFONT Font() const { return static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT)); }
    // Row changes the list received since the last call.
    int TakeChanges()
    {
        const int changes = m_changes;
        m_changes = 0;
        return changes;
    }

  private:
    static LRESULT CALLBACK Count(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                  DWORD_PTR data)
    {
        if (message == LB_INSERTSTRING || message == LB_DELETESTRING || message == LB_ADDSTRING)
            ++reinterpret_cast<ListHost *>(data)->m_changes;
        return ::DefSubclassProc(window, message, wParam, lParam);
    }

    HWND m_window = nullptr;
    HWND m_list = nullptr;
    int m_changes = 0;
};

const DWORD kRtfListStyle = LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOTIFY | WS_VSCROLL;

std::vector<std::wstring> Rows(const CListBox &list)
{
    std::vector<std::wstring> rows;
    for (int row = 0; row < list.GetCount(); ++row)
        rows.push_back(list.GetText(row));
    return rows;
}

} // namespace

TEST(RowChange, KeepsReplacesOrAppends)
{
    EXPECT_EQ(RowChangeFor(0, 2, L"a", L"a"), RowChange::Keep);
    EXPECT_EQ(RowChangeFor(1, 2, L"b", L"B"), RowChange::Replace); // case matters: markup
    EXPECT_EQ(RowChangeFor(2, 2, L"", L""), RowChange::Append);
    EXPECT_EQ(RowChangeFor(0, 0, L"x", L"x"), RowChange::Append);
}

TEST(ListBoxWrapper, RowsTextsSelectionAndTopRow)
{
    ListHost host(L"LISTBOX", LBS_HASSTRINGS | LBS_NOTIFY | WS_VSCROLL);
    CListBox list(host.List());
    EXPECT_EQ(list.InsertString(-1, L"one"), 0);
    EXPECT_EQ(list.InsertString(-1, L"three"), 1);
    EXPECT_EQ(list.InsertString(1, L"two"), 1);
    EXPECT_EQ(Rows(list), (std::vector<std::wstring>{L"one", L"two", L"three"}));
    EXPECT_EQ(list.GetText(7), L""); // no such row
    EXPECT_EQ(list.GetCurSel(), -1);
    list.SetCurSel(2);
    EXPECT_EQ(list.GetCurSel(), 2);
    EXPECT_TRUE(list.DeleteString(0));
    EXPECT_FALSE(list.DeleteString(5));
    EXPECT_EQ(list.GetCount(), 2);
    for (int i = 0; i < 50; ++i)
        list.InsertString(-1, L"more");
    list.SetTopIndex(10);
    EXPECT_EQ(list.GetTopIndex(), 10);
    list.ResetContent();
    EXPECT_EQ(list.GetCount(), 0);
}

TEST(RtfListBoxArray, RefillSendsNothingForUnchangedRows)
{
    ListHost host(L"LISTBOX", kRtfListStyle);
    CRtfListBoxArray rows;
    rows.Attach(host.List(), host.Font());
    const std::vector<std::wstring> texts = {L"\\b a\\b0", L"b", L"c"};
    for (int row = 0; row < 3; ++row)
        rows.SetRow(row, texts[static_cast<size_t>(row)], row);
    EXPECT_EQ(host.TakeChanges(), 3);
    // The list holds the plain texts (what other programs read); the
    // markup is kept for drawing.
    EXPECT_EQ(Rows(rows.List()), (std::vector<std::wstring>{L"a", L"b", L"c"}));
    EXPECT_EQ(rows.KeptTexts(3), texts);

    // The same texts again: not one row change reaches the list.
    for (int row = 0; row < 3; ++row)
        rows.SetRow(row, texts[static_cast<size_t>(row)], 3);
    EXPECT_EQ(host.TakeChanges(), 0);

    // A changed row is replaced where it stands and stays selected.
    rows.Select(1);
    rows.SetRow(1, L"B", 3);
    EXPECT_EQ(host.TakeChanges(), 2); // delete and insert
    EXPECT_EQ(Rows(rows.List()), (std::vector<std::wstring>{L"a", L"B", L"c"}));
    EXPECT_EQ(rows.Selection(), 1);

    // Trimming keeps the kept texts in step: the next append is row 1.
    rows.DeleteRowsFrom(1);
    EXPECT_EQ(rows.KeptTexts(1), (std::vector<std::wstring>{L"\\b a\\b0"}));
    rows.SetRow(1, L"new", 1);
    EXPECT_EQ(Rows(rows.List()), (std::vector<std::wstring>{L"a", L"new"}));
}

TEST(RtfListBoxArray, RowsChangedBehindItsBackAreReadAgain)
{
    ListHost host(L"LISTBOX", kRtfListStyle);
    CRtfListBoxArray rows;
    rows.Attach(host.List(), host.Font());
    for (int row = 0; row < 4; ++row)
        rows.SetRow(row, L"row " + std::to_wstring(row), row);

    // Another hand takes row 1 out: the kept texts no longer match the row
    // count, so the next fill reads the rows and puts back what is missing.
    CListBox(host.List()).DeleteString(1);
    const std::vector<std::wstring> wanted = {L"row 0", L"row 1", L"row 2", L"row 3"};
    int count = rows.Count();
    for (int row = 0; row < 4; ++row)
    {
        rows.SetRow(row, wanted[static_cast<size_t>(row)], count);
        if (row >= count) ++count;
    }
    EXPECT_EQ(Rows(rows.List()), wanted);
    EXPECT_EQ(rows.KeptTexts(4), wanted);
    rows.DeleteRowsFrom(4);
    EXPECT_EQ(rows.Count(), 4);
}

TEST(RtfListBoxArray, DrawsItsRowsWithTheMarkupOrPlain)
{
    ListHost host(L"LISTBOX", kRtfListStyle);
    CRtfListBoxArray rows;
    rows.Attach(host.List(), host.Font());
    rows.SetRow(0, L"\\cf1\\b folder\\b0\\cf0", 0);
    rows.SetRow(1, L"Add a new entry here...", 1);
    rows.SetPlainRowsFrom(1);
    EXPECT_FALSE(rows.HasDrawn());
    HDC screen = ::GetDC(nullptr);
    HDC dc = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, 300, 40);
    HGDIOBJ old = ::SelectObject(dc, bitmap);
    for (UINT row : {0u, 1u, static_cast<UINT>(-1)})
    {
        DRAWITEMSTRUCT item{};
        item.CtlType = ODT_LISTBOX;
        item.itemID = row;
        item.hwndItem = host.List();
        item.hDC = dc;
        item.rcItem = {0, 0, 300, 20};
        item.itemState = row == 0 ? ODS_SELECTED : 0;
        rows.DrawRow(item);
    }
    ::SelectObject(dc, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(dc);
    ::ReleaseDC(nullptr, screen);
    EXPECT_TRUE(rows.HasDrawn());
    // The rows are one line of the font high and two pixels more.
    TEXTMETRICW tm{};
    HDC listDc = ::GetDC(host.List());
    HGDIOBJ font = ::SelectObject(listDc, host.Font());
    ::GetTextMetricsW(listDc, &tm);
    ::SelectObject(listDc, font);
    ::ReleaseDC(host.List(), listDc);
    EXPECT_EQ(::SendMessageW(host.List(), LB_GETITEMHEIGHT, 0, 0), tm.tmHeight + 2);
}

TEST(ListViewArrayEdit, SetsAppendsTrimsAndSelectsOneRow)
{
    ListHost host(WC_LISTVIEWW, LVS_REPORT | LVS_SINGLESEL | LVS_EDITLABELS | LVS_NOCOLUMNHEADER);
    CListViewArrayEdit rows;
    rows.Attach(host.List());
    EXPECT_EQ(::SendMessageW(host.List(), LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) &
                  LVS_EX_FULLROWSELECT,
              LVS_EX_FULLROWSELECT);
    RECT client{};
    ::GetClientRect(host.List(), &client);
    EXPECT_EQ(rows.List().Send(LVM_GETCOLUMNWIDTH, 0),
              client.right - ::GetSystemMetrics(SM_CXVSCROLL));

    for (int row = 0; row < 3; ++row)
        rows.SetRow(row, L"entry " + std::to_wstring(row), row);
    rows.SetRow(1, L"changed");
    EXPECT_EQ(rows.Count(), 3);
    EXPECT_EQ(rows.List().GetItemText(1), L"changed");
    EXPECT_EQ(rows.Selection(), -1);
    rows.Select(2);
    rows.Select(0);
    EXPECT_EQ(rows.Selection(), 0);
    EXPECT_EQ(rows.List().GetSelectedCount(), 1);
    EXPECT_EQ(rows.List().GetFocused(), 0);
    rows.DeleteRowsFrom(1);
    EXPECT_EQ(rows.Count(), 1);
    EXPECT_EQ(rows.List().GetItemText(0), L"entry 0");

    // The owner starts the in-place editor; it shows the row's label.
    ::SetFocus(host.List());
    HWND edit = rows.EditLabel(0);
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(rows.EditControl(), edit);
    wchar_t text[32] = {};
    ::GetWindowTextW(edit, text, 32);
    EXPECT_STREQ(text, L"entry 0");
    rows.List().CancelEditLabel();
}
