// The command page on a real command file in a real (modeless) property
// sheet, driven through window messages: filling both views, the action
// group and layout, option boxes, in-place editing, reordering by keys and
// by the repeating button, the clipboard and deleting, Apply writing once,
// read-only pages, captions, the preview of the edited command, and
// screenshots of both views.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <atomic>

#include "Clipboard.h"
#include "FlowTestSupport.h"
#include "PageTestSupport.h"
#include "RtfMarkup.h"
#include "ShellFolderCache.h"
#include "TaskelClass.h"
#include "TaskelCodec.h"
#include "TaskelExecRun.h"
#include "TaskelMessage.h"
#include "TaskelOptions.h"
#include "TaskelStrings.h"
#include "UniqueHandle.h"
#include "resource.h"

namespace
{

std::wstring MakeCommand(const std::wstring &name, const CommandSpec &spec)
{
    std::wstring path = FreshFolder(CurrentTestName()) + name;
    EXPECT_EQ(WriteCommandFile(path, spec), S_OK);
    return path;
}

CommandSpec CopyCommand()
{
    return {EDIT_ACTION_COPY,
            OPT_NOCONFIRMMKDIR | OPT_X_COMPLETE_SOUND,
            {L"in\\*.txt", L"C:\\data\\report.doc", L"\\\\server\\share\\x\\"},
            L"out\\"};
}

bool Checked(HWND button)
{
    return ::SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

FILETIME WriteTime(const std::wstring &path)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data);
    return data.ftLastWriteTime;
}

void EditLabel(HWND list, int row, const std::wstring &text)
{
    ::SetFocus(list);
    HWND edit =
        reinterpret_cast<HWND>(::SendMessageW(list, LVM_EDITLABELW, static_cast<WPARAM>(row), 0));
    ASSERT_NE(edit, nullptr);
    ::SetWindowTextW(edit, text.c_str());
    ::SendMessageW(edit, WM_KEYDOWN, VK_RETURN, 0);
    PumpFor(20);
}

} // namespace

TEST(CommandPage, FillsTheSpecificationView)
{
    CPageHost host(MakeCommand(L"fill.Taskel", CopyCommand()), false, false);
    ASSERT_EQ(host.LoadResult(), S_OK);
    HWND list = host.Item(IDC_SOURCE_LIST);
    EXPECT_TRUE(::IsWindowVisible(list));
    EXPECT_FALSE(::IsWindowVisible(host.Item(IDC_SOURCE_DESCRIPTIONS)));
    ASSERT_EQ(ListViewCount(list), 4);
    EXPECT_EQ(ListViewText(list, 0), L"in\\*.txt");
    EXPECT_EQ(ListViewText(list, 1), L"C:\\data\\report.doc");
    EXPECT_EQ(ListViewText(list, 2), L"\\\\server\\share\\x\\");
    EXPECT_EQ(ListViewText(list, 3), L"Add a new entry here...");
    EXPECT_EQ(ListViewText(host.Item(IDC_TARGET_LIST), 0), L"out\\");
    EXPECT_EQ(WindowText(host.Item(IDC_SOURCE_LABEL)), L"Copy from:");
    EXPECT_EQ(WindowText(host.Item(IDC_TARGET_LABEL)), L"Copy to:");
    EXPECT_TRUE(Checked(host.Item(IDC_ACTION_COPY)));
    EXPECT_TRUE(::IsWindowVisible(host.Item(IDC_ACTION_COPYRENAME)));
    EXPECT_FALSE(::IsWindowVisible(host.Item(IDC_ACTION_MOVERENAME)));
    EXPECT_EQ(WindowText(host.Sheet()), L"Page test - Ferrovane");
    // Row 0 is selected: up disabled, down enabled once the button timer ran.
    PumpFor(200);
    EXPECT_FALSE(::IsWindowEnabled(host.Item(IDC_MOVE_UP)));
    EXPECT_TRUE(::IsWindowEnabled(host.Item(IDC_MOVE_DOWN)));
}

TEST(CommandPage, FillsTheDescriptionViewAndRefreshesWhenComplete)
{
    CPageHost host(MakeCommand(L"words.Taskel", CopyCommand()), false, true);
    ASSERT_EQ(host.LoadResult(), S_OK);
    HWND list = host.Item(IDC_SOURCE_DESCRIPTIONS);
    EXPECT_TRUE(::IsWindowVisible(list));
    EXPECT_FALSE(::IsWindowVisible(host.Item(IDC_SOURCE_LIST)));
    ASSERT_EQ(ListBoxCount(list), 4);
    // The list holds the rows' plain text (what a screen reader reads); the
    // markup is only drawn.
    EXPECT_EQ(ListBoxText(list, 1).rfind(L"report.doc in data on disk ", 0), 0u);
    EXPECT_EQ(ListBoxText(list, 2), L"x on share share on computer server");
    EXPECT_EQ(WindowText(host.Item(IDC_SOURCE_DESC_LABEL)), L"Copy from:");
    EXPECT_TRUE(WaitUntil([&] { return host.Page().ActivationTimer() == 0; }, 5000));
    SetDescriptionView(false);
}

