// The preview's worker without a window: what it hands over, in order, for
// a request of many entries (the entries as they are found, then the
// request's rows, then the notes), and that the rows it leaves are exactly
// the plan's rows.
#include <gtest/gtest.h>

#include <mutex>

#include "PreviewFill.h"
#include "PreviewRows.h"
#include "RunnerTestSupport.h"
#include "SheetTestSupport.h"
#include "TestWindows.h"

namespace
{
std::mutex g_lock;
std::vector<std::vector<PlanRow>> g_handed;

void RecordHanded(const std::vector<PlanRow> &rows)
{
    std::lock_guard<std::mutex> guard(g_lock);
    g_handed.push_back(rows);
}

std::vector<std::wstring> Texts(const std::vector<PlanRow> &rows)
{
    std::vector<std::wstring> texts;
    for (const PlanRow &row : rows)
        texts.push_back(row.source + L"|" + row.target + L"|" +
                        std::to_wstring(static_cast<int>(row.outcome)));
    return texts;
}
} // namespace

TEST(PreviewFill, EntriesFoundComeFirstThenTheRequestsRowsInTheirPlaceThenTheNotes)
{
    // 20,000 files made by the build (tests/preview/CMakeLists.txt): far
    // more than the expansion gathers before it hands entries over.
    const std::wstring big = BuildFolder() + L"tests\\preview\\big-tree";
    ASSERT_TRUE(Exists(big + L"\\f19999.txt")) << Narrow(big);
    CTempTree tree;
    const ExecCommand command = Command(ACTION_COPY, QUIET | OPT_NOCONFIRMATION,
                                        {big + L"\\*.txt", L"gone\\*.png"}, L"out");
    ExecPlan plan;
    PlanCommand(command, tree.Root(), plan);
    const std::vector<std::wstring> expected = Texts(PlanRows(plan, FO_COPY, SystemDisk()));
    ASSERT_EQ(expected.size(), 20001u);

    // The rows as the window keeps them, taken while the worker goes on.
    CPreviewRows taken;
    bool failed = true;
    g_handed.clear();
    SetPreviewHandSeam(&RecordHanded);
    struct SeamOff
    {
        ~SeamOff() { SetPreviewHandSeam(nullptr); }
    } seamOff;
    {
        CPreviewFill fill;
        ASSERT_TRUE(fill.Start(command, tree.Root(), nullptr, 0));
        EXPECT_TRUE(WaitUntil(
            [&] {
                PreviewBatch batch = fill.Take();
                taken.Add(std::move(batch.rows));
                failed = batch.failed;
                return batch.finished;
            },
            60000));
        EXPECT_TRUE(WaitUntil([&] { return !fill.Running(); }));
    }
    std::vector<std::vector<PlanRow>> handed;
    {
        std::lock_guard<std::mutex> guard(g_lock);
        handed.swap(g_handed);
    }
    EXPECT_FALSE(failed);
    EXPECT_EQ(taken.PendingCount(), 0u);
    EXPECT_EQ(taken.Count(), expected.size());
    EXPECT_EQ(Texts(taken.ShownRows()), expected);

    // Provisional rows first: sources as found, no target, no size, in no
    // total; then only the plan's own rows, the notes last.
    ASSERT_GT(handed.size(), 2u);
    size_t at = 0, pending = 0;
    for (; at < handed.size() && handed[at].front().outcome == PlanOutcome::Pending; ++at)
    {
        for (const PlanRow &row : handed[at])
        {
            EXPECT_EQ(row.outcome, PlanOutcome::Pending);
            EXPECT_EQ(row.func, static_cast<UINT>(FO_COPY));
            EXPECT_EQ(row.source.rfind(big + L"\\f", 0), 0u) << Narrow(row.source);
            EXPECT_TRUE(row.target.empty());
            EXPECT_FALSE(row.sized);
            PlanTotals totals;
            AddToTotals(totals, row);
            EXPECT_EQ(totals.files + totals.folders + totals.missing + totals.leftOut, 0u);
        }
        pending += handed[at].size();
    }
    EXPECT_GE(at, 1u) << "no entries were handed over before the request";
    EXPECT_LE(pending, 20000u);
    std::vector<PlanRow> real;
    for (size_t i = at; i < handed.size(); ++i)
    {
        for (const PlanRow &row : handed[i])
            EXPECT_NE(row.outcome, PlanOutcome::Pending) << "hand-over " << i;
        real.insert(real.end(), handed[i].begin(), handed[i].end());
    }
    EXPECT_EQ(Texts(real), expected);
    ASSERT_EQ(handed.back().size(), 1u);
    EXPECT_EQ(handed.back()[0].outcome, PlanOutcome::NothingMatches);

    // Hand-over by hand-over under a filter: the same rows in the end.
    CPreviewRows rows;
    rows.SetFilter(PreviewFilter::New);
    for (std::vector<PlanRow> &piece : handed)
        rows.Add(std::move(piece));
    EXPECT_EQ(rows.PendingCount(), 0u);
    EXPECT_EQ(rows.Count(), expected.size());
    EXPECT_EQ(rows.ShownCount(), 20000u);
    EXPECT_EQ(rows.Totals().files, 20000u);
    EXPECT_EQ(rows.Totals().missing, 1u);
}
