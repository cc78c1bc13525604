// The preview's plain parts without a window: which rows each entry of
// "Show:" shows, the shown rows and totals as rows arrive, the progress and
// totals lines, the slices of a big request (read as the whole request
// reads), files written whole, the placement kept in the profile and put
// back on the screen, and the anchored layout.
#include <gtest/gtest.h>

#include <array>

#include "PreviewExport.h"
#include "PreviewLayout.h"
#include "PreviewPlacement.h"
#include "PreviewRows.h"
#include "PlanTexts.h"
#include "RunnerTestSupport.h"
#include "TaskelStrings.h"
#include "UniqueHandle.h"

namespace
{
PlanRow Row(PlanOutcome outcome, bool folder = false, ULONGLONG size = 0)
{
    PlanRow row;
    row.func = FO_COPY;
    row.source = L"C:\\s\\x";
    row.outcome = outcome;
    row.folder = folder;
    row.sized = !folder;
    row.size = size;
    return row;
}

class PreviewParts : public ::testing::Test
{
  protected:
    void SetUp() override { SetTaskelResourceModule(::GetModuleHandleW(nullptr)); }
};
} // namespace

TEST_F(PreviewParts, EachFilterShowsItsOutcomeGroup)
{
    const PlanOutcome all[] = {
        PlanOutcome::NewTarget,     PlanOutcome::Replaces,       PlanOutcome::Merges,
        PlanOutcome::RenamedCopy,   PlanOutcome::Deleted,        PlanOutcome::Recycled,
        PlanOutcome::SourceMissing, PlanOutcome::NothingMatches, PlanOutcome::LeftOut};
    // Every outcome is in exactly one group, and All shows it.
    for (PlanOutcome outcome : all)
    {
        int groups = 0;
        for (int f = 1; f < PREVIEW_FILTERS; ++f)
            groups += ShowsRow(static_cast<PreviewFilter>(f), Row(outcome)) ? 1 : 0;
        EXPECT_EQ(groups, 1) << static_cast<int>(outcome);
        EXPECT_TRUE(ShowsRow(PreviewFilter::All, Row(outcome)));
    }
    EXPECT_TRUE(ShowsRow(PreviewFilter::Replaced, Row(PlanOutcome::Merges)));
    EXPECT_TRUE(ShowsRow(PreviewFilter::Replaced, Row(PlanOutcome::RenamedCopy)));
    EXPECT_TRUE(ShowsRow(PreviewFilter::Deleted, Row(PlanOutcome::Recycled)));
    EXPECT_TRUE(ShowsRow(PreviewFilter::Missing, Row(PlanOutcome::NothingMatches)));
    EXPECT_FALSE(ShowsRow(PreviewFilter::New, Row(PlanOutcome::Replaces)));
    std::vector<std::wstring> names;
    for (int f = 0; f < PREVIEW_FILTERS; ++f)
        names.push_back(LoadTaskelString(FilterStringId(static_cast<PreviewFilter>(f))));
    EXPECT_EQ(names, (std::vector<std::wstring>{L"All", L"New", L"Replaced, renamed or merged",
                                                L"Deleted or recycled", L"Missing", L"Left out"}));
}

TEST_F(PreviewParts, RowsArriveInBatchesUnderAFilterWithTotalsOfAll)
{
    CPreviewRows rows;
    rows.SetFilter(PreviewFilter::Replaced);
    rows.Add({Row(PlanOutcome::NewTarget, false, 10), Row(PlanOutcome::Replaces, false, 5)});
    rows.Add({Row(PlanOutcome::Merges, true), Row(PlanOutcome::NothingMatches)});
    EXPECT_EQ(rows.Count(), 4u);
    ASSERT_EQ(rows.ShownCount(), 2u);
    EXPECT_EQ(rows.Shown(0).outcome, PlanOutcome::Replaces);
    EXPECT_EQ(rows.Shown(1).outcome, PlanOutcome::Merges);
    EXPECT_EQ(rows.ShownRows({1, 7}).size(), 1u) << "indices past the shown rows are skipped";
    EXPECT_EQ(rows.Totals().files, 2u);
    EXPECT_EQ(rows.Totals().folders, 1u);
    EXPECT_EQ(rows.Totals().bytes, 15u);
    EXPECT_EQ(rows.Totals().replaced, 2u);
    EXPECT_EQ(rows.Totals().missing, 1u);
    rows.SetFilter(PreviewFilter::All);
    EXPECT_EQ(rows.ShownCount(), 4u);
    EXPECT_EQ(rows.ShownRows()[3].outcome, PlanOutcome::NothingMatches);

    EXPECT_EQ(ProgressText(true, 12, 12), L"Looking at the files... 12 rows so far");
    EXPECT_EQ(ProgressText(false, 4, 4), L"4 rows");
    EXPECT_EQ(ProgressText(false, 4, 2), L"4 rows, 2 shown");
    EXPECT_EQ(TotalsText(rows.Totals()),
              L"Files: 2    Folders: 1    Bytes: 15    Replaced: 2    Missing: 1    Left out: 0");
    EXPECT_EQ(InsertTexts(L"%2 and %1, 100%, %9", {L"a", L"b"}), L"b and a, 100%, %9");
}

