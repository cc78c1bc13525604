// Action numbering, option text and the option mask.
#include <gtest/gtest.h>

#include "TaskelOptions.h"

TEST(Options, EditorNumbersSwapDeleteAndRename)
{
    EXPECT_EQ(ActionFromEditorNumber(3), ACTION_RENAME);
    EXPECT_EQ(ActionFromEditorNumber(4), ACTION_DELETE);
    EXPECT_EQ(EditorNumberFromAction(ACTION_RENAME), 3u);
    EXPECT_EQ(EditorNumberFromAction(ACTION_DELETE), 4u);
    for (uint32_t n = 1; n <= 6; ++n)
        EXPECT_EQ(EditorNumberFromAction(ActionFromEditorNumber(n)), n);
    EXPECT_EQ(ActionFromEditorNumber(0), ACTION_NONE);
    EXPECT_EQ(ActionFromEditorNumber(7), ACTION_NONE);
    EXPECT_EQ(EditorNumberFromAction(0x1234), 0u);
    EXPECT_STREQ(ActionName(ACTION_RENAME), L"Rename");
    EXPECT_STREQ(ActionName(ACTION_COPYRENAME), L"CopyRename");
    EXPECT_STREQ(ActionName(9), L"---");
}

TEST(Options, NameListOrderAndEscapes)
{
    EXPECT_EQ(OptionNames(OPT_DEFAULTS),
              L"ALLOWUNDO, NOCONFIRMMKDIR, RENAMEONCOLLISION, X_COMPLETE_SOUND");
    EXPECT_EQ(OptionNames(0), L"");
    EXPECT_EQ(OptionNames(OPT_NO_CONNECTED_ELEMENTS), L""); // unnamed bit
    EXPECT_EQ(OptionNames(OPT_TRIAL_RUN | OPT_ESCAPE_1 | OPT_ESCAPE_4 | OPT_SILENT),
              L"SILENT, _TRIAL_RUN, _ESCAPE_1, _ESCAPE_4");
    EXPECT_EQ(OptionNames(OPT_X_NO_ANIMATION | OPT_X_IGNORE_ERRORS | OPT_MULTIDESTFILES |
                          OPT_CONFIRMMOUSE),
              L"CONFIRMMOUSE, MULTIDESTFILES, X_IGNORE_ERRORS, X_NO_ANIMATION");
}

TEST(Options, MaskByActionShellAndSources)
{
    EXPECT_EQ(OptionMask(ACTION_COPY, 6, {L"D:\\Data\\*.txt"}), 0x76F1Cu | 0x80 | 0x1000);
    EXPECT_EQ(OptionMask(ACTION_DELETE, 6, {L"D:\\Data\\"}), 0x76554u);
    EXPECT_EQ(OptionMask(ACTION_MOVE, 4, {}), 0x7471Cu);
    EXPECT_EQ(OptionMask(ACTION_MOVERENAME, 5, {L"a.txt"}), 0x7671Cu | 0x1000);
    EXPECT_EQ(OptionMask(ACTION_COPYRENAME, 4, {L"x\\y?"}), 0x74F1Cu | 0x80 | 0x1000);
    EXPECT_EQ(OptionMask(ACTION_RENAME, 6, {L"D:\\*.txt"}), 0x73514u);
    EXPECT_EQ(OptionMask(ACTION_RENAME, 4, {}), 0x71514u);
    EXPECT_EQ(OptionMask(ACTION_NONE, 6, {L"D:\\*.txt"}), 0u);
    EXPECT_EQ(OptionMask(99, 6, {}), 0u);
}

TEST(Options, MaskWildcardOnlyInFileNamePart)
{
    // A wildcard in a folder part does not count; a URL or folder neither.
    EXPECT_EQ(OptionMask(ACTION_COPY, 6, {L"D:\\*\\file.txt"}), 0x76F1Cu | 0x1000);
    EXPECT_EQ(OptionMask(ACTION_COPY, 6, {L"http://host/*.txt"}), 0x76F1Cu);
    EXPECT_EQ(OptionMask(ACTION_COPY, 6, {L"D:\\*\\"}), 0x76F1Cu);
    EXPECT_EQ(OptionMask(ACTION_COPY, 6, {L""}), 0x76F1Cu);
    EXPECT_EQ(OptionMask(ACTION_DELETE, 6, {L"D:\\A\\", L"*"}), 0x76554u | 0x80 | 0x1000);
    EXPECT_TRUE(IsUrlSpec(L"file:///c:/x"));
    EXPECT_FALSE(IsUrlSpec(L"C:\\x"));
    EXPECT_FALSE(IsUrlSpec(L"\\\\server\\share:x"));
}
