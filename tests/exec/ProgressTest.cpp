// The runner's tray icon holder: the preparing and action pairs, repeated
// pairs, and the icon taken away with the holder.
#include "TaskelProgress.h"

#include <gtest/gtest.h>

#include "AniTimer.h"
#include "TaskelIcons.h"

TEST(Progress, ShowsAndSwitchesPairs)
{
    std::unique_ptr<CTaskelProgress> holder(new CTaskelProgress(nullptr));
    CTaskelProgress &progress = *holder;
    ASSERT_NE(nullptr, progress.Window());
    EXPECT_FALSE(IsWindowVisible(progress.Window()));

    progress.Show(IDA_PREPARE + 1, IDS_PREPARE_MOVE);
    ASSERT_TRUE(progress.Icon().IsShown());
    EXPECT_STREQ(L"Ferrovane is preparing to move files", progress.Icon().Data()->szTip);
    EXPECT_EQ(progress.Window(), progress.Icon().Data()->hWnd);
    const CAniTimer *clock = progress.Icon().Clock();

    progress.Show(IDA_PREPARE + 1, IDS_PREPARE_MOVE);
    EXPECT_EQ(clock, progress.Icon().Clock());

    progress.Show(IDA_MOVE + 1, IDS_MOVING);
    EXPECT_EQ(IDA_MOVE + 1, progress.IconId());
    EXPECT_STREQ(L"Ferrovane is moving files", progress.Icon().Data()->szTip);

    // A missing animation leaves the shown pair alone.
    progress.Show(299, IDS_COPYING);
    EXPECT_EQ(IDA_MOVE + 1, progress.IconId());

    HWND window = progress.Window();
    holder.reset();
    EXPECT_FALSE(IsWindow(window));
}
