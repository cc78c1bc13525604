// The option boxes without a window: visibility and enabling by action and
// mask, values (defaults for options that do not apply), storing back, the
// progress pair and the drawing hints.
#include <gtest/gtest.h>

#include "TaskelOptionBoxes.h"
#include "TaskelOptions.h"
#include "resource.h"

namespace
{

const OptionBoxState &Box(const OptionBoxes &boxes, int id)
{
    return boxes[static_cast<size_t>(OptionBoxIndex(id))];
}

uint32_t Mask(uint32_t editorAction, const std::vector<std::wstring> &sources = {L"C:\\a\\*.txt"})
{
    return OptionMask(ActionFromEditorNumber(editorAction), 6, sources);
}

} // namespace

TEST(OptionBoxes, WithoutCommandAllTwelveAreHidden)
{
    OptionBoxes boxes = ShowOptionBoxes(false, EDIT_ACTION_COPY, 0xFFFFFFFF, 0xFFFFFFFF);
    ASSERT_EQ(boxes.size(), 12u);
    for (const OptionBoxState &b : boxes)
        EXPECT_FALSE(b.visible) << b.id;
}

TEST(OptionBoxes, VisibilityByAction)
{
    OptionBoxes del =
        ShowOptionBoxes(true, EDIT_ACTION_DELETE, Mask(EDIT_ACTION_DELETE), OPT_DEFAULTS);
    EXPECT_TRUE(Box(del, IDC_OPT_RECYCLE).visible);
    EXPECT_TRUE(Box(del, IDC_OPT_RECYCLE).enabled);
    EXPECT_FALSE(Box(del, IDC_OPT_CONFIRM_MKDIR).visible);
    EXPECT_TRUE(Box(del, IDC_OPT_SUBFOLDERS).visible);
    EXPECT_FALSE(Box(del, IDC_OPT_SECURITY).visible); // 0x800 not in the Delete mask
    EXPECT_FALSE(Box(del, IDC_OPT_RENAME_DUPLICATES).visible);

    OptionBoxes ren =
        ShowOptionBoxes(true, EDIT_ACTION_RENAME, Mask(EDIT_ACTION_RENAME), OPT_DEFAULTS);
    EXPECT_FALSE(Box(ren, IDC_OPT_SUBFOLDERS).visible);
    EXPECT_FALSE(Box(ren, IDC_OPT_RECYCLE).visible);
    EXPECT_FALSE(Box(ren, IDC_OPT_CONFIRM_MKDIR).visible);
    EXPECT_TRUE(Box(ren, IDC_OPT_RECURSION).visible);

    for (uint32_t action :
         {EDIT_ACTION_MOVE, EDIT_ACTION_COPY, EDIT_ACTION_MOVERENAME, EDIT_ACTION_COPYRENAME})
    {
        OptionBoxes b = ShowOptionBoxes(true, action, Mask(action), OPT_DEFAULTS);
        EXPECT_TRUE(Box(b, IDC_OPT_CONFIRM_MKDIR).visible) << action;
        EXPECT_FALSE(Box(b, IDC_OPT_RECYCLE).visible) << action;
        for (int id : {IDC_OPT_CONFIRM, IDC_OPT_ERRORS, IDC_OPT_RECURSION, IDC_OPT_PROGRESS,
                       IDC_OPT_FILE_PROGRESS, IDC_OPT_SUBFOLDERS, IDC_OPT_RENAME_DUPLICATES,
                       IDC_OPT_IGNORE_ERRORS, IDC_OPT_SOUND})
            EXPECT_TRUE(Box(b, id).visible) << action << " " << id;
    }
    OptionBoxes copy = ShowOptionBoxes(true, EDIT_ACTION_COPY, Mask(EDIT_ACTION_COPY), 0);
    EXPECT_TRUE(Box(copy, IDC_OPT_SECURITY).visible);
    OptionBoxes move = ShowOptionBoxes(true, EDIT_ACTION_MOVE, Mask(EDIT_ACTION_MOVE), 0);
    EXPECT_FALSE(Box(move, IDC_OPT_SECURITY).visible); // 0x800 only for Copy
}

