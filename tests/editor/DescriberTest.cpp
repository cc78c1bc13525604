// The markup parser, the path describer's phrases (with the library's own
// phrase texts) and the entry texts of both views.
#include <gtest/gtest.h>

#include "PathDescriber.h"
#include "RtfMarkup.h"
#include "ShellFolderCache.h"
#include "TaskelEntryText.h"
#include "TaskelOptions.h"
#include "TaskelStrings.h"
#include "resource.h"

namespace
{

bool FakeLabel(const std::wstring &root, std::wstring &label)
{
    if (root == L"C:\\")
        label = L"Main";
    else if (root == L"D:\\")
        label = L"";
    else
        return false;
    return true;
}

bool FakeName(const std::wstring &folder, std::wstring &name)
{
    if (folder != L"C:\\Users\\me\\Documents") return false;
    name = L"My Documents";
    return true;
}

std::wstring Plain(const std::wstring &path, const std::wstring &rename = L"", bool renames = false)
{
    SetTaskelResourceModule(GetModuleHandleW(nullptr));
    DescribeContext c;
    c.loadString = [](UINT id) { return LoadTaskelString(id); };
    c.firstPhrase = IDS_DESCRIBE_FIRST;
    c.volumeLabel = FakeLabel;
    c.displayName = FakeName;
    if (renames)
    {
        c.renamedByPattern = IDS_RENAMED_BY_PATTERN;
        c.renamedTo = IDS_RENAMED_TO;
    }
    std::wstring markup;
    if (!DescribePath(path, rename, c, markup)) return L"<failed>";
    return StripRtfMarkup(markup);
}

} // namespace

TEST(RtfMarkup, ControlWordsRunsAndPlainBackslashes)
{
    auto runs =
        ParseRtfMarkup(L"Show:\\n\\cf2\\b All files\\b0\\cf0  in \\cf1 C:\\My Documents\\*.*\\cf0");
    ASSERT_EQ(runs.size(), 5u);
    EXPECT_EQ(runs[0].text, L"Show:");
    EXPECT_TRUE(runs[1].lineBreak);
    EXPECT_EQ(runs[2].text, L"All files");
    EXPECT_TRUE(runs[2].bold);
    EXPECT_EQ(runs[2].colour, 2);
    EXPECT_EQ(runs[3].text, L" in ");
    EXPECT_FALSE(runs[3].bold);
    EXPECT_EQ(runs[4].text, L"C:\\My Documents\\*.*");
    EXPECT_EQ(runs[4].colour, 1);
    EXPECT_EQ(StripRtfMarkup(L"\\b %1\\b0  version %2\n%3", L"|"), L"%1 version %2|%3");
    // An escaped path keeps a component that looks like a control word.
    EXPECT_EQ(StripRtfMarkup(EscapeRtfText(L"C:\\b\\cf1\\n")), L"C:\\b\\cf1\\n");
    EXPECT_EQ(StripRtfMarkup(L"\\cf9 x\\bold"), L"\\cf9 x\\bold");
}

TEST(Describer, FilesPatternsFoldersAndDisks)
{
    EXPECT_EQ(Plain(L"C:\\Users\\me\\Documents\\*.*"),
              L"All files in My Documents in Users\\me on disk Main (C:)");
    EXPECT_EQ(Plain(L"C:\\Data\\*.txt"), L"All .txt files in Data on disk Main (C:)");
    EXPECT_EQ(Plain(L"C:\\Data\\rep*.txt"), L"Files matching rep*.txt in Data on disk Main (C:)");
    EXPECT_EQ(Plain(L"C:\\Data\\report.txt"), L"report.txt in Data on disk Main (C:)");
    EXPECT_EQ(Plain(L"C:\\Data\\"), L"Data on disk Main (C:)");
    EXPECT_EQ(Plain(L"C:\\*"), L"All files on disk Main (C:)");
    EXPECT_EQ(Plain(L"C:\\"), L"Everything on disk Main (C:)");
    EXPECT_EQ(Plain(L"D:\\x.txt"), L"x.txt on disk D:"); // no label
    EXPECT_EQ(Plain(L"E:\\x.txt"), L"x.txt on disk E:"); // label not known yet
}

