// The procedures against real trees without the seam: what the shell under
// Wine really copies, moves, deletes and renames, and a loaded command
// object run through CTaskel::Run with its completion sound.
#include <gtest/gtest.h>

#include "RunnerTestSupport.h"
#include "TaskelClass.h"
#include "TestCommandObject.h"

namespace
{
const DWORD REAL = QUIET | OPT_SILENT | OPT_NOCONFIRMATION | OPT_NOCONFIRMMKDIR | OPT_NOERRORUI;

class Effects : public ::testing::Test
{
  protected:
    CTempTree tree;
    std::wstring P(const std::wstring &relative) const { return tree.Path(relative); }
};

UINT g_sound = 0;
void RecordSound(UINT type)
{
    g_sound = type + 1;
}
} // namespace

TEST_F(Effects, CopyAndMoveFoldersAndFiles)
{
    tree.Add({L"src\\a.txt", L"src\\sub\\b.txt", L"src\\c.log"});
    EXPECT_TRUE(
        RunCopy(Command(ACTION_COPY, REAL, {P(L"src\\")}, P(L"copy")), tree.Root(), nullptr));
    EXPECT_TRUE(Exists(P(L"copy\\src\\sub\\b.txt")));
    EXPECT_TRUE(Exists(P(L"src\\a.txt")));

    EXPECT_TRUE(
        RunMove(Command(ACTION_MOVE, REAL, {L"src\\*.txt"}, L"moved"), tree.Root(), nullptr));
    EXPECT_TRUE(Exists(P(L"moved\\a.txt")));
    EXPECT_TRUE(Exists(P(L"moved\\sub\\b.txt")));
    EXPECT_FALSE(Exists(P(L"src\\a.txt")));
    EXPECT_TRUE(Exists(P(L"src\\c.log")));
}

TEST_F(Effects, DeleteAndRename)
{
    tree.Add({L"d\\a.tmp", L"d\\b.tmp", L"d\\keep.txt", L"r\\one.txt", L"r\\two.txt"});
    EXPECT_TRUE(RunDelete(Command(ACTION_DELETE, REAL, {P(L"d\\*.tmp")}), tree.Root(), nullptr));
    EXPECT_FALSE(Exists(P(L"d\\a.tmp")));
    EXPECT_FALSE(Exists(P(L"d\\b.tmp")));
    EXPECT_TRUE(Exists(P(L"d\\keep.txt")));

    EXPECT_TRUE(
        RunRename(Command(ACTION_RENAME, REAL, {P(L"r\\*.txt>*.bak")}), tree.Root(), nullptr));
    EXPECT_TRUE(Exists(P(L"r\\one.bak")));
    EXPECT_TRUE(Exists(P(L"r\\two.bak")));
    EXPECT_FALSE(Exists(P(L"r\\one.txt")));
}

TEST_F(Effects, RenamingTransfers)
{
    tree.Add({L"in\\a.txt", L"in\\b.txt"});
    EXPECT_TRUE(RunCopy(Command(ACTION_COPYRENAME, REAL, {P(L"in\\*.txt>*.bak")}, P(L"c")),
                        tree.Root(), nullptr));
    EXPECT_TRUE(Exists(P(L"c\\a.bak")));
    EXPECT_TRUE(Exists(P(L"in\\a.txt")));
    EXPECT_TRUE(RunMove(Command(ACTION_MOVERENAME, REAL, {P(L"in\\*.txt>*.old")}, P(L"m")),
                        tree.Root(), nullptr));
    EXPECT_TRUE(Exists(P(L"m\\b.old")));
    EXPECT_FALSE(Exists(P(L"in\\b.txt")));
}

TEST_F(Effects, LoadedCommandRunsThroughItsObject)
{
    tree.Add({L"s\\a.txt"});
    InstallShellRunner();
    CTestCommand object;
    CTaskel &command = *object;
    command.SetAction(EDIT_ACTION_COPY);
    command.SetOptions(REAL | OPT_X_COMPLETE_SOUND);
    command.SetSource(-1, nullptr);
    command.SetSource(0, L"s\\a.txt");
    command.SetTarget(L"t");
    SetTaskelSoundSeam(RecordSound);
    EXPECT_TRUE(command.Run(tree.Root(), nullptr));
    SetTaskelSoundSeam(nullptr);
    EXPECT_TRUE(Exists(P(L"t\\a.txt")));
    EXPECT_EQ(static_cast<UINT>(MB_OK + 1), g_sound);
}