TEST_F(PreviewParts, ProvisionalRowsGiveWayToTheirRequestsRowsAndStayOutOfTotalsAndCopies)
{
    CPreviewRows rows;
    EXPECT_EQ(rows.Add({Row(PlanOutcome::NewTarget, false, 10)}), 0u);
    // Three entries found for the next request, one of them a folder.
    const std::vector<PlanRow> found =
        PendingRows({L"C:\\s\\a", L"C:\\s\\d\\", L"C:\\s\\b"}, FO_COPY);
    EXPECT_TRUE(found[1].folder);
    EXPECT_EQ(rows.Add(std::vector<PlanRow>(found)), 1u) << "appended after the shown row";
    EXPECT_EQ(rows.Count(), 4u);
    EXPECT_EQ(rows.PendingCount(), 3u);
    ASSERT_EQ(rows.ShownCount(), 4u);
    EXPECT_EQ(rows.Shown(2).source, L"C:\\s\\d\\");
    EXPECT_EQ(rows.Totals().files, 1u);
    EXPECT_EQ(rows.Totals().folders, 0u);
    EXPECT_EQ(rows.Totals().bytes, 10u);
    // Copy and CSV take only the plan's rows, also of a selection.
    EXPECT_EQ(rows.ShownRows().size(), 1u);
    EXPECT_TRUE(rows.ShownRows({1, 2, 3}).empty());
    EXPECT_EQ(ProgressText(true, rows.Count(), rows.ShownCount(), rows.PendingCount()),
              L"Looking at the files... 4 rows so far, 3 of them being listed");
    const PlanTexts texts = LibraryPlanTexts();
    EXPECT_EQ(RowColumns(found[0], texts),
              (std::vector<std::wstring>{L"Copy", L"C:\\s\\a", L"", L"Being listed...", L""}));
    // They belong to no group of the filter.
    for (int f = 1; f < PREVIEW_FILTERS; ++f)
        EXPECT_FALSE(ShowsRow(static_cast<PreviewFilter>(f), found[0])) << f;

    // The request's rows take the place of all three, whatever arrives with
    // them; shown rows from index 1 on changed (a selection there is void).
    EXPECT_EQ(rows.Add({Row(PlanOutcome::Replaces, false, 5), Row(PlanOutcome::NewTarget, false, 7),
                        found[2]}),
              1u);
    EXPECT_EQ(rows.Count(), 4u);
    EXPECT_EQ(rows.PendingCount(), 1u);
    EXPECT_EQ(rows.Shown(1).outcome, PlanOutcome::Replaces);
    EXPECT_EQ(rows.Shown(3).outcome, PlanOutcome::Pending);
    EXPECT_EQ(rows.Totals().files, 3u);
    EXPECT_EQ(rows.Totals().bytes, 22u);
    EXPECT_EQ(rows.Totals().replaced, 1u);

    // Under a filter the provisional rows are hidden: replacing them changes
    // no shown row, and the rows that come show where the filter says.
    rows.SetFilter(PreviewFilter::New);
    ASSERT_EQ(rows.ShownCount(), 2u);
    EXPECT_EQ(rows.Add(std::vector<PlanRow>(found)), 2u);
    EXPECT_EQ(rows.PendingCount(), 4u);
    EXPECT_EQ(rows.Add({Row(PlanOutcome::NothingMatches), Row(PlanOutcome::NewTarget, false, 1)}),
              2u);
    EXPECT_EQ(rows.PendingCount(), 0u);
    EXPECT_EQ(rows.Count(), 5u);
    ASSERT_EQ(rows.ShownCount(), 3u);
    EXPECT_EQ(rows.Shown(2).size, 1u);
    EXPECT_EQ(rows.Totals().missing, 1u);

    // A plan that ends before their request takes the provisional rows away.
    rows.SetFilter(PreviewFilter::All);
    rows.Add(std::vector<PlanRow>(found));
    EXPECT_EQ(rows.ShownCount(), 8u);
    EXPECT_EQ(rows.DropPending(), 5u);
    EXPECT_EQ(rows.Count(), 5u);
    EXPECT_EQ(rows.ShownCount(), 5u);
    EXPECT_EQ(rows.Totals().files, 4u);
    EXPECT_EQ(rows.DropPending(), 5u) << "nothing left to drop";
}

