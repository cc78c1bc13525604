// The target pages' decisions without a window: settings keys and profile
// values, stored and shown folders (absolute, relative, beside and on
// another disk), file text with rename parts, the list filter and a chosen
// type, and what a picked file leaves in the edit.
#include <gtest/gtest.h>

#include "TaskelOptions.h"
#include "TaskelTargetRules.h"
#include "TestRegistry.h"

namespace
{
const std::wstring kProfile = L"Software\\Veltrac\\FerrovaneTargetRulesTest";
}

TEST(TargetRules, SettingsKeysAndProfileValues)
{
    EXPECT_STREQ(TargetSettingsKey(-1), L"ToPath");
    EXPECT_STREQ(TargetSettingsKey(0), L"FromPath");
    EXPECT_STREQ(TargetSettingsKey(7), L"FromPath");

    DeleteTree(HKEY_CURRENT_USER, kProfile);
    EXPECT_FALSE(ReadRelativeSetting(kProfile, L"ToPath"));
    WriteRelativeSetting(kProfile, L"ToPath", true);
    EXPECT_TRUE(ReadRelativeSetting(kProfile, L"ToPath"));
    EXPECT_FALSE(ReadRelativeSetting(kProfile, L"FromPath"));
    EXPECT_EQ(RegDword(HKEY_CURRENT_USER, kProfile + L"\\ToPath", L"Relative"), 1u);
    WriteRelativeSetting(kProfile, L"ToPath", false);
    EXPECT_FALSE(ReadRelativeSetting(kProfile, L"ToPath"));

    EXPECT_EQ(ReadNewCommandPath(kProfile), L"");
    WriteNewCommandPath(kProfile, L"C:\\Jobs\\");
    EXPECT_EQ(RegText(HKEY_CURRENT_USER, kProfile + L"\\Settings", L"New Command Path"), L"C:\\Jobs\\");
    EXPECT_EQ(ReadNewCommandPath(kProfile), L"C:\\Jobs\\");
    DeleteTree(HKEY_CURRENT_USER, kProfile);
}

TEST(TargetRules, RenamingActions)
{
    EXPECT_FALSE(TargetActionRenames(EDIT_ACTION_MOVE));
    EXPECT_FALSE(TargetActionRenames(EDIT_ACTION_COPY));
    EXPECT_FALSE(TargetActionRenames(EDIT_ACTION_DELETE));
    EXPECT_TRUE(TargetActionRenames(EDIT_ACTION_RENAME));
    EXPECT_TRUE(TargetActionRenames(EDIT_ACTION_MOVERENAME));
    EXPECT_TRUE(TargetActionRenames(EDIT_ACTION_COPYRENAME));
    EXPECT_TRUE(TargetRenameOnly(EDIT_ACTION_RENAME));
    EXPECT_FALSE(TargetRenameOnly(EDIT_ACTION_COPYRENAME));
}

TEST(TargetRules, StepFoldersResolveAgainstTheCommandFolder)
{
    const std::wstring base = L"C:\\Jobs\\";
    EXPECT_EQ(ResolveStepFolder(L"", base), L"");
    EXPECT_EQ(ResolveStepFolder(L"D:\\data", base), L"D:\\data\\");
    EXPECT_EQ(ResolveStepFolder(L"out\\", base), L"C:\\Jobs\\out\\");
    EXPECT_EQ(ResolveStepFolder(L".\\", base), L"C:\\Jobs\\");
    EXPECT_EQ(ResolveStepFolder(L"..\\Other\\", base), L"C:\\Other\\");
    EXPECT_EQ(ResolveStepFolder(L"\\Top", L"D:\\x\\y\\"), L"D:\\Top\\");
    EXPECT_EQ(ResolveStepFolder(L"\\\\srv\\share\\x", base), L"\\\\srv\\share\\x\\");
}

TEST(TargetRules, StoredFoldersFollowTheRelativeMode)
{
    const std::wstring base = L"C:\\Jobs\\";
    // Absolute mode stores the folder as it is.
    EXPECT_EQ(StoredStepFolder(L"C:\\Jobs\\out", base, false), L"C:\\Jobs\\out\\");
    // Relative mode: below, the base itself, beside, another disk.
    EXPECT_EQ(StoredStepFolder(L"C:\\Jobs\\out\\", base, true), L"out\\");
    EXPECT_EQ(StoredStepFolder(L"C:\\Jobs\\out\\deep", base, true), L"out\\deep\\");
    EXPECT_EQ(StoredStepFolder(L"C:\\Jobs\\", base, true), L".\\");
    EXPECT_EQ(StoredStepFolder(L"C:\\jobs", base, true), L".\\");
    EXPECT_EQ(StoredStepFolder(L"C:\\Other\\", base, true), L"..\\Other\\");
    EXPECT_EQ(StoredStepFolder(L"D:\\data\\", base, true), L"D:\\data\\");
    EXPECT_EQ(StoredStepFolder(L"C:\\", base, true), L"..\\");
    // Whatever is stored resolves back to the folder.
    for (const wchar_t *folder : {L"C:\\Jobs\\out\\", L"C:\\Jobs\\", L"C:\\Other\\", L"D:\\data\\"})
        EXPECT_EQ(ResolveStepFolder(StoredStepFolder(folder, base, true), base), folder) << folder;
}

