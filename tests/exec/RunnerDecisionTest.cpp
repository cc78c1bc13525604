// One request to the shell: the shell codes and flags it carries, the
// target parent it creates first, trial runs, nothing to do, failures and
// cancels, one-by-one renames, the tray icon and pump switches, and what a
// whole run came to.
#include <gtest/gtest.h>

#include "RunnerTestSupport.h"
#include "TaskelClass.h"
#include "TaskelProgress.h"

namespace
{
class Decisions : public ::testing::Test
{
  protected:
    CTempTree tree;
    CRecordingShell shell;
    std::wstring P(const std::wstring &relative) const { return tree.Path(relative); }
};
} // namespace

TEST_F(Decisions, SameFileNameIsSentWithMultipleDestinations)
{
    tree.Add({L"a\\report.txt", L"b\\"});
    CExecRunner run(ACTION_COPY, QUIET);
    run.SetSources(P(L"a\\report.txt") + L'\0');
    run.SetTarget(P(L"b\\report.txt"));
    run.ExpandSources(false);
    ASSERT_TRUE(run.RunRequest(false));
    ASSERT_EQ(1u, shell.requests.size());
    const SentRequest &sent = shell.requests[0];
    EXPECT_EQ(static_cast<UINT>(FO_COPY), sent.func);
    EXPECT_TRUE(sent.flags & FOF_MULTIDESTFILES);
    EXPECT_EQ(std::vector<std::wstring>{P(L"b\\report.txt")}, sent.to);
    // The shell's no-connected-elements and no-recurse-reparse bits ride along.
    EXPECT_EQ(0x2000 | 0x8000, sent.flags & 0xA000);
    EXPECT_EQ(static_cast<UINT>(ACTION_COPY), run.Request().wFunc);

    CExecRunner other(ACTION_COPY, QUIET);
    other.SetSources(P(L"a\\report.txt") + L'\0');
    other.SetTarget(P(L"b\\other.txt"));
    other.ExpandSources(false);
    ASSERT_TRUE(other.RunRequest(false));
    EXPECT_FALSE(shell.requests[1].flags & FOF_MULTIDESTFILES);
}

TEST_F(Decisions, TargetParentIsMadeOnlyUnderItsFlags)
{
    tree.Add({L"a\\x.txt"});
    auto send = [&](DWORD options, const wchar_t *target) {
        CExecRunner run(ACTION_MOVE, QUIET | options);
        run.SetSources(P(L"a\\x.txt") + L'\0');
        run.SetTarget(P(target));
        run.ExpandSources(false);
        return run.RunRequest(false);
    };
    CTraceLines trace(1);
    ASSERT_TRUE(send(0, L"n1\\deep\\x.txt"));
    EXPECT_FALSE(Exists(P(L"n1")));
    ASSERT_TRUE(send(OPT_NOCONFIRMMKDIR, L"n2\\deep\\x.txt"));
    EXPECT_FALSE(Exists(P(L"n2")));

    ASSERT_TRUE(send(OPT_NOCONFIRMATION, L"n3\\deep\\x.txt"));
    EXPECT_TRUE(Exists(P(L"n3\\deep")));
    EXPECT_TRUE(trace.Has(L"  ==> Make Target [" + P(L"n3\\deep") + L"] for [" +
                          OptionNames(OPT_NOCONFIRMATION) + L"]"));
    ASSERT_TRUE(send(OPT_NOCONFIRMMKDIR | OPT_NOERRORUI, L"n4\\x.txt"));
    EXPECT_TRUE(Exists(P(L"n4")));
    // Files only: confirmations off alone does not make the folder.
    ASSERT_TRUE(send(OPT_NOCONFIRMATION | OPT_FILESONLY, L"n5\\x.txt"));
    EXPECT_FALSE(Exists(P(L"n5")));
    EXPECT_EQ(5u, shell.requests.size());
}

