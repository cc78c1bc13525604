// The run's trace log: where "/lf" puts the file, what each switch set asks
// of the log, and the restart against the real trace log of this process.
#include <gtest/gtest.h>

#include "FlowTestSupport.h"
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
