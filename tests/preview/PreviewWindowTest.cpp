// The preview window under Xvfb, driven from the test's thread as a person
// drives it: the rows of a real Copy fill in the background, the filter
// narrows them, Copy puts them on the clipboard, Save as CSV goes through
// the system's save dialog, Run calls back and Close ends window and
// worker; a big tree stays answerable while it fills and closes at once,
// and shows the entries being listed until its request's rows replace
// them; the window comes back where it was.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <atomic>

#include "PreviewFill.h"
#include "PreviewPlacement.h"
#include "PreviewResources.h"
#include "PreviewTestSupport.h"
#include "RunnerTestSupport.h"
#include "SheetTestSupport.h"
#include "TaskelStrings.h"
#include "TestRegistry.h"
#include "Trace.h"

namespace
{
const wchar_t kHeader[] = L"Action\tSource\tTarget\tWhat happens\tSize\r\n";

class PreviewWindow : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        SetTaskelResourceModule(::GetModuleHandleW(nullptr));
        INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_LISTVIEW_CLASSES};
        ::InitCommonControlsEx(&controls);
        ::RegDeleteKeyValueW(HKEY_CURRENT_USER, g_traceProfile.registryKey, kPreviewPlacementValue);
    }

    // A Copy of src\*.txt into out, where b.txt is already: a new file, a
    // replaced one, and a specification that matches nothing.
    PreviewSource CopySource()
    {
        tree.Add({L"src\\a.txt", L"src\\b.txt", L"out\\b.txt"});
        WriteBytes(tree.Path(L"src\\a.txt"), std::vector<BYTE>(10, 'a'));
        WriteBytes(tree.Path(L"src\\b.txt"), std::vector<BYTE>(5, 'b'));
        PreviewSource source;
        source.name = L"Backup.Taskel";
        source.command = Command(ACTION_COPY, QUIET | OPT_NOCONFIRMATION,
                                 {L"src\\*.txt", L"gone\\*.png"}, L"out");
        source.baseFolder = tree.Root();
        return source;
    }

    // A Copy of the 20,000 files the build makes (tests/preview/CMakeLists.txt:
    // making them here, file by file through Wine, would take a minute) into
    // out; Run must not be pressed.
    static std::wstring BigTree() { return BuildFolder() + L"tests\\preview\\big-tree"; }
    PreviewSource BigTreeSource()
    {
        PreviewSource source;
        source.name = L"Big.Taskel";
        source.command = Command(ACTION_COPY, QUIET | OPT_NOCONFIRMATION, {BigTree() + L"\\*.txt"},
                                 tree.Path(L"out"));
        source.baseFolder = tree.Root();
        source.run = [](HWND) { ADD_FAILURE() << "Run pressed"; };
        return source;
    }

    CTempTree tree;
};

bool Filled(HWND window)
{
    return WindowText(::GetDlgItem(window, IDC_PREVIEW_PROGRESS)).find(L"Looking") ==
               std::wstring::npos &&
           !WindowText(::GetDlgItem(window, IDC_PREVIEW_PROGRESS)).empty();
}

void SaveShot(HWND window, const wchar_t *name)
{
    const std::wstring folder = BuildFolder() + L"screenshots";
    ::CreateDirectoryW(folder.c_str(), nullptr);
    EXPECT_TRUE(SaveWindowPicture(window, folder + L"\\" + name)) << name;
}

BOOL CALLBACK FindSaveDialogOf(HWND window, LPARAM result)
{
    if (WindowText(window) != L"Save as CSV" || !::IsWindowVisible(window)) return TRUE;
    *reinterpret_cast<HWND *>(result) = window;
    return FALSE;
}

HWND FindSaveDialog(DWORD threadId)
{
    HWND found = nullptr;
    ::EnumThreadWindows(threadId, FindSaveDialogOf, reinterpret_cast<LPARAM>(&found));
    return found;
}
} // namespace

