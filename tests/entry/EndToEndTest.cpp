// The real launchers under Wine: command files written with the library's
// own code are run by ZELK.exe and ZELKadmin.exe on real folders; the files
// on disk, the trace log (LogLevel 3 in HKCU) and the message boxes the
// user would see (read and dismissed under Xvfb) tell what happened. Also
// the exported functions called in this process, ANSI beside wide.
#include <gtest/gtest.h>

#include "FlowTestSupport.h"
#include "FxException.h"
#include "TaskelOptions.h"
#include "TestLauncher.h"

namespace
{

const wchar_t SHELL_FOLDERS[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
// Real operations without dialogs or sound.
const DWORD REAL = OPT_SILENT | OPT_NOCONFIRMATION | OPT_NOCONFIRMMKDIR | OPT_NOERRORUI;
// String numbers: the library's missing-file message, the launcher's usage.
const UINT IDS_COMMAND_MISSING = 3069;
const UINT IDS_USAGE = 101;

std::wstring BinaryDir()
{
    return BuildFolder(FLOW_BINARY_DIR);
}

// The string `id` of a built program's string table.
std::wstring ProgramString(const std::wstring &program, UINT id)
{
    HMODULE module = ::LoadLibraryExW(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    wchar_t text[4096] = L"";
    int length = module ? ::LoadStringW(module, id, text, ARRAYSIZE(text)) : 0;
    if (module) ::FreeLibrary(module);
    return std::wstring(text, length > 0 ? length : 0);
}

// The library's missing-file message for `path`, from its own string table.
std::string MissingFileMessage(const std::wstring &path)
{
    std::wstring text = ProgramString(BinaryDir() + L"Taskel.dll", IDS_COMMAND_MISSING);
    size_t at = text.find(L"%1");
    if (at != std::wstring::npos) text.replace(at, 2, path);
    return "Ferrovane|" + Narrow(text);
}

// An exported function by name; void (*)() is the generic function type.
template <typename Fn> Fn Export(HMODULE module, const char *name)
{
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(::GetProcAddress(module, name)));
}

class Launcher : public ::testing::Test
{
  protected:
    static void SetUpTestSuite()
    {
        s_shared = FreshFolder(L"e2e-shared");
        s_desktop = s_shared + L"Desktop";
        ::CreateDirectoryW(s_desktop.c_str(), nullptr);
        s_trace = new CLauncherTrace(s_shared + L"ferrovane.log");
        s_desktopValue = new CSavedValue(HKEY_CURRENT_USER, SHELL_FOLDERS, L"Desktop");
    }
    static void TearDownTestSuite()
    {
        delete s_trace;
        delete s_desktopValue;
    }

    void SetUp() override { root = FreshFolder(CurrentTestName()); }
    // A test takes the message boxes it expects with Messages(); any other
    // box fails it.
    void TearDown() override
    {
        EXPECT_TRUE(m_shown.empty()) << "unexpected message boxes:\n" << Describe(m_shown);
    }

    // Runs `exe` (from the build folder) with `args` in the test's folder
    // and returns the trace log it and the library wrote.
    Lines Run(const std::wstring &args, const wchar_t *exe = L"ZELK.exe",
              const std::wstring &program = BinaryDir(), DWORD exitCode = 0)
    {
        s_trace->Clear();
        // Wine's shell writes its own Desktop back into the registry when
        // this process uses it (the folder helpers do), so it is set anew.
        s_desktopValue->SetString(s_desktop);
        ProcessRun run = RunProgram(program + exe, args, root);
        EXPECT_EQ(exitCode, run.exitCode) << Narrow(args);
        m_shown.insert(m_shown.end(), run.messages.begin(), run.messages.end());
        return s_trace->Read();
    }

    // The message boxes shown since the last call, as "caption|text".
    Lines Messages()
    {
        Lines shown;
        for (const ShownMessage &message : m_shown)
            shown.push_back(Narrow(message.caption) + "|" + Narrow(message.text));
        m_shown.clear();
        return shown;
    }

    void Command(const wchar_t *name, const CommandSpec &spec)
    {
        ASSERT_EQ(WriteCommandFile(root + name, spec), S_OK);
    }
    std::wstring P(const wchar_t *relative) const { return root + relative; }
    std::wstring Q(const wchar_t *relative) const { return L"\"" + P(relative) + L"\""; }
    std::string RunLine(const wchar_t *relative) const
    {
        return ">>> Run [" + Narrow(P(relative)) + "]";
    }

    std::wstring root;
    std::vector<ShownMessage> m_shown;
    static std::wstring s_shared, s_desktop;
    static CLauncherTrace *s_trace;
    static CSavedValue *s_desktopValue;
};

std::wstring Launcher::s_shared, Launcher::s_desktop;
CLauncherTrace *Launcher::s_trace = nullptr;
CSavedValue *Launcher::s_desktopValue = nullptr;

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
    EXPECT_EQ(After(log, ">>> Run ["), Lines{RunLine(L"copy.Taskel")});
    EXPECT_TRUE(Contains(log, "> Copy succeeded"));
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
    const std::string shown =
        "Ferrovane|File command \"" + Narrow(P(L"nothing.Taskel")) + "\" doesn't exist.";
    Lines log = Run(L"/run " + Q(L"nothing"), L"ZELK.exe", BinaryDir(), 2);
    EXPECT_EQ(Messages(), Lines{shown});
    EXPECT_EQ(shown, MissingFileMessage(P(L"nothing.Taskel")));
    EXPECT_FALSE(Contains(log, ">>> Start"));

    Run(L"/edit " + Q(L"nothing"));
    EXPECT_EQ(Messages(), Lines{shown});
}

TEST_F(Launcher, ForeignAndBrokenFilesAreReportedAndNothingRuns)
{
    WriteText(P(L"src\\a.txt"));
    Command(L"copy.Taskel", {EDIT_ACTION_COPY, REAL, {L"src\\*.txt"}, L"out"});
    std::vector<BYTE> good = ReadBytes(P(L"copy.Taskel"));

    WriteBytes(P(L"copy.Taskel"), std::vector<BYTE>(good.begin() + 16, good.end()));
    Lines log = Run(Q(L"copy.Taskel"), L"ZELK.exe", BinaryDir(), 2);
    std::wstring text = fx::COleException(static_cast<HRESULT>(0x800401F2)).MessageText();
    EXPECT_EQ(Messages(), Lines{"Ferrovane|" + Narrow(text)});
    EXPECT_TRUE(Contains(log, "does not have the proper prefix"));
    EXPECT_TRUE(Contains(log, "Exception [COleException]"));

    WriteBytes(P(L"copy.Taskel"), std::vector<BYTE>(good.begin(), good.begin() + 200));
    log = Run(Q(L"copy.Taskel"), L"ZELK.exe", BinaryDir(), 2);
    EXPECT_TRUE(Contains(log, "<<< Run [" + Narrow(P(L"copy.Taskel")) +
                                  "] Result [Not read] Sent [0] Left out [0]"));
    // A message of the failure, not of a missing file.
    Lines shown = Messages();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].rfind("Ferrovane|", 0), 0u) << shown[0];
    EXPECT_GT(shown[0].size(), std::string("Ferrovane|").size());
    EXPECT_EQ(shown[0].find("doesn't exist"), std::string::npos) << shown[0];
    EXPECT_FALSE(Exists(P(L"out")));
}

