// Message boxes of the library and their test sink.
#include "TaskelMessage.h"

#include "FxException.h"
#include "resource.h"

namespace
{

MessageSink g_sink = nullptr;

} // namespace

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

void ShowExceptionMessage(HWND owner, const fx::CException &e)
{
    const std::wstring message = e.MessageText();
    if (!message.empty()) ShowTaskelMessage(owner, 0, message);
}

void ShowFailure(HWND owner, HRESULT failure, const TraceSite &site)
{
    const fx::COleException exception(failure);
    TraceException(2, exception, site.source, site.line);
    ShowExceptionMessage(owner, exception);
}

std::wstring FileFailureText(const std::wstring &path, HRESULT failure)
{
    std::wstring reason = fx::COleException(failure).MessageText();
    while (!reason.empty() && (reason.back() == L'\n' || reason.back() == L'\r'))
        reason.pop_back();
    return reason.empty() ? path : path + L"\r\n\r\n" + reason;
}

void ShowFileFailure(HWND owner, const std::wstring &path, HRESULT failure, const TraceSite &site)
{
    TraceException(2, fx::COleException(failure), site.source, site.line);
    ShowTaskelMessage(owner, 0, FileFailureText(path, failure));
}