TEST_F(PreviewParts, SlicesOfARequestGiveTheRowsOfTheWhole)
{
    CTempTree tree;
    std::vector<std::wstring> entries;
    for (int i = 0; i < 9; ++i)
        entries.push_back(L"s\\f" + std::to_wstring(i) + L".txt");
    entries.push_back(L"t\\f3.txt");
    tree.Add(entries);
    const PlanDisk disk = SystemDisk();
    auto rowsOf = [&](const std::vector<PlannedRequest> &requests) {
        ExecPlan plan;
        plan.requests = requests;
        std::vector<std::wstring> texts;
        for (const PlanRow &row : RequestRows(plan, 0, requests.size(), disk))
            texts.push_back(row.source + L"|" + row.target + L"|" +
                            std::to_wstring(static_cast<int>(row.outcome)));
        return texts;
    };
    PlannedRequest shared{FO_COPY, 0, {}, {tree.Path(L"t")}};
    PlannedRequest paired{FO_COPY, FOF_MULTIDESTFILES, {}, {}};
    for (int i = 0; i < 9; ++i)
    {
        shared.from.push_back(tree.Path(entries[static_cast<size_t>(i)]));
        paired.from.push_back(shared.from.back());
        paired.to.push_back(tree.Path(L"u\\g" + std::to_wstring(i)));
    }
    for (const PlannedRequest &request : {shared, paired})
    {
        // 9 sources by 2: 2, 2, 2, 3; by 4: 4, 5 (no source left alone).
        for (size_t size : {2u, 4u, 100u})
        {
            const std::vector<PlannedRequest> slices = SliceRequest(request, size);
            size_t sources = 0;
            for (const PlannedRequest &slice : slices)
            {
                EXPECT_GE(slice.from.size(), 2u);
                sources += slice.from.size();
            }
            EXPECT_EQ(sources, 9u);
            EXPECT_EQ(slices.size(), size == 2 ? 4u : size == 4 ? 2u : 1u);
            // Each slice alone, as the worker reads it, gives the whole's rows.
            std::vector<std::wstring> pieces;
            for (const PlannedRequest &slice : slices)
            {
                const std::vector<std::wstring> part = rowsOf({slice});
                pieces.insert(pieces.end(), part.begin(), part.end());
            }
            EXPECT_EQ(pieces, rowsOf({request})) << size;
        }
    }
    EXPECT_EQ(SliceRequest(PlannedRequest{FO_DELETE, 0, {L"C:\\one"}, {}}, 2).size(), 1u);
}