TEST_F(Decisions, TrialRunSendsNothingAndMakesNoFolder)
{
    tree.Add({L"a\\x.txt"});
    CTraceLines trace(1);
    ExecCommand command = Command(ACTION_COPY, QUIET | OPT_TRIAL_RUN | OPT_NOCONFIRMATION,
                                  {P(L"a\\x.txt")}, P(L"new\\sub"));
    EXPECT_TRUE(RunCopy(command, tree.Root(), nullptr));
    EXPECT_TRUE(shell.requests.empty());
    EXPECT_FALSE(Exists(P(L"new")));
    EXPECT_FALSE(trace.With(L"  ==> Copy [").empty());
}

TEST_F(Decisions, NothingToDoCountsAsDone)
{
    tree.Add({L"empty\\"});
    CTraceLines trace(1);
    EXPECT_TRUE(RunCopy(Command(ACTION_COPY, QUIET, {P(L"empty\\*.txt")}, P(L"out")), tree.Root(),
                        nullptr));
    EXPECT_TRUE(shell.requests.empty());
    EXPECT_TRUE(trace.Has(L"  ==> Nothing to Copy"));
}

TEST_F(Decisions, FailuresAndCancelsAreReportedAndCountAsAborted)
{
    tree.Add({L"a\\x.txt"});
    CTraceLines trace(2);
    shell.answer = [](SHFILEOPSTRUCTW &, size_t) { return ERROR_ACCESS_DENIED; };
    CExecRunner failing(ACTION_DELETE, QUIET | OPT_NOCONFIRMATION);
    failing.SetSources(P(L"a\\x.txt") + L'\0');
    failing.ExpandSources(false);
    EXPECT_FALSE(failing.RunRequest(false));
    EXPECT_TRUE(trace.Has(L"    * Delete failed"));
    EXPECT_FALSE(trace.With(L"SHFileOperation").empty());
    EXPECT_TRUE(failing.Request().fAnyOperationsAborted);
    EXPECT_FALSE(failing.ShouldContinue());

    shell.answer = [](SHFILEOPSTRUCTW &request, size_t) {
        request.fAnyOperationsAborted = TRUE;
        return 0;
    };
    CExecRunner cancelled(ACTION_DELETE, QUIET);
    cancelled.SetSources(P(L"a\\x.txt") + L'\0');
    cancelled.ExpandSources(false);
    EXPECT_FALSE(cancelled.RunRequest(false));
    EXPECT_TRUE(trace.Has(L"    * Delete aborted"));
    EXPECT_EQ(static_cast<UINT>(FO_DELETE), shell.requests.back().func);
}

TEST_F(Decisions, ShouldContinueAfterACancel)
{
    auto after = [](DWORD options) {
        CExecRunner run(ACTION_COPY, QUIET | options);
        run.Request().fAnyOperationsAborted = TRUE;
        return run.ShouldContinue();
    };
    EXPECT_TRUE(after(0));
    EXPECT_FALSE(after(OPT_NOCONFIRMATION));
    EXPECT_TRUE(after(OPT_NOCONFIRMATION | OPT_SILENT));
    EXPECT_TRUE(after(OPT_NOCONFIRMATION | OPT_X_IGNORE_ERRORS));
    CExecRunner clean(ACTION_COPY, QUIET | OPT_NOCONFIRMATION);
    EXPECT_TRUE(clean.ShouldContinue());
}

TEST_F(Decisions, RenameGoesOneSourceAtATime)
{
    tree.Add({L"r\\a.txt", L"r\\b.txt", L"r\\c.bak"});
    EXPECT_TRUE(
        RunRename(Command(ACTION_RENAME, QUIET, {P(L"r\\*.txt>*.bak")}), tree.Root(), nullptr));
    ASSERT_EQ(2u, shell.requests.size());
    const wchar_t *names[] = {L"a", L"b"};
    for (size_t i = 0; i < 2; ++i)
    {
        const SentRequest &sent = shell.requests[i];
        EXPECT_EQ(static_cast<UINT>(FO_RENAME), sent.func);
        EXPECT_EQ(std::vector<std::wstring>{P(L"r\\") + names[i] + L".txt"}, sent.from);
        EXPECT_EQ(std::vector<std::wstring>{P(L"r\\") + names[i] + L".bak"}, sent.to);
        EXPECT_EQ(FOF_FILESONLY | FOF_NORECURSION, sent.flags & (FOF_FILESONLY | FOF_NORECURSION));
    }
}

