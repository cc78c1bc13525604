// Moving and copying in parts: pairs that are already in place, a folder
// and its contents, the separator rule for entries inside a copied folder,
// name mappings and what a cancel does to the walk.
#include <gtest/gtest.h>

#include "RunnerTestSupport.h"

using namespace execrun;

namespace
{
class Parts : public ::testing::Test
{
  protected:
    CTempTree tree;
    CRecordingShell shell;
    std::wstring P(const std::wstring &relative) const { return tree.Path(relative); }
    std::vector<std::wstring> Froms() const
    {
        std::vector<std::wstring> froms;
        for (const SentRequest &sent : shell.requests)
            froms.push_back(sent.from.empty() ? L"" : sent.from[0]);
        return froms;
    }
};

const DWORD PART_WISE = QUIET | OPT_SILENT | OPT_NOCONFIRMMKDIR;
} // namespace

TEST_F(Parts, MoveOntoItselfIsSkipped)
{
    tree.Add({L"a\\x.txt", L"a\\y.txt"});
    CTraceLines trace(1);
    RunMove(Command(ACTION_MOVE, PART_WISE, {P(L"a\\*.txt")}, P(L"a")), tree.Root(), nullptr);
    EXPECT_TRUE(shell.requests.empty());
    EXPECT_TRUE(trace.Has(L"  Move [" + P(L"a\\x.txt") + L"] (Part)"));
    EXPECT_TRUE(trace.Has(L"  Skip [" + P(L"a\\x.txt") + L"]"));
    EXPECT_TRUE(trace.Has(L"  Skip [" + P(L"a\\y.txt") + L"]"));
}

TEST_F(Parts, ContentsOfAMovedFolderFollowIt)
{
    tree.Add({L"src\\sub\\sa.txt", L"src\\second.txt", L"src\\top.txt"});
    CTraceLines trace(4);
    EXPECT_TRUE(
        RunMove(Command(ACTION_MOVE, PART_WISE, {P(L"src\\s*")}, P(L"dst")), tree.Root(), nullptr));
    EXPECT_EQ((std::vector<std::wstring>{P(L"src\\sub"), P(L"src\\second.txt")}), Froms());
    EXPECT_EQ(std::vector<std::wstring>{P(L"dst\\sub")}, shell.requests[0].to);
    EXPECT_TRUE(shell.requests[0].flags & FOF_WANTMAPPINGHANDLE);
    EXPECT_FALSE(shell.requests[1].flags & FOF_WANTMAPPINGHANDLE);
    EXPECT_TRUE(trace.Has(L"  ApplyMovePath [" + P(L"src\\sub") + L"]"));
    EXPECT_TRUE(trace.Has(L"                [" + P(L"dst\\sub") + L"]"));
    EXPECT_TRUE(trace.Has(L"  Skip [" + P(L"dst\\sub\\sa.txt") + L"]"));
}

TEST_F(Parts, ContentsOfAFolderThatFailedToMoveGoOneByOne)
{
    tree.Add({L"src\\sub\\sa.txt", L"src\\second.txt", L"src\\top.txt"});
    shell.answer = [](SHFILEOPSTRUCTW &, size_t index) {
        return index == 0 ? ERROR_ACCESS_DENIED : 0;
    };
    EXPECT_TRUE(
        RunMove(Command(ACTION_MOVE, PART_WISE, {P(L"src\\s*")}, P(L"dst")), tree.Root(), nullptr));
    EXPECT_EQ(
        (std::vector<std::wstring>{P(L"src\\sub"), P(L"src\\sub\\sa.txt"), P(L"src\\second.txt")}),
        Froms());
}

TEST(PartRules, InsideTheLastCopiedSourceNeedsASeparator)
{
    EXPECT_TRUE(LiesInside(L"C:\\a\\b", L"C:\\a\\b\\c.txt"));
    EXPECT_TRUE(LiesInside(L"C:\\A\\B", L"c:\\a\\b\\c.txt"));
    EXPECT_FALSE(LiesInside(L"C:\\a\\b", L"C:\\a\\bc"));
    EXPECT_FALSE(LiesInside(L"C:\\a\\b", L"C:\\a\\b"));
    EXPECT_FALSE(LiesInside(L"", L"C:\\a"));
    EXPECT_TRUE(LiesInside(L"C:\\", L"C:\\a"));
}

