// The folder tree, file list and file-type list: their decisions on plain
// data and real folders (chains to a folder, hidden folders, names a folder
// can take, filters, extensions), and the controls themselves on a dialog
// window: lazy expansion, selecting a path, renaming in place, filtering
// and selecting files, choosing a type.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <functional>

#include "FileList.h"
#include "FileTypeList.h"
#include "FolderTree.h"
#include "TestFiles.h"
#include "TestWindows.h"

using namespace foldertree;
using namespace filelist;
using namespace filetypes;

TEST(FolderTreeRules, ChainsRunFromTheRootDown)
{
    EXPECT_EQ(PathChain(L"C:\\a\\b"),
              (std::vector<std::wstring>{L"C:\\", L"C:\\a\\", L"C:\\a\\b\\"}));
    EXPECT_EQ(PathChain(L"C:\\a\\b\\"), PathChain(L"C:\\a\\b"));
    EXPECT_EQ(PathChain(L"C:\\"), (std::vector<std::wstring>{L"C:\\"}));
    EXPECT_EQ(PathChain(L"\\\\srv\\share\\x"),
              (std::vector<std::wstring>{L"\\\\srv\\share\\", L"\\\\srv\\share\\x\\"}));
    // Not qualified, or with an empty component: no chain.
    EXPECT_TRUE(PathChain(L"a\\b").empty());
    EXPECT_TRUE(PathChain(L"").empty());
    EXPECT_TRUE(PathChain(L"\\\\srv").empty());
    EXPECT_TRUE(PathChain(L"C:\\a\\\\b").empty());
}

TEST(FolderTreeRules, HiddenFoldersOnlyWhenAsked)
{
    EXPECT_TRUE(ListsFolder(FILE_ATTRIBUTE_DIRECTORY, L"a", false));
    EXPECT_FALSE(ListsFolder(FILE_ATTRIBUTE_NORMAL, L"a.txt", true));
    EXPECT_FALSE(ListsFolder(FILE_ATTRIBUTE_DIRECTORY, L".", true));
    EXPECT_FALSE(ListsFolder(FILE_ATTRIBUTE_DIRECTORY, L"..", true));
    EXPECT_FALSE(ListsFolder(FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN, L"h", false));
    EXPECT_TRUE(ListsFolder(FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN, L"h", true));

    const std::wstring root = FreshFolder(L"hidden-tree");
    MakeFolder(root + L"b");
    MakeFolder(root + L"A");
    MakeFolder(root + L"h");
    WriteText(root + L"file.txt");
    ::SetFileAttributesW((root + L"h").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(ChildFolderNames(root, false), (std::vector<std::wstring>{L"A", L"b"}));
    EXPECT_EQ(ChildFolderNames(root, true), (std::vector<std::wstring>{L"A", L"b", L"h"}));
    EXPECT_TRUE(ChildFolderNames(root + L"missing", true).empty());
}

TEST(FolderTreeRules, NewNamesOfAFolder)
{
    EXPECT_TRUE(IsValidFolderName(L"Reports 2024"));
    for (const wchar_t *bad : {L"", L".", L"..", L"a\\b", L"a/b", L"c:", L"a*", L"a?", L"a|b",
                               L"a<b", L"trailing.", L"trailing "})
        EXPECT_FALSE(IsValidFolderName(bad)) << bad;
    EXPECT_EQ(RenamedFolderPath(L"C:\\a\\old\\", L"new"), L"C:\\a\\new\\");
    EXPECT_EQ(RenamedFolderPath(L"C:\\a\\old", L"new"), L"C:\\a\\new\\");
}

// Filling the tree's roots never waits for a disk that may not answer: only
// fixed disks are asked for their names and icons.
TEST(FolderTreeRules, OnlyDisksThatAnswerAtOnceAreAsked)
{
    EXPECT_TRUE(AsksDiskForItsName(DRIVE_FIXED));
    EXPECT_TRUE(AsksDiskForItsName(DRIVE_RAMDISK));
    for (UINT type : {UINT(DRIVE_REMOTE), UINT(DRIVE_REMOVABLE), UINT(DRIVE_CDROM),
                      UINT(DRIVE_UNKNOWN), UINT(DRIVE_NO_ROOT_DIR)})
        EXPECT_FALSE(AsksDiskForItsName(type)) << type;
}

TEST(FileListRules, FilterByNameAndType)
{
    const std::vector<Entry> entries = {
        {L"report.txt", FILE_ATTRIBUTE_NORMAL}, {L"Readme", FILE_ATTRIBUTE_NORMAL},
        {L"rep1.doc", FILE_ATTRIBUTE_NORMAL},   {L"notes.txt", FILE_ATTRIBUTE_ARCHIVE},
        {L"sub", FILE_ATTRIBUTE_DIRECTORY},     {L"secret.txt", FILE_ATTRIBUTE_HIDDEN},
        {L"sys.txt", FILE_ATTRIBUTE_SYSTEM}};
    EXPECT_EQ(VisibleNames(entries, L"*", false),
              (std::vector<std::wstring>{L"notes.txt", L"Readme", L"rep1.doc", L"report.txt"}));
    EXPECT_EQ(VisibleNames(entries, L"*.*", false).size(), 4u);
    EXPECT_EQ(VisibleNames(entries, L"*.txt", false),
              (std::vector<std::wstring>{L"notes.txt", L"report.txt"}));
    EXPECT_EQ(VisibleNames(entries, L"*.txt", true),
              (std::vector<std::wstring>{L"notes.txt", L"report.txt", L"secret.txt", L"sys.txt"}));
    EXPECT_EQ(VisibleNames(entries, L"rep*.txt", false),
              (std::vector<std::wstring>{L"report.txt"}));
    EXPECT_EQ(VisibleNames(entries, L"REP*", false),
              (std::vector<std::wstring>{L"rep1.doc", L"report.txt"}));
    EXPECT_TRUE(VisibleNames(entries, L"*.xls", true).empty());
}

TEST(FileListRules, ReadsOnlyExistingFolders)
{
    const std::wstring root = FreshFolder(L"read-folder");
    WriteText(root + L"a.txt");
    std::vector<Entry> entries;
    EXPECT_TRUE(ReadFolder(root, entries));
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].name, L"a.txt");
    EXPECT_FALSE(ReadFolder(root + L"missing\\", entries));
    EXPECT_TRUE(entries.empty());
    EXPECT_FALSE(ReadFolder(root + L"a.txt", entries));
    EXPECT_FALSE(ReadFolder(L"", entries));
}

