// The preview window on a thread of its own, and its controls driven from
// the test's thread.
#include "PreviewTestSupport.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include "PreviewResources.h"
#include "TestWindows.h"

CPreviewHost::CPreviewHost(const PreviewSource &source) : m_source(source)
{
    m_thread.reset(::CreateThread(nullptr, 0, &CPreviewHost::Thread, this, 0, &m_threadId));
    EXPECT_TRUE(m_thread.is_valid());
}

CPreviewHost::~CPreviewHost()
{
    if (!m_thread) return;
    if (!Ended())
    {
        if (m_window && ::IsWindow(m_window))
            ::PostMessageW(m_window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        EXPECT_TRUE(WaitEnded(30000));
    }
}

DWORD WINAPI CPreviewHost::Thread(void *self) noexcept
{
    try
    {
        auto *host = static_cast<CPreviewHost *>(self);
        ShowPreviewWindow(nullptr, host->m_source);
    }
    catch (...)
    {
        ADD_FAILURE() << "ShowPreviewWindow threw";
    }
    return 0;
}

namespace
{
BOOL CALLBACK FindVisibleDialog(HWND window, LPARAM found)
{
    wchar_t name[32] = {};
    ::GetClassNameW(window, name, 32);
    if (std::wstring(name) == L"#32770" && ::IsWindowVisible(window))
    {
        *reinterpret_cast<HWND *>(found) = window;
        return FALSE;
    }
    return TRUE;
}
} // namespace

HWND CPreviewHost::WaitForWindow()
{
    WaitUntil([&] {
        HWND found = nullptr;
        ::EnumThreadWindows(m_threadId, FindVisibleDialog, reinterpret_cast<LPARAM>(&found));
        m_window = found;
        return found != nullptr || Ended();
    });
    return m_window;
}

bool CPreviewHost::WaitEnded(DWORD timeoutMs)
{
    return WaitUntil([&] { return Ended(); }, timeoutMs);
}

bool CPreviewHost::Ended() const
{
    return !m_thread || ::WaitForSingleObject(m_thread.get(), 0) == WAIT_OBJECT_0;
}

std::wstring WindowText(HWND window)
{
    wchar_t text[1024] = {};
    ::GetWindowTextW(window, text, 1024);
    return text;
}

int ItemCount(HWND list)
{
    return static_cast<int>(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
}

std::wstring ListText(HWND list, int row, int column)
{
    wchar_t text[1024] = {};
    LVITEMW item = {};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = 1024;
    ::SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row),
                   reinterpret_cast<LPARAM>(&item));
    return text;
}

void Click(HWND dialog, int id)
{
    ::PostMessageW(::GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

void ChooseFilter(HWND dialog, int index)
{
    HWND combo = ::GetDlgItem(dialog, IDC_PREVIEW_FILTER);
    ::SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_PREVIEW_FILTER, CBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(combo));
}

std::wstring ClipboardText()
{
    std::wstring text;
    if (!::OpenClipboard(nullptr)) return text;
    if (HANDLE data = ::GetClipboardData(CF_UNICODETEXT))
    {
        if (const auto *chars = static_cast<const wchar_t *>(::GlobalLock(data)))
        {
            text = chars;
            ::GlobalUnlock(data);
        }
    }
    ::CloseClipboard();
    return text;
}

void EmptyTheClipboard()
{
    if (!::OpenClipboard(nullptr)) return;
    ::EmptyClipboard();
    ::CloseClipboard();
}
