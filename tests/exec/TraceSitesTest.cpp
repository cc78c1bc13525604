// The runner's failures in the log at the places log readers look for them:
// the shell's file operation, a target folder that cannot be made and a
// listed path the system cannot describe, each with its fixed number.
#include <gtest/gtest.h>

#include "RunnerTestSupport.h"

namespace
{
class TraceSites : public ::testing::Test
{
  protected:
    CTempTree tree;
    CRecordingShell shell;
    std::wstring P(const std::wstring &relative) const { return tree.Path(relative); }

    // The one line of `trace` that contains `part`.
    static std::wstring Only(const CTraceLines &trace, const wchar_t *part)
    {
        const std::vector<std::wstring> lines = trace.With(part);
        EXPECT_EQ(lines.size(), 1u) << ::testing::PrintToString(trace.Lines());
        return lines.empty() ? std::wstring() : lines[0];
    }
    static bool EndsWith(const std::wstring &line, const std::wstring &end)
    {
        return line.size() >= end.size() &&
               line.compare(line.size() - end.size(), end.size(), end) == 0;
    }
};
} // namespace

TEST_F(TraceSites, FailedFileOperationIsReportedAt1565)
{
    tree.Add({L"a\\x.txt", L"out\\"});
    shell.answer = [](SHFILEOPSTRUCTW &, size_t) { return ERROR_ACCESS_DENIED; };
    CTraceLines trace(2);
    EXPECT_FALSE(
        RunCopy(Command(ACTION_COPY, QUIET | OPT_NOCONFIRMATION, {P(L"a\\x.txt")}, P(L"out")),
                tree.Root(), nullptr));
    const std::wstring line = Only(trace, L"=>     SHFileOperation");
    EXPECT_EQ(line.rfind(L"Error [5 (00000005)]", 0), 0u) << line;
    EXPECT_TRUE(EndsWith(line, L" {1565 in TaskelExec}")) << line;
}

TEST_F(TraceSites, TargetFolderThatCannotBeMadeIsReportedAt2096)
{
    // "blocked" is a file, so no folder can be made below it.
    tree.Add({L"a\\x.txt", L"blocked"});
    CTraceLines trace(2);
    CExecRunner run(ACTION_MOVE, QUIET | OPT_NOCONFIRMATION);
    run.SetSources(P(L"a\\x.txt") + L'\0');
    run.SetTarget(P(L"blocked\\deep\\x.txt"));
    run.ExpandSources(false);
    run.RunRequest(false);
    const std::wstring line = Only(trace, L"=> Create Target [");
    EXPECT_NE(line.find(L"=> Create Target [" + P(L"blocked\\deep") + L"]"), std::wstring::npos)
        << line;
    EXPECT_TRUE(EndsWith(line, L" {2096 in TaskelExec}")) << line;
}

TEST_F(TraceSites, ListedPathTheSystemCannotDescribeIsReportedAt2339)
{
    tree.Add({L"a\\x.txt"});
    CTraceLines trace(4);
    CExecRunner run(ACTION_COPY, QUIET);
    // A missing folder is not "not found" to the system: its error is traced.
    run.SetSources(P(L"a\\x.txt") + L'\0' + P(L"gone\\y.txt") + L'\0');
    run.TraceListing(false, L"before");
    EXPECT_FALSE(trace.With((L"[" + P(L"a\\x.txt") + L"]").c_str()).empty());
    const std::wstring line = Only(trace, (L"=>     [" + P(L"gone\\y.txt") + L"]").c_str());
    EXPECT_TRUE(EndsWith(line, L" {2339 in TaskelExec}")) << line;
}
