// The fill steps of the command page's lists as plain decisions: how many
// rows the first step sets, when a later step may go on, and which row is
// selected after a fill changed the rows.
#include <gtest/gtest.h>

#include <climits>

#include "EntryFillSteps.h"

TEST(EntryFillSteps, FirstStepSetsTheRowsInSight)
{
    EXPECT_EQ(FirstFillRows(false, 0), INT_MAX); // the list view fills at once
    EXPECT_EQ(FirstFillRows(false, 245), INT_MAX);
    EXPECT_EQ(FirstFillRows(true, 0), kFillFirstRows);
    EXPECT_EQ(FirstFillRows(true, 245), kFillFirstRows + 245); // scrolled: up to the rows in view
    EXPECT_EQ(FirstFillRows(true, -1), kFillFirstRows);        // a list box's error answer
}

TEST(EntryFillSteps, LaterStepsWaitForTheSheetAndTheFirstDrawing)
{
    EXPECT_FALSE(FillStepReady(false, true, 100)); // a hidden sheet never
    EXPECT_TRUE(FillStepReady(true, true, 0));
    EXPECT_FALSE(FillStepReady(true, false, kFillDrawWaits));
    EXPECT_TRUE(FillStepReady(true, false, kFillDrawWaits + 1)); // waited long enough
    // Slow steps until the list has drawn, so the hidden sheet can go idle.
    EXPECT_GT(FillStepInterval(false), FillStepInterval(true));
}

TEST(EntryFillSteps, SelectionSurvivesAFill)
{
    // A row that is still there gets its selection back.
    EXPECT_EQ(SelectionAfterFill(250, -1, 301), 250);
    EXPECT_EQ(SelectionAfterFill(250, 0, 301), 250);
    // Still selected: nothing to do.
    EXPECT_EQ(SelectionAfterFill(250, 250, 301), -1);
    EXPECT_EQ(SelectionAfterFill(0, 0, 1), -1);
    // None, or a row the shorter list no longer has: row 0.
    EXPECT_EQ(SelectionAfterFill(-1, -1, 4), 0);
    EXPECT_EQ(SelectionAfterFill(5, -1, 3), 0);
    // The row is gone but another is selected: that one stays.
    EXPECT_EQ(SelectionAfterFill(5, 2, 3), -1);
}