TEST(FileTypeRules, ExtensionsAndEntryTexts)
{
    EXPECT_EQ(ExtensionOf(L"report.txt"), L".txt");
    EXPECT_EQ(ExtensionOf(L"archive.tar.gz"), L".gz");
    EXPECT_EQ(ExtensionOf(L"Readme"), L"");
    EXPECT_EQ(ExtensionOf(L"name."), L"");
    EXPECT_EQ(ExtensionOf(L"rep.t*"), L"");
    EXPECT_EQ(EntryText({L".txt", L"Text Document"}), L"Text Document (*.txt)");
    EXPECT_EQ(EntryText({L".xyz", L""}), L"(*.xyz)");
    EXPECT_EQ(EntryText({kAllFiles, L"All Files (*.*)"}), L"All Files (*.*)");
    const std::vector<FileType> types = {{L".txt", L"Text"}, {L".LOG", L"Log"}};
    EXPECT_EQ(FindType(types, L".log"), 1);
    EXPECT_EQ(FindType(types, L".doc"), -1);
}

namespace
{
// A plain window that holds the controls under test and passes their
// notifications to a handler.
struct Host
{
    HWND window = nullptr;
    std::function<LRESULT(NMHDR *)> onNotify;

    Host()
    {
        static bool registered = false;
        if (!registered)
        {
            WNDCLASSW wc{};
            wc.lpfnWndProc = Proc;
            wc.hInstance = ::GetModuleHandleW(nullptr);
            wc.lpszClassName = L"ComponentsTestHost";
            ::RegisterClassW(&wc);
            registered = true;
        }
        window =
            ::CreateWindowExW(0, L"ComponentsTestHost", L"host", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                              0, 0, 400, 400, nullptr, nullptr, ::GetModuleHandleW(nullptr), this);
    }
    ~Host() { ::DestroyWindow(window); }
    HWND Child(const wchar_t *cls, DWORD style, int id)
    {
        return ::CreateWindowExW(0, cls, L"", WS_CHILD | WS_VISIBLE | style, 0, 0, 380, 300, window,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 ::GetModuleHandleW(nullptr), nullptr);
    }
    static LRESULT CALLBACK Proc(HWND w, UINT m, WPARAM wp, LPARAM lp)
    {
        if (m == WM_NCCREATE)
            ::SetWindowLongPtrW(
                w, GWLP_USERDATA,
                reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW *>(lp)->lpCreateParams));
        auto *self = reinterpret_cast<Host *>(::GetWindowLongPtrW(w, GWLP_USERDATA));
        if (m == WM_NOTIFY && self && self->onNotify)
            return self->onNotify(reinterpret_cast<NMHDR *>(lp));
        return ::DefWindowProcW(w, m, wp, lp);
    }
};

} // namespace

