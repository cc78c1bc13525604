// The action group and list rules without a window: controls per action,
// clicks and the rename choice carried between Move and Copy, labels,
// reorder limits, pasting and in-place edit decisions.
#include <gtest/gtest.h>

#include "TaskelActionGroup.h"
#include "TaskelListRules.h"
#include "TaskelOptions.h"
#include "resource.h"

TEST(ActionGroup, ControlsPerAction)
{
    ActionGroupState mr = ActionGroupFor(EDIT_ACTION_MOVERENAME);
    EXPECT_EQ(mr.checkedRadio, IDC_ACTION_MOVE);
    EXPECT_TRUE(mr.moveRename.visible && mr.moveRename.enabled && mr.moveRename.checked);
    EXPECT_FALSE(mr.copyRename.visible || mr.copyRename.enabled || mr.copyRename.checked);

    ActionGroupState c = ActionGroupFor(EDIT_ACTION_COPY);
    EXPECT_EQ(c.checkedRadio, IDC_ACTION_COPY);
    EXPECT_TRUE(c.copyRename.visible && c.copyRename.enabled);
    EXPECT_FALSE(c.copyRename.checked);
    EXPECT_FALSE(c.moveRename.visible);

    EXPECT_EQ(ActionGroupFor(EDIT_ACTION_RENAME).checkedRadio, IDC_ACTION_RENAME);
    EXPECT_EQ(ActionGroupFor(EDIT_ACTION_DELETE).checkedRadio, IDC_ACTION_DELETE);
    ActionGroupState none = ActionGroupFor(EDIT_ACTION_NONE);
    EXPECT_EQ(none.checkedRadio, 0);
    EXPECT_FALSE(none.moveRename.visible || none.copyRename.visible);
}

TEST(ActionGroup, ClicksCarryTheRenameChoiceBetweenMoveAndCopy)
{
    EXPECT_EQ(ActionForClick(IDC_ACTION_MOVE, EDIT_ACTION_COPYRENAME, false),
              EDIT_ACTION_MOVERENAME);
    EXPECT_EQ(ActionForClick(IDC_ACTION_MOVE, EDIT_ACTION_COPY, false), EDIT_ACTION_MOVE);
    EXPECT_EQ(ActionForClick(IDC_ACTION_COPY, EDIT_ACTION_MOVERENAME, false),
              EDIT_ACTION_COPYRENAME);
    EXPECT_EQ(ActionForClick(IDC_ACTION_COPY, EDIT_ACTION_MOVE, false), EDIT_ACTION_COPY);
    EXPECT_EQ(ActionForClick(IDC_ACTION_MOVE, EDIT_ACTION_MOVERENAME, false),
              EDIT_ACTION_MOVERENAME);
    EXPECT_EQ(ActionForClick(IDC_ACTION_MOVE, EDIT_ACTION_DELETE, false), EDIT_ACTION_MOVE);
    EXPECT_EQ(ActionForClick(IDC_ACTION_COPY, EDIT_ACTION_RENAME, true), EDIT_ACTION_COPY);
    EXPECT_EQ(ActionForClick(IDC_ACTION_RENAME, EDIT_ACTION_COPY, false), EDIT_ACTION_RENAME);
    EXPECT_EQ(ActionForClick(IDC_ACTION_DELETE, EDIT_ACTION_COPY, false), EDIT_ACTION_DELETE);
    EXPECT_EQ(ActionForClick(IDC_ACTION_MOVERENAME, EDIT_ACTION_MOVE, true),
              EDIT_ACTION_MOVERENAME);
    EXPECT_EQ(ActionForClick(IDC_ACTION_MOVERENAME, EDIT_ACTION_MOVERENAME, false),
              EDIT_ACTION_MOVE);
    EXPECT_EQ(ActionForClick(IDC_ACTION_COPYRENAME, EDIT_ACTION_COPY, true),
              EDIT_ACTION_COPYRENAME);
    EXPECT_EQ(ActionForClick(IDC_ACTION_COPYRENAME, EDIT_ACTION_COPYRENAME, false),
              EDIT_ACTION_COPY);
    EXPECT_EQ(ActionForClick(IDC_OPT_SOUND, EDIT_ACTION_COPY, true), EDIT_ACTION_COPY);
    EXPECT_FALSE(IsActionControl(IDC_OPT_SOUND));
    EXPECT_TRUE(IsActionControl(IDC_ACTION_COPYRENAME));
}

