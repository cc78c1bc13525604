// The real launchers under Wine: command files written with the library's
// own code are run by ZELK.exe and ZELKadmin.exe on real folders; the files
// on disk, the trace log (LogLevel 3 in HKCU) and the messages the library
// recorded through FERROVANE_MESSAGE_LOG tell what happened.
#include <gtest/gtest.h>

#include <memory>

#include "FlowTestSupport.h"
#include "FxException.h"
#include "TaskelOptions.h"

namespace
{

const wchar_t TRACE_KEY[] = L"Software\\Veltrac\\Ferrovane";
const wchar_t SHELL_FOLDERS[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
// Real operations without dialogs or sound.
const DWORD REAL = OPT_SILENT | OPT_NOCONFIRMATION | OPT_NOCONFIRMMKDIR | OPT_NOERRORUI;

std::wstring WindowsPath(const char *unixPath)
{
    std::wstring wide = L"Z:";
    for (const char *c = unixPath; *c; ++c)
        wide += *c == '/' ? L'\\' : static_cast<wchar_t>(*c);
    return wide + L"\\";
}

class Launcher : public ::testing::Test
{
  protected:
    static void SetUpTestSuite()
    {
        s_shared = FreshFolder(L"e2e-shared");
        s_log = s_shared + L"ferrovane.log";
        s_messages = s_shared + L"messages.txt";
        s_desktop = s_shared + L"Desktop";
        ::CreateDirectoryW(s_desktop.c_str(), nullptr);
        s_level = new CSavedValue(HKEY_CURRENT_USER, TRACE_KEY, L"LogLevel");
        s_file = new CSavedValue(HKEY_CURRENT_USER, TRACE_KEY, L"LogFile");
        s_desktopValue = new CSavedValue(HKEY_CURRENT_USER, SHELL_FOLDERS, L"Desktop");
        s_level->SetDword(3);
        s_file->SetString(s_log);
        ::SetEnvironmentVariableW(L"FERROVANE_MESSAGE_LOG", s_messages.c_str());
    }
    static void TearDownTestSuite()
    {
        ::SetEnvironmentVariableW(L"FERROVANE_MESSAGE_LOG", nullptr);
        delete s_level;
        delete s_file;
        delete s_desktopValue;
    }

    void SetUp() override { root = FreshFolder(CurrentTestName()); }

    // Runs `exe` (from the build folder) with `args` in the test's folder
    // and returns the trace log it and the library wrote.
    Lines Run(const std::wstring &args, const wchar_t *exe = L"ZELK.exe",
              const std::wstring &program = WindowsPath(FLOW_BINARY_DIR))
    {
        ::DeleteFileW(s_log.c_str());
        ::DeleteFileW(s_messages.c_str());
        // Wine's shell writes its own Desktop back into the registry when
        // this process uses it (the folder helpers do), so it is set anew.
        s_desktopValue->SetString(s_desktop);
        std::wstring path = program + exe;
        std::wstring commandLine = L"\"" + path + L"\" " + args;
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION process = {};
        EXPECT_TRUE(::CreateProcessW(path.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0,
                                     nullptr, root.c_str(), &startup, &process))
            << "CreateProcess " << ::GetLastError();
        if (!process.hProcess) return {};
        EXPECT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(process.hProcess, 120000));
        DWORD code = 1;
        ::GetExitCodeProcess(process.hProcess, &code);
        EXPECT_EQ(0u, code);
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
        return ReadLines(s_log);
    }

    Lines Messages() const { return ReadLines(s_messages); }

    void Command(const wchar_t *name, const CommandSpec &spec)
    {
        ASSERT_EQ(WriteCommandFile(root + name, spec), S_OK);
    }
    std::wstring P(const wchar_t *relative) const { return root + relative; }
    std::wstring Q(const wchar_t *relative) const { return L"\"" + P(relative) + L"\""; }

    std::wstring root;
    static std::wstring s_shared, s_log, s_messages, s_desktop;
    static CSavedValue *s_level, *s_file, *s_desktopValue;
};

std::wstring Launcher::s_shared, Launcher::s_log, Launcher::s_messages, Launcher::s_desktop;
CSavedValue *Launcher::s_level = nullptr, *Launcher::s_file = nullptr,
            *Launcher::s_desktopValue = nullptr;

bool Contains(const Lines &lines, const std::string &text)
{
    return !After(lines, text).empty();
}

} // namespace

