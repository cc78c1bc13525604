// The library's texts, loaded from the module set at start-up.
#include "TaskelStrings.h"

namespace
{
HINSTANCE g_resourceModule = nullptr;
}

void SetTaskelResourceModule(HINSTANCE module)
{
    g_resourceModule = module;
}

std::wstring LoadTaskelString(UINT id)
{
    const wchar_t *text = nullptr;
    int length = ::LoadStringW(g_resourceModule, id, reinterpret_cast<LPWSTR>(&text), 0);
    return length > 0 && text ? std::wstring(text, length) : std::wstring();
}

std::wstring FormatTaskelString(UINT id, const std::wstring &arg)
{
    std::wstring text = LoadTaskelString(id);
    for (size_t at = text.find(L"%1"); at != std::wstring::npos; at = text.find(L"%1", at))
    {
        text.replace(at, 2, arg);
        at += arg.size();
    }
    return text;
}
