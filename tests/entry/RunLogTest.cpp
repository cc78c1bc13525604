// The run's trace log: where "/lf" puts the file, what each switch set asks
// of the log, and the restart against the real trace log of this process.
#include <gtest/gtest.h>

#include "FlowTestSupport.h"
#include "NoCase.h"
#include "TaskelRunLog.h"
#include "Trace.h"

namespace
{
const std::wstring DESKTOP = L"C:\\Users\\me\\Desktop";
const std::wstring COMMAND = L"C:\\Jobs\\report.Taskel";

std::wstring Placed(const std::wstring &spec)
{
    return RunLogFileName(spec, COMMAND, DESKTOP);
}
} // namespace

TEST(RunLogFileName, FolderFollowsTheKindOfSpecification)
{
    EXPECT_EQ(Placed(L"run.log"), DESKTOP + L"\\run.log");
    EXPECT_EQ(Placed(L"logs\\run"), L"C:\\Jobs\\logs\\run.log");
    EXPECT_EQ(Placed(L"..\\logs\\run.txt"), L"C:\\logs\\run.txt");
    EXPECT_EQ(Placed(L"D:\\Logs\\"), L"D:\\Logs\\report.log");
    EXPECT_EQ(Placed(L"D:\\Logs\\day.txt"), L"D:\\Logs\\day.txt");
    EXPECT_EQ(Placed(L""), DESKTOP + L"\\report.log");
}

TEST(RunLogFileName, TitleAndExtensionRules)
{
    EXPECT_EQ(Placed(L"run"), DESKTOP + L"\\run.log");
    EXPECT_EQ(Placed(L"*"), DESKTOP + L"\\report.log");
    EXPECT_EQ(Placed(L"*.txt"), DESKTOP + L"\\report.txt");
    EXPECT_EQ(Placed(L"*.*.txt"), DESKTOP + L"\\report.txt");
    EXPECT_EQ(Placed(L".txt"), DESKTOP + L"\\Ferrovane.txt");
    EXPECT_EQ(Placed(L"my.run"), DESKTOP + L"\\my.run");
    // "*.*" must not leave a wildcard in the name.
    EXPECT_EQ(Placed(L"*.*"), DESKTOP + L"\\report.log");
    EXPECT_EQ(RunLogFileName(L"D:\\Logs\\", L"C:\\a.b\\job.v2.Taskel", DESKTOP),
              L"D:\\Logs\\job.v2.log");
}

TEST(PlanRunLog, SwitchesDecideStopRestartAndTruncation)
{
    const std::wstring current = L"C:\\log\\Ferrovane.log";
    auto plan = [&](const SwitchSet &set, bool levelOne = true) {
        return PlanRunLog(set, COMMAND, current, levelOne, DESKTOP);
    };

    RunLogPlan p = plan({L"/s+"});
    EXPECT_EQ(p.kind, RunLogPlan::Keep);

    p = plan({L"/l"});
    EXPECT_EQ(p.kind, RunLogPlan::Restart);
    EXPECT_TRUE(p.truncate);
    EXPECT_EQ(p.fileName, current);

    p = plan({L"/L", L"/l+"}, false);
    EXPECT_EQ(p.kind, RunLogPlan::Restart);
    EXPECT_FALSE(p.truncate);

    EXPECT_EQ(plan({L"/l", L"/l-"}).kind, RunLogPlan::Stop);
    EXPECT_EQ(plan({L"/l-", L"/l+"}).kind, RunLogPlan::Restart);

    // A new file alone restarts the log only while it is on at level 1.
    p = plan({L"/lfrun.log"});
    EXPECT_EQ(p.kind, RunLogPlan::Restart);
    EXPECT_FALSE(p.truncate);
    EXPECT_EQ(p.fileName, DESKTOP + L"\\run.log");
    EXPECT_EQ(plan({L"/lfrun.log"}, false).kind, RunLogPlan::Keep);
    EXPECT_EQ(plan({L"/LFC:\\LOG\\"}).kind, RunLogPlan::Restart);
    EXPECT_EQ(plan({L"/lfC:\\LOG\\ferrovane.LOG"}).kind, RunLogPlan::Keep);

    // The last "/lf" wins; "/l-" stops whatever file was named.
    p = plan({L"/lfa.log", L"/l", L"/lfD:\\b.log"});
    EXPECT_EQ(p.fileName, L"D:\\b.log");
    EXPECT_TRUE(p.truncate);
    EXPECT_EQ(plan({L"/lfa.log", L"/l-"}).kind, RunLogPlan::Stop);
}