// A Delete command carrying the mark of a download: a silent run deletes
// nothing and says why in its log; an interactive one asks with the
// buttons "Run" and "Don't run" (the default), and the watcher's answer
// "Don't run" deletes nothing; a copy without the mark runs as before.
TEST_F(Launcher, CommandFromTheInternetRunsOnlyWhenAsked)
{
    WriteText(P(L"victim.txt"));
    Command(L"del.Taskel", {EDIT_ACTION_DELETE, REAL, {L"victim.txt"}, L""});
    ASSERT_TRUE(::CopyFileW(P(L"del.Taskel").c_str(), P(L"local.Taskel").c_str(), TRUE));
    const std::string mark = "[ZoneTransfer]\r\nZoneId=3\r\nHostUrl=https://h.example/d\r\n";
    WriteBytes(P(L"del.Taskel:Zone.Identifier"), std::vector<BYTE>(mark.begin(), mark.end()));

    // Not run: the script learns it from the exit code.
    Lines log = Run(L"/s " + Q(L"del.Taskel"), L"ZELK.exe", BinaryDir(), 1);
    EXPECT_TRUE(Exists(P(L"victim.txt")));
    EXPECT_TRUE(Contains(log, "Not run [" + Narrow(P(L"del.Taskel")) +
                                  "]: from zone [3], and a silent run does not ask"));
    EXPECT_TRUE(Messages().empty());

    log = Run(Q(L"del.Taskel"), L"ZELK.exe", BinaryDir(), 1);
    EXPECT_TRUE(Exists(P(L"victim.txt")));
    ASSERT_EQ(m_shown.size(), 1u);
    EXPECT_EQ(m_shown[0].buttons, (std::vector<std::wstring>{L"&Run", L"&Don't run"}));
    EXPECT_EQ(m_shown[0].defaultButton, L"&Don't run");
    const Lines shown = Messages();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].rfind("Ferrovane|File command \"" + Narrow(P(L"del.Taskel")) +
                                 "\" came from another computer.",
                             0),
              0u)
        << shown[0];
    EXPECT_NE(shown[0].find("Delete: victim.txt"), std::string::npos) << shown[0];
    EXPECT_NE(shown[0].find("Zone: Internet"), std::string::npos) << shown[0];
    EXPECT_NE(shown[0].find("From: https://h.example/d"), std::string::npos) << shown[0];
    EXPECT_TRUE(Contains(log, "from zone [3], the user declined"));
    EXPECT_TRUE(Contains(log, "<<< Run [" + Narrow(P(L"del.Taskel")) +
                                  "] Result [Not run] Sent [0] Left out [0]"));

    Run(L"/s " + Q(L"local.Taskel"));
    EXPECT_FALSE(Exists(P(L"victim.txt")));
}

