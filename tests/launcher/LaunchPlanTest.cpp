// The launcher's decisions, for both builds: plain (ANSI) and elevated
// (UTF-16, "/Admin").
#include "TaskelRunPlan.h"

#include <gtest/gtest.h>

namespace
{

const LaunchBuild PLAIN = {false, true};
const LaunchBuild ADMIN = {true, true};
const LaunchBuild ADMIN_XP = {true, false};

LaunchPlan<char> Plain(std::vector<std::string> args)
{
    return PlanLaunch(std::move(args), PLAIN);
}

LaunchPlan<wchar_t> Admin(std::vector<std::wstring> args, LaunchBuild build = ADMIN)
{
    return PlanLaunch(std::move(args), build);
}

using Strings = std::vector<std::string>;
using WStrings = std::vector<std::wstring>;

} // namespace

TEST(LaunchPlan, NoArgumentsShowsUsage)
{
    EXPECT_EQ(LaunchMode::Usage, Plain({}).mode);
    EXPECT_EQ(LaunchMode::Usage, Admin({}).mode);
}

TEST(LaunchPlan, RunCallsPerFileWithTheirOwnSwitches)
{
    auto plan = Plain({"/s", "a.Taskel", "/ne", "b.Taskel"});
    ASSERT_EQ(LaunchMode::Run, plan.mode);
    EXPECT_EQ((Strings{"/s a.Taskel", "/ne b.Taskel"}), plan.parameterStrings);

    auto admin = Admin({L"/s", L"a.Taskel", L"/ne", L"b.Taskel"});
    EXPECT_EQ((WStrings{L"/Admin /s a.Taskel", L"/Admin /ne b.Taskel"}), admin.parameterStrings);
}

TEST(LaunchPlan, DashSwitchAndFileWithoutSwitches)
{
    EXPECT_EQ((Strings{"/q report"}), Plain({"-q", "report"}).parameterStrings);
    EXPECT_EQ((WStrings{L"/Admin /q report"}), Admin({L"-q", L"report"}).parameterStrings);
    // A file without switches gets a leading space, which the library ignores.
    EXPECT_EQ((Strings{" a", " b"}), Plain({"/run", "a", "b"}).parameterStrings);
    EXPECT_EQ((WStrings{L"/Admin  a"}), Admin({L"a"}).parameterStrings);
}

TEST(LaunchPlan, QuotingHasNoLengthLimit)
{
    std::string longFolder = "C:\\" + std::string(300, 'x') + " y\\run.log";
    auto plan = Plain({"/lf" + longFolder, "/esc2", "\"C:\\My Jobs\\a.Taskel\""});
    ASSERT_EQ(LaunchMode::Run, plan.mode);
    EXPECT_EQ((Strings{"\"/lf" + longFolder + "\" /esc2 \"C:\\My Jobs\\a.Taskel\""}),
              plan.parameterStrings);
}

TEST(LaunchPlan, LeftoverArgumentsRunNothing)
{
    EXPECT_EQ(LaunchMode::Usage, Plain({"a.Taskel", "/s"}).mode);        // trailing switch
    EXPECT_EQ(LaunchMode::Usage, Plain({"/x", "a.Taskel"}).mode);        // unknown switch
    EXPECT_EQ(LaunchMode::Usage, Plain({"a.Taskel", "/x", "b"}).mode);   // nothing run at all
    EXPECT_EQ(LaunchMode::Usage, Plain({"a.Taskel", "/run", "b"}).mode); // mode word only first
    EXPECT_EQ(LaunchMode::Usage, Plain({"/run"}).mode);                  // nothing to run
    EXPECT_EQ(LaunchMode::Usage, Plain({"-"}).mode);
}

TEST(LaunchPlan, KnownRunSwitchesAreCaseInsensitive)
{
    auto plan = Plain({"/S+", "/Q-", "/T", "/NE-", "/L+", "/V-", "/LFx", "/ESC", "a"});
    ASSERT_EQ(LaunchMode::Run, plan.mode);
    EXPECT_EQ((Strings{"/S+ /Q- /T /NE- /L+ /V- /LFx /ESC a"}), plan.parameterStrings);
}

TEST(LaunchPlan, NewAndEdit)
{
    auto plain = Plain({"/NEW"});
    EXPECT_EQ(LaunchMode::New, plain.mode);
    EXPECT_EQ((Strings{""}), plain.parameterStrings);
    EXPECT_EQ((WStrings{L"/Admin"}), Admin({L"/new"}).parameterStrings);

    EXPECT_EQ((Strings{"\"My Job\""}), Plain({"/new", "My Job"}).parameterStrings);
    EXPECT_EQ((WStrings{L"/Admin a.Taskel"}), Admin({L"/edit", L"a.Taskel"}).parameterStrings);
    EXPECT_EQ(LaunchMode::Edit, Plain({"/Edit", "a"}).mode);

    EXPECT_EQ(LaunchMode::Usage, Plain({"/edit"}).mode);
    EXPECT_EQ(LaunchMode::Usage, Plain({"/edit", "a", "b"}).mode);
    EXPECT_EQ(LaunchMode::Usage, Plain({"/edit", "/s"}).mode);
    EXPECT_EQ(LaunchMode::Usage, Plain({"/edit", "-s"}).mode);
    EXPECT_EQ(LaunchMode::Usage, Plain({"/new", "a", "b"}).mode);
    EXPECT_EQ(LaunchMode::Usage, Plain({"/new", "/q"}).mode);
}