TEST(CommandPage, DescribesALongListInStepsAndKeepsTheSelection)
{
    CommandSpec spec = CopyCommand();
    spec.sources.clear();
    for (int i = 0; i < 300; ++i)
        spec.sources.push_back(L"C:\\data\\f" + std::to_wstring(i) + L"\\*.txt");
    CPageHost host(MakeCommand(L"long.Taskel", spec), false, true);
    ASSERT_EQ(host.LoadResult(), S_OK);
    HWND list = host.Item(IDC_SOURCE_DESCRIPTIONS);
    // The rows in sight are there at once, the rest follow on the timer.
    EXPECT_GE(ListBoxCount(list), 40);
    ASSERT_TRUE(WaitUntil([&] { return ListBoxCount(list) == 301; }, 10000));
    EXPECT_NE(StripRtfMarkup(ListBoxText(list, 299)).find(L"f299 in data"), std::wstring::npos)
        << StripRtfMarkup(ListBoxText(list, 299));
    EXPECT_EQ(ListBoxText(list, 300), LoadTaskelString(IDS_NEW_ENTRY_PROMPT));

    // A refill (as when the folder names are in) keeps the row the user chose
    // and the rows in view.
    ::SendMessageW(list, LB_SETCURSEL, 250, 0);
    ::SendMessageW(list, LB_SETTOPINDEX, 245, 0);
    ::SendMessageW(host.Item(IDC_ACTION_MOVE), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return ListBoxCount(list) == 301; }, 10000));
    PumpFor(300);
    EXPECT_EQ(::SendMessageW(list, LB_GETCURSEL, 0, 0), 250);
    EXPECT_EQ(::SendMessageW(list, LB_GETTOPINDEX, 0, 0), 245);
    EXPECT_EQ(WindowText(host.Item(IDC_SOURCE_DESC_LABEL)), L"Move from:");
    SetDescriptionView(false);
}

// The description rows follow the command through reordering, pasting and
// deleting, and after a row vanished from the list behind the page's back.
TEST(CommandPage, DescriptionRowsFollowEveryChangeOfTheSources)
{
    CommandSpec spec{EDIT_ACTION_COPY,
                     0,
                     {L"C:\\w\\a.txt", L"C:\\w\\b.txt", L"C:\\w\\c.txt", L"C:\\w\\d.txt"},
                     L"C:\\t\\"};
    CPageHost host(MakeCommand(L"follow.Taskel", spec), false, true);
    ASSERT_EQ(host.LoadResult(), S_OK);
    HWND list = host.Item(IDC_SOURCE_DESCRIPTIONS);
    auto rowsMatch = [&] {
        const std::vector<std::wstring> sources = host.Command().GetSources();
        if (ListBoxCount(list) != static_cast<int>(sources.size()) + 1) return false;
        for (size_t i = 0; i < sources.size(); ++i)
        {
            const std::wstring name = sources[i].substr(sources[i].find_last_of(L'\\') + 1);
            if (StripRtfMarkup(ListBoxText(list, static_cast<int>(i))).rfind(name, 0) != 0)
                return false;
        }
        return ListBoxText(list, static_cast<int>(sources.size())) ==
               LoadTaskelString(IDS_NEW_ENTRY_PROMPT);
    };
    ASSERT_TRUE(WaitUntil(rowsMatch, 5000));

    ::SendMessageW(list, LB_SETCURSEL, 0, 0);
    {
        CControlKeyDown ctrl;
        ::SendMessageW(list, WM_KEYDOWN, VK_DOWN, 0);
        ::SendMessageW(list, WM_KEYDOWN, VK_DOWN, 0);
    }
    EXPECT_EQ(host.Command().GetSources()[2], L"C:\\w\\a.txt");
    EXPECT_TRUE(rowsMatch());

    ASSERT_TRUE(CClipboard::SetPaths(nullptr, {L"C:\\p\\one.txt", L"C:\\p\\two.txt"}, {}));
    ::SendMessageW(list, LB_SETCURSEL, 3, 0);
    ::SendMessageW(list, WM_PASTE, 0, 0);
    EXPECT_EQ(host.Command().GetSourceCount(), 5u);
    EXPECT_TRUE(rowsMatch());

    ::SendMessageW(list, LB_SETCURSEL, 0, 0);
    ::SendMessageW(list, WM_KEYDOWN, VK_DELETE, 0);
    EXPECT_EQ(host.Command().GetSourceCount(), 4u);
    EXPECT_TRUE(rowsMatch());

    // A row taken out of the list by another hand comes back at the next
    // refill.
    ::SendMessageW(list, LB_DELETESTRING, 1, 0);
    ::SendMessageW(host.Item(IDC_ACTION_MOVE), BM_CLICK, 0, 0);
    EXPECT_TRUE(WaitUntil(rowsMatch, 5000));
    SetDescriptionView(false);
}

