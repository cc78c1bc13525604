// The plan of a run: what each action would send, what the shell would meet
// at each target, what is left out and why, that making a plan changes
// nothing on disk and sends nothing, that it stops when cancelled, and the
// texts the preview and scripts get (columns, CSV, tab-separated lines).
#include <gtest/gtest.h>

#include "PlanRows.h"
#include "PlanTexts.h"
#include "RunnerTestSupport.h"
#include "TaskelStrings.h"

namespace
{
class Plans : public ::testing::Test
{
  protected:
    void SetUp() override { SetTaskelResourceModule(::GetModuleHandleW(nullptr)); }

    CTempTree tree;
    CRecordingShell shell; // a plan must send nothing through it
    std::wstring P(const std::wstring &relative) const { return tree.Path(relative); }

    // The plan of `command` against the tree's root and its rows.
    std::vector<PlanRow> Rows(const ExecCommand &command, ExecPlan &plan)
    {
        PlanCommand(command, tree.Root(), plan);
        EXPECT_TRUE(shell.requests.empty());
        return PlanRows(plan, PlanFunc(command.action), SystemDisk());
    }
};

void WriteSize(const std::wstring &path, size_t bytes)
{
    WriteBytes(path, std::vector<BYTE>(bytes, 'x'));
}

std::vector<PlanOutcome> Outcomes(const std::vector<PlanRow> &rows)
{
    std::vector<PlanOutcome> outcomes;
    for (const PlanRow &row : rows)
        outcomes.push_back(row.outcome);
    return outcomes;
}
} // namespace

TEST_F(Plans, CopyShowsNewAndReplacedTargetsAndCreatesNothing)
{
    tree.Add({L"src\\a.txt", L"src\\b.txt", L"out\\b.txt"});
    WriteSize(P(L"src\\a.txt"), 10);
    WriteSize(P(L"src\\b.txt"), 5);
    ExecPlan plan;
    const std::vector<PlanRow> rows =
        Rows(Command(ACTION_COPY, QUIET | OPT_NOCONFIRMMKDIR, {L"src\\*.txt"}, L"new\\deep"), plan);
    EXPECT_TRUE(plan.done);
    // The target folder the run would make is noted, not made.
    EXPECT_FALSE(Exists(P(L"new")));
    ASSERT_EQ(plan.madeFolders, std::vector<std::wstring>{P(L"new\\deep")});
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].func, static_cast<UINT>(FO_COPY));
    EXPECT_EQ(rows[0].target, P(L"new\\deep\\a.txt"));
    EXPECT_EQ(Outcomes(rows), (std::vector<PlanOutcome>{PlanOutcome::NewTarget,
                                                        PlanOutcome::NewTarget}));

    ExecPlan into;
    const std::vector<PlanRow> existing =
        Rows(Command(ACTION_COPY, QUIET, {L"src\\*.txt"}, L"out"), into);
    ASSERT_EQ(existing.size(), 2u);
    EXPECT_EQ(existing[1].target, P(L"out\\b.txt"));
    EXPECT_EQ(existing[1].outcome, PlanOutcome::Replaces);
    PlanTotals totals;
    for (const PlanRow &row : existing)
        AddToTotals(totals, row);
    EXPECT_EQ(totals.files, 2u);
    EXPECT_EQ(totals.bytes, 15u);
    EXPECT_EQ(totals.replaced, 1u);

    ExecPlan renamed;
    const std::vector<PlanRow> copies = Rows(
        Command(ACTION_COPY, QUIET | OPT_RENAMEONCOLLISION, {L"src\\b.txt"}, L"out"), renamed);
    ASSERT_EQ(copies.size(), 1u);
    EXPECT_EQ(copies[0].outcome, PlanOutcome::RenamedCopy);
}

TEST_F(Plans, DeleteRecyclesOrDeletesAndFoldersGoIntoExistingOnes)
{
    tree.Add({L"junk\\x.tmp", L"junk\\y.tmp", L"keep\\", L"dest\\keep\\"});
    ExecPlan deleted;
    std::vector<PlanRow> rows =
        Rows(Command(ACTION_DELETE, QUIET | OPT_NOCONFIRMATION, {L"junk\\*.tmp"}), deleted);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].outcome, PlanOutcome::Deleted);
    EXPECT_TRUE(rows[0].target.empty());
    EXPECT_TRUE(Exists(P(L"junk\\x.tmp")));

    ExecPlan recycled;
    rows = Rows(Command(ACTION_DELETE, QUIET | OPT_ALLOWUNDO, {L"junk\\x.tmp"}), recycled);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].outcome, PlanOutcome::Recycled);

    ExecPlan moved;
    rows = Rows(Command(ACTION_MOVE, QUIET, {L"keep"}, L"dest"), moved);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_TRUE(rows[0].folder);
    EXPECT_FALSE(rows[0].sized);
    EXPECT_EQ(rows[0].target, P(L"dest\\keep"));
    EXPECT_EQ(rows[0].outcome, PlanOutcome::Merges);
    EXPECT_TRUE(Exists(P(L"keep")));
}

