// The built Taskel.dll as a guest of a host process, the way the shell
// keeps it: registered in the test prefix, the info tip created through the
// registry, a command file loaded and its tip asked, everything released and
// the library freed by COM, again and again. The host must not grow in
// handles or thread-local slots, and a trace level changed in the registry
// applies at the next entry into the library, loaded or reloaded.
#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "ComPtr.h"
#include "ShellTestSupport.h"
#include "TaskelGuids.h"
#include "TaskelOptions.h"
#include "TestWindows.h"

namespace
{

const wchar_t kTraceKey[] = L"Software\\Veltrac\\Ferrovane";
const int kCycles = 200;

std::wstring LibraryPath()
{
    std::wstring dir = L"Z:";
    for (char c : std::string(SHELL_BINARY_DIR))
        dir += c == '/' ? L'\\' : static_cast<wchar_t>(c);
    return dir + L"\\Taskel.dll";
}

void SetLogLevel(DWORD level)
{
    ::RegSetKeyValueW(HKEY_CURRENT_USER, kTraceKey, L"LogLevel", REG_DWORD, &level, sizeof level);
}

// The lowest free thread-local slot: it moves up when slots leak.
DWORD LowestFreeTlsSlot()
{
    DWORD slot = ::TlsAlloc();
    if (slot != TLS_OUT_OF_INDEXES) ::TlsFree(slot);
    return slot;
}

bool LibraryLoaded()
{
    return ::GetModuleHandleW(L"Taskel.dll") != nullptr;
}

// One visit of the shell: the tip of `file` through a fresh info-tip object.
std::wstring TipOf(const std::wstring &file)
{
    fx::ComPtr<IPersistFile> persist;
    if (::CoCreateInstance(CLSID_TaskelInfoTip, nullptr, CLSCTX_INPROC_SERVER, IID_IPersistFile,
                           persist.put_void()) != S_OK)
        return L"<not created>";
    if (persist->Load(file.c_str(), STGM_READ) != S_OK) return L"<not loaded>";
    fx::ComPtr<IQueryInfo> query;
    if (FAILED(persist.query(IID_IQueryInfo, query))) return L"<no IQueryInfo>";
    WCHAR *raw = nullptr;
    HRESULT hr = query->GetInfoTip(QITIPF_DEFAULT, &raw);
    std::wstring text = SUCCEEDED(hr) && raw ? raw : L"<no tip>";
    ::CoTaskMemFree(raw);
    return text;
}

// Lets COM free the library now (no unload delay).
void FreeUnused()
{
    ::CoFreeUnusedLibrariesEx(0, 0);
    ::CoFreeUnusedLibraries();
}

// COM let go of the library; a pending close of a held log file holds it
// until the close ran, 100 ms after the last held line.
bool LibraryLeft()
{
    return WaitUntil([] { return !LibraryLoaded(); }, 10000);
}

class HostLoad : public ::testing::Test
{
  protected:
    static void SetUpTestSuite()
    {
        ::CoInitialize(nullptr);
        ASSERT_EQ(Regsvr32(LibraryPath()), 0u);
        s_folder = TestFolder() + L"\\";
        s_command = s_folder + L"host.Taskel";
        WriteCommandFile(s_command, EDIT_ACTION_COPY, {L"*.txt"}, L"out");
    }
    static void TearDownTestSuite()
    {
        ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kTraceKey, L"LogLevel");
        ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kTraceKey, L"LogFile");
        // The other tests of the prefix expect the classes unregistered.
        Regsvr32(LibraryPath(), true);
        ::CoUninitialize();
    }
    void UseLog(const wchar_t *name, DWORD level)
    {
        m_log = s_folder + name;
        ::DeleteFileW(m_log.c_str());
        ::RegSetKeyValueW(HKEY_CURRENT_USER, kTraceKey, L"LogFile", REG_SZ, m_log.c_str(),
                          static_cast<DWORD>((m_log.size() + 1) * sizeof(wchar_t)));
        SetLogLevel(level);
    }
    // The log's lines that contain `marker`.
    std::vector<std::string> Lines(const std::string &marker) const
    {
        std::vector<std::string> found;
        std::string text = ReadText(m_log);
        for (size_t at = 0; at < text.size();)
        {
            size_t end = text.find("\r\n", at);
            if (end == std::string::npos) end = text.size();
            std::string line = text.substr(at, end - at);
            if (line.find(marker) != std::string::npos) found.push_back(line);
            at = end + 2;
        }
        return found;
    }

    static std::wstring s_folder, s_command;
    std::wstring m_log;
};
std::wstring HostLoad::s_folder, HostLoad::s_command;