// The thin part on this process's own trace log: a restart without
// truncation repeats the last banner's text instead of a new banner, a
// truncating one empties the file and writes a banner, "/l-" ends logging.
TEST(ApplyRunLog, RestartsAndStopsTheTraceLog)
{
    std::wstring folder = FreshFolder(L"runlog");
    std::wstring first = folder + L"first.log", second = folder + L"second.log";
    std::wstring command = folder + L"job.Taskel";
    StartTracing(TRUE, first.c_str(), 3);
    ASSERT_TRUE(IsTraceEnabled(3));

    ApplyRunLog({L"/lf" + second}, command);
    EXPECT_EQ(std::wstring(GetTraceFileName()), second);
    EXPECT_EQ(GetTraceLevel(), RUN_LOG_LEVEL);
    Trace(1, L"after restart");
    Trace(3, L"too detailed");
    Lines lines = ReadLines(second);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].rfind("START Logging [3] From [", 0), 0u) << lines[0];
    EXPECT_NE(lines[0].find(Narrow(first)), std::string::npos);
    EXPECT_EQ(lines[1], "after restart");

    ApplyRunLog({L"/l", L"/lf" + folder}, command);
    EXPECT_EQ(std::wstring(GetTraceFileName()), folder + L"job.log");
    Trace(1, L"own log");
    lines = ReadLines(folder + L"job.log");
    ASSERT_FALSE(lines.empty());
    EXPECT_NE(lines[0].find("START Logging [4001] From ["), std::string::npos) << lines[0];
    EXPECT_EQ(lines.back(), "own log");

    ApplyRunLog({L"/l-"}, command);
    EXPECT_FALSE(IsTraceEnabled(1));
    Trace(1, L"never written");
    EXPECT_EQ(ReadLines(folder + L"job.log").back(), "own log");
    StopTracing(1);
}

namespace
{
// Resolves "\.\" and one known short name, as the file system would.
std::wstring FakeNormalize(const std::wstring &path)
{
    std::wstring p = path;
    for (size_t at; (at = p.find(L"\\.\\")) != std::wstring::npos;)
        p.erase(at, 2);
    if (EqualNoCase(p, L"C:\\Jobs\\REPORT~1.TAS")) p = COMMAND;
    return p;
}
} // namespace

// "/lf" naming the command file itself, in any spelling, would truncate or
// append to the command: the restart is refused and the log goes on as it
// was. Other files, and "/l-", keep their effect.
TEST(PlanRunLog, RefusesALogThatIsTheCommandFile)
{
    const std::wstring current = L"C:\\log\\Ferrovane.log";
    auto plan = [&](const SwitchSet &set) {
        return PlanRunLog(set, COMMAND, current, true, DESKTOP, FakeNormalize);
    };
    for (const SwitchSet &set :
         {SwitchSet{L"/l", L"/lf.\\*.Taskel"}, SwitchSet{L"/lfC:\\JOBS\\REPORT.TASKEL"},
          SwitchSet{L"/l+", L"/lfC:\\Jobs\\REPORT~1.TAS"}, SwitchSet{L"/lf.\\report.Taskel"}})
    {
        RunLogPlan p = plan(set);
        EXPECT_EQ(p.kind, RunLogPlan::Keep) << Narrow(set.back());
        EXPECT_TRUE(p.refused) << Narrow(set.back());
    }
    RunLogPlan p = plan({L"/l", L"/lf.\\*.txt"});
    EXPECT_EQ(p.kind, RunLogPlan::Restart);
    EXPECT_FALSE(p.refused);
    EXPECT_EQ(plan({L"/lf.\\*.Taskel", L"/l-"}).kind, RunLogPlan::Stop);
    EXPECT_FALSE(NamesCommandFile(L"", COMMAND, FakeNormalize));
}

// The real normalisation: relative parts resolved, short names in their long
// form, the long-path prefix dropped.
TEST(NormalizedFilePath, ShortAndRelativeNamesMeetTheLongName)
{
    std::wstring folder = FreshFolder(L"runlog name");
    std::wstring command = folder + L"weekly report job.Taskel";
    WriteBytes(command, {'x'});
    wchar_t shortName[MAX_PATH] = L"";
    ASSERT_GT(::GetShortPathNameW(command.c_str(), shortName, MAX_PATH), 0u);
    EXPECT_TRUE(NamesCommandFile(shortName, command));
    EXPECT_TRUE(NamesCommandFile(folder + L"sub\\..\\.\\WEEKLY REPORT JOB.taskel", command));
    EXPECT_TRUE(NamesCommandFile(L"\\\\?\\" + command, command));
    EXPECT_FALSE(NamesCommandFile(folder + L"weekly report job.log", command));
}

// In this process: "/l /lf.\*.Taskel" leaves the command file as it was,
// traces the refusal at level 2 into the log that goes on, and later lines
// go there too.
TEST(ApplyRunLog, NeverLogsIntoTheCommandFile)
{
    std::wstring folder = FreshFolder(L"runlog-self");
    std::wstring log = folder + L"registry.log", command = folder + L"job.Taskel";
    WriteBytes(command, {'c', 'm', 'd'});
    StartTracing(TRUE, log.c_str(), 2);
    ApplyRunLog({L"/l", L"/lf.\\*.Taskel"}, command);
    EXPECT_EQ(std::wstring(GetTraceFileName()), log);
    Trace(2, L"after");
    StopTracing(1);

    EXPECT_EQ(ReadBytes(command), (std::vector<BYTE>{'c', 'm', 'd'}));
    Lines lines = ReadLines(log);
    Lines refusal = After(lines, "Run log [");
    ASSERT_EQ(refusal.size(), 1u);
    EXPECT_EQ(refusal[0].rfind("Run log [" + Narrow(folder), 0), 0u) << refusal[0];
    EXPECT_NE(refusal[0].find("job.Taskel] is the command file: not used"), std::string::npos)
        << refusal[0];
    EXPECT_EQ(After(lines, "after").size(), 1u);
}
