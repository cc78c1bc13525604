// The small rich-text markup of the editor's labels, radios and list boxes:
// "\b" and "\b0" switch bold on and off, "\cf1" to "\cf4" select a colour of
// the colour table and "\cf0" the default colour, "\n" (or a line feed)
// breaks the line, "\\" is a backslash. A control word ends at the first
// character that is not a letter or digit; one space after it belongs to it.
// Any other backslash is plain text, so paths stay readable.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct RtfRun
{
    std::wstring text;
    bool bold = false;
    int colour = 0;         // 0 = default, 1 to 4 = colour table
    bool lineBreak = false; // the run is a line break (no text)
};

// Splits `markup` into runs of equal format (empty runs are dropped).
std::vector<RtfRun> ParseRtfMarkup(const std::wstring &markup);
// The text without markup; line breaks become "\n" or `lineBreak`.
std::wstring StripRtfMarkup(const std::wstring &markup, const std::wstring &lineBreak = L"\n");
// `text` with every backslash doubled, so it shows as it is inside markup.
std::wstring EscapeRtfText(const std::wstring &text);

// The colours of the colour table (1 to 4).
COLORREF RtfTableColour(int index);

// Draws `runs` into `rect` with `font` and a bold variant `boldFont`, in the
// default colour `text` (the table colours unless `plainColours`). Returns
// the height used.
int DrawRtfRuns(HDC dc, const RECT &rect, const std::vector<RtfRun> &runs, HFONT font,
                HFONT boldFont, COLORREF text, bool plainColours);