TEST(PartRules, MovePathRewritesOnlyWhatLayInside)
{
    StringArray sources = {L"C:\\a\\b", L"C:\\a\\b\\x", L"C:\\a\\bc\\y", L"c:\\A\\B\\z\\w"};
    EXPECT_TRUE(ApplyMovePath(sources, 0, L"D:\\t\\b", 4));
    EXPECT_EQ((StringArray{L"C:\\a\\b", L"D:\\t\\b\\x", L"C:\\a\\bc\\y", L"D:\\t\\b\\z\\w"}),
              sources);
    EXPECT_FALSE(ApplyMovePath(sources, 3, L"E:\\q", 4));
}

TEST(PartRules, NameMappingsRewriteConsecutiveTargets)
{
    wchar_t oldPath[] = L"D:\\out\\sub";
    wchar_t newPath[] = L"D:\\out\\sub (2)";
    SHNAMEMAPPINGW mapping = {oldPath, newPath, 10, 14};
    ShellNameMappings mappings = {1, &mapping};
    StringArray targets = {L"D:\\x", L"D:\\out\\sub", L"D:\\OUT\\SUB\\a.txt", L"D:\\out\\subway",
                           L"D:\\out\\sub\\b"};
    ApplyNameMappings(targets, 1, mappings, 4);
    EXPECT_EQ((StringArray{L"D:\\x", L"D:\\out\\sub (2)", L"D:\\out\\sub (2)\\a.txt",
                           L"D:\\out\\subway", L"D:\\out\\sub\\b"}),
              targets);
}

TEST_F(Parts, CopyFollowsTheNamesTheShellGave)
{
    tree.Add({L"src\\sub\\sa.txt", L"src\\second.txt", L"dst\\sub\\"});
    const std::wstring oldPath = P(L"dst\\sub"), newPath = P(L"dst\\sub (2)");
    SHNAMEMAPPINGW mapping = {const_cast<wchar_t *>(oldPath.c_str()),
                              const_cast<wchar_t *>(newPath.c_str()),
                              static_cast<int>(oldPath.size()), static_cast<int>(newPath.size())};
    ShellNameMappings mappings = {1, &mapping};
    shell.answer = [&](SHFILEOPSTRUCTW &request, size_t index) {
        if (index == 0) request.hNameMappings = &mappings;
        return 0;
    };
    CTraceLines trace(4);
    ExecCommand command = Command(ACTION_COPY, QUIET | OPT_NOCONFIRMMKDIR | OPT_RENAMEONCOLLISION,
                                  {P(L"src\\s*")}, P(L"dst"));
    EXPECT_TRUE(RunCopy(command, tree.Root(), nullptr));
    ASSERT_EQ(3u, shell.requests.size());
    EXPECT_TRUE(shell.requests[0].flags & FOF_WANTMAPPINGHANDLE);
    EXPECT_TRUE(shell.requests[0].flags & FOF_RENAMEONCOLLISION);
    EXPECT_EQ(std::vector<std::wstring>{P(L"dst\\sub (2)\\sa.txt")}, shell.requests[1].to);
    EXPECT_EQ(std::vector<std::wstring>{P(L"dst\\second.txt")}, shell.requests[2].to);
    EXPECT_EQ(1, shell.freedMappings);
    EXPECT_TRUE(trace.Has(L"  Map [" + oldPath + L"]"));
    EXPECT_TRUE(trace.Has(L"   to [" + newPath + L"]"));
}

TEST_F(Parts, ACancelStopsThePartsOnlyWithoutConfirmations)
{
    tree.Add({L"src\\sub\\sa.txt", L"src\\second.txt", L"src\\top.txt"});
    shell.answer = [](SHFILEOPSTRUCTW &request, size_t index) {
        if (index == 0) request.fAnyOperationsAborted = TRUE;
        return 0;
    };
    EXPECT_FALSE(
        RunCopy(Command(ACTION_COPY, QUIET | OPT_NOCONFIRMATION, {P(L"src\\s*")}, P(L"dst")),
                tree.Root(), nullptr));
    EXPECT_EQ(1u, shell.requests.size());

    shell.requests.clear();
    EXPECT_TRUE(
        RunCopy(Command(ACTION_COPY, QUIET | OPT_NOCONFIRMMKDIR, {P(L"src\\s*")}, P(L"dst")),
                tree.Root(), nullptr));
    EXPECT_EQ(3u, shell.requests.size());
}
