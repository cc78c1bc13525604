// Message boxes of the library and their test sink.
#include "TaskelMessage.h"

namespace
{

HINSTANCE g_resourceModule = nullptr;
MessageSink g_sink = nullptr;

} // namespace

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

MessageSink SetMessageSink(MessageSink sink)
{
    MessageSink previous = g_sink;
    g_sink = sink;
    return previous;
}

int ShowTaskelMessage(HWND owner, UINT stringId, const std::wstring &text, UINT flags)
{
    if (g_sink) return g_sink(owner, stringId, text, flags);
    std::wstring caption = LoadTaskelString(IDS_APP_TITLE);
    return ::MessageBoxW(owner, text.c_str(), caption.empty() ? L"Ferrovane" : caption.c_str(),
                         flags);
}