TEST(OptionBoxes, EnablingFollowsTheMaskAndSilent)
{
    // A folder source: no wildcard (no 0x80) and it ends with a backslash (no 0x1000).
    uint32_t mask = Mask(EDIT_ACTION_COPY, {L"C:\\data\\"});
    OptionBoxes b = ShowOptionBoxes(true, EDIT_ACTION_COPY, mask, 0);
    EXPECT_TRUE(Box(b, IDC_OPT_SUBFOLDERS).visible);
    EXPECT_FALSE(Box(b, IDC_OPT_SUBFOLDERS).enabled);
    EXPECT_FALSE(Box(b, IDC_OPT_RECURSION).enabled);
    EXPECT_TRUE(Box(b, IDC_OPT_FILE_PROGRESS).enabled);

    OptionBoxes silent =
        ShowOptionBoxes(true, EDIT_ACTION_COPY, Mask(EDIT_ACTION_COPY), OPT_SILENT);
    EXPECT_FALSE(Box(silent, IDC_OPT_PROGRESS).checked);
    EXPECT_FALSE(Box(silent, IDC_OPT_FILE_PROGRESS).enabled);
    // Greyed, it shows the file progress that comes back with progress.
    EXPECT_TRUE(Box(silent, IDC_OPT_FILE_PROGRESS).checked);

    OptionBoxes simple =
        ShowOptionBoxes(true, EDIT_ACTION_COPY, Mask(EDIT_ACTION_COPY), OPT_SIMPLEPROGRESS);
    EXPECT_TRUE(Box(simple, IDC_OPT_PROGRESS).checked);
    EXPECT_TRUE(Box(simple, IDC_OPT_FILE_PROGRESS).enabled);
    EXPECT_FALSE(Box(simple, IDC_OPT_FILE_PROGRESS).checked);
}

TEST(OptionBoxes, ValuesDirectAndInvertedWithDefaultsForInapplicableBits)
{
    uint32_t mask = Mask(EDIT_ACTION_COPY);
    OptionBoxes none = ShowOptionBoxes(true, EDIT_ACTION_COPY, mask, 0);
    for (int id : {IDC_OPT_CONFIRM, IDC_OPT_CONFIRM_MKDIR, IDC_OPT_SECURITY, IDC_OPT_ERRORS,
                   IDC_OPT_RECURSION, IDC_OPT_SUBFOLDERS, IDC_OPT_PROGRESS, IDC_OPT_FILE_PROGRESS})
        EXPECT_TRUE(Box(none, id).checked) << id;
    for (int id :
         {IDC_OPT_RECYCLE, IDC_OPT_RENAME_DUPLICATES, IDC_OPT_IGNORE_ERRORS, IDC_OPT_SOUND})
        EXPECT_FALSE(Box(none, id).checked) << id;

    OptionBoxes all = ShowOptionBoxes(true, EDIT_ACTION_COPY, mask, 0xFFFFF & ~OPT_SILENT);
    for (int id : {IDC_OPT_CONFIRM, IDC_OPT_CONFIRM_MKDIR, IDC_OPT_SECURITY, IDC_OPT_ERRORS,
                   IDC_OPT_RECURSION, IDC_OPT_SUBFOLDERS})
        EXPECT_FALSE(Box(all, id).checked) << id;
    for (int id : {IDC_OPT_RENAME_DUPLICATES, IDC_OPT_IGNORE_ERRORS, IDC_OPT_SOUND})
        EXPECT_TRUE(Box(all, id).checked) << id;
    // ALLOWUNDO is set but not applicable to Copy: the box shows its default.
    EXPECT_FALSE(Box(all, IDC_OPT_RECYCLE).checked);
}

TEST(OptionBoxes, StoringWritesEveryBoxAndTheDefaultsOfInapplicableBits)
{
    uint32_t mask = Mask(EDIT_ACTION_COPY);
    // ALLOWUNDO does not apply to Copy: showing and storing drops it.
    uint32_t stored =
        StoreOptionBoxes(ShowOptionBoxes(true, EDIT_ACTION_COPY, mask, OPT_DEFAULTS), OPT_DEFAULTS);
    EXPECT_EQ(stored, OPT_DEFAULTS & ~OPT_ALLOWUNDO);
    // Shown and stored again: a fixed point.
    EXPECT_EQ(StoreOptionBoxes(ShowOptionBoxes(true, EDIT_ACTION_COPY, mask, stored), stored),
              stored);

    // Bits no box stands for stay as they are.
    uint32_t other = OPT_WANTNUKEWARNING | OPT_TRIAL_RUN | OPT_X_NO_ANIMATION | OPT_MULTIDESTFILES;
    uint32_t kept = StoreOptionBoxes(ShowOptionBoxes(true, EDIT_ACTION_COPY, mask, other), other);
    EXPECT_EQ(kept & other, other);
}

TEST(OptionBoxes, UntickingIncludeSubfoldersStoresFilesOnly)
{
    uint32_t mask = Mask(EDIT_ACTION_COPY);
    OptionBoxes b = ShowOptionBoxes(true, EDIT_ACTION_COPY, mask, 0);
    SetBoxChecked(b, IDC_OPT_SUBFOLDERS, false);
    EXPECT_EQ(StoreOptionBoxes(b, 0) & OPT_FILESONLY, OPT_FILESONLY);
}