TEST(Describer, SharesComputersAddressesAndRenames)
{
    EXPECT_EQ(Plain(L"\\\\srv\\pub\\in\\*.doc"),
              L"All .doc files in in on share pub on computer srv");
    EXPECT_EQ(Plain(L"\\\\srv\\pub"), L"share pub on computer srv");
    EXPECT_EQ(Plain(L"\\\\srv"), L"computer srv");
    EXPECT_EQ(Plain(L"http://example.com/x"), L"web address http://example.com/x");
    EXPECT_EQ(Plain(L"C:\\in\\*.txt", L"*.bak", true),
              L"All .txt files in in on disk Main (C:), renamed by the pattern *.bak");
    EXPECT_EQ(Plain(L"C:\\in\\a.txt", L"b.txt", true),
              L"a.txt in in on disk Main (C:), renamed to b.txt");
    EXPECT_EQ(Plain(L"C:\\in\\a.txt", L"b.txt", false), L"a.txt in in on disk Main (C:)");
    EXPECT_EQ(Plain(L"relative\\x.txt"), L"<failed>");
}

TEST(EntryText, SpecificationViewShowsBelowTheBaseRelative)
{
    const std::wstring base = L"C:\\Jobs\\";
    EXPECT_EQ(SpecDisplayText(L"in\\*.txt", base), L"in\\*.txt");
    EXPECT_EQ(SpecDisplayText(L"C:\\Jobs\\in\\*.txt>*.bak", base), L"in\\*.txt>*.bak");
    EXPECT_EQ(SpecDisplayText(L"..\\Other\\a.txt", base), L"C:\\Other\\a.txt");
    EXPECT_EQ(SpecDisplayText(L"D:\\x\\", base), L"D:\\x\\");
    EXPECT_EQ(SpecDisplayText(L"\\Data\\x.txt", base), L"\\Data\\x.txt");
    EXPECT_EQ(SpecDisplayText(L"http://h/x", base), L"http://h/x");
    EXPECT_EQ(SpecDisplayText(L"", base), L"");
}

TEST(EntryText, DescriptionFallsBackToTheCombinedPath)
{
    SetTaskelResourceModule(GetModuleHandleW(nullptr));
    std::wstring folder =
        StripRtfMarkup(DescriptionMarkup(L"in\\", L"C:\\Jobs\\", EDIT_ACTION_COPY));
    EXPECT_EQ(folder.rfind(L"in in Jobs on disk ", 0), 0u) << folder;
    // Without a base, a relative entry cannot be described: its text shows.
    EXPECT_EQ(StripRtfMarkup(DescriptionMarkup(L"rel\\a.txt", L"", EDIT_ACTION_COPY)),
              L"rel\\a.txt");
}

TEST(EntryText, TypedAndPastedTexts)
{
    const std::wstring base = L"C:\\Jobs\\";
    EXPECT_TRUE(EntryAccepted(L"in\\*.txt", base));
    EXPECT_TRUE(EntryAccepted(L"C:\\a\\b\\", base));
    EXPECT_TRUE(EntryAccepted(L"C:\\in\\*.txt>*.bak", base));
    EXPECT_TRUE(EntryAccepted(L"\\\\srv\\share\\x", base));
    EXPECT_TRUE(EntryAccepted(L"http://example.com/a", base));
    EXPECT_FALSE(EntryAccepted(L"C:\\a\\\"b", base));
    EXPECT_FALSE(EntryAccepted(L"C:\\a:b", base));
    EXPECT_FALSE(EntryAccepted(L"C:\\in\\a.txt>x\\y", base));
    EXPECT_FALSE(EntryAccepted(L"C:\\" + std::wstring(300, L'a'), base));
    EXPECT_FALSE(EntryAccepted(L"   ", base));

    EXPECT_EQ(NormalisePastedPath(L" C:\\Jobs\\in\\a.txt ", base, true), L"in\\a.txt");
    EXPECT_EQ(NormalisePastedPath(L"C:\\Jobs\\in\\a.txt", base, false), L"C:\\Jobs\\in\\a.txt");
    EXPECT_EQ(NormalisePastedPath(L"C:\\Other\\.\\a.txt", base, true), L"C:\\Other\\a.txt");
    EXPECT_EQ(NormalisePastedPath(L"in\\..\\b\\", base, false), L"C:\\Jobs\\b\\");
}