TEST_F(PreviewWindow, ShowsRowsTotalsAndFiltersThemAndRunsAndCloses)
{
    PreviewSource source = CopySource();
    std::atomic<int> runs{0};
    source.run = [&](HWND owner) {
        EXPECT_NE(owner, nullptr);
        ++runs;
    };
    CPreviewHost host(source);
    HWND window = host.WaitForWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(WindowText(window), L"Backup.Taskel - Preview");
    HWND list = host.Item(IDC_PREVIEW_LIST);
    ASSERT_TRUE(WaitUntil([&] { return Filled(window); }));
    ASSERT_EQ(ItemCount(list), 3);
    EXPECT_EQ(ListText(list, 0, 0), L"Copy");
    EXPECT_EQ(ListText(list, 0, 1), tree.Path(L"src\\a.txt"));
    EXPECT_EQ(ListText(list, 0, 2), tree.Path(L"out\\a.txt"));
    EXPECT_EQ(ListText(list, 0, 3), L"New");
    EXPECT_EQ(ListText(list, 0, 4), L"10");
    EXPECT_EQ(ListText(list, 1, 3), L"Replaces the existing file");
    EXPECT_EQ(ListText(list, 2, 3), L"Matches nothing");
    EXPECT_EQ(WindowText(host.Item(IDC_PREVIEW_PROGRESS)), L"3 rows");
    EXPECT_EQ(WindowText(host.Item(IDC_PREVIEW_TOTALS)),
              L"Files: 2    Folders: 0    Bytes: 15    Replaced: 1    Missing: 1    Left out: 0");
    // Making the plan touched nothing.
    EXPECT_FALSE(Exists(tree.Path(L"out\\a.txt")));

    // The filter shows one group; All shows everything again.
    ChooseFilter(window, 2);
    ASSERT_EQ(ItemCount(list), 1);
    EXPECT_EQ(ListText(list, 0, 1), tree.Path(L"src\\b.txt"));
    EXPECT_EQ(WindowText(host.Item(IDC_PREVIEW_PROGRESS)), L"3 rows, 1 shown");
    ChooseFilter(window, 4);
    EXPECT_EQ(ItemCount(list), 1);
    ChooseFilter(window, 5);
    EXPECT_EQ(ItemCount(list), 0);
    // The totals are the plan's, whatever is shown.
    EXPECT_NE(WindowText(host.Item(IDC_PREVIEW_TOTALS)).find(L"Files: 2"), std::wstring::npos);
    ChooseFilter(window, 0);
    EXPECT_EQ(ItemCount(list), 3);

    // Run is there once the plan is whole, and calls back.
    EXPECT_TRUE(::IsWindowVisible(host.Item(IDC_PREVIEW_RUN)));
    EXPECT_TRUE(::IsWindowEnabled(host.Item(IDC_PREVIEW_RUN)));
    Click(window, IDC_PREVIEW_RUN);
    EXPECT_TRUE(WaitUntil([&] { return runs.load() == 1; }));

    // Enter does not run anything: the default button is Close.
    EXPECT_EQ(LOWORD(::SendMessageW(window, DM_GETDEFID, 0, 0)), IDCANCEL);

    PumpFor(0);
    SaveShot(window, L"preview-window.png");

    Click(window, IDCANCEL);
    EXPECT_TRUE(host.WaitEnded(10000));
    EXPECT_FALSE(::IsWindow(window));
    EXPECT_EQ(PreviewWorkersRunning(), 0);
    EXPECT_EQ(runs.load(), 1);
}

