// Rich-text labels and radio buttons for a small markup: "\b" and "\b0"
// turn bold on and off, "\cf1" to "\cf4" pick an entry of the colour table
// and "\cf0" the normal text colour, "\n" (or a line break) starts a new
// line. A control word ends at the next non-letter, non-digit character; a
// single space after it belongs to the control word. Parsing is a plain
// function; the controls keep their platform behaviour (a radio button
// still checks, clicks and answers BM_GETCHECK) and only paint differently.
// Their window text becomes the plain text, so screen readers read words.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct RichRun
{
    std::wstring text;
    bool bold = false;
    int colour = 0;         // 0 = the normal text colour, 1-4 = table entries
    bool lineBreak = false; // the run starts a new line
};

std::vector<RichRun> ParseRichText(const std::wstring &markup);
// The text without markup, lines joined with "\n".
std::wstring RichPlainText(const std::vector<RichRun> &runs);
// The colour table entries 1-4; anything else gives the normal text colour.
COLORREF RichColour(int index, bool enabled);

// Lays the runs out in `bounds` (word wrap at its width) and draws them
// unless `measureOnly`; returns the height used.
int DrawRichText(HDC dc, const RECT &bounds, const std::vector<RichRun> &runs, HFONT font,
                 bool enabled, bool measureOnly = false);

// Paints `control` (a static label or a radio button or check box) with
// the rich text of `markup` from now on; the window text becomes the plain
// text. The control keeps the markup until it is destroyed.
bool AttachRichText(HWND control, const std::wstring &markup);
// Takes the control's current window text as the markup.
bool AttachRichText(HWND control);