TEST_F(Launcher, CopyWithWildcardTakesSubfolders)
{
    WriteText(P(L"src\\a.txt"));
    WriteText(P(L"src\\sub\\b.txt"));
    WriteText(P(L"src\\c.log"));
    Command(L"copy.Taskel", {EDIT_ACTION_COPY, REAL, {L"src\\*.txt"}, L"out"});
    Lines log = Run(L"/run " + Q(L"copy.Taskel"));
    EXPECT_TRUE(Exists(P(L"out\\a.txt")));
    EXPECT_TRUE(Exists(P(L"out\\sub\\b.txt")));
    EXPECT_FALSE(Exists(P(L"out\\c.log")));
    EXPECT_TRUE(Exists(P(L"src\\a.txt")));
    EXPECT_EQ(After(log, ">>> Run ["), Lines{">>> Run [" + Narrow(P(L"copy.Taskel")) + "]"});
    EXPECT_TRUE(Contains(log, "> Copy succeeded"));
    EXPECT_TRUE(Messages().empty());
}

TEST_F(Launcher, MoveWithRenamePatternAndTheElevatedLauncher)
{
    WriteText(P(L"in\\a.txt"));
    WriteText(P(L"in\\b.txt"));
    WriteText(P(L"in\\keep.doc"));
    Command(L"move.Taskel", {EDIT_ACTION_MOVERENAME, REAL, {L"in\\*.txt>*.old"}, L"m"});
    Lines log = Run(Q(L"move.Taskel"), L"ZELKadmin.exe");
    EXPECT_TRUE(Exists(P(L"m\\a.old")));
    EXPECT_TRUE(Exists(P(L"m\\b.old")));
    EXPECT_FALSE(Exists(P(L"in\\a.txt")));
    EXPECT_TRUE(Exists(P(L"in\\keep.doc")));
    EXPECT_EQ(After(log, "        ["), Lines{"        [/Admin]"});
}

TEST_F(Launcher, TwoFilesOfOneRequestEachWithTheirOwnSwitches)
{
    WriteText(P(L"d\\a.tmp"));
    WriteText(P(L"d\\keep.txt"));
    WriteText(P(L"r\\one.txt"));
    Command(L"del.Taskel", {EDIT_ACTION_DELETE, REAL, {L"d\\*.tmp"}, L""});
    Command(L"ren.Taskel", {EDIT_ACTION_RENAME, REAL, {L"r\\*.txt>*.bak"}, L""});

    // "/t" before the second file makes its run a trial: traced, not done.
    Lines log = Run(L"/ne " + Q(L"del.Taskel") + L" /t " + Q(L"ren.Taskel"));
    EXPECT_FALSE(Exists(P(L"d\\a.tmp")));
    EXPECT_TRUE(Exists(P(L"d\\keep.txt")));
    EXPECT_TRUE(Exists(P(L"r\\one.txt")));
    EXPECT_FALSE(Exists(P(L"r\\one.bak")));
    EXPECT_EQ(After(log, "        [/"), (Lines{"        [/ne+]", "        [/t+]"}));
    EXPECT_TRUE(Contains(log, "> Delete succeeded"));
    EXPECT_TRUE(Contains(log, "==> Rename"));
    EXPECT_TRUE(Contains(log, "_TRIAL_RUN"));

    log = Run(Q(L"ren.Taskel"));
    EXPECT_TRUE(Exists(P(L"r\\one.bak")));
    EXPECT_FALSE(Exists(P(L"r\\one.txt")));
}

TEST_F(Launcher, TrialRunTracesTheRequestsAndChangesNothing)
{
    WriteText(P(L"src\\a.txt"));
    Command(L"copy.Taskel", {EDIT_ACTION_COPY, REAL, {L"src\\*.txt"}, L"out\\deep"});
    Lines log = Run(L"/t " + Q(L"copy.Taskel"));
    EXPECT_FALSE(Exists(P(L"out")));
    EXPECT_TRUE(Contains(log, "==> Copy"));
    EXPECT_TRUE(Contains(log, "==> Make Target [" + Narrow(P(L"out\\deep")) + "]"));
    EXPECT_FALSE(Contains(log, "succeeded"));
}