TEST_F(PreviewWindow, CopyAndKeysPutTheShownRowsOnTheClipboard)
{
    CPreviewHost host(CopySource());
    HWND window = host.WaitForWindow();
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return Filled(window); }));
    const std::wstring a = tree.Path(L"src\\a.txt"), b = tree.Path(L"src\\b.txt");

    EmptyTheClipboard();
    ChooseFilter(window, 1); // New
    Click(window, IDC_PREVIEW_COPY);
    ASSERT_TRUE(WaitUntil([] { return !ClipboardText().empty(); }));
    EXPECT_EQ(ClipboardText(), std::wstring(kHeader) + L"Copy\t" + a + L"\t" +
                                   tree.Path(L"out\\a.txt") + L"\tNew\t10\r\n");

    // Ctrl+A, Ctrl+C in the list: every shown row.
    ChooseFilter(window, 0);
    EmptyTheClipboard();
    HWND list = host.Item(IDC_PREVIEW_LIST);
    ::AttachThreadInput(::GetCurrentThreadId(), host.ThreadId(), TRUE);
    ::SetForegroundWindow(window);
    ::SetFocus(list);
    INPUT keys[6] = {};
    const WORD codes[6] = {VK_CONTROL, 'A', 'A', 'C', 'C', VK_CONTROL};
    for (int i = 0; i < 6; ++i)
    {
        keys[i].type = INPUT_KEYBOARD;
        keys[i].ki.wVk = codes[i];
        keys[i].ki.dwFlags = (i == 2 || i == 4 || i == 5) ? KEYEVENTF_KEYUP : 0;
    }
    ::SendInput(6, keys, sizeof(INPUT));
    const bool copied = WaitUntil([] { return !ClipboardText().empty(); });
    ::AttachThreadInput(::GetCurrentThreadId(), host.ThreadId(), FALSE);
    ASSERT_TRUE(copied);
    const std::wstring text = ClipboardText();
    EXPECT_EQ(text.rfind(kHeader, 0), 0u);
    EXPECT_NE(text.find(a), std::wstring::npos);
    EXPECT_NE(text.find(b), std::wstring::npos);
    EXPECT_NE(text.find(L"Matches nothing"), std::wstring::npos);
    EXPECT_EQ(::SendMessageW(list, LVM_GETSELECTEDCOUNT, 0, 0), 3);
}

TEST_F(PreviewWindow, SaveAsCsvWritesTheFileThroughTheSaveDialog)
{
    CPreviewHost host(CopySource());
    HWND window = host.WaitForWindow();
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return Filled(window); }));
    const std::wstring csv = tree.Path(L"plan");

    Click(window, IDC_PREVIEW_SAVE);
    HWND dialog = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (dialog = FindSaveDialog(host.ThreadId())) != nullptr; }));
    HWND name = ::GetDlgItem(dialog, 0x47C);       // the file name combo box (cmb13)
    if (!name) name = ::GetDlgItem(dialog, 0x480); // edt1
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(WindowText(name), L"Backup.csv");
    ::SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(csv.c_str()));
    ::PostMessageW(::GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    // The default extension is added.
    ASSERT_TRUE(WaitUntil([&] { return Exists(csv + L".csv") && !::IsWindow(dialog); }));
    const std::string bytes = ReadText(csv + L".csv");
    const std::string header = "\xEF\xBB\xBF"
                               "Action,Source,Target,What happens,Size\r\n";
    EXPECT_EQ(bytes.substr(0, header.size()), header);
    EXPECT_NE(bytes.find(",New,10\r\n"), std::string::npos);
    EXPECT_EQ(SplitLines(bytes).size(), 4u); // the header and three rows
    // Nothing but the file is left beside it.
    WIN32_FIND_DATAW found;
    HANDLE find = ::FindFirstFileW(tree.Path(L"*.tmp").c_str(), &found);
    EXPECT_EQ(find, INVALID_HANDLE_VALUE);
    if (find != INVALID_HANDLE_VALUE) ::FindClose(find);
    // Without a Run callback there is no Run button.
    EXPECT_FALSE(::IsWindowVisible(host.Item(IDC_PREVIEW_RUN)));
}

