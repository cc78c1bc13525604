// Resolution and expansion of source specifications on real trees: what
// lands in the source list, in which order, with which target entries, and
// how the recursion switch is decided and traced.
#include <gtest/gtest.h>

#include "EngineTestSupport.h"
#include "TaskelOptions.h"

using Strings = std::vector<std::wstring>;

namespace
{
CExecPathSpecs Expand(DWORD action, DWORD flags, const Strings &specs, bool withTargets,
                      const std::wstring &base = std::wstring())
{
    CExecPathSpecs specsObject(action, flags);
    if (!base.empty()) specsObject.SetBaseFolder(base);
    specsObject.SetSources(specs);
    specsObject.ExpandSources(withTargets);
    return specsObject;
}
} // namespace

TEST(Expand, EmptyListStaysEmpty)
{
    CExecPathSpecs e = Expand(ACTION_COPY, 0, {}, true);
    EXPECT_TRUE(e.Sources().empty());
    EXPECT_TRUE(e.SourceList().empty());
    EXPECT_EQ(0u, e.Flags() & (OPT_NORECURSION | OPT_MULTIDESTFILES | EXEC_SCRATCH_BITS));
}

TEST(Expand, PlainFileDisablesRecursion)
{
    CTempTree tree;
    tree.Add({L"a\\x.txt"});
    const std::wstring root = tree.Root();
    CTraceLines trace;
    CExecPathSpecs e = Expand(ACTION_COPY, 0, {R(root, L"<R>\\a\\x.txt")}, false);
    EXPECT_EQ(R(root, Strings{L"<R>\\a\\x.txt"}), e.Sources());
    EXPECT_TRUE(e.Flags() & OPT_NORECURSION);
    EXPECT_EQ(OPT_NORECURSION, e.Request().fFlags);
    EXPECT_EQ(R(root, Strings{L"  Expand   [<R>\\a\\x.txt] Target [] Flags []",
                              L"    Add Source [<R>\\a\\x.txt] (disable recursion)",
                              L"    Disable recursion for [<R>\\a\\x.txt]",
                              L"  Recursion disabled - source enumerated"}),
              trace.Lines());
}

TEST(Expand, FolderEnablesRecursionAndPairsWithFileForTheParadox)
{
    CTempTree tree;
    tree.Add({L"a\\b\\y.txt", L"a\\x.txt"});
    const std::wstring root = tree.Root();
    {
        CExecPathSpecs e = Expand(ACTION_MOVE, 0, {R(root, L"<R>\\a\\b\\")}, true);
        EXPECT_EQ(R(root, Strings{L"<R>\\a\\b"}), e.Sources());
        EXPECT_EQ(Strings{L"b"}, e.Targets());
        EXPECT_FALSE(e.Flags() & OPT_NORECURSION);
    }
    CTraceLines trace;
    CExecPathSpecs e =
        Expand(ACTION_MOVE, 0, {R(root, L"<R>\\a\\b\\"), R(root, L"<R>\\a\\x.txt")}, true);
    EXPECT_EQ(R(root, Strings{L"<R>\\a\\b", L"<R>\\a\\x.txt"}), e.Sources());
    EXPECT_EQ((Strings{L"b", L"x.txt"}), e.Targets());
    EXPECT_FALSE(e.Flags() & OPT_NORECURSION);
    EXPECT_TRUE(e.Flags() & OPT_MULTIDESTFILES); // two sources, one target each
    EXPECT_EQ(R(root, Strings{L"    Add Source [<R>\\a\\b] (enable recursion)"}),
              trace.With(R(root, L"Add Source [<R>\\a\\b]").c_str()));
    EXPECT_EQ(R(root, Strings{L"*** Recursion paradox *** [<R>\\a\\x.txt]"}),
              trace.With(L"Recursion"));
}