TEST_F(Decisions, RenamingTransfersReachTheShellAsMoveAndCopy)
{
    tree.Add({L"m\\a.txt", L"m\\b.txt"});
    const struct
    {
        DWORD action;
        UINT func;
    } cases[] = {{ACTION_MOVERENAME, FO_MOVE}, {ACTION_COPYRENAME, FO_COPY}};
    for (const auto &c : cases)
    {
        shell.requests.clear();
        ExecCommand command = Command(c.action, QUIET, {P(L"m\\*.txt>*.bak")}, P(L"out"));
        EXPECT_TRUE(c.action == ACTION_MOVERENAME ? RunMove(command, tree.Root(), nullptr)
                                                  : RunCopy(command, tree.Root(), nullptr));
        ASSERT_EQ(1u, shell.requests.size());
        const SentRequest &sent = shell.requests[0];
        EXPECT_EQ(c.func, sent.func);
        EXPECT_TRUE(sent.flags & FOF_MULTIDESTFILES);
        EXPECT_EQ((std::vector<std::wstring>{P(L"m\\a.txt"), P(L"m\\b.txt")}), sent.from);
        EXPECT_EQ((std::vector<std::wstring>{P(L"out\\a.bak"), P(L"out\\b.bak")}), sent.to);
    }
}

TEST_F(Decisions, DeleteIgnoringErrorsSendsEachItem)
{
    tree.Add({L"d\\a.txt", L"d\\b.txt"});
    shell.answer = [](SHFILEOPSTRUCTW &, size_t index) {
        return index == 0 ? ERROR_ACCESS_DENIED : 0;
    };
    EXPECT_TRUE(RunDelete(
        Command(ACTION_DELETE, QUIET | OPT_X_IGNORE_ERRORS | OPT_NOCONFIRMATION, {P(L"d\\*.txt")}),
        tree.Root(), nullptr));
    ASSERT_EQ(2u, shell.requests.size());
    EXPECT_EQ(std::vector<std::wstring>{P(L"d\\a.txt")}, shell.requests[0].from);
    EXPECT_EQ(std::vector<std::wstring>{P(L"d\\b.txt")}, shell.requests[1].from);
    EXPECT_EQ(static_cast<UINT>(FO_DELETE), shell.requests[1].func);
}

TEST_F(Decisions, NoAnimationShowsNoIconAndPumpsNothing)
{
    tree.Add({L"a\\x.txt"});
    const DWORD thread = GetCurrentThreadId();
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE); // the thread's queue
    PostThreadMessageW(thread, WM_APP + 7, 0, 0);
    EXPECT_TRUE(
        RunCopy(Command(ACTION_COPY, QUIET, {P(L"a\\x.txt")}, P(L"b")), tree.Root(), nullptr));
    EXPECT_TRUE(PeekMessageW(&msg, nullptr, WM_APP + 7, WM_APP + 7, PM_REMOVE));

    CExecRunner quiet(ACTION_COPY, QUIET);
    quiet.Prepare(nullptr, tree.Root());
    EXPECT_EQ(nullptr, quiet.Progress());

    PostThreadMessageW(thread, WM_APP + 7, 0, 0);
    CExecRunner animated(ACTION_COPY, 0);
    animated.Prepare(nullptr, tree.Root());
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_APP + 7, WM_APP + 7, PM_REMOVE));
    ASSERT_NE(nullptr, animated.Progress());
    ASSERT_TRUE(animated.Progress()->Icon().IsShown());
    EXPECT_EQ(animated.PreparingIcon(), animated.Progress()->IconId());
    EXPECT_STREQ(L"Ferrovane is preparing to copy files",
                 animated.Progress()->Icon().Data()->szTip);
    animated.ShowIcon(false);
    EXPECT_EQ(animated.ActionIcon(), animated.Progress()->IconId());
    EXPECT_EQ(animated.PreparingIcon() == 211 ? 201 : 202, animated.ActionIcon());

    // Parts share the parent's icon.
    animated.SetSources(P(L"a\\x.txt") + L'\0');
    std::unique_ptr<CExecRunner> part = animated.SplitSource(0);
    ASSERT_NE(nullptr, part);
    EXPECT_EQ(animated.Progress(), part->Progress());
}

