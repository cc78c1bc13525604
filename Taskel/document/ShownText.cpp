// Escaping of file-provided text for display.
#include "ShownText.h"

#include "TaskelOptions.h"
#include "resource.h"

bool ShownEscaped(wchar_t c)
{
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x061C || c == 0x200E || c == 0x200F ||
           c == 0x2028 || c == 0x2029 || (c >= 0x202A && c <= 0x202E) ||
           (c >= 0x2066 && c <= 0x2069);
}

std::wstring EscapedCharacter(wchar_t c)
{
    static const wchar_t kHex[] = L"0123456789ABCDEF";
    std::wstring escaped = L"<U+";
    for (int shift = 12; shift >= 0; shift -= 4)
        escaped += kHex[(c >> shift) & 0xF];
    return escaped + L'>';
}

std::wstring ShownText(const std::wstring &text, size_t maxUnits)
{
    std::wstring shown;
    for (size_t i = 0; i < text.size(); ++i)
    {
        std::wstring piece;
        if (ShownEscaped(text[i]))
            piece = EscapedCharacter(text[i]);
        else if (IS_HIGH_SURROGATE(text[i]) && i + 1 < text.size() && IS_LOW_SURROGATE(text[i + 1]))
        {
            piece.assign(&text[i], 2);
            ++i;
        }
        else
            piece.assign(1, text[i]);
        if (shown.size() + piece.size() > maxUnits) return shown + L'\x2026';
        shown += piece;
    }
    return shown;
}

UINT ActionPhraseId(uint32_t storedAction)
{
    switch (storedAction)
    {
    case ACTION_MOVE:
        return IDS_INFOTIP_MOVE;
    case ACTION_COPY:
        return IDS_INFOTIP_COPY;
    case ACTION_RENAME:
        return IDS_INFOTIP_RENAME;
    case ACTION_DELETE:
        return IDS_INFOTIP_DELETE;
    case ACTION_MOVERENAME:
        return IDS_INFOTIP_MOVERENAME;
    case ACTION_COPYRENAME:
        return IDS_INFOTIP_COPYRENAME;
    default:
        return 0;
    }
}