// "/preview /csv:" writes the plan for scripts and runs nothing; a missing
// command file ends with exit code 2 and no message box.
TEST_F(Launcher, PreviewWritesThePlanForScripts)
{
    WriteText(P(L"src\\a.txt"));
    Command(L"del.Taskel", {EDIT_ACTION_DELETE, REAL, {L"src\\*.txt"}, L""});
    for (const wchar_t *exe : {L"ZELK.exe", L"ZELKadmin.exe"})
    {
        ::DeleteFileW(P(L"plan.csv").c_str());
        const Lines log = Run(L"/preview /csv:plan.csv " + Q(L"del.Taskel"), exe);
        const std::vector<BYTE> bytes = ReadBytes(P(L"plan.csv"));
        const std::string text(bytes.begin(), bytes.end());
        EXPECT_EQ(text, "\xEF\xBB\xBF"
                        "Action,Source,Target,What happens,Size\r\n"
                        "Delete," +
                            Narrow(P(L"src\\a.txt")) + ",,Deleted,4\r\n")
            << Narrow(exe);
        EXPECT_TRUE(Contains(log, ">>> Preview [" + Narrow(P(L"del.Taskel")) + "]"));
        EXPECT_TRUE(Exists(P(L"src\\a.txt")));
    }
    Run(L"/preview /csv:plan.csv " + Q(L"none.Taskel"), L"ZELK.exe", BinaryDir(), 2);
    EXPECT_TRUE(Messages().empty());
}

