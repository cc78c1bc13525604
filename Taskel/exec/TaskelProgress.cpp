// The runner's tray icon holder: hidden window, animation loading and the
// switch between the preparing and the action animation.
#define TRACE_SOURCE "Taskel\\TaskelExec"
#include "TaskelProgress.h"

#include "FxException.h"
#include "Trace.h"

namespace
{
const wchar_t WINDOW_CLASS[] = L"FerrovaneTrayProgress";

bool RegisterWindowClass(HMODULE module, WNDPROC procedure)
{
    WNDCLASSW existing;
    if (GetClassInfoW(module, WINDOW_CLASS, &existing)) return true;
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = module;
    windowClass.lpszClassName = WINDOW_CLASS;
    TRACE_HERE();
    return RegisterClassW(&windowClass) != 0 ||
           LogWinErr(2, GetLastError()) == ERROR_CLASS_ALREADY_EXISTS;
}
} // namespace

HMODULE TaskelCodeModule()
{
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                           GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&TaskelCodeModule), &module);
    return module;
}

CTaskelProgress::CTaskelProgress(HWND owner, HMODULE resources)
    : m_module(resources ? resources : TaskelCodeModule())
{
    if (owner && !IsWindow(owner)) owner = nullptr;
    if (!RegisterWindowClass(m_module, WindowProc)) return;
    TRACE_HERE();
    m_window =
        CreateWindowExW(0, WINDOW_CLASS, L"", WS_POPUP, 0, 0, 0, 0, owner, nullptr, m_module, this);
    if (!m_window) LogWinErr(2, GetLastError());
}

CTaskelProgress::~CTaskelProgress()
{
    m_icon.Remove();
    if (m_window) DestroyWindow(m_window);
}

void CTaskelProgress::Show(int iconId, int titleId)
{
    if (!m_window || !IsWindow(m_window) || m_refused) return;
    if (m_icon.IsShown() && iconId == m_iconId && titleId == m_titleId) return;
    std::unique_ptr<CAniRes> animation(new CAniRes());
    if (!animation->Load(m_module, static_cast<UINT>(iconId))) return;
    wchar_t title[MAX_PATH] = {};
    LoadStringW(m_module, static_cast<UINT>(titleId), title, MAX_PATH);

    bool shown;
    if (!m_icon.IsShown())
    {
        shown = m_icon.Add(m_window, animation.get(), title);
        // The runner goes on without a tray icon rather than waiting for
        // the notification area at every later step.
        m_refused = !shown;
    }
    else
        shown = m_icon.Modify(animation.get(), title);
    if (!shown) return;
    m_animation = std::move(animation);
    m_iconId = iconId;
    m_titleId = titleId;
}

LRESULT CALLBACK CTaskelProgress::WindowProc(HWND window, UINT message, WPARAM wParam,
                                             LPARAM lParam)
{
    try
    {
        if (message == WM_NCCREATE)
        {
            const CREATESTRUCTW *create = reinterpret_cast<const CREATESTRUCTW *>(lParam);
            SetWindowLongPtrW(window, GWLP_USERDATA,
                              reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        }
        CTaskelProgress *self =
            reinterpret_cast<CTaskelProgress *>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (message == WM_TIMER && self)
        {
            self->m_icon.OnTimer(wParam);
            return 0;
        }
    }
    TRACE_CATCH_ALL(2)
    return DefWindowProcW(window, message, wParam, lParam);
}