TEST(Expand, AllPatternIsHandedOverNarrowPatternIsListed)
{
    CTempTree tree;
    tree.Add({L"a\\old.txt\\z.txt", L"a\\sub\\v.doc", L"a\\sub\\w.txt", L"a\\x.txt", L"a\\y.doc"});
    const std::wstring root = tree.Root();
    {
        CTraceLines trace;
        CExecPathSpecs e = Expand(ACTION_COPY, 0, {R(root, L"<R>\\a\\*.*")}, false);
        EXPECT_EQ(R(root, Strings{L"<R>\\a\\*.*"}), e.Sources());
        EXPECT_FALSE(e.Flags() & OPT_NORECURSION);
        EXPECT_TRUE(trace.Has(R(root, L"    Add Source [<R>\\a\\*.*] (enable recursion)")));
    }
    CTraceLines trace;
    CExecPathSpecs copy = Expand(ACTION_COPY, 0, {R(root, L"<R>\\a\\*.txt")}, false);
    // A folder that matches precedes what was found in it.
    EXPECT_EQ(R(root, Strings{L"<R>\\a\\old.txt\\", L"<R>\\a\\old.txt\\z.txt",
                              L"<R>\\a\\sub\\w.txt", L"<R>\\a\\x.txt"}),
              copy.Sources());
    EXPECT_TRUE(copy.Flags() & OPT_NORECURSION);
    EXPECT_EQ(R(root,
                Strings{
                    L"  Expand   [<R>\\a\\*.txt] Target [] Flags []",
                    L"    Match... [<R>\\a\\*.txt] Scan [<R>\\a\\*]",
                    L"    Matched  [<R>\\a\\old.txt\\] (directory)",
                    L"    Matched  [<R>\\a\\old.txt\\] (recursion)",
                    L"    Matched  [<R>\\a\\sub\\] (recursion)",
                    L"    Matched  [<R>\\a\\x.txt] (file)",
                    L"      Match... [<R>\\a\\old.txt\\*.txt] Scan [<R>\\a\\old.txt\\*]",
                    L"      Matched  [<R>\\a\\old.txt\\z.txt] (file)",
                    L"      Expanded [<R>\\a\\old.txt\\z.txt]",
                    L"    Expanded [<R>\\a\\old.txt\\] (parent) (disable recursion)",
                    L"      Match... [<R>\\a\\sub\\*.txt] Scan [<R>\\a\\sub\\*]",
                    L"      Matched  [<R>\\a\\sub\\w.txt] (file)",
                    L"      Expanded [<R>\\a\\sub\\w.txt]",
                    L"    Expanded [<R>\\a\\x.txt]",
                    L"    Disable recursion for [<R>\\a\\*.txt]",
                    L"  Recursion disabled - source enumerated",
                }),
              trace.Lines());
    EXPECT_EQ(R(root, L"<R>\\a\\old.txt") + L'\0' + R(root, L"<R>\\a\\old.txt\\z.txt") + L'\0' +
                  R(root, L"<R>\\a\\sub\\w.txt") + L'\0' + R(root, L"<R>\\a\\x.txt") + L'\0' +
                  L'\0',
              copy.SourceList());

    // Delete places the folder after its contents.
    CExecPathSpecs del = Expand(ACTION_DELETE, 0, {R(root, L"<R>\\a\\*.txt")}, false);
    EXPECT_EQ(R(root, Strings{L"<R>\\a\\old.txt\\z.txt", L"<R>\\a\\old.txt\\",
                              L"<R>\\a\\sub\\w.txt", L"<R>\\a\\x.txt"}),
              del.Sources());

    // Ignoring errors lists even the all-pattern; without recursion only
    // the top level is listed.
    CExecPathSpecs top = Expand(ACTION_COPY, OPT_X_IGNORE_ERRORS | OPT_NORECURSION,
                                {R(root, L"<R>\\a\\*.txt")}, false);
    EXPECT_EQ(R(root, Strings{L"<R>\\a\\old.txt\\", L"<R>\\a\\x.txt"}), top.Sources());
}

TEST(Expand, WildcardFolderComponent)
{
    CTempTree tree;
    tree.Add({L"logs\\2020\\app\\a.txt", L"logs\\2020\\app\\b.doc", L"logs\\2021\\app\\c.txt",
              L"logs\\2021\\other\\d.txt", L"logs\\2022\\", L"logs\\3000\\app\\e.txt"});
    const std::wstring root = tree.Root();
    CTraceLines trace;
    CExecPathSpecs e = Expand(ACTION_COPY, 0, {R(root, L"<R>\\logs\\2*\\app\\*.txt")}, true);
    EXPECT_EQ(R(root, Strings{L"<R>\\logs\\2020\\app\\a.txt", L"<R>\\logs\\2021\\app\\c.txt"}),
              e.Sources());
    EXPECT_EQ((Strings{L"2020\\app\\a.txt", L"2021\\app\\c.txt"}), e.Targets());
    EXPECT_TRUE(e.Flags() & OPT_MULTIDESTFILES);
    EXPECT_EQ(R(root, Strings{L"    Match... [<R>\\logs\\2*\\app\\*.txt] Remainder [app\\] Scan "
                              L"[<R>\\logs\\2*]"}),
              trace.With(L"Remainder"));
    EXPECT_EQ(R(root, Strings{L"    Matched  [<R>\\logs\\2020\\app\\] (wild path)",
                              L"    Matched  [<R>\\logs\\2021\\app\\] (wild path)",
                              L"    Matched  [<R>\\logs\\2022\\app\\] (wild path)"}),
              trace.With(L"(wild path)"));
}

