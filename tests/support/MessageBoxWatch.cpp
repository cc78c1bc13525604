// Finds, reads and dismisses the message boxes of another process (see
// MessageBoxWatch.h). WM_GETTEXT and BM_CLICK cross process boundaries:
// the system marshals them to the thread that owns the box.
#include "MessageBoxWatch.h"

#include <commctrl.h>

#include <algorithm>

#include "TestFiles.h"

namespace
{

// The message box's text control (Windows and Wine alike).
const int TEXT_CONTROL_ID = 0xFFFF;
const UINT SEND_TIMEOUT_MS = 5000;

std::wstring ClassOf(HWND window)
{
    wchar_t name[64] = L"";
    ::GetClassNameW(window, name, ARRAYSIZE(name));
    return name;
}

std::wstring TextOf(HWND window)
{
    DWORD_PTR length = 0;
    if (!::SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, SEND_TIMEOUT_MS,
                               &length))
        return std::wstring();
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!::SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]),
                               SMTO_ABORTIFHUNG, SEND_TIMEOUT_MS, &copied))
        return std::wstring();
    text.resize(std::min<size_t>(copied, length));
    return text;
}

struct Search
{
    DWORD processId;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectBox(HWND window, LPARAM param)
{
    Search &search = *reinterpret_cast<Search *>(param);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner == search.processId && ::IsWindowVisible(window) && ClassOf(window) == L"#32770")
        search.found.push_back(window);
    return TRUE;
}

BOOL CALLBACK CollectChild(HWND child, LPARAM param)
{
    reinterpret_cast<std::vector<HWND> *>(param)->push_back(child);
    return TRUE;
}

std::vector<HWND> ChildrenOf(HWND window)
{
    std::vector<HWND> children;
    ::EnumChildWindows(window, CollectChild, reinterpret_cast<LPARAM>(&children));
    return children;
}

// A property sheet: a dialog with a tab control of its own.
bool IsPropertySheet(HWND box)
{
    return ::FindWindowExW(box, nullptr, L"SysTabControl32", nullptr) != nullptr;
}

ShownMessage Read(HWND box)
{
    ShownMessage shown;
    wchar_t caption[512] = L"";
    ::GetWindowTextW(box, caption, ARRAYSIZE(caption));
    shown.caption = caption;
    if (IsPropertySheet(box))
    {
        shown.text = L"(property sheet)";
        return shown;
    }
    for (HWND child : ChildrenOf(box))
    {
        if (ClassOf(child) != L"Button") continue;
        shown.buttons.push_back(TextOf(child));
        const LONG style = ::GetWindowLongW(child, GWL_STYLE);
        if ((style & BS_TYPEMASK) == BS_DEFPUSHBUTTON) shown.defaultButton = shown.buttons.back();
    }
    if (HWND text = ::GetDlgItem(box, TEXT_CONTROL_ID))
    {
        shown.text = TextOf(text);
        return shown;
    }
    // Without the usual text control: the longest static text.
    for (HWND child : ChildrenOf(box))
    {
        if (ClassOf(child) != L"Static") continue;
        std::wstring text = TextOf(child);
        if (text.size() > shown.text.size()) shown.text = text;
    }
    return shown;
}

// Clicks OK, else Cancel, else No (a question's safe answer), else the first
// button of the box; a property sheet is cancelled.
void Dismiss(HWND box)
{
    DWORD_PTR result = 0;
    if (IsPropertySheet(box))
    {
        ::SendMessageTimeoutW(box, PSM_PRESSBUTTON, PSBTN_CANCEL, 0, SMTO_ABORTIFHUNG,
                              SEND_TIMEOUT_MS, &result);
        return;
    }
    HWND button = ::GetDlgItem(box, IDOK);
    if (!button) button = ::GetDlgItem(box, IDCANCEL);
    if (!button) button = ::GetDlgItem(box, IDNO);
    for (HWND child : ChildrenOf(box))
        if (!button && ClassOf(child) == L"Button") button = child;
    if (button)
        ::SendMessageTimeoutW(button, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, SEND_TIMEOUT_MS, &result);
    else
        ::PostMessageW(box, WM_CLOSE, 0, 0);
}

} // namespace

CMessageBoxWatcher::CMessageBoxWatcher(DWORD processId) : m_processId(processId)
{
    m_thread = std::thread([this] {
        while (!m_stop)
        {
            Poll();
            ::Sleep(50);
        }
    });
}

CMessageBoxWatcher::~CMessageBoxWatcher()
{
    Stop();
}

std::vector<ShownMessage> CMessageBoxWatcher::Stop()
{
    if (m_thread.joinable())
    {
        m_stop = true;
        m_thread.join();
        Poll();
    }
    std::lock_guard<std::mutex> lock(m_lock);
    return m_shown;
}

void CMessageBoxWatcher::Poll()
{
    Search search = {m_processId, {}};
    ::EnumWindows(CollectBox, reinterpret_cast<LPARAM>(&search));
    // A box still there from an earlier look was clicked already: click
    // again, but count it once.
    std::vector<HWND> answered;
    for (HWND box : search.found)
    {
        bool seen = std::find(m_answered.begin(), m_answered.end(), box) != m_answered.end();
        if (!seen)
        {
            ShownMessage shown = Read(box);
            std::lock_guard<std::mutex> lock(m_lock);
            m_shown.push_back(shown);
        }
        Dismiss(box);
        answered.push_back(box);
    }
    m_answered = answered;
}

std::string Describe(const std::vector<ShownMessage> &shown)
{
    std::string text;
    for (const ShownMessage &message : shown)
        text += Narrow(message.caption) + ": " + Narrow(message.text) + "\n";
    return text;
}