TEST(FolderTreeControl, ExpandsSelectsAndRenamesInPlace)
{
    const std::wstring root = FreshFolder(L"tree-control");
    MakeFolder(root + L"one\\deep");
    MakeFolder(root + L"two");
    Host host;
    HWND treeWindow =
        host.Child(WC_TREEVIEWW, TVS_HASBUTTONS | TVS_EDITLABELS | TVS_SHOWSELALWAYS, 100);
    CFolderTree tree;
    tree.Attach(treeWindow);
    int changes = 0;
    host.onNotify = [&](NMHDR *header) -> LRESULT {
        LRESULT result = 0;
        bool changed = false;
        tree.HandleNotify(header, result, changed);
        if (changed) ++changes;
        return result;
    };
    EXPECT_GT(TreeView_GetCount(treeWindow), 0u); // the disks
    EXPECT_TRUE(tree.SelectFolder(root + L"one\\deep"));
    EXPECT_EQ(tree.SelectedFolder(), root + L"one\\deep\\");
    // A path of which only a part exists selects the deepest existing folder.
    EXPECT_FALSE(tree.SelectFolder(root + L"two\\missing\\more"));
    EXPECT_EQ(tree.SelectedFolder(), root + L"two\\");

    // Renaming the selected folder in place renames it on disk and reports
    // the changed folder.
    changes = 0;
    ::SetFocus(treeWindow);
    HWND edit = TreeView_EditLabel(treeWindow, TreeView_GetSelection(treeWindow));
    ASSERT_NE(edit, nullptr);
    ::SetWindowTextW(edit, L"renamed");
    ::SendMessageW(edit, WM_KEYDOWN, VK_RETURN, 0);
    PumpMessages();
    EXPECT_TRUE(Exists(root + L"renamed"));
    EXPECT_FALSE(Exists(root + L"two"));
    EXPECT_EQ(tree.SelectedFolder(), root + L"renamed\\");
    EXPECT_EQ(changes, 1);

    // A name the file system refuses leaves the folder as it was.
    edit = TreeView_EditLabel(treeWindow, TreeView_GetSelection(treeWindow));
    ASSERT_NE(edit, nullptr);
    ::SetWindowTextW(edit, L"bad*name");
    ::SendMessageW(edit, WM_KEYDOWN, VK_RETURN, 0);
    PumpMessages();
    EXPECT_TRUE(Exists(root + L"renamed"));
    EXPECT_EQ(tree.SelectedFolder(), root + L"renamed\\");
}

TEST(FolderTreeControl, HiddenFoldersFollowTheOwnersQuery)
{
    const std::wstring root = FreshFolder(L"tree-hidden");
    MakeFolder(root + L"shown");
    MakeFolder(root + L"secret");
    ::SetFileAttributesW((root + L"secret").c_str(),
                         FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_DIRECTORY);
    Host host;
    HWND treeWindow = host.Child(WC_TREEVIEWW, TVS_HASBUTTONS, 100);
    CFolderTree tree;
    tree.Attach(treeWindow);
    static bool showHidden = false;
    tree.SetShowHiddenQuery([] { return showHidden; });
    EXPECT_FALSE(tree.SelectFolder(root + L"secret"));
    showHidden = true;
    tree.Refresh();
    EXPECT_TRUE(tree.SelectFolder(root + L"secret"));
}

TEST(FileListControl, ShowsFilteredFilesAndReportsSelection)
{
    const std::wstring root = FreshFolder(L"list-control");
    for (const wchar_t *name : {L"report.txt", L"rep2.log", L"notes.txt"})
        WriteText(root + name);
    MakeFolder(root + L"sub");
    Host host;
    HWND listWindow = host.Child(WC_LISTVIEWW, LVS_LIST, 101);
    CFileList list;
    list.Attach(listWindow);
    int selections = 0;
    host.onNotify = [&](NMHDR *header) -> LRESULT {
        bool changed = false;
        list.HandleNotify(header, changed);
        if (changed) ++selections;
        return 0;
    };
    EXPECT_TRUE(list.SetFolder(root));
    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(selections, 0); // filling is no selection
    list.SetFilter(L"*.txt");
    list.Refresh();
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.NameAt(0), L"notes.txt");
    EXPECT_TRUE(list.SelectName(L"REPORT.TXT"));
    EXPECT_EQ(list.SelectedNames(), (std::vector<std::wstring>{L"report.txt"}));
    EXPECT_GE(selections, 1);
    // Multiple selection, in list order.
    ListView_SetItemState(listWindow, 0, LVIS_SELECTED, LVIS_SELECTED);
    EXPECT_EQ(list.SelectedNames(), (std::vector<std::wstring>{L"notes.txt", L"report.txt"}));
    // A refresh keeps the selection of names that stay.
    WriteText(root + L"added.txt");
    list.Refresh();
    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(list.SelectedNames(), (std::vector<std::wstring>{L"notes.txt", L"report.txt"}));
    EXPECT_FALSE(list.SetFolder(root + L"missing"));
    EXPECT_EQ(list.Count(), 0);
}

TEST(FileTypeListControl, YieldsTheChosenExtension)
{
    Host host;
    HWND combo = host.Child(WC_COMBOBOXW, CBS_DROPDOWNLIST | WS_VSCROLL, 102);
    CFileTypeList types;
    types.Attach(combo, L"All Files (*.*)");
    EXPECT_EQ(types.SelectedExtension(), kAllFiles);
    wchar_t first[64] = {};
    ::SendMessageW(combo, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(first));
    EXPECT_STREQ(first, L"All Files (*.*)");
    types.SelectExtension(L".zqx");
    EXPECT_EQ(types.SelectedExtension(), L".zqx");
    const LRESULT count = ::SendMessageW(combo, CB_GETCOUNT, 0, 0);
    types.SelectExtension(L".ZQX"); // found again, not added twice
    EXPECT_EQ(::SendMessageW(combo, CB_GETCOUNT, 0, 0), count);
    types.SelectExtension(L"");
    EXPECT_EQ(types.SelectedExtension(), kAllFiles);
}