TEST(Expand, DriveRootYieldsNothingByDefault)
{
    CTraceLines trace;
    CExecPathSpecs e = Expand(ACTION_COPY, 0, {L"C:\\"}, false);
    EXPECT_TRUE(e.Sources().empty());
    EXPECT_TRUE(trace.Has(L"  Expand   [C:\\] Target [] Flags []"));
    EXPECT_TRUE(trace.With(L"Add Source").empty());
}

TEST(Expand, TargetEntriesKeepOrFlattenTheStructure)
{
    CTempTree tree;
    tree.Add({L"src\\sub\\a.txt"});
    const std::wstring root = tree.Root();
    CExecPathSpecs kept = Expand(ACTION_COPY, 0, {R(root, L"<R>\\src\\*.txt")}, true);
    EXPECT_EQ(R(root, Strings{L"<R>\\src\\sub\\a.txt"}), kept.Sources());
    EXPECT_EQ(Strings{L"sub\\a.txt"}, kept.Targets());
    CExecPathSpecs flat = Expand(ACTION_COPY, OPT_FILESONLY, {R(root, L"<R>\\src\\*.txt")}, true);
    EXPECT_EQ(Strings{L"a.txt"}, flat.Targets());
    // A folder source keeps its own name in front of what it holds.
    CExecPathSpecs folder =
        Expand(ACTION_COPY, OPT_X_IGNORE_ERRORS, {R(root, L"<R>\\src\\")}, true);
    EXPECT_EQ(R(root, Strings{L"<R>\\src", L"<R>\\src\\sub\\", L"<R>\\src\\sub\\a.txt"}),
              folder.Sources());
    EXPECT_EQ((Strings{L"src", L"src\\sub\\", L"src\\sub\\a.txt"}), folder.Targets());
}

TEST(Expand, FilesOnlyListsAPlainFileOnce)
{
    CTempTree tree;
    tree.Add({L"a\\sub\\x.txt", L"a\\x.txt"});
    const std::wstring root = tree.Root();
    CTraceLines trace;
    CExecPathSpecs e = Expand(ACTION_MOVE, OPT_FILESONLY, {R(root, L"<R>\\a\\x.txt")}, false);
    EXPECT_EQ(R(root, Strings{L"<R>\\a\\sub\\x.txt", L"<R>\\a\\x.txt"}), e.Sources());
    EXPECT_TRUE(trace.Has(R(root, L"    Already listed [<R>\\a\\x.txt]")));
    EXPECT_TRUE(trace.Has(L"  Recursion disabled - files enumerated"));
    EXPECT_TRUE(e.Flags() & OPT_FILESONLY);
}

TEST(Resolve, RelativeDriveRelativeUncAndUrlForms)
{
    CExecPathSpecs e(ACTION_COPY, 0);
    e.SetBaseFolder(L"C:\\base\\dir");
    static const wchar_t list[] = L"x\\y.txt\0..\\z.txt\0\\top\\a.txt\0\\\\server\\share\\a.txt\0"
                                  L"C:\\q\\..\\r\\a.txt>*.bak\0";
    e.SetSources(std::wstring(list, sizeof list / sizeof list[0] - 1));
    EXPECT_EQ((Strings{L"C:\\base\\dir\\x\\y.txt", L"C:\\base\\z.txt", L"C:\\top\\a.txt",
                       L"\\\\server\\share\\a.txt", L"C:\\r\\a.txt>*.bak"}),
              e.Sources());

    e.SetTarget(L"out\\");
    EXPECT_EQ(L"C:\\base\\dir\\out\\", e.Target());
    e.SetTarget(L"http://example.com/a/../b/");
    EXPECT_EQ(L"http://example.com/b/", e.Target());
}