TEST(CommandPage, ActionGroupChangesActionLabelsAndLayout)
{
    CPageHost host(MakeCommand(L"action.Taskel", CopyCommand()), false, false);
    ASSERT_EQ(host.LoadResult(), S_OK);
    RECT normal{};
    ::GetWindowRect(host.Item(IDC_SOURCE_LIST), &normal);

    ::SendMessageW(host.Item(IDC_ACTION_DELETE), BM_CLICK, 0, 0);
    EXPECT_EQ(host.Command().GetAction(), EDIT_ACTION_DELETE);
    EXPECT_FALSE(::IsWindowVisible(host.Item(IDC_TARGET_LIST)));
    EXPECT_FALSE(::IsWindowVisible(host.Item(IDC_TARGET_LABEL)));
    EXPECT_EQ(WindowText(host.Item(IDC_SOURCE_LABEL)), L"Delete:");
    EXPECT_TRUE(::IsWindowVisible(host.Item(IDC_OPT_RECYCLE)));
    EXPECT_FALSE(::IsWindowVisible(host.Item(IDC_OPT_CONFIRM_MKDIR)));
    RECT tall{};
    ::GetWindowRect(host.Item(IDC_SOURCE_LIST), &tall);
    EXPECT_GT(tall.bottom - tall.top, normal.bottom - normal.top);

    ::SendMessageW(host.Item(IDC_ACTION_COPY), BM_CLICK, 0, 0);
    ::SendMessageW(host.Item(IDC_ACTION_COPYRENAME), BM_CLICK, 0, 0);
    EXPECT_EQ(host.Command().GetAction(), EDIT_ACTION_COPYRENAME);
    RECT back{};
    ::GetWindowRect(host.Item(IDC_SOURCE_LIST), &back);
    EXPECT_EQ(back.bottom, normal.bottom);
    EXPECT_TRUE(::IsWindowVisible(host.Item(IDC_TARGET_LIST)));

    // The rename choice carries over to Move.
    ::SendMessageW(host.Item(IDC_ACTION_MOVE), BM_CLICK, 0, 0);
    EXPECT_EQ(host.Command().GetAction(), EDIT_ACTION_MOVERENAME);
    EXPECT_TRUE(Checked(host.Item(IDC_ACTION_MOVERENAME)));
    EXPECT_FALSE(::IsWindowVisible(host.Item(IDC_ACTION_COPYRENAME)));
    EXPECT_EQ(WindowText(host.Item(IDC_TARGET_LABEL)), L"Move to:");
}

TEST(CommandPage, OptionBoxesStoreIntoTheCommand)
{
    CPageHost host(MakeCommand(L"options.Taskel", CopyCommand()), false, false);
    ASSERT_EQ(host.LoadResult(), S_OK);
    const uint32_t before = host.Command().GetOptions();
    EXPECT_TRUE(Checked(host.Item(IDC_OPT_PROGRESS)));
    ::SendMessageW(host.Item(IDC_OPT_PROGRESS), BM_CLICK, 0, 0);
    EXPECT_EQ(host.Command().GetOptions(), before | OPT_SILENT);
    EXPECT_FALSE(::IsWindowEnabled(host.Item(IDC_OPT_FILE_PROGRESS)));
    ::SendMessageW(host.Item(IDC_OPT_SUBFOLDERS), BM_CLICK, 0, 0);
    EXPECT_EQ(host.Command().GetOptions() & OPT_FILESONLY, OPT_FILESONLY);
    ::SendMessageW(host.Item(IDC_OPT_SOUND), BM_CLICK, 0, 0);
    EXPECT_EQ(host.Command().GetOptions() & OPT_X_COMPLETE_SOUND, 0u);
}

TEST(CommandPage, InPlaceEditingStoresWhatWasTyped)
{
    CPageHost host(MakeCommand(L"edit.Taskel", CopyCommand()), false, false);
    ASSERT_EQ(host.LoadResult(), S_OK);
    HWND list = host.Item(IDC_SOURCE_LIST);
    std::wstring entry;

    EditLabel(list, 0, L"  logs\\..\\in\\*.log ");
    host.Command().GetSource(0, entry);
    EXPECT_EQ(entry, L"logs\\..\\in\\*.log"); // as typed, trimmed; no folder part added
    EXPECT_EQ(ListViewText(list, 0), L"in\\*.log");

    EditLabel(list, 1, L"C:\\bad<name");
    host.Command().GetSource(1, entry);
    EXPECT_EQ(entry, L"C:\\data\\report.doc"); // refused: the old entry stays

    EditLabel(list, 3, L"D:\\new\\");
    EXPECT_EQ(host.Command().GetSourceCount(), 4u);
    host.Command().GetSource(3, entry);
    EXPECT_EQ(entry, L"D:\\new\\");
    EXPECT_EQ(ListViewCount(list), 5);

    EditLabel(host.Item(IDC_TARGET_LIST), 0, L"E:\\dest\\");
    EXPECT_EQ(host.Command().GetTarget(), L"E:\\dest\\");
}

