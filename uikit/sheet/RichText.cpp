// The rich-text markup parser, its layout and drawing, and the subclass
// that paints labels and radio buttons with it.
#define TRACE_SOURCE "MfcGui\\RichText"
#include "RichText.h"

#include "FxException.h"
#include "Trace.h"

#include <commctrl.h>
#include <uxtheme.h>
#include <vsstyle.h>

#include <cwctype>
#include <memory>

namespace
{
void Append(std::vector<RichRun> &runs, const RichRun &state, wchar_t ch, bool &pendingBreak)
{
    if (runs.empty() || pendingBreak || runs.back().bold != state.bold ||
        runs.back().colour != state.colour)
    {
        RichRun run = state;
        run.lineBreak = pendingBreak;
        runs.push_back(run);
        pendingBreak = false;
    }
    runs.back().text += ch;
}

void StartLine(std::vector<RichRun> &runs, const RichRun &state, bool &pendingBreak)
{
    // Two breaks in a row keep an empty line.
    if (pendingBreak)
    {
        RichRun empty = state;
        empty.lineBreak = true;
        runs.push_back(empty);
    }
    pendingBreak = true;
}
} // namespace

std::vector<RichRun> ParseRichText(const std::wstring &markup)
{
    std::vector<RichRun> runs;
    RichRun state;
    bool pendingBreak = false;
    for (size_t i = 0; i < markup.size();)
    {
        const wchar_t ch = markup[i];
        if (ch == L'\r')
        {
            ++i;
            continue;
        }
        if (ch == L'\n')
        {
            StartLine(runs, state, pendingBreak);
            ++i;
            continue;
        }
        if (ch != L'\\' || i + 1 >= markup.size())
        {
            Append(runs, state, ch, pendingBreak);
            ++i;
            continue;
        }
        // A control word: letters, then an optional number, then one optional space.
        size_t end = i + 1;
        while (end < markup.size() && std::iswalpha(markup[end]))
            ++end;
        const std::wstring word = markup.substr(i + 1, end - i - 1);
        size_t digits = end;
        while (digits < markup.size() && std::iswdigit(markup[digits]))
            ++digits;
        const std::wstring number = markup.substr(end, digits - end);
        if (word.empty())
        {
            // "\\" is one backslash; before anything else a backslash is text.
            Append(runs, state, L'\\', pendingBreak);
            i += markup[i + 1] == L'\\' ? 2 : 1;
            continue;
        }
        size_t next = digits;
        if (next < markup.size() && markup[next] == L' ') ++next;
        if (word == L"b" && (number.empty() || number == L"0" || number == L"1"))
            state.bold = number != L"0";
        else if (word == L"cf" && !number.empty() && number.size() <= 2)
            state.colour = std::stoi(number) <= 4 ? std::stoi(number) : 0;
        else if (word == L"n" && number.empty())
            StartLine(runs, state, pendingBreak);
        else if (word == L"par" && number.empty())
            StartLine(runs, state, pendingBreak);
        else
        {
            // Not markup: the text stays as written.
            for (size_t k = i; k < digits; ++k)
                Append(runs, state, markup[k], pendingBreak);
            next = digits;
        }
        i = next;
    }
    if (pendingBreak)
    {
        RichRun empty = state;
        empty.lineBreak = true;
        runs.push_back(empty);
    }
    return runs;
}

std::wstring RichPlainText(const std::vector<RichRun> &runs)
{
    std::wstring text;
    for (const RichRun &run : runs)
    {
        if (run.lineBreak) text += L'\n';
        text += run.text;
    }
    return text;
}

COLORREF RichColour(int index, bool enabled)
{
    if (!enabled) return ::GetSysColor(COLOR_GRAYTEXT);
    switch (index)
    {
    case 1:
        return RGB(0, 0, 160);
    case 2:
        return RGB(0, 112, 0);
    case 3:
        return RGB(160, 0, 0);
    case 4:
        return RGB(128, 0, 128);
    default:
        return ::GetSysColor(COLOR_BTNTEXT);
    }
}