TEST_F(Launcher, SilentSwitchRunsQuietlyAndLeavesTheFileAlone)
{
    WriteText(P(L"src\\a.txt"));
    Command(L"copy.Taskel",
            {EDIT_ACTION_COPY, OPT_NOCONFIRMATION | OPT_X_COMPLETE_SOUND, {L"src\\*.txt"}, L"out"});
    std::vector<BYTE> before = ReadBytes(P(L"copy.Taskel"));
    Lines log = Run(L"/s " + Q(L"copy.Taskel"));
    EXPECT_TRUE(Exists(P(L"out\\a.txt")));
    Lines start = After(log, ">>> Start Copy [");
    ASSERT_EQ(start.size(), 1u);
    EXPECT_NE(start[0].find("SILENT"), std::string::npos) << start[0];
    EXPECT_NE(start[0].find("X_NO_ANIMATION"), std::string::npos) << start[0];
    EXPECT_EQ(start[0].find("X_COMPLETE_SOUND"), std::string::npos) << start[0];
    EXPECT_EQ(ReadBytes(P(L"copy.Taskel")), before);
}

TEST_F(Launcher, LogOffSilencesTheRestOfTheProcess)
{
    WriteText(P(L"a\\x.txt"));
    WriteText(P(L"b\\y.txt"));
    Command(L"a.Taskel", {EDIT_ACTION_COPY, REAL, {L"a\\*.txt"}, L"outa"});
    Command(L"b.Taskel", {EDIT_ACTION_COPY, REAL, {L"b\\*.txt"}, L"outb"});
    Lines log = Run(L"/l- " + Q(L"a.Taskel") + L" " + Q(L"b.Taskel"));
    EXPECT_TRUE(Exists(P(L"outa\\x.txt")));
    EXPECT_TRUE(Exists(P(L"outb\\y.txt")));
    // The first call's parameters are traced before its run flow starts.
    EXPECT_EQ(After(log, "CmdLine [").size(), 1u);
    EXPECT_FALSE(Contains(log, ">>> Run"));
    EXPECT_FALSE(Contains(log, "Copy"));
}

TEST_F(Launcher, RunLogPlacement)
{
    WriteText(P(L"src\\a.txt"));
    Command(L"job.Taskel", {EDIT_ACTION_COPY, REAL, {L"src\\*.txt"}, L"out"});
    std::wstring job = Q(L"job.Taskel");
    std::string runLine = ">>> Run [" + Narrow(P(L"job.Taskel")) + "]";
    auto runLog = [&](const std::wstring &path) {
        Lines lines = ReadLines(path);
        EXPECT_FALSE(lines.empty()) << Narrow(path);
        EXPECT_EQ(After(lines, ">>> Run ["), Lines{runLine}) << Narrow(path);
        // Level 1 without identifier prefix: the line starts with the text.
        EXPECT_TRUE(Contains(lines, runLine)) << Narrow(path);
        if (!lines.empty())
        {
            EXPECT_NE(lines[0].find("START Logging [4001]"), std::string::npos) << lines[0];
        }
        ::DeleteFileW(path.c_str());
    };

    // A bare name goes to the Desktop folder of the registry.
    Lines main = Run(L"/l /lfrun.log " + job);
    runLog(s_desktop + L"\\run.log");
    EXPECT_FALSE(Contains(main, ">>> Run"));

    ::CreateDirectoryW(P(L"logs").c_str(), nullptr);
    Run(L"/l /lflogs\\run " + job);
    runLog(P(L"logs\\run.log"));

    std::wstring elsewhere = FreshFolder(L"e2e-elsewhere");
    Run(L"/l /lf" + elsewhere + L" " + job);
    runLog(elsewhere + L"job.log");

    Run(L"/l /lf " + job);
    runLog(s_desktop + L"\\job.log");
    EXPECT_TRUE(Exists(P(L"out\\a.txt")));
}