TEST_F(PreviewWindow, BigTreeAnswersWhileFillingAndClosesAtOnce)
{
    const std::wstring big = BigTree();
    ASSERT_TRUE(Exists(big + L"\\f19999.txt")) << Narrow(big);
    CPreviewHost host(BigTreeSource());
    HWND window = host.WaitForWindow();
    ASSERT_NE(window, nullptr);
    HWND list = host.Item(IDC_PREVIEW_LIST);
    HWND progress = host.Item(IDC_PREVIEW_PROGRESS);

    // While the worker looks at the files the window answers, the rows so
    // far are listed and Run waits for the whole plan.
    int answered = 0;
    bool sawRows = false;
    WaitUntil([&] {
        DWORD_PTR result = 0;
        if (::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &result))
            ++answered;
        else
            ADD_FAILURE() << "the window did not answer within a second";
        if (WindowText(progress).find(L"Looking") != std::wstring::npos)
        {
            EXPECT_FALSE(::IsWindowEnabled(host.Item(IDC_PREVIEW_RUN)));
            sawRows = sawRows || ItemCount(list) > 0;
        }
        return sawRows || Filled(window);
    });
    ASSERT_GT(answered, 0);
    ASSERT_TRUE(sawRows) << "the plan was whole before any rows were seen";
    ASSERT_LT(ItemCount(list), 20000) << "still filling";

    Click(window, IDCANCEL);
    EXPECT_TRUE(host.WaitEnded(10000));
    EXPECT_FALSE(::IsWindow(window));
    EXPECT_TRUE(WaitUntil([] { return PreviewWorkersRunning() == 0; }, 10000));
}

namespace
{
// Holds the worker at its first hand-over of provisional rows until the
// test lets it go on, so the window shows them for as long as the test
// looks.
std::atomic<bool> g_held{false};
HANDLE g_goOn = nullptr;

void HoldAtFirstPending(const std::vector<PlanRow> &rows)
{
    if (rows.empty() || rows.front().outcome != PlanOutcome::Pending) return;
    if (g_held.exchange(true)) return;
    ::WaitForSingleObject(g_goOn, 30000);
}

class CHoldWorker
{
  public:
    CHoldWorker()
    {
        g_held = false;
        g_goOn = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
        SetPreviewHandSeam(&HoldAtFirstPending);
    }
    ~CHoldWorker()
    {
        GoOn();
        SetPreviewHandSeam(nullptr);
    }
    void GoOn() const { ::SetEvent(g_goOn); }
};
} // namespace

