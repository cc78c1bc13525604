// Targets: rename targets with redundant pairs removed, per-source targets
// under a common target, URL targets, target folders created component by
// component, and targets that do not fit.
#include <gtest/gtest.h>

#include "EngineTestSupport.h"
#include "TaskelOptions.h"

using Strings = std::vector<std::wstring>;

namespace
{
std::wstring List(const Strings &entries)
{
    std::wstring list;
    for (const std::wstring &entry : entries)
        list += entry + L'\0';
    return list.empty() ? list : list + L'\0';
}
} // namespace

TEST(Targets, RenameAppliesThePatternAndDropsRedundantPairs)
{
    CTempTree tree;
    tree.Add({L"d\\a.txt", L"d\\b.bak", L"d\\C.BAK"});
    const std::wstring root = tree.Root();
    CExecPathSpecs e(ACTION_RENAME, OPT_FILESONLY);
    e.SetSources(R(root, Strings{L"<R>\\d\\*.*>*.bak"}));
    e.ExpandSources(true);
    EXPECT_EQ((Strings{L"a.txt>*.bak", L"b.bak>*.bak", L"C.BAK>*.bak"}), e.Targets());
    CTraceLines trace(15);
    e.BuildTargets(false);
    EXPECT_EQ(R(root, Strings{L"<R>\\d\\a.txt"}), e.Sources());
    EXPECT_EQ(R(root, Strings{L"<R>\\d\\a.bak"}), e.Targets());
    EXPECT_EQ(R(root, List({L"<R>\\d\\a.bak"})), e.Target());
    EXPECT_EQ(R(root, List({L"<R>\\d\\a.txt"})), e.SourceList());
    EXPECT_TRUE(e.Flags() & OPT_MULTIDESTFILES);
    EXPECT_EQ(R(root, Strings{L"  Remove redundant rename [<R>\\d\\C.BAK]",
                              L"  Remove redundant rename [<R>\\d\\b.bak]"}),
              trace.With(L"redundant"));
    EXPECT_TRUE(trace.Has(R(root, L"    Target [<R>\\d\\a.bak]")));

    CExecPathSpecs plain(ACTION_RENAME, 0);
    EXPECT_EQ(L"C:\\d\\a.bak", plain.RenameTarget(L"C:\\d\\a.txt", L"a.txt>*.bak"));
    EXPECT_EQ(L"C:\\d\\new.txt", plain.RenameTarget(L"C:\\d\\a.txt", L"new.txt"));
}

TEST(Targets, PerSourceTargetsUnderTheCommandTarget)
{
    CTempTree tree;
    tree.Add({L"src\\sub\\a.txt"});
    const std::wstring root = tree.Root();
    CExecPathSpecs copy(ACTION_COPY, 0);
    copy.SetSources(R(root, Strings{L"<R>\\src\\*.txt"}));
    copy.SetTarget(L"D:\\out\\");
    copy.ExpandSources(true);
    CTraceLines trace(4);
    copy.BuildTargets(false);
    EXPECT_EQ(List({L"D:\\out\\sub\\a.txt"}), copy.Target());
    EXPECT_EQ((Strings{L"    Target [D:\\out\\]", L"    Target [D:\\out\\sub\\a.txt] (multi)"}),
              trace.With(L"Target ["));

    CExecPathSpecs renamed(ACTION_COPYRENAME, 0);
    renamed.SetSources(R(root, Strings{L"<R>\\src\\*.txt>*.bak"}));
    renamed.SetTarget(L"D:\\out");
    renamed.ExpandSources(true);
    renamed.BuildTargets(false);
    EXPECT_EQ(List({L"D:\\out\\sub\\a.bak"}), renamed.Target());

    CExecPathSpecs bare(ACTION_COPY, 0);
    bare.SetSources(R(root, Strings{L"<R>\\src\\*.txt"}));
    bare.ExpandSources(true);
    bare.BuildTargets(false);
    EXPECT_EQ(List({L"sub\\a.txt"}), bare.Target()); // the entries themselves

    CExecPathSpecs url(ACTION_COPY, 0);
    url.SetSources(R(root, Strings{L"<R>\\src\\*.txt"}));
    url.SetTarget(L"http://host/base/");
    url.ExpandSources(true);
    url.BuildTargets(false);
    EXPECT_EQ(0u, url.Target().find(L"http://host/base/sub"));
}

TEST(Targets, TargetsThatDoNotFitTakeTheirSourceOut)
{
    CTempTree tree;
    tree.Add({L"a\\long.txt", L"a\\s.txt"});
    const std::wstring root = tree.Root();
    const std::wstring target = L"D:\\" + std::wstring(execpath::MAX_PATH_CHARS - 3 - 7, L't');
    CExecPathSpecs e(ACTION_COPY, 0);
    e.SetSources(R(root, Strings{L"<R>\\a\\long.txt", L"<R>\\a\\s.txt"}));
    e.SetTarget(target);
    e.ExpandSources(true);
    CTraceLines trace(2);
    e.BuildTargets(false);
    EXPECT_EQ(R(root, Strings{L"<R>\\a\\s.txt"}), e.Sources());
    EXPECT_EQ(List({target + L"\\s.txt"}), e.Target());
    EXPECT_EQ(R(root, List({L"<R>\\a\\s.txt"})), e.SourceList());
    EXPECT_EQ(R(root, Strings{L"Path too long [" + target + L"\\long.txt]",
                              L"No target for [<R>\\a\\long.txt]"}),
              trace.Lines());
}

TEST(MakeTarget, CreatesMissingComponentsOneByOne)
{
    CTempTree tree;
    tree.Add({L"m1\\", L"file"});
    const std::wstring root = tree.Root();
    {
        CExecPathSpecs trial(ACTION_COPY, OPT_TRIAL_RUN);
        trial.MakeTarget(R(root, L"<R>\\m1\\m2\\m3"));
        EXPECT_FALSE(Exists(R(root, L"<R>\\m1\\m2")));
    }
    CExecPathSpecs e(ACTION_COPY, 0);
    CTraceLines trace(2);
    e.MakeTarget(R(root, L"<R>\\m1\\m2\\m3\\"));
    EXPECT_TRUE(Exists(R(root, L"<R>\\m1\\m2\\m3")));
    EXPECT_EQ(
        R(root, Strings{L"  Target [<R>\\m1\\m2] created", L"  Target [<R>\\m1\\m2\\m3] created"}),
        trace.Lines());

    e.MakeTarget(R(root, L"<R>\\file\\sub"));
    EXPECT_EQ(1u, trace.With(R(root, L"Create Target [<R>\\file\\sub]").c_str()).size());
    const size_t lines = trace.Lines().size();
    e.MakeTarget(L"C:\\");
    e.MakeTarget(L"http://host/x");
    EXPECT_EQ(lines, trace.Lines().size());
}