TEST_F(Launcher, MissingFileIsReportedWithItsFullPath)
{
    Lines log = Run(L"/run " + Q(L"nothing"));
    EXPECT_EQ(Messages(),
              Lines{"3069|File command \"" + Narrow(P(L"nothing.Taskel")) + "\" doesn't exist."});
    EXPECT_FALSE(Contains(log, ">>> Start"));

    Run(L"/edit " + Q(L"nothing"));
    EXPECT_EQ(Messages(),
              Lines{"3069|File command \"" + Narrow(P(L"nothing.Taskel")) + "\" doesn't exist."});
}

TEST_F(Launcher, ForeignAndBrokenFilesAreReportedAndNothingRuns)
{
    WriteText(P(L"src\\a.txt"));
    Command(L"copy.Taskel", {EDIT_ACTION_COPY, REAL, {L"src\\*.txt"}, L"out"});
    std::vector<BYTE> good = ReadBytes(P(L"copy.Taskel"));

    WriteBytes(P(L"copy.Taskel"), std::vector<BYTE>(good.begin() + 16, good.end()));
    Lines log = Run(Q(L"copy.Taskel"));
    std::wstring text = fx::COleException(static_cast<HRESULT>(0x800401F2)).MessageText();
    EXPECT_EQ(Messages(), Lines{"0|" + Narrow(text)});
    EXPECT_TRUE(Contains(log, "does not have the proper prefix"));
    EXPECT_TRUE(Contains(log, "Exception [COleException]"));

    WriteBytes(P(L"copy.Taskel"), std::vector<BYTE>(good.begin(), good.begin() + 200));
    Run(Q(L"copy.Taskel"));
    Lines shown = Messages();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].rfind("0|", 0), 0u);
    EXPECT_FALSE(Exists(P(L"out")));
}

TEST_F(Launcher, ReadOnlyCommandFileRunsAndIsNeverWritten)
{
    WriteText(P(L"src\\a.txt"));
    Command(L"copy.Taskel", {EDIT_ACTION_COPY, REAL, {L"src\\*.txt"}, L"out"});
    std::vector<BYTE> before = ReadBytes(P(L"copy.Taskel"));
    ASSERT_TRUE(::SetFileAttributesW(P(L"copy.Taskel").c_str(), FILE_ATTRIBUTE_READONLY));
    Run(L"/q /esc3 " + Q(L"copy.Taskel"));
    EXPECT_TRUE(Exists(P(L"out\\a.txt")));
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(ReadBytes(P(L"copy.Taskel")), before);
    ::SetFileAttributesW(P(L"copy.Taskel").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(Launcher, ExamplesComeFromTheToolAndRun)
{
    Run(Q(L"examples"), L"MakeExamples.exe", WindowsPath(FLOW_TOOLS_DIR));
    for (const wchar_t *name :
         {L"backup-logs", L"tidy-downloads", L"jpeg-to-jpg", L"clean-temp", L"archive-reports"})
    {
        std::vector<BYTE> bytes = ReadBytes(P(L"examples\\") + name + L".Taskel");
        ASSERT_GT(bytes.size(), 16u) << Narrow(name);
        EXPECT_EQ(bytes[0], 0x26); // the command class identifier's first byte
    }
    WriteText(P(L"examples\\Downloads\\guide.pdf"));
    WriteText(P(L"examples\\photos\\cat.jpeg"));
    WriteText(P(L"examples\\temp\\old.tmp"));
    Run(L"/s " + Q(L"examples\\tidy-downloads.Taskel") + L" /s " + Q(L"examples\\jpeg-to-jpg") +
        L" /s /t " + Q(L"examples\\clean-temp"));
    EXPECT_TRUE(Exists(P(L"examples\\Documents\\PDF\\guide.pdf")));
    EXPECT_FALSE(Exists(P(L"examples\\Downloads\\guide.pdf")));
    EXPECT_TRUE(Exists(P(L"examples\\photos\\cat.jpg")));
    EXPECT_TRUE(Exists(P(L"examples\\temp\\old.tmp")));
}