TEST(Resolve, PathsThatDoNotFitAreLeftOutNotCut)
{
    CTempTree tree;
    const std::wstring root = tree.Root();
    const size_t fitting = execpath::MAX_PATH_CHARS - root.size() - 1;
    const std::wstring shortName(fitting, L'f'), longName(fitting + 1, L'f');
    CTraceLines trace(2);
    CExecPathSpecs e(ACTION_DELETE, 0);
    e.SetBaseFolder(root);
    e.SetSources(Strings{shortName, longName});
    EXPECT_EQ(Strings{root + L"\\" + shortName}, e.Sources());
    EXPECT_EQ(Strings{L"Path too long [" + root + L"\\" + longName + L"]"}, trace.Lines());

    e.SetTarget(longName); // without its target nothing may run
    EXPECT_TRUE(e.Target().empty());
    EXPECT_TRUE(e.Sources().empty());
}

TEST(Expand, MatchesThatDoNotFitAreLeftOut)
{
    CTempTree tree;
    const std::wstring dir(100, L'd');
    const std::wstring folder = tree.Root() + L"\\" + dir;
    const size_t fitting = execpath::MAX_PATH_CHARS - folder.size() - 1;
    const std::wstring fits = std::wstring(fitting - 4, L'n') + L".txt";
    const std::wstring over = std::wstring(fitting - 3, L'o') + L".txt";
    tree.Add({dir + L"\\" + fits, dir + L"\\" + over});
    ASSERT_EQ(execpath::MAX_PATH_CHARS, (folder + L"\\" + fits).size());
    ASSERT_TRUE(Exists(L"\\\\?\\" + folder + L"\\" + over));
    CTraceLines trace(2);
    CExecPathSpecs e = Expand(ACTION_DELETE, 0, {folder + L"\\*.txt"}, false);
    EXPECT_EQ(Strings{folder + L"\\" + fits}, e.Sources());
    EXPECT_EQ(Strings{L"Path too long [" + folder + L"\\" + over + L"]"}, trace.Lines());
}

TEST(Lists, DoubleNullListsAndParts)
{
    using execspec::DoubleNullList;
    EXPECT_EQ(L"", DoubleNullList({}, 4, nullptr));
    EXPECT_EQ(std::wstring(L"C:\\\0C:\\a\0C:\\b\0\0", 15),
              DoubleNullList({L"C:\\", L"C:\\a\\", L"C:\\b"}, 4, nullptr));
    EXPECT_EQ((Strings{L"a", L"b"}), execspec::SplitDoubleNull(std::wstring(L"a\0b\0\0", 5)));

    CTempTree tree;
    tree.Add({L"a\\x.txt", L"a\\y.txt"});
    const std::wstring root = tree.Root();
    CExecPathSpecs e =
        Expand(ACTION_COPY, 0, {R(root, L"<R>\\a\\x.txt"), R(root, L"<R>\\a\\y.txt")}, true);
    ASSERT_TRUE(e.Flags() & OPT_MULTIDESTFILES);
    std::unique_ptr<CExecPathSpecs> part = e.SplitSource(1);
    ASSERT_TRUE(part);
    EXPECT_EQ(R(root, Strings{L"<R>\\a\\y.txt"}), part->Sources());
    EXPECT_EQ(Strings{L"y.txt"}, part->Targets());
    EXPECT_FALSE(part->Flags() & OPT_MULTIDESTFILES);
    EXPECT_FALSE(e.SplitSource(2));
    part->BuildLists();
    EXPECT_EQ(R(root, L"<R>\\a\\y.txt") + std::wstring(L"\0\0", 2), part->SourceList());
    EXPECT_EQ(std::wstring(L"y.txt\0\0", 7), part->Target());

    CTraceLines trace;
    CExecPathSpecs::TraceSpecs(e.Sources(), 0x8001, L"", L"  ");
    EXPECT_EQ(R(root, Strings{L"  Specs [2]", L"    [<R>\\a\\x.txt]", L"    [<R>\\a\\y.txt]"}),
              trace.Lines());
}

TEST(Expand, PumpsMessagesUnlessAnimationIsOff)
{
    auto pending = []() {
        MSG msg;
        return PeekMessageW(&msg, nullptr, WM_APP, WM_APP, PM_REMOVE) != FALSE;
    };
    PostThreadMessageW(GetCurrentThreadId(), WM_APP, 0, 0);
    Expand(ACTION_COPY, OPT_X_NO_ANIMATION, {L"C:\\x.txt"}, false);
    EXPECT_TRUE(pending());
    PostThreadMessageW(GetCurrentThreadId(), WM_APP, 0, 0);
    Expand(ACTION_COPY, 0, {L"C:\\x.txt"}, false);
    EXPECT_FALSE(pending());
}
