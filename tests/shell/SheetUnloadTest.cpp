// The built Taskel.dll as the shell's Properties thread meets it: on a new
// thread that initialises OLE, the handler's pages shown in a real sheet, a
// display preference changed on the Preferences page, OK, the sheet gone,
// OLE uninitialised (which lets COM free the library) and the thread ended.
// Five hundred times, with the trace log in held mode so that a close of
// the log and the folder cache's refresh are still pending when the
// library's last user lets go of it. The host must survive, and be left
// with no thread of the library's and no more handles than before.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <string>
#include <vector>

#include "ComPtr.h"
#include "ShellTestSupport.h"
#include "TaskelGuids.h"
#include "TaskelOptions.h"
#include "TestWindows.h"

namespace
{

const wchar_t kTaskelKey[] = L"Software\\Veltrac\\Ferrovane";
const int IDC_PREF_DESCRIPTIONS = 2013;
const int kCycles = 500;

BOOL CALLBACK CollectPage(HPROPSHEETPAGE page, LPARAM pages)
{
    reinterpret_cast<std::vector<HPROPSHEETPAGE> *>(pages)->push_back(page);
    return TRUE;
}

// Handles this thread's messages until `done` holds or 10 s went by.
template <typename Done> bool PumpUntil(Done done)
{
    const DWORD start = ::GetTickCount();
    for (;;)
    {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        if (done()) return true;
        if (::GetTickCount() - start > 10000) return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

struct Visit
{
    std::wstring file;
    const char *failure = nullptr; // what went wrong, null when nothing did
};

// One visit of the shell's Properties thread.
void ShowSheetOnce(Visit &visit)
{
    std::vector<HPROPSHEETPAGE> pages;
    {
        CDropObject drop({visit.file});
        fx::ComPtr<IShellExtInit> init;
        if (FAILED(::CoCreateInstance(CLSID_TaskelProp, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_IShellExtInit, init.put_void())))
            return void(visit.failure = "handler not created");
        if (FAILED(init->Initialize(nullptr, &drop, nullptr)))
            return void(visit.failure = "Initialize failed");
        fx::ComPtr<IShellPropSheetExt> extension;
        if (FAILED(init.query(IID_IShellPropSheetExt, extension)) ||
            FAILED(extension->AddPages(&CollectPage, reinterpret_cast<LPARAM>(&pages))))
            return void(visit.failure = "AddPages failed");
    }
    if (pages.size() != 2) return void(visit.failure = "not a command page and Preferences");

    PROPSHEETHEADERW header{};
    header.dwSize = sizeof(header);
    header.dwFlags = PSH_MODELESS | PSH_PROPTITLE | PSH_NOCONTEXTHELP;
    header.pszCaption = L"unload.Taskel";
    header.nPages = static_cast<UINT>(pages.size());
    header.phpage = pages.data();
    HWND sheet = reinterpret_cast<HWND>(::PropertySheetW(&header));
    if (!sheet) return void(visit.failure = "no sheet");
    auto currentPage = [sheet] {
        return reinterpret_cast<HWND>(::SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
    };
    if (!PumpUntil([&] { return currentPage() != nullptr; })) visit.failure = "no page shown";

    // Preferences: the descriptions switched, then OK, as a person would.
    ::SendMessageW(sheet, PSM_SETCURSEL, 1, 0);
    HWND preferences = currentPage();
    HWND box = preferences ? ::GetDlgItem(preferences, IDC_PREF_DESCRIPTIONS) : nullptr;
    if (!box && !visit.failure) visit.failure = "no Preferences page";
    if (box) ::SendMessageW(box, BM_CLICK, 0, 0);
    ::SendMessageW(sheet, PSM_PRESSBUTTON, PSBTN_OK, 0);
    if (!PumpUntil([&] { return currentPage() == nullptr; }) && !visit.failure)
        visit.failure = "OK did not end the sheet";
    ::DestroyWindow(sheet);
    PumpUntil([] { return true; });
}

DWORD WINAPI PropertiesThread(LPVOID parameter)
{
    Visit &visit = *static_cast<Visit *>(parameter);
    if (FAILED(::OleInitialize(nullptr))) return void(visit.failure = "OleInitialize"), 1;
    ShowSheetOnce(visit);
    ::OleUninitialize();
    return 0;
}

bool VisitOnItsOwnThread(Visit &visit)
{
    HANDLE thread = ::CreateThread(nullptr, 0, PropertiesThread, &visit, 0, nullptr);
    if (!thread) return false;
    const bool ended = ::WaitForSingleObject(thread, 60000) == WAIT_OBJECT_0;
    ::CloseHandle(thread);
    return ended;
}

// Threads of this process; the ones the library started are gone when this
// is back to what it was before.
size_t ThreadCount()
{
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return 0;
    size_t count = 0;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = ::Thread32First(snapshot, &entry); more;
         more = ::Thread32Next(snapshot, &entry))
        count += entry.th32OwnerProcessID == ::GetCurrentProcessId();
    ::CloseHandle(snapshot);
    return count;
}

DWORD HandleCount()
{
    DWORD handles = 0;
    ::GetProcessHandleCount(::GetCurrentProcess(), &handles);
    return handles;
}

bool LibraryLoaded()
{
    return ::GetModuleHandleW(L"Taskel.dll") != nullptr;
}

class SheetUnload : public ::testing::Test
{
  protected:
    static void SetUpTestSuite() { ASSERT_EQ(Regsvr32(WindowsPathOf(TASKEL_DLL)), 0u); }
    static void TearDownTestSuite() { Regsvr32(WindowsPathOf(TASKEL_DLL), true); }
    void SetUp() override
    {
        m_folder = FreshFolder(L"SheetUnload");
        m_visit.file = m_folder + L"unload.Taskel";
        WriteCommandFile(m_visit.file, EDIT_ACTION_COPY, {L"*.txt"}, L"out");
        m_level.SetDword(0x8004);
        m_logFile.SetString(m_folder + L"unload.log");
        m_descriptions.SetDword(0);
    }

    std::wstring m_folder;
    Visit m_visit;
    CSavedValue m_level{HKEY_CURRENT_USER, kTaskelKey, L"LogLevel"};
    CSavedValue m_logFile{HKEY_CURRENT_USER, kTaskelKey, L"LogFile"};
    CSavedValue m_descriptions{HKEY_CURRENT_USER, kTaskelKey, L"ShowDescriptions"};
};

TEST_F(SheetUnload, FiveHundredPropertiesThreadsLeaveNothingOfTheLibraryBehind)
{
    // The first visits load what the host keeps for good (COM's and the
    // common controls' own libraries, the thread pool's threads).
    for (int i = 0; i < 3; ++i)
    {
        ASSERT_TRUE(VisitOnItsOwnThread(m_visit));
        ASSERT_EQ(m_visit.failure, nullptr) << m_visit.failure;
        ASSERT_TRUE(WaitUntil([] { return !LibraryLoaded(); }, 10000));
    }
    const size_t threads = ThreadCount();
    const DWORD handles = HandleCount();

    for (int i = 0; i < kCycles; ++i)
    {
        ASSERT_TRUE(VisitOnItsOwnThread(m_visit)) << "cycle " << i;
        ASSERT_EQ(m_visit.failure, nullptr) << m_visit.failure << " in cycle " << i;
    }
    // Each OK stored the switched preference.
    EXPECT_EQ(RegDword(HKEY_CURRENT_USER, kTaskelKey, L"ShowDescriptions"), (3u + kCycles) % 2);

    // The library leaves once its last pending close or refresh is done,
    // and takes its threads along.
    EXPECT_TRUE(WaitUntil([] { return !LibraryLoaded(); }, 10000));
    // The thread pool may keep a thread or two of its own a while longer.
    EXPECT_TRUE(WaitUntil([&] { return ThreadCount() <= threads + 2; }, 10000))
        << "threads before " << threads << ", after " << ThreadCount();
    const DWORD after = HandleCount();
    EXPECT_LE(after, handles + 8) << "handles before " << handles << ", after " << after;
}

} // namespace