TEST_F(PreviewWindow, EntriesBeingListedShowUntilTheirRequestsRowsReplaceThem)
{
    const std::wstring big = BigTree();
    ASSERT_TRUE(Exists(big + L"\\f19999.txt")) << Narrow(big);
    CPreviewHost host(BigTreeSource());
    CHoldWorker hold; // let go (before the host closes the window) however the test ends
    HWND window = host.WaitForWindow();
    ASSERT_NE(window, nullptr);
    HWND list = host.Item(IDC_PREVIEW_LIST);
    HWND progress = host.Item(IDC_PREVIEW_PROGRESS);

    // The worker is held after handing over the first entries it found.
    ASSERT_TRUE(WaitUntil([&] { return g_held.load() && ItemCount(list) > 0; }));
    const int pending = ItemCount(list);
    EXPECT_EQ(ListText(list, 0, 0), L"Copy");
    EXPECT_EQ(ListText(list, 0, 1).rfind(big + L"\\f", 0), 0u);
    EXPECT_EQ(ListText(list, 0, 2), L"");
    EXPECT_EQ(ListText(list, pending - 1, 3), L"Being listed...");
    EXPECT_EQ(ListText(list, 0, 4), L"");
    EXPECT_NE(WindowText(progress).find(L"of them being listed"), std::wstring::npos)
        << Narrow(WindowText(progress));
    EXPECT_EQ(WindowText(host.Item(IDC_PREVIEW_TOTALS)),
              L"Files: 0    Folders: 0    Bytes: 0    Replaced: 0    Missing: 0    Left out: 0");
    EXPECT_FALSE(::IsWindowEnabled(host.Item(IDC_PREVIEW_RUN)));
    SaveShot(window, L"preview-listing.png");
    // Copy takes the plan's rows only: none yet.
    EmptyTheClipboard();
    Click(window, IDC_PREVIEW_COPY);
    ASSERT_TRUE(WaitUntil([] { return !ClipboardText().empty(); }));
    EXPECT_EQ(ClipboardText(), kHeader);
    // Under a filter they are hidden.
    ChooseFilter(window, 1);
    EXPECT_EQ(ItemCount(list), 0);
    ChooseFilter(window, 0);
    ASSERT_EQ(ItemCount(list), pending);

    // Selected, they are replaced by the request's rows: the selection goes
    // with them, and in the end every row is the plan's.
    LVITEMW all = {};
    all.state = LVIS_SELECTED;
    all.stateMask = LVIS_SELECTED;
    ::SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&all));
    EXPECT_EQ(::SendMessageW(list, LVM_GETSELECTEDCOUNT, 0, 0), pending);
    hold.GoOn();
    ASSERT_TRUE(WaitUntil([&] { return Filled(window); }, 120000));
    ASSERT_EQ(ItemCount(list), 20000);
    EXPECT_EQ(::SendMessageW(list, LVM_GETSELECTEDCOUNT, 0, 0), 0);
    for (int row : {0, pending - 1, pending, 19999})
    {
        EXPECT_EQ(ListText(list, row, 3), L"New") << row;
        EXPECT_EQ(ListText(list, row, 2).rfind(tree.Path(L"out\\f"), 0), 0u) << row;
    }
    EXPECT_EQ(WindowText(progress), L"20000 rows");
    EXPECT_EQ(
        WindowText(host.Item(IDC_PREVIEW_TOTALS)),
        L"Files: 20000    Folders: 0    Bytes: 0    Replaced: 0    Missing: 0    Left out: 0");
}

TEST_F(PreviewWindow, ComesBackWhereItWasAndOnTheScreen)
{
    RECT moved = {};
    {
        CPreviewHost host(CopySource());
        HWND window = host.WaitForWindow();
        ASSERT_NE(window, nullptr);
        ::SetWindowPos(window, nullptr, 40, 30, 700, 420, SWP_NOZORDER | SWP_NOACTIVATE);
        ::GetWindowRect(window, &moved);
        Click(window, IDCANCEL);
        ASSERT_TRUE(host.WaitEnded(10000));
    }
    WINDOWPLACEMENT saved = {};
    ASSERT_TRUE(LoadPreviewPlacement(HKEY_CURRENT_USER, g_traceProfile.registryKey, saved));
    {
        CPreviewHost host(CopySource());
        HWND window = host.WaitForWindow();
        ASSERT_NE(window, nullptr);
        RECT shown = {};
        ::GetWindowRect(window, &shown);
        EXPECT_TRUE(::EqualRect(&shown, &moved));
    }

    // A place no monitor shows any more (a screen since unplugged) comes
    // back onto the screen.
    saved.rcNormalPosition = {5000, 4000, 5900, 4500};
    ASSERT_TRUE(SavePreviewPlacement(HKEY_CURRENT_USER, g_traceProfile.registryKey, saved));
    CPreviewHost host(CopySource());
    HWND window = host.WaitForWindow();
    ASSERT_NE(window, nullptr);
    RECT shown = {}, work = {};
    ::GetWindowRect(window, &shown);
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_GE(shown.left, work.left);
    EXPECT_GE(shown.top, work.top);
    EXPECT_LE(shown.right, work.right);
    EXPECT_LE(shown.bottom, work.bottom);
    EXPECT_EQ(shown.right - shown.left, 900) << "its size is kept";
}