TEST(CommandPage, ReordersWithControlArrowsAndTheHeldButton)
{
    CommandSpec spec{EDIT_ACTION_MOVE, 0, {L"C:\\a", L"C:\\b", L"C:\\c", L"C:\\d"}, L"C:\\t\\"};
    CPageHost host(MakeCommand(L"order.Taskel", spec), false, false);
    ASSERT_EQ(host.LoadResult(), S_OK);
    HWND list = host.Item(IDC_SOURCE_LIST);
    {
        CControlKeyDown ctrl;
        ::SendMessageW(list, WM_KEYDOWN, VK_DOWN, 0);
        ::SendMessageW(list, WM_KEYDOWN, VK_DOWN, 0);
    }
    EXPECT_EQ(host.Command().GetSources(),
              (std::vector<std::wstring>{L"C:\\b", L"C:\\c", L"C:\\a", L"C:\\d"}));
    EXPECT_EQ(ListViewText(list, 2), L"C:\\a");
    EXPECT_EQ(ListView_GetNextItem(list, -1, LVNI_SELECTED), 2);
    {
        CControlKeyDown ctrl;
        ::SendMessageW(list, WM_KEYDOWN, VK_UP, 0);
    }
    EXPECT_EQ(host.Command().GetSources(),
              (std::vector<std::wstring>{L"C:\\b", L"C:\\a", L"C:\\c", L"C:\\d"}));

    // Holding "down" repeats at the drag delay until the last real entry.
    HWND down = host.Item(IDC_MOVE_DOWN);
    PumpFor(150);
    ASSERT_TRUE(::IsWindowEnabled(down));
    ::SendMessageW(down, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    const UINT delay = ::GetProfileIntW(L"windows", L"DragDelay", 200);
    EXPECT_TRUE(
        WaitUntil([&] { return host.Command().GetSources().back() == L"C:\\a"; }, delay * 6));
    PumpFor(delay * 2);
    ::SendMessageW(down, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
    EXPECT_EQ(host.Command().GetSources(),
              (std::vector<std::wstring>{L"C:\\b", L"C:\\c", L"C:\\d", L"C:\\a"}));
    PumpFor(150);
    EXPECT_FALSE(::IsWindowEnabled(down));
}

TEST(CommandPage, ClipboardAndDelete)
{
    CPageHost host(MakeCommand(L"clip.Taskel", CopyCommand()), false, false);
    ASSERT_EQ(host.LoadResult(), S_OK);
    HWND list = host.Item(IDC_SOURCE_LIST);
    ListView_SetItemState(list, 1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ::SendMessageW(list, WM_COPY, 0, 0);
    std::vector<std::wstring> paths;
    bool hasText = false;
    ASSERT_TRUE(CClipboard::GetPaths(nullptr, paths, hasText));
    EXPECT_TRUE(hasText);
    EXPECT_EQ(paths, std::vector<std::wstring>{L"C:\\data\\report.doc"});
    ASSERT_TRUE(::IsClipboardFormatAvailable(CF_HDROP));

    ::SendMessageW(list, WM_CUT, 0, 0);
    EXPECT_EQ(host.Command().GetSources(),
              (std::vector<std::wstring>{L"in\\*.txt", L"\\\\server\\share\\x\\"}));

    // Two lines of text are taken by the page, over the rows from the selection on.
    ASSERT_TRUE(CClipboard::SetPaths(nullptr, {L"C:\\p\\one.txt", L"C:\\p\\two.txt"}, {}));
    ListView_SetItemState(list, 1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ::SendMessageW(list, WM_PASTE, 0, 0);
    EXPECT_EQ(host.Command().GetSources(),
              (std::vector<std::wstring>{L"in\\*.txt", L"C:\\p\\one.txt", L"C:\\p\\two.txt"}));

    ListView_SetItemState(list, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ::SendMessageW(list, WM_KEYDOWN, VK_DELETE, 0);
    EXPECT_EQ(host.Command().GetSources(),
              (std::vector<std::wstring>{L"C:\\p\\one.txt", L"C:\\p\\two.txt"}));
    ::SendMessageW(host.Item(IDC_TARGET_LIST), WM_CLEAR, 0, 0);
    EXPECT_EQ(host.Command().GetTarget(), L"");
}

// An entry cut from the list and pasted on the empty last row comes back
// as it was stored (relative, with its rename part), in both views; a path
// that comes from another program as a file list alone is normalised.
TEST(CommandPage, PastedEntriesComeBackAsStored)
{
    CommandSpec spec{
        EDIT_ACTION_COPYRENAME, 0, {L"src\\*.txt>*.bak", L"C:\\data\\report.doc"}, L"out\\"};
    const std::wstring path = MakeCommand(L"paste.Taskel", spec);
    {
        CPageHost host(path, false, true);
        ASSERT_EQ(host.LoadResult(), S_OK);
        HWND list = host.Item(IDC_SOURCE_DESCRIPTIONS);
        ::SendMessageW(list, LB_SETCURSEL, 0, 0);
        ::SendMessageW(list, WM_CUT, 0, 0);
        ASSERT_EQ(host.Command().GetSources(), std::vector<std::wstring>{L"C:\\data\\report.doc"});
        ::SendMessageW(list, LB_SETCURSEL, 1, 0);
        ::SendMessageW(list, WM_PASTE, 0, 0);
        EXPECT_EQ(host.Command().GetSources(),
                  (std::vector<std::wstring>{L"C:\\data\\report.doc", L"src\\*.txt>*.bak"}));

        // The target's entry likewise.
        HWND target = host.Item(IDC_TARGET_DESCRIPTIONS);
        ::SendMessageW(target, LB_SETCURSEL, 0, 0);
        ::SendMessageW(target, WM_CUT, 0, 0);
        ASSERT_EQ(host.Command().GetTarget(), L"");
        ::SendMessageW(target, WM_PASTE, 0, 0);
        EXPECT_EQ(host.Command().GetTarget(), L"out\\");

        // Explorer's file list: the path is made relative to the command's
        // folder as before.
        const std::wstring folder = path.substr(0, path.find_last_of(L'\\') + 1);
        ASSERT_TRUE(CClipboard::SetPaths(nullptr, {}, {folder + L"new.txt"}));
        ::SendMessageW(list, LB_SETCURSEL, 2, 0);
        ::SendMessageW(list, WM_PASTE, 0, 0);
        ASSERT_EQ(host.Command().GetSourceCount(), 3u);
        const std::wstring pasted = host.Command().GetSources()[2];
        EXPECT_EQ(pasted.substr(pasted.size() - 7), L"new.txt");
    }
    SetDescriptionView(false);
    // In the specification view one text goes to the in-place editor,
    // which gets the entry as stored.
    CPageHost host(path, false, false);
    ASSERT_EQ(host.LoadResult(), S_OK);
    HWND list = host.Item(IDC_SOURCE_LIST);
    ListView_SetItemState(list, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ::SendMessageW(list, WM_COPY, 0, 0);
    ListView_SetItemState(list, 2, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ::SetFocus(list);
    ::SendMessageW(list, WM_PASTE, 0, 0);
    HWND edit = ListView_GetEditControl(list);
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(WindowText(edit), L"src\\*.txt>*.bak");
    ::SendMessageW(edit, WM_KEYDOWN, VK_ESCAPE, 0);
}

// What the lists' context menu offered, read inside its own loop and then
// closed.
std::vector<std::wstring> g_menuItems;
void CALLBACK ReadAndCloseMenu(HWND, UINT, UINT_PTR timer, DWORD)
{
    HWND popup = ::FindWindowW(L"#32768", nullptr);
    if (!popup) return;
    ::KillTimer(nullptr, timer);
    HMENU menu = reinterpret_cast<HMENU>(::SendMessageW(popup, MN_GETHMENU, 0, 0));
    for (int i = 0; menu && i < ::GetMenuItemCount(menu); ++i)
    {
        wchar_t text[64] = {};
        ::GetMenuStringW(menu, static_cast<UINT>(i), text, 64, MF_BYPOSITION);
        g_menuItems.push_back(text);
    }
    ::EndMenu();
}

// A right click in the description view selects the row under the mouse
// before the menu acts on it; the menu ends with a separator and the
// list's "What's This?".
TEST(CommandPage, ContextMenuActsOnTheRowUnderTheMouse)
{
    CPageHost host(MakeCommand(L"menu.Taskel", CopyCommand()), false, true);
    ASSERT_EQ(host.LoadResult(), S_OK);
    HWND list = host.Item(IDC_SOURCE_DESCRIPTIONS);
    ::SendMessageW(list, LB_SETCURSEL, 0, 0);
    RECT row{};
    ASSERT_NE(::SendMessageW(list, LB_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&row)), LB_ERR);
    POINT at{row.left + 5, (row.top + row.bottom) / 2};
    ::ClientToScreen(list, &at);
    g_menuItems.clear();
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 20, ReadAndCloseMenu);
    ::SendMessageW(list, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list), MAKELPARAM(at.x, at.y));
    ::KillTimer(nullptr, timer);
    EXPECT_EQ(::SendMessageW(list, LB_GETCURSEL, 0, 0), 2);
    ASSERT_EQ(g_menuItems.size(), 6u);
    EXPECT_EQ(g_menuItems[0], L"Cu&t\tCtrl+X");
    EXPECT_EQ(g_menuItems[4], L"");
    EXPECT_EQ(g_menuItems[5], L"What's This?");
    SetDescriptionView(false);
}

TEST(CommandPage, ApplyWritesOnceAndOnlyChangedCommands)
{
    const std::wstring path = MakeCommand(L"apply.Taskel", CopyCommand());
    auto host = std::make_unique<CPageHost>(path, false, false);
    ASSERT_EQ(host->LoadResult(), S_OK);
    // An hour back: a write stamps the file with the time now.
    ASSERT_TRUE(SetWriteTimeBack(path));
    const std::vector<BYTE> original = ReadBytes(path);
    const FILETIME originalTime = WriteTime(path);

    // Nothing changed: Apply writes nothing.
    ::SendMessageW(host->Sheet(), PSM_APPLY, 0, 0);
    PumpFor(20);
    EXPECT_EQ(ReadBytes(path), original);
    FILETIME now = WriteTime(path);
    EXPECT_EQ(CompareFileTime(&originalTime, &now), 0);

    ::SendMessageW(host->Item(IDC_OPT_IGNORE_ERRORS), BM_CLICK, 0, 0);
    ::SendMessageW(host->Sheet(), PSM_APPLY, 0, 0);
    PumpFor(20);
    const std::vector<BYTE> saved = ReadBytes(path);
    EXPECT_NE(saved, original);
    now = WriteTime(path);
    EXPECT_NE(CompareFileTime(&originalTime, &now), 0);
    ASSERT_TRUE(SetWriteTimeBack(path));
    const FILETIME savedTime = WriteTime(path);
    ::SendMessageW(host->Sheet(), PSM_APPLY, 0, 0);
    PumpFor(20);
    EXPECT_EQ(ReadBytes(path), saved);
    now = WriteTime(path);
    EXPECT_EQ(CompareFileTime(&savedTime, &now), 0);

    // The saved file holds the change (the sheet closed first: an active
    // page holds its file).
    host.reset();
    CPageHost again(path, true, false);
    ASSERT_EQ(again.LoadResult(), S_OK);
    EXPECT_EQ(again.Command().GetOptions() & OPT_X_IGNORE_ERRORS, OPT_X_IGNORE_ERRORS);
}

std::vector<std::wstring> g_messages;
int RecordMessage(HWND, UINT, const std::wstring &text, UINT)
{
    g_messages.push_back(text);
    return IDOK;
}

// A save that cannot write the file tells the user why (with the file's
// name) and keeps the sheet and the change; the next Apply writes it. Once
// written, the file is let go while the sheet stays open.
TEST(CommandPage, AFailedSaveSaysWhyAndTheSavedFileIsLetGo)
{
    const std::wstring path = MakeCommand(L"locked.Taskel", CopyCommand());
    CPageHost host(path, false, false);
    ASSERT_EQ(host.LoadResult(), S_OK);
    g_messages.clear();
    const MessageSink previous = SetMessageSink(RecordMessage);
    ::SendMessageW(host.Item(IDC_OPT_IGNORE_ERRORS), BM_CLICK, 0, 0);
    {
        // Another program holds the file without sharing.
        fx::unique_file holder(
            ::CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(holder);
        EXPECT_FALSE(::SendMessageW(host.Sheet(), PSM_APPLY, 0, 0));
        PumpFor(20);
        ASSERT_EQ(g_messages.size(), 1u);
        EXPECT_EQ(g_messages[0].rfind(path, 0), 0u) << g_messages[0];
        EXPECT_GT(g_messages[0].size(), path.size() + 4) << "the reason follows the name";
        EXPECT_NE(host.Command().GetOptions() & OPT_X_IGNORE_ERRORS, 0u);
    }
    EXPECT_TRUE(::SendMessageW(host.Sheet(), PSM_APPLY, 0, 0));
    PumpFor(20);
    EXPECT_EQ(g_messages.size(), 1u);
    SetMessageSink(previous);
    {
        CPageHost reader(path, true, false);
        ASSERT_EQ(reader.LoadResult(), S_OK);
        EXPECT_NE(reader.Command().GetOptions() & OPT_X_IGNORE_ERRORS, 0u);
    }
    // The sheet is still open, the file free to write and delete.
    fx::unique_file writer(::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                         OPEN_EXISTING, 0, nullptr));
    EXPECT_TRUE(writer);
    writer.reset();
    EXPECT_TRUE(::DeleteFileW(path.c_str()));
}

// A command grown past what a command file holds (here one source past the
// most) is not written: Apply says why and keeps the sheet, the file keeps
// the command it held, and once the command fits again Apply writes it.
TEST(CommandPage, ACommandPastTheLimitsIsNotWrittenAndKeepsTheSheet)
{
    CommandSpec largest = CopyCommand();
    largest.sources.clear();
    for (size_t i = 0; i < kMaxSources; ++i)
        largest.sources.push_back(L"in\\" + std::to_wstring(i) + L".txt");
    const std::wstring path = MakeCommand(L"largest.Taskel", largest);
    CPageHost host(path, false, false);
    ASSERT_EQ(host.LoadResult(), S_OK);
    const std::vector<BYTE> original = ReadBytes(path);
    g_messages.clear();
    const MessageSink previous = SetMessageSink(RecordMessage);

    host.Command().SetSource(static_cast<long>(kMaxSources), L"in\\one-more.txt");
    EXPECT_FALSE(::SendMessageW(host.Sheet(), PSM_APPLY, 0, 0));
    ASSERT_EQ(g_messages.size(), 1u);
    EXPECT_EQ(g_messages[0], FileFailureText(path, HRESULT_FROM_WIN32(ERROR_FILE_TOO_LARGE)));
    EXPECT_EQ(ReadBytes(path), original);
    EXPECT_EQ(host.Command().GetSourceCount(), kMaxSources + 1);

    host.Command().SetSource(0, L"");
    EXPECT_TRUE(::SendMessageW(host.Sheet(), PSM_APPLY, 0, 0));
    EXPECT_EQ(g_messages.size(), 1u);
    SetMessageSink(previous);
    EXPECT_NE(ReadBytes(path), original);
}

TEST(CommandPage, ReadOnlyPageBeepsAndNeverWrites)
{
    const std::wstring path = MakeCommand(L"locked.Taskel", CopyCommand());
    CPageHost host(path, true, false);
    ASSERT_EQ(host.LoadResult(), S_OK);
    const std::vector<BYTE> original = ReadBytes(path);
    const uint32_t options = host.Command().GetOptions();
    ::SendMessageW(host.Item(IDC_OPT_SOUND), BM_CLICK, 0, 0);
    ::SendMessageW(host.Item(IDC_ACTION_DELETE), BM_CLICK, 0, 0);
    ::SendMessageW(host.Item(IDC_SOURCE_LIST), WM_CLEAR, 0, 0);
    EXPECT_EQ(host.Command().GetOptions(), options);
    EXPECT_EQ(host.Command().GetAction(), EDIT_ACTION_COPY);
    EXPECT_EQ(host.Command().GetSourceCount(), 3u);
    EXPECT_TRUE(Checked(host.Item(IDC_OPT_SOUND)));
    EXPECT_TRUE(Checked(host.Item(IDC_ACTION_COPY)));
    ::SendMessageW(host.Sheet(), PSM_APPLY, 0, 0);
    PumpFor(20);
    EXPECT_EQ(ReadBytes(path), original);
}

// What Run received from the preview: the command it ran and its base.
struct RunSeen
{
    std::atomic<int> runs{0};
    std::wstring target;
    std::wstring sources;
    std::wstring baseFolder;
    bool owned = false;
};
RunSeen g_run;

bool RecordCopyRun(CTaskel &command, const std::wstring &baseFolder, HWND owner, RunOutcome *)
{
    const ExecCommand ran = ExecCommandOf(command);
    g_run.target = ran.target;
    g_run.sources = ran.sourceList;
    g_run.baseFolder = baseFolder;
    g_run.owned = owner != nullptr;
    ++g_run.runs;
    return true;
}

// Preview... shows the command as it stands on the page, unsaved edits
// included, resolved against the command file's folder, in a window the
// sheet waits on; it saves nothing, copies nothing and leaves the page as
// it was, and its Run runs the edited command.
TEST(CommandPage, PreviewShowsTheEditedCommandAndSavesNothing)
{
    const std::wstring path =
        MakeCommand(L"Nightly.Taskel", {EDIT_ACTION_COPY, 0, {L"in\\*.txt"}, L"out\\"});
    const std::wstring folder = path.substr(0, path.find_last_of(L'\\') + 1);
    WriteText(folder + L"in\\a.txt");
    WriteText(folder + L"more\\b.log");
    CPageHost host(path, false, false);
    ASSERT_EQ(host.LoadResult(), S_OK);
    const std::vector<BYTE> original = ReadBytes(path);
    HWND apply = ::GetDlgItem(host.Sheet(), 0x3021);
    HWND button = host.Item(IDC_PREVIEW_COMMAND);
    ASSERT_NE(button, nullptr);
    EXPECT_TRUE(::IsWindowVisible(button));
    EXPECT_EQ(WindowText(button), L"Pre&view...");
    const std::wstring title = L"Nightly.Taskel - Preview";

    // As saved; previewing does not count as a change.
    const PreviewSeen saved = PreviewFromButton(button, title);
    ASSERT_TRUE(saved.shown);
    EXPECT_EQ(saved.owner, host.Sheet());
    EXPECT_FALSE(saved.ownerEnabled) << "the sheet waits while the preview shows";
    EXPECT_TRUE(::IsWindowEnabled(host.Sheet()));
    ASSERT_EQ(saved.rows.size(), 1u);
    EXPECT_EQ(saved.rows[0][1], folder + L"in\\a.txt");
    EXPECT_EQ(saved.rows[0][2], folder + L"out\\a.txt");
    EXPECT_FALSE(::IsWindowEnabled(apply));

    // Edited and not applied: another source and a new target.
    EditLabel(host.Item(IDC_SOURCE_LIST), 1, L"more\\*.log");
    EditLabel(host.Item(IDC_TARGET_LIST), 0, L"edited\\");
    ASSERT_EQ(host.Command().GetSourceCount(), 2u);

    SetTaskelRunner({nullptr, RecordCopyRun, nullptr, nullptr, nullptr});
    g_run.runs = 0;
    const PreviewSeen edited =
        PreviewFromButton(button, title, L"page-preview.png", [] { return g_run.runs == 1; });
    SetTaskelRunner({});
    ASSERT_TRUE(edited.shown);
    ASSERT_EQ(edited.rows.size(), 2u);
    EXPECT_EQ(edited.rows[0][0], L"Copy");
    EXPECT_EQ(edited.rows[0][1], folder + L"in\\a.txt");
    EXPECT_EQ(edited.rows[0][2], folder + L"edited\\a.txt");
    EXPECT_EQ(edited.rows[1][1], folder + L"more\\b.log");
    EXPECT_EQ(edited.rows[1][2], folder + L"edited\\b.log");
    EXPECT_FALSE(edited.screenshot.empty());
    // Run ran the command as edited, from the file's folder, owned by the
    // preview.
    EXPECT_TRUE(edited.runShown);
    EXPECT_TRUE(edited.ran);
    EXPECT_EQ(g_run.target, L"edited\\");
    EXPECT_EQ(g_run.sources, std::wstring(L"in\\*.txt\0more\\*.log\0\0", 21));
    EXPECT_EQ(g_run.baseFolder + L"\\", folder);
    EXPECT_TRUE(g_run.owned);

    // The file is as saved, nothing was copied, and the page keeps the edits.
    EXPECT_EQ(ReadBytes(path), original);
    EXPECT_FALSE(Exists(folder + L"edited"));
    EXPECT_EQ(ListViewText(host.Item(IDC_TARGET_LIST), 0), L"edited\\");
    EXPECT_EQ(ListViewText(host.Item(IDC_SOURCE_LIST), 1), L"more\\*.log");
    EXPECT_EQ(host.Command().GetTarget(), L"edited\\");
    EXPECT_TRUE(::IsWindowEnabled(apply));
}

TEST(CommandPage, CaptionFromTheFileName)
{
    EXPECT_EQ(CTaskelPropPage::CaptionFor(L"C:\\Jobs\\report.Taskel"), L"report");
    std::wstring longName = CTaskelPropPage::CaptionFor(
        L"C:\\Jobs\\A very long command name that goes on and on.Taskel");
    EXPECT_LE(longName.size(), 32u);
    EXPECT_NE(longName.find(L"..."), std::wstring::npos) << Narrow(longName);
    EXPECT_EQ(CTaskelPropPage::CaptionFor(L"C:\\Jobs\\"), L"");
    CTaskelPropPage page(::GetModuleHandleW(nullptr));
    page.SetFileName(L"C:\\Jobs\\");
    EXPECT_EQ(page.Title(), L"Command");
    EXPECT_EQ(page.CommandFolder(), L"C:\\Jobs\\");
    EXPECT_TRUE(FAILED(page.Load(nullptr, false)));
    CTaskelPropPage empty(::GetModuleHandleW(nullptr));
    EXPECT_EQ(empty.Load(nullptr, false), static_cast<HRESULT>(0x8000FFFF));
}

// Pictures of both views for the documentation, on a command whose paths
// read as a user's would.
TEST(CommandPage, Screenshots)
{
    CommandSpec spec{EDIT_ACTION_COPYRENAME,
                     OPT_NOCONFIRMMKDIR | OPT_X_COMPLETE_SOUND | OPT_RENAMEONCOLLISION,
                     {L"C:\\Reports\\*.xlsx>*.bak", L"C:\\Users\\Public\\Documents\\Letters\\",
                      L"\\\\server\\archive\\2026\\*.*"},
                     L"D:\\Backup\\Reports\\"};
    const std::wstring path = MakeCommand(L"Monthly reports.Taskel", spec);
    for (bool descriptions : {false, true})
    {
        CPageHost host(path, false, descriptions);
        ASSERT_EQ(host.LoadResult(), S_OK);
        WaitUntil([&] { return host.Page().ActivationTimer() == 0; }, 5000);
        EXPECT_EQ(WindowText(host.Item(IDC_SOURCE_LABEL)), L"Copy from:");
        const std::wstring shot =
            SaveScreenshot(host.Sheet(), descriptions ? L"command-page-descriptions.png"
                                                      : L"command-page-specifications.png");
        EXPECT_FALSE(shot.empty());
    }
    SetDescriptionView(false);
}
