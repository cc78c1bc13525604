// The path object: splitting and combining local, UNC, root and URL forms,
// the remainder below a base folder, the rename-keeping variant, and the
// path predicates the expansion relies on.
#include <gtest/gtest.h>

#include "EngineTestSupport.h"
#include "TaskelExecPath.h"

using namespace execpath;

TEST(PathObject, SplitLocalFileFolderAndRoot)
{
    CShellFilePath p;
    p.Split(L"C:\\data\\x.txt");
    EXPECT_EQ(L"C:\\data", p.Folder(false));
    EXPECT_EQ(L"x.txt", p.FilePart());
    EXPECT_EQ(L"C:\\data\\x.txt", p.Combine());

    p.Split(L"C:\\data\\");
    EXPECT_EQ(L"C:\\data", p.Folder(false));
    EXPECT_EQ(L"", p.FilePart());
    EXPECT_EQ(L"C:\\data\\", p.Combine()); // a folder spec combines back with its backslash

    p.Split(L"C:\\data\\sub\\..\\x.txt");
    EXPECT_EQ(L"C:\\data\\x.txt", p.Combine());

    p.Split(L"C:\\");
    EXPECT_EQ(L"C:\\", p.Folder(false));
    EXPECT_EQ(L"", p.FilePart());
    EXPECT_EQ(L"C:\\", p.Combine());

    p.Split(L"C:\\x.txt");
    EXPECT_EQ(L"C:\\", p.Folder(true));
    EXPECT_EQ(L"C:\\x.txt", p.Combine());
}

TEST(PathObject, SplitUncAndUrl)
{
    CShellFilePath p;
    p.Split(L"\\\\server\\share\\dir\\a.txt");
    EXPECT_EQ(L"\\\\server\\share\\dir", p.Folder(false));
    EXPECT_EQ(L"a.txt", p.FilePart());

    p.Split(L"\\\\server\\share\\");
    EXPECT_EQ(L"", p.FilePart());
    EXPECT_TRUE(IsRootOrShare(p.Combine()));

    p.Split(L"http://example.com/a b/c.txt");
    EXPECT_EQ(L"", p.FilePart()); // a URL is all folder
    EXPECT_EQ(0u, p.Folder(false).find(L"http://example.com/a"));
    EXPECT_EQ(std::wstring::npos, p.Folder(false).find(L' ')); // escaped

    p.Split(L"file:///C:/data/x.txt");
    EXPECT_EQ(L"C:\\data", p.Folder(false));
    EXPECT_EQ(L"x.txt", p.FilePart());
}

TEST(PathObject, SplitAndCombineTraceAtLevelFour)
{
    CTraceLines trace(4);
    CShellFilePath p;
    p.Split(L"C:\\data\\x.txt");
    p.Combine();
    EXPECT_TRUE(trace.Has(L"Split [C:\\data\\x.txt] to [C:\\data] [x.txt]"));
    EXPECT_TRUE(trace.Has(L"Combine [C:\\data] [x.txt] to [C:\\data\\x.txt]"));
}

TEST(PathObject, RemainderBelowBaseFolder)
{
    CShellFilePath p;
    p.Split(L"C:\\logs\\2*\\app\\*.txt");
    p.SetBaseFolder(L"C:\\logs\\2*");
    EXPECT_EQ(L"C:\\logs\\2*\\", p.BaseFolder());
    EXPECT_EQ(L"app\\", p.Remainder());
    p.SetBaseFolder(L"C:\\logs\\2*\\app\\");
    EXPECT_EQ(L"", p.Remainder());
    p.SetFolder(L"C:\\logs\\2*\\app\\deep\\er\\");
    EXPECT_EQ(L"C:\\logs\\2*\\app\\deep\\er", p.Folder(false));
    EXPECT_EQ(L"deep\\er\\", p.Remainder());
}

TEST(PathObject, RenameKeepingVariant)
{
    CExecFilePath p;
    p.SetSpec(L"C:\\in\\*.txt>*.bak");
    EXPECT_EQ(L"C:\\in", p.Folder(false));
    EXPECT_EQ(L"*.txt>*.bak", p.FilePart());
    p.SetFilePart(L"*.*");
    EXPECT_EQ(L"*.*>*.bak", p.FilePart());
    EXPECT_EQ(L"*.bak", p.TakeRenamePart());
    EXPECT_EQ(L"*.*", p.FilePart());

    p.SetSpec(L"C:\\in\\a.txt|b.txt"); // "|" separates too, ">" re-attaches
    EXPECT_EQ(L"a.txt>b.txt", p.FilePart());
    p.SetFilePart(L"c.txt");
    EXPECT_EQ(L"c.txt", p.FilePart());
}

TEST(PathPredicates, RootsSharesFolderSpecsAndRenameParts)
{
    EXPECT_TRUE(IsRootOrShare(L"C:\\"));
    EXPECT_TRUE(IsRootOrShare(L"C:"));
    EXPECT_TRUE(IsRootOrShare(L"\\\\server"));
    EXPECT_TRUE(IsRootOrShare(L"\\\\server\\share"));
    EXPECT_TRUE(IsRootOrShare(L"\\\\server\\share\\"));
    EXPECT_FALSE(IsRootOrShare(L"\\\\server\\share\\dir"));
    EXPECT_FALSE(IsRootOrShare(L"C:\\dir"));
    EXPECT_FALSE(IsRootOrShare(L"http://server/"));

    EXPECT_TRUE(IsFolderSpec(L""));
    EXPECT_TRUE(IsFolderSpec(L"C:\\data\\"));
    EXPECT_TRUE(IsFolderSpec(L"http://server/x"));
    EXPECT_FALSE(IsFolderSpec(L"C:\\data"));
    EXPECT_EQ(L"data", FileNamePart(L"C:\\data"));
    EXPECT_EQ(L"", FileNamePart(L"C:\\data\\"));

    EXPECT_TRUE(IsDriveRelative(L"\\dir\\x"));
    EXPECT_FALSE(IsDriveRelative(L"\\\\server\\share"));
    EXPECT_TRUE(NeedsBase(L"dir\\x"));
    EXPECT_FALSE(NeedsBase(L"C:\\dir"));

    std::wstring path, rename;
    SplitRenamePart(L"C:\\in\\*.txt>*.bak", path, rename);
    EXPECT_EQ(L"C:\\in\\*.txt", path);
    EXPECT_EQ(L"*.bak", rename);
    SplitRenamePart(L"C:\\in\\", path, rename); // a folder spec has no rename part
    EXPECT_EQ(L"", rename);
    SplitRenamePart(L"http://x/a>b", path, rename); // nor has a URL
    EXPECT_EQ(L"http://x/a>b", path);
    EXPECT_EQ(L"", rename);

    EXPECT_EQ(L"C:\\", RemoveBackslash(L"C:\\"));
    EXPECT_EQ(L"C:\\a", RemoveBackslash(L"C:\\a\\"));
    EXPECT_EQ(L"C:\\", ParentFolder(L"C:\\a"));
    EXPECT_EQ(L"C:\\a", ParentFolder(L"C:\\a\\b\\"));
    EXPECT_TRUE(EqualNoCase(L"C:\\ABC\\x", L"c:\\abc\\X"));
}
