// The rename pattern on its own: the documented examples, the extension
// rules and the character rule's edges.
#include <gtest/gtest.h>

#include "RenamePattern.h"

TEST(RenamePattern, DocumentedExamples)
{
    EXPECT_EQ(L"report.bak", ApplyRenamePattern(L"report.txt", L"*.bak"));
    EXPECT_EQ(L"0042.jpg", ApplyRenamePattern(L"IMG_0042.jpg", L"~~~~*"));
    EXPECT_EQ(L"xa.txt", ApplyRenamePattern(L"data.txt", L"x?"));
}

TEST(RenamePattern, MissingOrEmptyExtensionPatternKeepsTheOldExtension)
{
    EXPECT_EQ(L"report.txt", ApplyRenamePattern(L"report.txt", L"*."));
    EXPECT_EQ(L"new.txt", ApplyRenamePattern(L"report.txt", L"new"));
    EXPECT_EQ(L"README", ApplyRenamePattern(L"README", L"*"));
    EXPECT_EQ(L"README.bak", ApplyRenamePattern(L"README", L"*.bak"));
}

TEST(RenamePattern, FolderIsKeptAndOnlyTheNameChanges)
{
    EXPECT_EQ(L"C:\\d\\a.bak", ApplyRenamePattern(L"C:\\d\\a.txt", L"*.bak"));
    EXPECT_EQ(L"C:\\a.bak", ApplyRenamePattern(L"C:\\a.txt", L"*.bak"));
    EXPECT_EQ(L"D:\\out\\sub\\a.bak", ApplyRenamePattern(L"D:\\out\\sub\\a.txt", L"*.bak"));
    // The dot of a folder name is no extension.
    EXPECT_EQ(L"C:\\v1.2\\readme.bak", ApplyRenamePattern(L"C:\\v1.2\\readme", L"*.bak"));
}

TEST(RenamePattern, CharacterRule)
{
    // "?" copies the character at its own position, even after a "~".
    EXPECT_EQ(L"ac", ApplyPatternPiece(L"abc", L"a~?"));
    EXPECT_EQ(L"bc", ApplyPatternPiece(L"abc", L"~??"));
    // "?" past the end of the old text copies nothing.
    EXPECT_EQ(L"ab", ApplyPatternPiece(L"ab", L"???"));
    // Other characters replace one old character each; "*" copies the rest.
    EXPECT_EQ(L"XYc", ApplyPatternPiece(L"abc", L"XY*"));
    EXPECT_EQ(L"XYZW", ApplyPatternPiece(L"ab", L"XYZW*"));
    EXPECT_EQ(L"", ApplyPatternPiece(L"abc", L"~~~*"));
}

TEST(RenamePattern, ExtensionEdges)
{
    // The last dot counts; a space after it means there is no extension.
    EXPECT_EQ(L"a.b.bak", ApplyRenamePattern(L"a.b.txt", L"*.bak"));
    EXPECT_EQ(10u, ExtensionStart(L"file. name"));
    EXPECT_EQ(L"old.bak", ApplyRenamePattern(L"x.txt", L"old.bak"));
    // A name patterned away entirely becomes "*" before the extension.
    EXPECT_EQ(L"*.txt", ApplyRenamePattern(L"abc.txt", L"~~~"));
    // The extension pattern may drop the extension.
    EXPECT_EQ(L"abc", ApplyRenamePattern(L"abc.txt", L"*.~~~~"));
}