const wchar_t kTip[] = L"File Command\r\nCopy: *.txt\r\nto out";

TEST_F(HostLoad, RepeatedLoadsLeaveNoHandlesOrSlotsBehind)
{
    // Tracing on, in held mode: every load starts the log, writes through a
    // held file whose close is still pending when the library goes.
    UseLog(L"cycles.log", 0x8004);
    // The first visits load what the host keeps for good (COM's own
    // libraries and caches).
    for (int i = 0; i < 3; ++i)
    {
        ASSERT_EQ(TipOf(s_command), kTip);
        FreeUnused();
        ASSERT_TRUE(LibraryLeft());
    }
    const DWORD slot = LowestFreeTlsSlot();
    DWORD handles = 0;
    ASSERT_TRUE(::GetProcessHandleCount(::GetCurrentProcess(), &handles));

    for (int i = 0; i < kCycles; ++i)
    {
        ASSERT_EQ(TipOf(s_command), kTip) << "cycle " << i;
        ASSERT_TRUE(LibraryLoaded()) << "cycle " << i;
        FreeUnused();
        ASSERT_TRUE(LibraryLeft()) << "cycle " << i;
    }

    DWORD after = 0;
    ASSERT_TRUE(::GetProcessHandleCount(::GetCurrentProcess(), &after));
    EXPECT_LE(after, handles + 8) << "before " << handles << ", after " << after;
    EXPECT_EQ(LowestFreeTlsSlot(), slot);
    EXPECT_EQ(Lines("CTaskelInfoTip::CTaskelInfoTip").size(), static_cast<size_t>(kCycles + 3));
    EXPECT_EQ(Lines("CTaskelApp::ExitInstance").size(), static_cast<size_t>(kCycles + 3));
}

TEST_F(HostLoad, LevelChangedInTheRegistryAppliesAtTheNextEntry)
{
    // Between two loads.
    UseLog(L"levels.log", 2);
    ASSERT_EQ(TipOf(s_command), kTip);
    FreeUnused();
    ASSERT_TRUE(LibraryLeft());
    EXPECT_TRUE(Lines("XPersistFile::Load").empty());
    SetLogLevel(4);
    ASSERT_EQ(TipOf(s_command), kTip);
    EXPECT_EQ(Lines("START Logging [4] From [").size(), 1u);
    EXPECT_EQ(Lines("XPersistFile::Load").size(), 1u);

    // While the library stays loaded (an object holds it): off, then on
    // again at another level, each from the next object on.
    fx::ComPtr<IPersistFile> holder;
    ASSERT_EQ(::CoCreateInstance(CLSID_TaskelInfoTip, nullptr, CLSCTX_INPROC_SERVER,
                                 IID_IPersistFile, holder.put_void()),
              S_OK);
    SetLogLevel(0);
    ASSERT_EQ(TipOf(s_command), kTip);
    EXPECT_EQ(Lines("XPersistFile::Load").size(), 1u);
    SetLogLevel(3);
    ASSERT_EQ(TipOf(s_command), kTip);
    EXPECT_EQ(Lines("START Logging [3] From [").size(), 1u);
    EXPECT_EQ(Lines("XPersistFile::Load").size(), 1u); // a level-4 line
    SetLogLevel(4);
    ASSERT_TRUE(LibraryLoaded());
    ASSERT_EQ(TipOf(s_command), kTip);
    EXPECT_EQ(Lines("XPersistFile::Load").size(), 2u);
    holder.reset();
    FreeUnused();
    EXPECT_TRUE(LibraryLeft());
}

// Another program holds the log without sharing (an editor, a backup): the
// library's lines wait on a worker thread instead of the shell's, and the
// unload waits for nothing; the library leaves once the worker gave up.
TEST_F(HostLoad, LogHeldByAnotherProgramCostsTheHostNoWait)
{
    UseLog(L"held.log", 0x8004);
    ASSERT_EQ(TipOf(s_command), kTip); // the log exists and the library is warm
    FreeUnused();
    ASSERT_TRUE(LibraryLeft());
    HANDLE other = ::CreateFileW(m_log.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                 OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(other, INVALID_HANDLE_VALUE);

    const DWORD start = ::GetTickCount();
    EXPECT_EQ(TipOf(s_command), kTip);
    FreeUnused();
    const DWORD took = ::GetTickCount() - start;
    // Each line would wait 1.4 s for the file on the caller's thread.
    EXPECT_LT(took, 1000u) << took << " ms";
    EXPECT_TRUE(LibraryLeft());
    ::CloseHandle(other);
}

} // namespace
