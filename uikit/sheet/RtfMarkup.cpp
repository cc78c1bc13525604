// Parsing and drawing of the editor's rich-text markup.
#include "RtfMarkup.h"

#include <cwctype>

namespace
{

bool IsWordChar(wchar_t c)
{
    return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9');
}

struct Builder
{
    std::vector<RtfRun> runs;
    RtfRun current;

    void Flush()
    {
        if (!current.text.empty()) runs.push_back(current);
        current.text.clear();
    }
    void Break()
    {
        Flush();
        RtfRun br;
        br.lineBreak = true;
        br.bold = current.bold;
        br.colour = current.colour;
        runs.push_back(br);
    }
};

} // namespace

std::vector<RtfRun> ParseRtfMarkup(const std::wstring &markup)
{
    Builder b;
    const size_t n = markup.size();
    for (size_t i = 0; i < n;)
    {
        wchar_t c = markup[i];
        if (c == L'\n')
        {
            b.Break();
            ++i;
            continue;
        }
        if (c == L'\r')
        {
            ++i;
            continue;
        }
        if (c != L'\\')
        {
            b.current.text += c;
            ++i;
            continue;
        }
        if (i + 1 < n && markup[i + 1] == L'\\')
        {
            b.current.text += L'\\';
            i += 2;
            continue;
        }
        size_t end = i + 1;
        while (end < n && IsWordChar(markup[end]))
            ++end;
        const std::wstring word = markup.substr(i + 1, end - i - 1);
        bool known = true;
        bool bold = b.current.bold;
        int colour = b.current.colour;
        bool lineBreak = false;
        if (word == L"b")
            bold = true;
        else if (word == L"b0")
            bold = false;
        else if (word == L"n")
            lineBreak = true;
        else if (word.size() == 3 && word.compare(0, 2, L"cf") == 0 && word[2] >= L'0' &&
                 word[2] <= L'4')
            colour = word[2] - L'0';
        else
            known = false;
        if (!known)
        {
            b.current.text += c;
            ++i;
            continue;
        }
        if (end < n && markup[end] == L' ') ++end;
        i = end;
        if (lineBreak)
        {
            b.Break();
            continue;
        }
        if (bold != b.current.bold || colour != b.current.colour)
        {
            b.Flush();
            b.current.bold = bold;
            b.current.colour = colour;
        }
    }
    b.Flush();
    return b.runs;
}

std::wstring StripRtfMarkup(const std::wstring &markup, const std::wstring &lineBreak)
{
    std::wstring text;
    for (const RtfRun &run : ParseRtfMarkup(markup))
        text += run.lineBreak ? lineBreak : run.text;
    return text;
}

std::wstring EscapeRtfText(const std::wstring &text)
{
    std::wstring out;
    out.reserve(text.size() + 8);
    for (wchar_t c : text)
    {
        if (c == L'\\') out += L'\\';
        out += c;
    }
    return out;
}

COLORREF RtfTableColour(int index)
{
    switch (index)
    {
    case 1:
        return RGB(0, 0, 160); // folders
    case 2:
        return RGB(0, 112, 0); // files and patterns
    case 3:
        return RGB(112, 0, 112); // computers, shares, addresses
    case 4:
        return RGB(160, 0, 0); // disks
    default:
        return CLR_INVALID;
    }
}

int DrawRtfRuns(HDC dc, const RECT &rect, const std::vector<RtfRun> &runs, HFONT font,
                HFONT boldFont, COLORREF text, bool plainColours)
{
    TEXTMETRICW tm{};
    HGDIOBJ old = ::SelectObject(dc, font);
    ::GetTextMetricsW(dc, &tm);
    const int lineHeight = tm.tmHeight;
    int x = rect.left;
    int y = rect.top;
    const int oldMode = ::SetBkMode(dc, TRANSPARENT);
    const COLORREF oldColour = ::GetTextColor(dc);
    for (const RtfRun &run : runs)
    {
        if (run.lineBreak)
        {
            x = rect.left;
            y += lineHeight;
            continue;
        }
        ::SelectObject(dc, run.bold && boldFont ? boldFont : font);
        COLORREF colour = plainColours || run.colour == 0 ? text : RtfTableColour(run.colour);
        ::SetTextColor(dc, colour);
        SIZE size{};
        ::GetTextExtentPoint32W(dc, run.text.c_str(), static_cast<int>(run.text.size()), &size);
        RECT clip = rect;
        ::ExtTextOutW(dc, x, y, ETO_CLIPPED, &clip, run.text.c_str(),
                      static_cast<UINT>(run.text.size()), nullptr);
        x += size.cx;
    }
    ::SetTextColor(dc, oldColour);
    ::SetBkMode(dc, oldMode);
    ::SelectObject(dc, old);
    return y + lineHeight - rect.top;
}