TEST_F(Decisions, RequestTraceShowsSourcesTargetsAndOptions)
{
    tree.Add({L"a\\x.txt", L"a\\y.txt"});
    CTraceLines trace(1);
    CExecRunner run(ACTION_COPY, QUIET);
    run.SetSources(P(L"a\\x.txt") + L'\0' + P(L"a\\y.txt") + L'\0');
    run.SetTarget(P(L"b"));
    run.ExpandSources(false);
    run.BuildTargets(false);
    EXPECT_FALSE(run.CheckNothing(L"Test"));
    const std::wstring options = OptionNames(run.Request().fFlags);
    std::vector<std::wstring> lines = trace.Lines();
    std::vector<std::wstring> expected = {
        L"  ==> Copy (Test) [" + options + L"]", L"      [" + P(L"a\\x.txt") + L"]",
        L"      [" + P(L"a\\y.txt") + L"]", L"   to [" + P(L"b") + L"]", L"  ---"};
    ASSERT_GE(lines.size(), expected.size());
    EXPECT_EQ(expected, std::vector<std::wstring>(lines.end() - expected.size(), lines.end()));
}

// What a whole run came to, as its caller reports it: the requests sent,
// the entries left out, and done only when no request failed or was
// cancelled (ignoring errors goes on, but still does not count as done).
TEST_F(Decisions, TheOutcomeSaysWhatTheRunCameTo)
{
    tree.Add({L"pics\\a.jpeg", L"pics\\b.jpeg", L"docs\\r.txt"});
    auto run = [&](DWORD options, const std::vector<std::wstring> &sources) {
        RunOutcome outcome;
        outcome.sent = 99;
        RunExecCommand(Command(ACTION_RENAME, QUIET | options, sources), tree.Root(), nullptr,
                       &outcome);
        return outcome;
    };
    // One request per renamed file; the rename out of its folder left out.
    RunOutcome done = run(0, {L"pics\\*.jpeg>*.jpg", L"docs\\r.txt>..\\r.bak"});
    EXPECT_EQ(done.result, RunResult::Done);
    EXPECT_EQ(done.sent, 2u);
    EXPECT_EQ(done.leftOut, 1u);
    // A trial run that passed sends nothing and is done.
    RunOutcome trial = run(OPT_TRIAL_RUN, {L"docs\\*.txt>*.bak"});
    EXPECT_EQ(trial.result, RunResult::Done);
    EXPECT_EQ(trial.sent, 0u);
    EXPECT_EQ(shell.requests.size(), 2u);

    shell.answer = [](SHFILEOPSTRUCTW &, size_t) { return ERROR_ACCESS_DENIED; };
    RunOutcome failed = run(0, {L"docs\\*.txt>*.bak"});
    EXPECT_EQ(failed.result, RunResult::Failed);
    EXPECT_EQ(failed.sent, 1u);
    RunOutcome ignored = run(OPT_X_IGNORE_ERRORS, {L"docs\\*.txt>*.bak"});
    EXPECT_EQ(ignored.result, RunResult::Failed);

    shell.answer = [](SHFILEOPSTRUCTW &request, size_t) {
        request.fAnyOperationsAborted = TRUE;
        return 0;
    };
    RunOutcome cancelled = run(0, {L"docs\\*.txt>*.bak"});
    EXPECT_EQ(cancelled.result, RunResult::Cancelled);
    EXPECT_EQ(cancelled.sent, 1u);
}
