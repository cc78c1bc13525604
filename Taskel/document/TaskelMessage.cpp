// Message boxes of the library and their test sink.
#include "TaskelMessage.h"

#include <cwchar>

#include "FxException.h"
#include "resource.h"

namespace
{

MessageSink g_sink = nullptr;

// The captions for the next message box this thread activates.
thread_local const QuestionButtons *t_relabel = nullptr;

bool IsDialogWindow(HWND window)
{
    wchar_t name[16] = L"";
    return ::GetClassNameW(window, name, ARRAYSIZE(name)) && wcscmp(name, L"#32770") == 0;
}

// Renames the buttons when the message box is first activated: it has all
// its controls then and is not yet painted.
LRESULT CALLBACK RelabelQuestion(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_ACTIVATE && t_relabel)
    {
        HWND box = reinterpret_cast<HWND>(wParam);
        if (IsDialogWindow(box) && ::GetDlgItem(box, IDYES) && ::GetDlgItem(box, IDNO))
        {
            ::SetDlgItemTextW(box, IDYES, t_relabel->yes.c_str());
            ::SetDlgItemTextW(box, IDNO, t_relabel->no.c_str());
            t_relabel = nullptr;
        }
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

// The relabelling hook for the time of one message box on this thread.
class CRelabelScope
{
  public:
    explicit CRelabelScope(const QuestionButtons &buttons)
        : m_hook(::SetWindowsHookExW(WH_CBT, RelabelQuestion, nullptr, ::GetCurrentThreadId()))
    {
        t_relabel = &buttons;
    }
    ~CRelabelScope()
    {
        t_relabel = nullptr;
        if (m_hook) ::UnhookWindowsHookEx(m_hook);
    }
    CRelabelScope(const CRelabelScope &) = delete;
    CRelabelScope &operator=(const CRelabelScope &) = delete;

  private:
    HHOOK m_hook;
};

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

int ShowTaskelQuestion(HWND owner, UINT stringId, const std::wstring &text, UINT flags,
                       const QuestionButtons &buttons)
{
    if (g_sink) return g_sink(owner, stringId, text, flags);
    CRelabelScope relabel(buttons);
    return ShowTaskelMessage(owner, stringId, text, flags);
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