TEST_F(Launcher, ReadOnlyCommandFileRunsAndIsNeverWritten)
{
    WriteText(P(L"src\\a.txt"));
    Command(L"copy.Taskel", {EDIT_ACTION_COPY, REAL, {L"src\\*.txt"}, L"out"});
    std::vector<BYTE> before = ReadBytes(P(L"copy.Taskel"));
    ASSERT_TRUE(::SetFileAttributesW(P(L"copy.Taskel").c_str(), FILE_ATTRIBUTE_READONLY));
    Run(L"/q /esc3 " + Q(L"copy.Taskel"));
    EXPECT_TRUE(Exists(P(L"out\\a.txt")));
    EXPECT_EQ(ReadBytes(P(L"copy.Taskel")), before);
    ::SetFileAttributesW(P(L"copy.Taskel").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(Launcher, ExamplesComeFromTheToolAndRun)
{
    Run(Q(L"examples"), L"MakeExamples.exe", BuildFolder(FLOW_TOOLS_DIR));
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

// The launcher's command line: one call of the library's run function per
// command file, each with the switches before it, the absolute path handed
// to the run flow.
TEST_F(Launcher, OneRunCallPerFileWithItsOwnSwitches)
{
    WriteText(P(L"src\\a.txt"));
    WriteText(P(L"d\\x.tmp"));
    WriteText(P(L"d\\keep.txt"));
    Command(L"a.Taskel", {EDIT_ACTION_COPY, REAL, {L"src\\*.txt"}, L"out"});
    Command(L"b.Taskel", {EDIT_ACTION_DELETE, REAL, {L"d\\*.tmp"}, L""});
    Lines log = Run(L"/s a.Taskel /ne b.Taskel");
    EXPECT_EQ(After(log, "CmdLine ["), (Lines{"CmdLine [/s a.Taskel]", "CmdLine [/ne b.Taskel]"}));
    EXPECT_EQ(After(log, ">>> Run ["), (Lines{RunLine(L"a.Taskel"), RunLine(L"b.Taskel")}));
    EXPECT_EQ(After(log, "        [/"), (Lines{"        [/s+]", "        [/ne+]"}));
    EXPECT_EQ(2u, After(log, "  AdminUser [1] CanRegister [1]").size()); // launcher and library
    EXPECT_TRUE(Exists(P(L"out\\a.txt")));
    EXPECT_FALSE(Exists(P(L"d\\x.tmp")));
    EXPECT_TRUE(Exists(P(L"d\\keep.txt")));
}

TEST_F(Launcher, DashSwitchAndExtensionAdded)
{
    WriteText(P(L"in\\r.txt"));
    Command(L"report.Taskel", {EDIT_ACTION_MOVE, REAL, {L"in\\r.txt"}, L"done"});
    Lines log = Run(L"-q report");
    EXPECT_EQ(After(log, "CmdLine ["), Lines{"CmdLine [/q report]"});
    EXPECT_EQ(After(log, ">>> Run ["), Lines{RunLine(L"report.Taskel")});
    EXPECT_EQ(After(log, "        [/"), Lines{"        [/q+]"});
    EXPECT_TRUE(Exists(P(L"done\\r.txt")));
    EXPECT_FALSE(Exists(P(L"in\\r.txt")));
}

TEST_F(Launcher, QuotedPathWithSpacesIsOneParameter)
{
    WriteText(P(L"My Jobs\\a.txt"));
    Command(L"My Jobs\\a b.Taskel", {EDIT_ACTION_RENAME, REAL, {L"*.txt>*.bak"}, L""});
    const std::string path = Narrow(P(L"My Jobs\\a b.Taskel"));
    Lines log = Run(Q(L"My Jobs\\a b.Taskel"));
    EXPECT_EQ(After(log, "CmdLine ["), Lines{"CmdLine [ \"" + path + "\"]"});
    EXPECT_EQ(After(log, "Parm ["), Lines{"Parm [" + path + "]"});
    EXPECT_EQ(After(log, ">>> Run ["), Lines{">>> Run [" + path + "]"});
    // Relative sources belong to the command's own folder.
    EXPECT_TRUE(Exists(P(L"My Jobs\\a.bak")));
    EXPECT_FALSE(Exists(P(L"My Jobs\\a.txt")));
}

TEST_F(Launcher, LongLogPathArrivesWhole)
{
    WriteText(P(L"src\\a.txt"));
    Command(L"a.Taskel", {EDIT_ACTION_COPY, REAL, {L"src\\*.txt"}, L"out"});
    const std::wstring folder =
        P(L"Logs With Space\\") + std::wstring(140, L'd') + L"\\" + std::wstring(140, L'e');
    MakeFolder(folder);
    Lines log = Run(L"\"/lf" + folder + L"\\run.log\" a.Taskel");
    EXPECT_EQ(After(log, "CmdLine ["),
              Lines{"CmdLine [\"/lf" + Narrow(folder) + "\\run.log\" a.Taskel]"});
    EXPECT_EQ(After(log, "Parm ["),
              (Lines{"Parm [/lf" + Narrow(folder) + "\\run.log]", "Parm [a.Taskel]"}));
    EXPECT_TRUE(Exists(P(L"out\\a.txt")));
    // The run's own log goes there, past MAX_PATH.
    Lines longLog = ReadLines(L"\\\\?\\" + folder + L"\\run.log");
    EXPECT_EQ(After(longLog, ">>> Run ["), Lines{RunLine(L"a.Taskel")}) << longLog.size();
}

TEST_F(Launcher, AdminBuildPrefixesAdmin)
{
    WriteText(P(L"src\\a.txt"));
    WriteText(P(L"d\\x.tmp"));
    Command(L"a.Taskel", {EDIT_ACTION_COPY, REAL, {L"src\\*.txt"}, L"out"});
    Command(L"b.Taskel", {EDIT_ACTION_DELETE, REAL, {L"d\\*.tmp"}, L""});
    Lines log = Run(L"/Admin /s a.Taskel b.Taskel", L"ZELKadmin.exe");
    EXPECT_EQ(After(log, "CmdLine ["),
              (Lines{"CmdLine [/Admin /s a.Taskel]", "CmdLine [/Admin  b.Taskel]"}));
    EXPECT_EQ(After(log, "        [/"), (Lines{"        [/s+ /Admin]", "        [/Admin]"}));
    EXPECT_EQ(After(log, ">>> Run ["), (Lines{RunLine(L"a.Taskel"), RunLine(L"b.Taskel")}));
    EXPECT_TRUE(Exists(P(L"out\\a.txt")));
    EXPECT_FALSE(Exists(P(L"d\\x.tmp")));
}

TEST_F(Launcher, EditAndNewReachTheirFlows)
{
    WriteText(P(L"src\\a.txt"));
    Command(L"job.Taskel", {EDIT_ACTION_COPY, REAL, {L"src\\*.txt"}, L"out"});
    std::vector<BYTE> before = ReadBytes(P(L"job.Taskel"));
    Lines edit = Run(L"/edit job", L"ZELKadmin.exe");
    EXPECT_EQ(After(edit, "EditCommand ["),
              Lines{"EditCommand [" + Narrow(P(L"job.Taskel")) + "] [/Admin job]"});
    // The edit sheet opened; the watcher cancelled it.
    EXPECT_EQ(Messages(), Lines{"job - Ferrovane|(property sheet)"});
    // Editing runs nothing and leaves the file as it was.
    EXPECT_FALSE(Exists(P(L"out")));
    EXPECT_EQ(ReadBytes(P(L"job.Taskel")), before);

    Lines created = Run(L"/new notes.txt");
    EXPECT_EQ(After(created, "NewCommand ["),
              Lines{"NewCommand [" + Narrow(P(L"notes.txt.Taskel")) + "] [notes.txt]"});
    // The wizard opened; the watcher cancelled it, and nothing was created.
    EXPECT_EQ(Messages(), Lines{"New File Command|(property sheet)"});
    EXPECT_EQ(After(created, "Wizard Result ["), Lines{"Wizard Result [2]"});
    EXPECT_FALSE(Exists(P(L"notes.txt.Taskel")));

    // No help file beside the library: no help, and nothing goes wrong.
    EXPECT_TRUE(After(edit, "Exception").empty());
    EXPECT_TRUE(After(created, "Exception").empty());
}

TEST_F(Launcher, UsageRunsNothingAndEnds)
{
    WriteText(P(L"src\\a.txt"));
    Command(L"a.Taskel", {EDIT_ACTION_COPY, REAL, {L"src\\*.txt"}, L"out"});
    const std::string usage =
        "Ferrovane|" + Narrow(ProgramString(BinaryDir() + L"ZELK.exe", IDS_USAGE));
    ASSERT_NE(usage.find("To run a command:"), std::string::npos) << usage;

    ASSERT_NE(usage.find("Exit codes:"), std::string::npos) << usage;

    // Wrong arguments end with 3.
    Lines log = Run(L"/x a.Taskel", L"ZELK.exe", BinaryDir(), 3);
    EXPECT_TRUE(After(log, "CmdLine [").empty());
    EXPECT_EQ(Messages(), Lines{usage});
    // "/Admin" belongs to the elevated launcher only.
    log = Run(L"/Admin a.Taskel", L"ZELK.exe", BinaryDir(), 3);
    EXPECT_TRUE(After(log, "CmdLine [").empty());
    EXPECT_EQ(Messages(), Lines{usage});
    Run(L"", L"ZELK.exe", BinaryDir(), 3);
    EXPECT_EQ(Messages(), Lines{usage});
    // Asked for, the same message is no error.
    Run(L"/?", L"ZELK.exe", BinaryDir(), 0);
    EXPECT_EQ(Messages(), Lines{usage});
    Run(L"/?", L"ZELKadmin.exe", BinaryDir(), 0);
    EXPECT_EQ(Messages().size(), 1u);
    EXPECT_FALSE(Exists(P(L"out")));
}

// Scripts and schedulers learn how the runs ended from the exit code: 0
// every command did its work (a trial run too), 1 a run the shell failed
// or the user cancelled, 2 a missing command file; of several files, the
// worst. Each command's run ends with its summary line, also in the run's
// own log.
TEST_F(Launcher, ExitCodesTellHowTheRunsEnded)
{
    WriteText(P(L"src\\a.txt"));
    WriteText(P(L"src\\c.dat"));
    WriteText(P(L"held.txt"));
    WriteText(P(L"asked.txt"));
    Command(L"ren.Taskel",
            {EDIT_ACTION_RENAME, REAL, {L"src\\*.txt>*.bak", L"src\\c.dat>..\\c.bak"}, L""});
    Command(L"held.Taskel", {EDIT_ACTION_DELETE, REAL, {L"held.txt"}, L""});
    Command(
        L"asked.Taskel",
        {EDIT_ACTION_DELETE, REAL & ~static_cast<DWORD>(OPT_NOCONFIRMATION), {L"asked.txt"}, L""});
    auto summary = [&](const wchar_t *file, const char *rest) {
        return "<<< Run [" + Narrow(P(file)) + "] " + rest;
    };

    // Done, with the rename out of its folder left out.
    Lines log = Run(Q(L"ren.Taskel"));
    EXPECT_TRUE(Exists(P(L"src\\a.bak")));
    EXPECT_EQ(After(log, "<<< Run ["),
              Lines{summary(L"ren.Taskel", "Result [Done] Sent [1] Left out [1]")});
    // A trial run that passes is done, and sends nothing.
    log = Run(L"/t " + Q(L"held.Taskel"));
    EXPECT_EQ(After(log, "<<< Run ["),
              Lines{summary(L"held.Taskel", "Result [Done] Sent [0] Left out [0]")});

    // The shell cannot delete a file another program holds: 1, in the run's
    // own log too.
    ::CreateDirectoryW(P(L"logs").c_str(), nullptr);
    {
        HANDLE holder = ::CreateFileW(P(L"held.txt").c_str(), GENERIC_READ, 0, nullptr,
                                      OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(holder, INVALID_HANDLE_VALUE);
        Run(L"/l /lflogs\\held " + Q(L"held.Taskel"), L"ZELK.exe", BinaryDir(), 1);
        ::CloseHandle(holder);
    }
    EXPECT_TRUE(Exists(P(L"held.txt")));
    const Lines runLog = ReadLines(P(L"logs\\held.log"));
    EXPECT_EQ(After(runLog, "<<< Run ["),
              Lines{summary(L"held.Taskel", "Result [Failed] Sent [1] Left out [0]")});

    // The user's answer No (or Cancel) to the shell's confirmation: 1.
    log = Run(Q(L"asked.Taskel"), L"ZELKadmin.exe", BinaryDir(), 1);
    EXPECT_TRUE(Exists(P(L"asked.txt")));
    EXPECT_EQ(Messages().size(), 1u) << "the shell's confirmation";
    EXPECT_EQ(After(log, "<<< Run ["),
              Lines{summary(L"asked.Taskel", "Result [Cancelled] Sent [1] Left out [0]")});

    // Several files: the missing one in the middle decides, and the others
    // still run.
    WriteText(P(L"src\\d.txt"));
    log = Run(Q(L"ren.Taskel") + L" " + Q(L"none.Taskel") + L" /t " + Q(L"held.Taskel"),
              L"ZELK.exe", BinaryDir(), 2);
    EXPECT_EQ(Messages(), Lines{MissingFileMessage(P(L"none.Taskel"))});
    EXPECT_TRUE(Exists(P(L"src\\d.bak")));
    EXPECT_EQ(After(log, "<<< Run ["),
              (Lines{summary(L"ren.Taskel", "Result [Done] Sent [1] Left out [1]"),
                     summary(L"none.Taskel", "Result [Missing] Sent [0] Left out [0]"),
                     summary(L"held.Taskel", "Result [Done] Sent [0] Left out [0]")}));
}

// The ANSI exports convert their parameters and do what the wide ones do:
// the same parameters arrive, and each call runs the command.
TEST_F(Launcher, AnsiTwinsMatchTheWideFunctionsInProcess)
{
    const char ansi[] = "/q \"\xe9t\xe9 job\" -ne";
    wchar_t wide[64];
    ASSERT_GT(::MultiByteToWideChar(CP_ACP, 0, ansi, -1, wide, 64), 0);
    WriteText(P(L"src\\a.txt"));
    const std::wstring name = std::wstring(wide).substr(4, 7) + L".Taskel";
    Command(name.c_str(), {EDIT_ACTION_COPY, REAL, {L"src\\*.txt"}, L"out"});

    s_trace->Clear();
    HMODULE library = ::LoadLibraryW((BinaryDir() + L"Taskel.dll").c_str());
    ASSERT_NE(nullptr, library);
    using AnsiFn = void(WINAPI *)(HWND, HINSTANCE, LPCSTR, int);
    using WideFn = void(WINAPI *)(HWND, HINSTANCE, LPCWSTR, int);
    using CanUnloadFn = HRESULT(WINAPI *)();
    auto run = Export<AnsiFn>(library, "RunCommand");
    auto runW = Export<WideFn>(library, "RunCommandW");
    auto canUnload = Export<CanUnloadFn>(library, "DllCanUnloadNow");
    ASSERT_TRUE(run && runW && canUnload);

    // Relative names are found in the current folder.
    wchar_t previous[MAX_PATH] = L"";
    ::GetCurrentDirectoryW(MAX_PATH, previous);
    ASSERT_TRUE(::SetCurrentDirectoryW(root.c_str()));
    CMessageBoxWatcher watcher(::GetCurrentProcessId());
    run(nullptr, nullptr, ansi, SW_SHOWNORMAL);
    EXPECT_TRUE(Exists(P(L"out\\a.txt")));
    RemoveTree(P(L"out"));
    runW(nullptr, nullptr, wide, SW_SHOWNORMAL);
    EXPECT_TRUE(Exists(P(L"out\\a.txt")));
    run(nullptr, nullptr, nullptr, SW_SHOWNORMAL);
    std::vector<ShownMessage> shown = watcher.Stop();
    m_shown.insert(m_shown.end(), shown.begin(), shown.end());
    ::SetCurrentDirectoryW(previous);
    EXPECT_EQ(S_OK, canUnload());
    ::FreeLibrary(library);

    Lines lines = s_trace->Read();
    Lines parms = After(lines, "Parm [");
    ASSERT_EQ(6u, parms.size());
    EXPECT_EQ(std::string("Parm [\xe9t\xe9 job]"), parms[1]);
    EXPECT_EQ((Lines{parms[0], parms[1], parms[2]}), (Lines{parms[3], parms[4], parms[5]}));
    EXPECT_EQ((Lines{RunLine(name.c_str()), RunLine(name.c_str())}), After(lines, ">>> Run ["));
    EXPECT_EQ("CmdLine []", After(lines, "CmdLine [").back().substr(0, 10));
}