TEST(TargetRules, ShownFolders)
{
    const std::wstring base = L"C:\\Jobs\\";
    EXPECT_EQ(DisplayStepFolder(L"C:\\Jobs\\out\\", base, false), L"out");
    EXPECT_EQ(DisplayStepFolder(L"out\\", base, false), L"out");
    EXPECT_EQ(DisplayStepFolder(L"C:\\Other\\", base, false), L"C:\\Other");
    EXPECT_EQ(DisplayStepFolder(L"C:\\Other\\", base, true), L"..\\Other");
    EXPECT_EQ(DisplayStepFolder(L"C:\\Jobs\\", base, true), L".");
    EXPECT_EQ(DisplayStepFolder(L"C:\\Jobs\\", base, false), L"C:\\Jobs");
    EXPECT_EQ(DisplayStepFolder(L"D:\\", base, false), L"D:\\");
    EXPECT_EQ(DisplayStepFolder(L"", base, true), L"");
}

TEST(TargetRules, FileTextAndRenamePart)
{
    TargetFileText parts = SplitTargetFile(L"*.txt>*.bak");
    EXPECT_EQ(parts.name, L"*.txt");
    EXPECT_EQ(parts.rename, L"*.bak");
    parts = SplitTargetFile(L"a.txt|b.txt");
    EXPECT_EQ(parts.name, L"a.txt");
    EXPECT_EQ(parts.rename, L"b.txt");
    parts = SplitTargetFile(L"plain.txt");
    EXPECT_EQ(parts.rename, L"");
    EXPECT_EQ(JoinTargetFile(L"a.txt", L"b.txt"), L"a.txt>b.txt");
    EXPECT_EQ(JoinTargetFile(L"a.txt", L""), L"a.txt");
}

TEST(TargetRules, ListFilterFromNameAndType)
{
    // No wildcard, or nothing typed: every file of the chosen type.
    EXPECT_EQ(TargetFileFilter(L"report.txt", L".txt"), L"*.txt");
    EXPECT_EQ(TargetFileFilter(L"", L".txt"), L"*.txt");
    EXPECT_EQ(TargetFileFilter(L"report.txt", L".*"), L"*.*");
    // A wildcard narrows the list, with the type's extension.
    EXPECT_EQ(TargetFileFilter(L"rep*", L".txt"), L"rep*.txt");
    EXPECT_EQ(TargetFileFilter(L"rep*.log", L".txt"), L"rep*.txt");
    EXPECT_EQ(TargetFileFilter(L"rep*.log", L".*"), L"rep*.log");
    EXPECT_EQ(TargetFileFilter(L"rep?", L".*"), L"rep?.*");
    EXPECT_EQ(TargetFileFilter(L"a.b*", L".txt"), L"a.b*.txt");
    // The rename part never filters.
    EXPECT_EQ(TargetFileFilter(L"rep*>new*", L".txt"), L"rep*.txt");
    EXPECT_EQ(TargetFileFilter(L"x.txt>*.bak", L".txt"), L"*.txt");
}

TEST(TargetRules, ChosenTypeAndPickedFile)
{
    EXPECT_EQ(RetypedTargetFile(L"rep*.log", L".txt"), L"rep*.txt");
    EXPECT_EQ(RetypedTargetFile(L"rep*", L".txt"), L"rep*.txt");
    EXPECT_EQ(RetypedTargetFile(L"rep*.log>*.bak", L".txt"), L"rep*.txt>*.bak");
    EXPECT_EQ(RetypedTargetFile(L"report.log", L".txt"), L"report.log");
    EXPECT_EQ(RetypedTargetFile(L"", L".txt"), L"");
    EXPECT_EQ(RetypedTargetFile(L"rep*.log", L".*"), L"rep*.log");

    EXPECT_EQ(PickedTargetFile(L"b.txt", L"a.txt", false), L"b.txt");
    EXPECT_EQ(PickedTargetFile(L"b.txt", L"a.txt>*.bak", false), L"b.txt");
    // A renaming page keeps the rename part the edit had.
    EXPECT_EQ(PickedTargetFile(L"b.txt", L"a.txt>*.bak", true), L"b.txt>*.bak");
    EXPECT_EQ(PickedTargetFile(L"b.txt", L"", true), L"b.txt");
}