TEST(ListRules, LabelsAndTarget)
{
    EXPECT_EQ(LabelsForAction(EDIT_ACTION_MOVERENAME).sourceId, unsigned(IDS_MOVE_FROM));
    EXPECT_EQ(LabelsForAction(EDIT_ACTION_MOVE).targetId, unsigned(IDS_MOVE_TO));
    EXPECT_EQ(LabelsForAction(EDIT_ACTION_COPYRENAME).targetId, unsigned(IDS_COPY_TO));
    EXPECT_EQ(LabelsForAction(EDIT_ACTION_RENAME).sourceId, unsigned(IDS_RENAME_FROM));
    EXPECT_EQ(LabelsForAction(EDIT_ACTION_DELETE).sourceId, unsigned(IDS_DELETE_FROM));
    EXPECT_EQ(LabelsForAction(EDIT_ACTION_DELETE).targetId, 0u);
    EXPECT_FALSE(ActionHasTarget(EDIT_ACTION_DELETE));
    EXPECT_FALSE(ActionHasTarget(EDIT_ACTION_RENAME));
    EXPECT_TRUE(ActionHasTarget(EDIT_ACTION_COPYRENAME));
}

TEST(ListRules, MoveLimits)
{
    // No sources: only the empty row.
    EXPECT_FALSE(CanMoveUp(0, 0));
    EXPECT_FALSE(CanMoveDown(0, 0));
    // Three entries and the empty row 3.
    EXPECT_FALSE(CanMoveUp(0, 3));
    EXPECT_TRUE(CanMoveDown(0, 3));
    EXPECT_TRUE(CanMoveUp(2, 3));
    EXPECT_FALSE(CanMoveDown(2, 3));
    EXPECT_FALSE(CanMoveUp(3, 3));
    EXPECT_FALSE(CanMoveDown(3, 3));
    EXPECT_FALSE(CanMoveUp(-1, 3));
    EXPECT_FALSE(CanMoveDown(-1, 3));
}

TEST(ListRules, PasteOverwritesFromTheRowAndAppendsPastTheEnd)
{
    std::vector<std::wstring> entries{L"a", L"b", L"c"};
    EXPECT_EQ(PasteOver(entries, 1, {L"x", L"  ", L"y", L"z"}),
              (std::vector<std::wstring>{L"a", L"x", L"y", L"z"}));
    EXPECT_EQ(PasteOver(entries, 3, {L" x "}), (std::vector<std::wstring>{L"a", L"b", L"c", L"x"}));
    EXPECT_EQ(PasteOver({}, 7, {L"x"}), (std::vector<std::wstring>{L"x"}));
    EXPECT_TRUE(PageTakesPaste(true, 1, true));
    EXPECT_TRUE(PageTakesPaste(false, 2, true));
    EXPECT_TRUE(PageTakesPaste(false, 1, false));
    EXPECT_FALSE(PageTakesPaste(false, 1, true));
}

TEST(ListRules, InPlaceEditDecisions)
{
    EXPECT_EQ(DecideLabelEdit(L"C:\\a\\*.txt", L"C:\\a\\*.txt", false, true),
              LabelEditResult::Unchanged);
    EXPECT_EQ(DecideLabelEdit(L"  C:\\a\\*.txt ", L"C:\\a\\*.txt", false, true),
              LabelEditResult::Unchanged);
    EXPECT_EQ(DecideLabelEdit(L"C:\\b\\", L"C:\\a\\*.txt", false, true), LabelEditResult::Store);
    EXPECT_EQ(DecideLabelEdit(L"C:\\b\\<", L"C:\\a\\*.txt", false, false), LabelEditResult::Refuse);
    EXPECT_EQ(DecideLabelEdit(L"", L"C:\\a\\*.txt", false, false), LabelEditResult::Remove);
    EXPECT_EQ(DecideLabelEdit(L" ", L"", true, false), LabelEditResult::Unchanged);
    EXPECT_EQ(DecideLabelEdit(L"x.txt", L"", true, true), LabelEditResult::Store);
}