int DrawRichText(HDC dc, const RECT &bounds, const std::vector<RichRun> &runs, HFONT font,
                 bool enabled, bool measureOnly)
{
    LOGFONTW description{};
    ::GetObjectW(font, sizeof(description), &description);
    description.lfWeight = FW_BOLD;
    HFONT bold = ::CreateFontIndirectW(&description);
    HGDIOBJ previous = ::SelectObject(dc, font);
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(dc, &metrics);
    const int lineHeight = metrics.tmHeight;
    const int width = bounds.right - bounds.left;
    const int oldMode = ::SetBkMode(dc, TRANSPARENT);

    int x = 0;
    int y = 0;
    for (const RichRun &run : runs)
    {
        if (run.lineBreak)
        {
            x = 0;
            y += lineHeight;
        }
        ::SelectObject(dc, run.bold && bold ? bold : font);
        ::SetTextColor(dc, RichColour(run.colour, enabled));
        // Words (with the spaces after them) wrap as a whole.
        for (size_t start = 0; start < run.text.size();)
        {
            size_t end = run.text.find(L' ', start);
            end = end == std::wstring::npos ? run.text.size() : end;
            while (end < run.text.size() && run.text[end] == L' ')
                ++end;
            const std::wstring word = run.text.substr(start, end - start);
            SIZE size{};
            ::GetTextExtentPoint32W(dc, word.c_str(), static_cast<int>(word.size()), &size);
            size_t trimmed = word.find_last_not_of(L' ');
            SIZE inkSize = size;
            if (trimmed != std::wstring::npos && trimmed + 1 < word.size())
                ::GetTextExtentPoint32W(dc, word.c_str(), static_cast<int>(trimmed + 1), &inkSize);
            if (x > 0 && x + inkSize.cx > width)
            {
                x = 0;
                y += lineHeight;
            }
            if (!measureOnly)
                ::ExtTextOutW(dc, bounds.left + x, bounds.top + y, ETO_CLIPPED, &bounds,
                              word.c_str(), static_cast<UINT>(word.size()), nullptr);
            x += size.cx;
            start = end;
        }
    }
    ::SetBkMode(dc, oldMode);
    ::SelectObject(dc, previous);
    if (bold) ::DeleteObject(bold);
    return y + lineHeight;
}

namespace
{
constexpr UINT_PTR kRichSubclassId = 0x21C7;
// Marks a control that paints rich text and leads to its runs (MinGW's
// comctl32 import library has no GetWindowSubclass).
const wchar_t kRichProperty[] = L"Ferrovane.RichText";

struct RichControl
{
    std::vector<RichRun> runs;
};

bool IsCheckButton(HWND control, bool &radio)
{
    wchar_t className[16] = {};
    ::GetClassNameW(control, className, 16);
    if (lstrcmpiW(className, L"Button") != 0) return false;
    const LONG_PTR type = ::GetWindowLongPtrW(control, GWL_STYLE) & BS_TYPEMASK;
    radio = type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON;
    return radio || type == BS_CHECKBOX || type == BS_AUTOCHECKBOX;
}

void Paint(HWND control, HDC dc, const RichControl &rich)
{
    RECT client;
    ::GetClientRect(control, &client);
    HWND parent = ::GetParent(control);
    // The dialog's background (themed pages paint their own).
    HBRUSH background = reinterpret_cast<HBRUSH>(::SendMessageW(parent, WM_CTLCOLORSTATIC,
                                                                reinterpret_cast<WPARAM>(dc),
                                                                reinterpret_cast<LPARAM>(control)));
    ::FillRect(dc, &client, background ? background : ::GetSysColorBrush(COLOR_BTNFACE));

    HFONT font = reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0));
    if (!font) font = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    const bool enabled = ::IsWindowEnabled(control) != FALSE;
    RECT text = client;
    bool radio = false;
    if (IsCheckButton(control, radio))
    {
        const int box = ::GetSystemMetrics(SM_CYMENUCHECK);
        const LRESULT state = ::SendMessageW(control, BM_GETSTATE, 0, 0);
        RECT glyph = {0, 1, box, 1 + box};
        HTHEME theme = ::IsAppThemed() ? ::OpenThemeData(control, L"BUTTON") : nullptr;
        if (theme)
        {
            const bool checked = (state & BST_CHECKED) != 0;
            const bool pushed = (state & BST_PUSHED) != 0;
            int part = radio ? BP_RADIOBUTTON : BP_CHECKBOX;
            int themeState = !enabled ? (checked ? RBS_CHECKEDDISABLED : RBS_UNCHECKEDDISABLED)
                             : pushed ? (checked ? RBS_CHECKEDPRESSED : RBS_UNCHECKEDPRESSED)
                                      : (checked ? RBS_CHECKEDNORMAL : RBS_UNCHECKEDNORMAL);
            ::DrawThemeBackground(theme, dc, part, themeState, &glyph, nullptr);
            ::CloseThemeData(theme);
        }
        else
        {
            UINT flags = radio ? DFCS_BUTTONRADIO : DFCS_BUTTONCHECK;
            if (state & BST_CHECKED) flags |= DFCS_CHECKED;
            if (state & BST_PUSHED) flags |= DFCS_PUSHED;
            if (!enabled) flags |= DFCS_INACTIVE;
            ::DrawFrameControl(dc, &glyph, DFC_BUTTON, flags);
        }
        text.left = box + 4;
    }
    const int height = DrawRichText(dc, text, rich.runs, font, enabled);
    if (::GetFocus() == control &&
        !(::SendMessageW(control, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS))
    {
        RECT focus = {text.left - 1, text.top, text.right, text.top + height + 1};
        if (focus.bottom > client.bottom) focus.bottom = client.bottom;
        ::DrawFocusRect(dc, &focus);
    }
}

