// Message boxes of the library, their test sink and their capture log.
#include "TaskelMessage.h"

#include "UniqueHandle.h"
#include "resource.h"

namespace
{

MessageSink g_sink = nullptr;

void AppendToMessageLog(UINT stringId, const std::wstring &text)
{
    wchar_t logPath[MAX_PATH];
    DWORD length = ::GetEnvironmentVariableW(L"FERROVANE_MESSAGE_LOG", logPath, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return;
    std::wstring line = std::to_wstring(stringId) + L"|" + text + L"\r\n";
    int bytes = ::WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()),
                                      nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return;
    std::string utf8(bytes, '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), &utf8[0], bytes,
                          nullptr, nullptr);
    fx::unique_file log(::CreateFileW(logPath, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (log) ::WriteFile(log.get(), utf8.data(), static_cast<DWORD>(bytes), &written, nullptr);
}

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
    AppendToMessageLog(stringId, text);
    std::wstring caption = LoadTaskelString(IDS_APP_TITLE);
    return ::MessageBoxW(owner, text.c_str(), caption.empty() ? L"Ferrovane" : caption.c_str(),
                         flags);
}