TEST_F(Plans, RenameStaysInItsFolderAndUnsafeOrMissingEntriesAreNamed)
{
    tree.Add({L"pics\\a.jpeg", L"pics\\b.jpeg"});
    ExecPlan plan;
    std::vector<PlanRow> rows = Rows(Command(ACTION_RENAME, QUIET,
                                             {L"pics\\*.jpeg>*.jpg", L"pics\\a.jpeg>..\\x.jpg",
                                              L"gone\\*.png>*.gif"}),
                                     plan);
    ASSERT_EQ(rows.size(), 4u) << rows.size();
    EXPECT_EQ(rows[0].func, static_cast<UINT>(FO_RENAME));
    EXPECT_EQ(rows[0].target, P(L"pics\\a.jpg"));
    EXPECT_EQ(rows[1].target, P(L"pics\\b.jpg"));
    EXPECT_EQ(rows[2].outcome, PlanOutcome::LeftOut);
    EXPECT_EQ(rows[2].reason, LeftOutReason::UnsafeRename);
    EXPECT_EQ(rows[2].source, L"pics\\a.jpeg>..\\x.jpg");
    EXPECT_EQ(rows[3].outcome, PlanOutcome::NothingMatches);
    EXPECT_TRUE(Exists(P(L"pics\\a.jpeg")));

    // Two sources on one target: the second is left out, and says why.
    tree.Add({L"one\\r.txt", L"two\\r.txt"});
    ExecPlan twice;
    rows = Rows(Command(ACTION_COPY, QUIET, {L"one\\r.txt", L"two\\r.txt"}, L"both"), twice);
    const std::vector<PlanRow> notes = NoteRows(twice, FO_COPY);
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes[0].reason, LeftOutReason::DuplicateTarget);
    EXPECT_EQ(notes[0].source, P(L"two\\r.txt"));
}

TEST_F(Plans, TooLongTargetsAreLeftOutAndCancelStopsThePlan)
{
    tree.Add({L"s\\file.txt"});
    ExecPlan plan;
    const std::wstring deep = P(L"t\\") + std::wstring(256 - P(L"t\\").size(), L'd');
    std::vector<PlanRow> rows = Rows(
        Command(ACTION_COPY, QUIET | OPT_MULTIDESTFILES, {L"s\\file.txt>*.txt"}, deep), plan);
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(rows.back().outcome, PlanOutcome::LeftOut);
    EXPECT_EQ(rows.back().reason, LeftOutReason::NoTarget);
    EXPECT_FALSE(plan.done);

    const std::atomic<bool> cancel{true};
    ExecPlan cancelled;
    cancelled.cancel = &cancel;
    rows = Rows(Command(ACTION_COPY, QUIET, {L"s\\*.txt"}, L"out"), cancelled);
    EXPECT_TRUE(cancelled.cancelled);
    EXPECT_TRUE(cancelled.requests.empty());
}

TEST_F(Plans, RowsGetTheirTextsAsColumnsCsvAndTabbedLines)
{
    const PlanTexts texts = LibraryPlanTexts();
    PlanRow row;
    row.func = FO_MOVE;
    row.source = L"C:\\in\\a, \"b\".txt";
    row.target = L"C:\\out\\a\tb.txt";
    row.outcome = PlanOutcome::Replaces;
    row.sized = true;
    row.size = 1234;
    EXPECT_EQ(RowColumns(row, texts),
              (std::vector<std::wstring>{L"Move", row.source, row.target,
                                         L"Replaces the existing file", L"1234"}));
    EXPECT_EQ(PlanColumnNames(), (std::vector<std::wstring>{L"Action", L"Source", L"Target",
                                                            L"What happens", L"Size"}));
    PlanRow left;
    left.func = FO_RENAME;
    left.source = L"x>..\\y";
    left.outcome = PlanOutcome::LeftOut;
    left.reason = LeftOutReason::UnsafeRename;
    EXPECT_EQ(texts.outcome(left), L"Left out: the rename part would leave the folder");

    const std::wstring csv = CsvText({row, left}, texts, PlanColumnNames());
    EXPECT_EQ(csv, L"Action,Source,Target,What happens,Size\r\n"
                   L"Move,\"C:\\in\\a, \"\"b\"\".txt\",C:\\out\\a\tb.txt,"
                   L"Replaces the existing file,1234\r\n"
                   L"Rename,x>..\\y,,Left out: the rename part would leave the folder,\r\n");
    EXPECT_EQ(CsvField(L" lead"), L"\" lead\"");
    EXPECT_EQ(CsvField(L"two\r\nlines"), L"\"two\r\nlines\"");
    EXPECT_EQ(TabText({row}, texts, nullptr),
              L"Move\tC:\\in\\a, \"b\".txt\tC:\\out\\a b.txt\tReplaces the existing file\t1234\r\n");
    const std::string bytes = Utf8WithBom(L"\u00e9");
    EXPECT_EQ(bytes, "\xEF\xBB\xBF\xC3\xA9");
}