TEST(OptionBoxes, ProgressPair)
{
    uint32_t mask = Mask(EDIT_ACTION_COPY);
    OptionBoxes b = ShowOptionBoxes(true, EDIT_ACTION_COPY, mask, 0);
    SetBoxChecked(b, IDC_OPT_PROGRESS, false);
    uint32_t silent = StoreOptionBoxes(b, 0);
    EXPECT_EQ(silent & (OPT_SILENT | OPT_SIMPLEPROGRESS), OPT_SILENT);
    OptionBoxes again = ShowOptionBoxes(true, EDIT_ACTION_COPY, mask, silent);
    EXPECT_FALSE(Box(again, IDC_OPT_FILE_PROGRESS).enabled);

    // With progress off, the file-progress bit is kept as stored and the
    // greyed box shows it; progress off and on again gives the options back.
    for (uint32_t stored : {uint32_t(OPT_SILENT), uint32_t(OPT_SILENT | OPT_SIMPLEPROGRESS),
                            uint32_t(0), uint32_t(OPT_SIMPLEPROGRESS)})
    {
        OptionBoxes shown = ShowOptionBoxes(true, EDIT_ACTION_COPY, mask, stored);
        EXPECT_EQ(Box(shown, IDC_OPT_FILE_PROGRESS).checked, !(stored & OPT_SIMPLEPROGRESS));
        EXPECT_EQ(StoreOptionBoxes(shown, stored), stored) << stored;
        const bool progress = Box(shown, IDC_OPT_PROGRESS).checked;
        SetBoxChecked(shown, IDC_OPT_PROGRESS, !progress);
        const uint32_t toggled = StoreOptionBoxes(shown, stored);
        OptionBoxes back = ShowOptionBoxes(true, EDIT_ACTION_COPY, mask, toggled);
        SetBoxChecked(back, IDC_OPT_PROGRESS, progress);
        EXPECT_EQ(StoreOptionBoxes(back, toggled), stored) << stored;
    }

    b = ShowOptionBoxes(true, EDIT_ACTION_COPY, mask, 0);
    SetBoxChecked(b, IDC_OPT_FILE_PROGRESS, false);
    uint32_t simple = StoreOptionBoxes(b, 0);
    EXPECT_EQ(simple & (OPT_SILENT | OPT_SIMPLEPROGRESS), OPT_SIMPLEPROGRESS);
}

TEST(OptionBoxes, HintsOnlyWhileIgnoringErrorsApplies)
{
    uint32_t mask = Mask(EDIT_ACTION_COPY);
    OptionBoxes b = ShowOptionBoxes(true, EDIT_ACTION_COPY, mask, OPT_X_IGNORE_ERRORS);
    EXPECT_EQ(OptionBoxHint(IDC_OPT_ERRORS, b, mask), OptionHint::Shadow);
    EXPECT_EQ(OptionBoxHint(IDC_OPT_CONFIRM, b, mask), OptionHint::Shadow);
    EXPECT_EQ(OptionBoxHint(IDC_OPT_PROGRESS, b, mask), OptionHint::Light);
    EXPECT_EQ(OptionBoxHint(IDC_OPT_FILE_PROGRESS, b, mask), OptionHint::Light);
    EXPECT_EQ(OptionBoxHint(IDC_OPT_SOUND, b, mask), OptionHint::None);

    SetBoxChecked(b, IDC_OPT_ERRORS, false);
    EXPECT_EQ(OptionBoxHint(IDC_OPT_ERRORS, b, mask), OptionHint::None);

    OptionBoxes silent =
        ShowOptionBoxes(true, EDIT_ACTION_COPY, mask, OPT_X_IGNORE_ERRORS | OPT_SILENT);
    SetBoxChecked(silent, IDC_OPT_FILE_PROGRESS, true);
    EXPECT_EQ(OptionBoxHint(IDC_OPT_FILE_PROGRESS, silent, mask), OptionHint::None); // disabled

    OptionBoxes off = ShowOptionBoxes(true, EDIT_ACTION_COPY, mask, 0);
    EXPECT_EQ(OptionBoxHint(IDC_OPT_ERRORS, off, mask), OptionHint::None);
    SetBoxChecked(off, IDC_OPT_IGNORE_ERRORS, true);
    EXPECT_EQ(OptionBoxHint(IDC_OPT_ERRORS, off, 0), OptionHint::None); // not in the mask
}