TEST(LaunchPlan, AdminArgumentByBuildAndWindowsVersion)
{
    auto edit = Admin({L"/Admin", L"/edit", L"a.Taskel"});
    ASSERT_EQ(LaunchMode::Edit, edit.mode);
    EXPECT_EQ((WStrings{L"/Admin a.Taskel"}), edit.parameterStrings);
    EXPECT_EQ((WStrings{L"/Admin /s a"}), Admin({L"/s", L"-admin", L"a"}).parameterStrings);

    EXPECT_EQ(LaunchMode::Usage, Admin({L"/Admin", L"/edit", L"a.Taskel"}, ADMIN_XP).mode);
    EXPECT_EQ(LaunchMode::Usage, Admin({L"/Admin", L"a.Taskel"}, ADMIN_XP).mode);

    EXPECT_EQ(LaunchMode::Usage, Plain({"/Admin", "a.Taskel"}).mode);
    EXPECT_EQ(LaunchMode::Usage, Plain({"/Admin", "/edit", "a.Taskel"}).mode);
    EXPECT_EQ(LaunchMode::Usage, Plain({"/new", "/Admin"}).mode);
}

TEST(LaunchPlan, PreviewTakesOneFileAndAnOptionalCsvFile)
{
    auto plain = Plain({"/preview", "a.Taskel"});
    EXPECT_EQ(LaunchMode::Preview, plain.mode);
    EXPECT_EQ((Strings{"a.Taskel"}), plain.parameterStrings);
    EXPECT_EQ(
        (Strings{"\"/csv:C:\\My Plans\\a.csv\" \"C:\\My Jobs\\a.Taskel\""}),
        Plain({"/Preview", "-csv:C:\\My Plans\\a.csv", "C:\\My Jobs\\a.Taskel"}).parameterStrings);
    EXPECT_EQ((WStrings{L"/Admin /csv:out.csv a"}),
              Admin({L"/preview", L"/csv:out.csv", L"a"}).parameterStrings);

    EXPECT_EQ(LaunchMode::Usage, Plain({"/preview"}).mode);
    EXPECT_EQ(LaunchMode::Usage, Plain({"/preview", "/csv:x.csv"}).mode);
    EXPECT_EQ(LaunchMode::Usage, Plain({"/preview", "/csv:", "a"}).mode);
    EXPECT_EQ(LaunchMode::Usage, Plain({"/preview", "/s", "a"}).mode);
    EXPECT_EQ(LaunchMode::Usage, Plain({"/preview", "a", "b"}).mode);
}

TEST(LaunchPlan, ExitCodesTellMissingFilesFromFailures)
{
    EXPECT_EQ(EXIT_DONE, CallExitCode(S_OK));
    EXPECT_EQ(EXIT_DONE, CallExitCode(S_FALSE));
    // No such file, or a file that is not a command file.
    for (HRESULT hr :
         {HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND), HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND),
          STG_E_INVALIDHEADER, STG_E_DOCFILECORRUPT, CO_E_CANTDETERMINECLASS})
        EXPECT_EQ(EXIT_NOT_A_COMMAND, CallExitCode(hr)) << std::hex << hr;
    // A run that failed or was cancelled, a file that could not be opened,
    // a call that failed in itself.
    for (HRESULT hr : {E_FAIL, E_ABORT, HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED),
                       HRESULT_FROM_WIN32(ERROR_SHARING_VIOLATION), E_UNEXPECTED})
        EXPECT_EQ(EXIT_FAILED, CallExitCode(hr)) << std::hex << hr;
}

// Several files: the worst code wins whatever the order, so neither a later
// success nor a later failure hides a missing file.
TEST(LaunchPlan, SeveralRunsEndWithTheWorstCode)
{
    const int orders[][3] = {{0, 1, 2}, {2, 1, 0}, {1, 0, 0}, {0, 0, 0}, {2, 0, 1}};
    const int worst[] = {2, 2, 1, 0, 2};
    for (size_t i = 0; i < 5; ++i)
    {
        int code = EXIT_DONE;
        for (int next : orders[i])
            code = CombineExitCodes(code, next);
        EXPECT_EQ(worst[i], code) << i;
    }
}

// The usage message ends with 3, unless "/?" alone asked for it.
TEST(LaunchPlan, UsageAskedForIsNoError)
{
    EXPECT_EQ(EXIT_DONE, UsageExitCode(Plain({"/?"})));
    EXPECT_EQ(EXIT_DONE, UsageExitCode(Admin({L"-?"})));
    EXPECT_EQ(EXIT_DONE, UsageExitCode(Admin({L"/Admin", L"/?"})));
    EXPECT_EQ(EXIT_BAD_ARGUMENTS, UsageExitCode(Plain({})));
    EXPECT_EQ(EXIT_BAD_ARGUMENTS, UsageExitCode(Plain({"/x", "a.Taskel"})));
    EXPECT_EQ(EXIT_BAD_ARGUMENTS, UsageExitCode(Plain({"/?", "a.Taskel"})));
    EXPECT_EQ(EXIT_BAD_ARGUMENTS, UsageExitCode(Plain({"/Admin", "/?"})));
}
