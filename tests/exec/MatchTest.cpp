// The enumerate decision and the pattern test as plain functions, and the
// rename actions' listing of folders.
#include <gtest/gtest.h>

#include "EngineTestSupport.h"
#include "TaskelOptions.h"

using namespace execspec;
using Strings = std::vector<std::wstring>;

namespace
{
CShellFilePath PathOf(const std::wstring &spec)
{
    CShellFilePath path;
    path.Split(spec);
    return path;
}
} // namespace

TEST(Enumerable, DefaultHandsFoldersFilesAndAllPatternsToTheShell)
{
    EXPECT_FALSE(IsEnumerable(ACTION_COPY, 0, PathOf(L"C:\\a\\b\\")));
    EXPECT_FALSE(IsEnumerable(ACTION_COPY, 0, PathOf(L"C:\\a\\x.txt")));
    EXPECT_FALSE(IsEnumerable(ACTION_COPY, 0, PathOf(L"C:\\a\\*.*")));
    EXPECT_FALSE(IsEnumerable(ACTION_COPY, 0, PathOf(L"C:\\a\\*")));
    EXPECT_TRUE(IsEnumerable(ACTION_COPY, 0, PathOf(L"C:\\a\\*.txt")));
    EXPECT_TRUE(IsEnumerable(ACTION_COPY, 0, PathOf(L"C:\\l\\2*\\app\\")));
    // Recursion off leaves even a narrow pattern to the shell.
    EXPECT_FALSE(IsEnumerable(ACTION_COPY, OPT_NORECURSION, PathOf(L"C:\\a\\*.txt")));
    // Files only searches the tree even for a plain name.
    EXPECT_TRUE(IsEnumerable(ACTION_COPY, OPT_FILESONLY, PathOf(L"C:\\a\\x.txt")));
    EXPECT_TRUE(IsEnumerable(ACTION_COPY, EXEC_INSIDE_WILD, PathOf(L"C:\\a\\x.txt")));
}

TEST(Enumerable, IgnoringErrorsAndRenameActionsListFoldersAndPatterns)
{
    for (DWORD action : {ACTION_RENAME, ACTION_MOVERENAME, ACTION_COPYRENAME})
    {
        EXPECT_TRUE(IsEnumerable(action, 0, PathOf(L"C:\\a\\b\\")));
        EXPECT_TRUE(IsEnumerable(action, OPT_NORECURSION, PathOf(L"C:\\a\\*.*")));
        EXPECT_FALSE(IsEnumerable(action, OPT_FILESONLY, PathOf(L"C:\\a\\x.txt")));
    }
    EXPECT_TRUE(IsEnumerable(ACTION_DELETE, OPT_X_IGNORE_ERRORS, PathOf(L"C:\\a\\*.*")));
    EXPECT_FALSE(IsEnumerable(ACTION_DELETE, OPT_X_IGNORE_ERRORS, PathOf(L"C:\\a\\x.txt")));
}

TEST(Pattern, FilesFoldersAndWildBaseFolders)
{
    CShellFilePath txt = PathOf(L"C:\\a\\*.txt");
    txt.SetBaseFolder(L"C:\\a");
    EXPECT_TRUE(MatchesPattern(ACTION_COPY, 0, L"C:\\a\\x.TXT", txt));
    EXPECT_FALSE(MatchesPattern(ACTION_COPY, 0, L"C:\\a\\x.doc", txt));
    EXPECT_FALSE(MatchesPattern(ACTION_COPY, 0, L"C:\\a\\*.txt", txt)); // never a wildcard entry
    EXPECT_TRUE(MatchesPattern(ACTION_COPY, 0, L"C:\\a\\old.txt\\", txt));
    EXPECT_FALSE(MatchesPattern(ACTION_COPY, 0, L"C:\\a\\sub\\", txt));
    // Folders are never taken for Rename or with files only.
    EXPECT_FALSE(MatchesPattern(ACTION_RENAME, 0, L"C:\\a\\old.txt\\", txt));
    EXPECT_FALSE(MatchesPattern(ACTION_COPY, OPT_FILESONLY, L"C:\\a\\old.txt\\", txt));

    CShellFilePath wild = PathOf(L"C:\\l\\2*\\app\\");
    wild.SetBaseFolder(L"C:\\l\\2*");
    EXPECT_TRUE(MatchesPattern(ACTION_COPY, 0, L"C:\\l\\2020\\app\\", wild));
    EXPECT_FALSE(MatchesPattern(ACTION_COPY, 0, L"C:\\l\\3000\\app\\", wild));
}

TEST(Match, MoveRenameKeepsFoldersAsParents)
{
    CTempTree tree;
    tree.Add({L"a\\sub\\x.txt"});
    const std::wstring root = tree.Root();
    CExecPathSpecs e(ACTION_MOVERENAME, 0);
    e.SetSources(R(root, Strings{L"<R>\\a\\"}));
    e.ExpandSources(true);
    EXPECT_EQ(R(root, Strings{L"<R>\\a", L"<R>\\a\\sub\\", L"<R>\\a\\sub\\x.txt"}), e.Sources());
    EXPECT_EQ((Strings{L"a", L"a\\sub\\", L"a\\sub\\x.txt"}), e.Targets());
    EXPECT_TRUE(e.Flags() & OPT_NORECURSION);
}

TEST(Match, NestedWildcardFoldersExpandAgain)
{
    CTempTree tree;
    tree.Add({L"p1\\q1\\r.txt", L"p1\\q2\\s.txt", L"p2\\x\\t.txt"});
    const std::wstring root = tree.Root();
    CTraceLines trace;
    CExecPathSpecs e(ACTION_COPY, 0);
    e.SetSources(R(root, Strings{L"<R>\\p*\\q*\\*.txt"}));
    e.ExpandSources(false);
    EXPECT_EQ(R(root, Strings{L"<R>\\p1\\q1\\r.txt", L"<R>\\p1\\q2\\s.txt"}), e.Sources());
    EXPECT_EQ(
        R(root, Strings{L"    Match... [<R>\\p*\\q*\\*.txt] Remainder [q*\\] Scan [<R>\\p*]",
                        L"      Match... [<R>\\p1\\q*\\*.txt] Remainder [] Scan [<R>\\p1\\q*]",
                        L"      Match... [<R>\\p2\\q*\\*.txt] Remainder [] Scan [<R>\\p2\\q*]"}),
        trace.With(L"Remainder"));
}