TEST_F(PreviewParts, FilesAreWrittenWholeOrLeftAsTheyWere)
{
    CTempTree tree;
    const std::wstring path = tree.Path(L"plan.csv");
    EXPECT_EQ(WriteFileWhole(path, "first"), 0u);
    EXPECT_EQ(ReadText(path), "first");
    EXPECT_EQ(WriteFileWhole(path, "second, longer"), 0u);
    EXPECT_EQ(ReadText(path), "second, longer");

    // A file held open without sharing cannot be replaced: it keeps its
    // bytes and no temporary file is left beside it.
    {
        fx::unique_file held(
            ::CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(held.is_valid());
        const DWORD error = WriteFileWhole(path, "third");
        EXPECT_NE(error, 0u);
        EXPECT_FALSE(SystemErrorText(error).empty());
    }
    EXPECT_EQ(ReadText(path), "second, longer");
    WIN32_FIND_DATAW found;
    HANDLE find = ::FindFirstFileW(tree.Path(L"*.tmp").c_str(), &found);
    EXPECT_EQ(find, INVALID_HANDLE_VALUE);
    if (find != INVALID_HANDLE_VALUE) ::FindClose(find);

    // A folder that is not there: the reason, and nothing made.
    const DWORD missing = WriteFileWhole(tree.Path(L"nowhere\\plan.csv"), "x");
    EXPECT_NE(missing, 0u);
    EXPECT_FALSE(Exists(tree.Path(L"nowhere")));
    EXPECT_NE(SystemErrorText(missing), L"Error " + std::to_wstring(missing));

    EXPECT_EQ(SuggestedCsvName(L"C:\\x\\Backup.Taskel"), L"Backup.csv");
    EXPECT_EQ(SuggestedCsvName(L"a:b?.Taskel"), L"ab.csv");
    EXPECT_EQ(SuggestedCsvName(L""), L"Preview.csv");
}

TEST_F(PreviewParts, PlacementIsKeptAndBroughtBackOnTheScreen)
{
    const wchar_t key[] = L"Software\\Veltrac\\FerrovanePreviewPartsTest";
    ::RegDeleteTreeW(HKEY_CURRENT_USER, key);
    WINDOWPLACEMENT placement = {};
    EXPECT_FALSE(LoadPreviewPlacement(HKEY_CURRENT_USER, key, placement));
    placement.length = sizeof(placement);
    placement.showCmd = SW_SHOWMAXIMIZED;
    placement.rcNormalPosition = {10, 20, 610, 420};
    ASSERT_TRUE(SavePreviewPlacement(HKEY_CURRENT_USER, key, placement));
    WINDOWPLACEMENT read = {};
    ASSERT_TRUE(LoadPreviewPlacement(HKEY_CURRENT_USER, key, read));
    EXPECT_EQ(read.showCmd, static_cast<UINT>(SW_SHOWMAXIMIZED));
    EXPECT_TRUE(::EqualRect(&read.rcNormalPosition, &placement.rcNormalPosition));

    // A value of another size or an empty rectangle is not a placement.
    const BYTE shortValue[8] = {};
    ::RegSetKeyValueW(HKEY_CURRENT_USER, key, kPreviewPlacementValue, REG_BINARY, shortValue,
                      sizeof(shortValue));
    EXPECT_FALSE(LoadPreviewPlacement(HKEY_CURRENT_USER, key, read));
    placement.rcNormalPosition = {10, 10, 10, 300};
    SavePreviewPlacement(HKEY_CURRENT_USER, key, placement);
    EXPECT_FALSE(LoadPreviewPlacement(HKEY_CURRENT_USER, key, read));
    ::RegDeleteTreeW(HKEY_CURRENT_USER, key);

    const RECT area = {0, 0, 1024, 768};
    const SIZE minimum = {300, 200};
    auto clamp = [&](RECT r) { return ClampRect(r, area, minimum); };
    RECT r = clamp({5000, 4000, 5600, 4400});
    EXPECT_TRUE(::EqualRect(&r, std::array<RECT, 1>{{{424, 368, 1024, 768}}}.data()));
    r = clamp({-300, -50, 300, 350});
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.right, 600);
    r = clamp({0, 0, 3000, 100}); // too wide, too low
    EXPECT_EQ(r.right - r.left, 1024);
    EXPECT_EQ(r.bottom - r.top, 200);
}

TEST_F(PreviewParts, AnchoredControlsFollowTheirEdges)
{
    const RECT list = {10, 30, 400, 300};
    RECT r = AnchoredPlace({list, ANCHOR_RIGHT | ANCHOR_BOTTOM}, 50, 20);
    EXPECT_EQ(r.left, 10);
    EXPECT_EQ(r.right, 450);
    EXPECT_EQ(r.bottom, 320);
    r = AnchoredPlace({{300, 320, 360, 340}, ANCHOR_MOVE_X | ANCHOR_MOVE_Y}, 50, 20);
    EXPECT_EQ(r.left, 350);
    EXPECT_EQ(r.top, 340);
    EXPECT_EQ(r.right - r.left, 60);
    // Shrunk past its size, a control keeps no negative size.
    r = AnchoredPlace({list, ANCHOR_RIGHT | ANCHOR_BOTTOM}, -500, -500);
    EXPECT_EQ(r.right, r.left);
    EXPECT_EQ(r.bottom, r.top);
}
