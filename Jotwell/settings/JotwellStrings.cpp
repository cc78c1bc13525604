// Loading and formatting the library's texts.
#include "JotwellStrings.h"

#include "PropertyPageExEx.h"

std::wstring LoadJotwellString(UINT id)
{
    const wchar_t *text = nullptr;
    int length = ::LoadStringW(UikitModule(), id, reinterpret_cast<LPWSTR>(&text), 0);
    return length > 0 && text ? std::wstring(text, static_cast<size_t>(length)) : std::wstring();
}

std::wstring FormatJotwellString(const std::wstring &format, const std::wstring &insert)
{
    std::wstring text;
    for (size_t i = 0; i < format.size(); ++i)
    {
        if (format[i] == L'%' && i + 1 < format.size() && format[i + 1] == L'1')
        {
            text += insert;
            ++i;
        }
        else
        {
            text += format[i];
        }
    }
    return text;
}