// Messages after which a button has drawn itself directly: draw over it.
bool Repaints(UINT message)
{
    switch (message)
    {
    case BM_SETCHECK:
    case BM_SETSTATE:
    case BM_CLICK:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CAPTURECHANGED:
    case WM_UPDATEUISTATE:
    case WM_SETTEXT:
        return true;
    default:
        return false;
    }
}

LRESULT CALLBACK RichProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                          DWORD_PTR data)
{
    auto *rich = reinterpret_cast<RichControl *>(data);
    try
    {
        switch (message)
        {
        case WM_PAINT: {
            PAINTSTRUCT paint;
            HDC dc = ::BeginPaint(control, &paint);
            Paint(control, dc, *rich);
            ::EndPaint(control, &paint);
            return 0;
        }
        case WM_PRINTCLIENT:
            Paint(control, reinterpret_cast<HDC>(wParam), *rich);
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_NCDESTROY:
            ::RemoveWindowSubclass(control, RichProc, kRichSubclassId);
            ::RemovePropW(control, kRichProperty);
            delete rich;
            return ::DefSubclassProc(control, message, wParam, lParam);
        default:
            break;
        }
        const LRESULT result = ::DefSubclassProc(control, message, wParam, lParam);
        if (Repaints(message))
            ::RedrawWindow(control, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        return result;
    }
    TRACE_CATCH_ALL(2)
    return 0;
}
} // namespace

bool AttachRichText(HWND control, const std::wstring &markup)
{
    if (!control) return false;
    auto rich = std::make_unique<RichControl>();
    rich->runs = ParseRichText(markup);
    if (auto *existing = static_cast<RichControl *>(::GetPropW(control, kRichProperty)))
    {
        existing->runs = rich->runs;
    }
    else
    {
        if (!::SetWindowSubclass(control, RichProc, kRichSubclassId,
                                 reinterpret_cast<DWORD_PTR>(rich.get())))
            return false;
        ::SetPropW(control, kRichProperty, rich.release());
    }
    ::SetWindowTextW(control, RichPlainText(ParseRichText(markup)).c_str());
    ::InvalidateRect(control, nullptr, TRUE);
    return true;
}

bool AttachRichText(HWND control)
{
    const int length = ::GetWindowTextLengthW(control);
    std::wstring markup(static_cast<size_t>(length > 0 ? length : 0) + 1, L'\0');
    const int copied = ::GetWindowTextW(control, &markup[0], length + 1);
    markup.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    return AttachRichText(control, markup);
}
