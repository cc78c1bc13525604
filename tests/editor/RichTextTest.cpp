// The rich-text markup parser: bold, colours, line breaks, and text that
// only looks like markup.
#include "RichText.h"

#include <gtest/gtest.h>

TEST(RichText, ParsesBoldColoursAndLineBreaks)
{
    const auto runs =
        ParseRichText(L"Show:\n\\cf2\\b All files\\b0\\cf0  in \\cf1\\b Docs\\b0\\cf0");
    ASSERT_EQ(runs.size(), 4u);
    EXPECT_EQ(runs[0].text, L"Show:");
    EXPECT_FALSE(runs[0].bold);
    EXPECT_EQ(runs[1].text, L"All files");
    EXPECT_TRUE(runs[1].bold);
    EXPECT_EQ(runs[1].colour, 2);
    EXPECT_TRUE(runs[1].lineBreak);
    EXPECT_EQ(runs[2].text, L" in "); // one space belongs to \cf0
    EXPECT_EQ(runs[2].colour, 0);
    EXPECT_FALSE(runs[2].bold);
    EXPECT_EQ(runs[3].text, L"Docs");
    EXPECT_EQ(runs[3].colour, 1);
    EXPECT_EQ(RichPlainText(runs), L"Show:\nAll files in Docs");
}

TEST(RichText, WrittenLineBreaksAndTextThatIsNotMarkup)
{
    EXPECT_EQ(RichPlainText(ParseRichText(L"\\b Ferrovane\\b0  version 1.0\\n\\cf1 Copyright")),
              L"Ferrovane version 1.0\nCopyright"); // one space belongs to \b0
    EXPECT_EQ(RichPlainText(ParseRichText(L"C:\\My Documents\\*.*")), L"C:\\My Documents\\*.*");
    EXPECT_EQ(RichPlainText(ParseRichText(L"C:\\new\\x")), L"C:\\new\\x");
    EXPECT_EQ(RichPlainText(ParseRichText(L"a\\\\b")), L"a\\b");
    EXPECT_EQ(RichPlainText(ParseRichText(L"one\n\ntwo")), L"one\n\ntwo");
    EXPECT_EQ(ParseRichText(L"\\cf9 x")[0].colour, 0); // outside the table: normal colour
    EXPECT_TRUE(ParseRichText(L"").empty());
    EXPECT_EQ(RichPlainText(ParseRichText(L"end\\")), L"end\\");
}
