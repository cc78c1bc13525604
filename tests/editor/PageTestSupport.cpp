// Helpers of the command page tests: the sheet host, pumping, keyboard
// state, control texts, the preview window read from a worker thread and
// PNG screenshots through the imaging component.
#include "PageTestSupport.h"

#include <commctrl.h>
#include <wincodec.h>

#include <vector>

#include "ComPtr.h"
#include "PreviewResources.h"
#include "ShellDisplayPrefs.h"
#include "TaskelStrings.h"
#include "UniqueHandle.h"

void SetDescriptionView(bool descriptions)
{
    ShellDisplayPrefs prefs = GetShellDisplayPrefs();
    prefs.showDescriptions = descriptions;
    SetShellDisplayPrefs(prefs);
}

CPageHost::CPageHost(const std::wstring &path, bool readOnly, bool descriptions)
{
    SetTaskelResourceModule(::GetModuleHandleW(nullptr));
    SetDescriptionView(descriptions);
    m_page = std::make_unique<CTaskelPropPage>(::GetModuleHandleW(nullptr));
    m_page->SetFileName(path);
    m_load = m_page->Load(nullptr, readOnly);
    if (FAILED(m_load)) return;
    HPROPSHEETPAGE handle = m_page->Create();
    PROPSHEETHEADERW header{};
    header.dwSize = sizeof(header);
    header.dwFlags = PSH_MODELESS;
    header.hInstance = ::GetModuleHandleW(nullptr);
    header.pszCaption = L"Page test - Ferrovane";
    header.nPages = 1;
    header.phpage = &handle;
    m_sheet = reinterpret_cast<HWND>(::PropertySheetW(&header));
    if (m_sheet)
    {
        ::ShowWindow(m_sheet, SW_SHOW);
        ::SetForegroundWindow(m_sheet);
    }
    PumpFor(50);
}

CPageHost::~CPageHost()
{
    if (m_sheet) ::DestroyWindow(m_sheet);
    PumpFor(10);
}

CControlKeyDown::CControlKeyDown()
{
    BYTE keys[256] = {};
    ::GetKeyboardState(keys);
    keys[VK_CONTROL] = 0x80;
    ::SetKeyboardState(keys);
}

CControlKeyDown::~CControlKeyDown()
{
    BYTE keys[256] = {};
    ::GetKeyboardState(keys);
    keys[VK_CONTROL] = 0;
    ::SetKeyboardState(keys);
}

std::wstring ListViewText(HWND list, int row, int column)
{
    wchar_t text[1024] = {};
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = 1024;
    ::SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row),
                   reinterpret_cast<LPARAM>(&item));
    return text;
}

int ListViewCount(HWND list)
{
    return static_cast<int>(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
}

std::wstring ListBoxText(HWND list, int row)
{
    LRESULT n = ::SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(row), 0);
    if (n < 0) return std::wstring();
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    ::SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&text[0]));
    text.resize(static_cast<size_t>(n));
    return text;
}

int ListBoxCount(HWND list)
{
    return static_cast<int>(::SendMessageW(list, LB_GETCOUNT, 0, 0));
}

std::wstring WindowText(HWND window)
{
    wchar_t text[512] = {};
    ::GetWindowTextW(window, text, 512);
    return text;
}

std::wstring SaveScreenshot(HWND window, const std::wstring &name)
{
    wchar_t folder[MAX_PATH] = {};
    if (!::GetEnvironmentVariableW(L"FERROVANE_BUILD_DIR", folder, MAX_PATH))
        ::GetTempPathW(MAX_PATH, folder);
    std::wstring dir = folder;
    if (!dir.empty() && dir.back() != L'\\' && dir.back() != L'/') dir += L'\\';
    dir += L"screenshots";
    ::CreateDirectoryW(dir.c_str(), nullptr);
    const std::wstring path = dir + L"\\" + name;

    ::RedrawWindow(window, nullptr, nullptr,
                   RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_ERASE);
    PumpFor(200);
    RECT r{};
    ::GetWindowRect(window, &r);
    const int width = r.right - r.left, height = r.bottom - r.top;
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void *bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
    ::SelectObject(memory, old);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);

    fx::ComPtr<IWICImagingFactory> factory;
    fx::ComPtr<IWICStream> stream;
    fx::ComPtr<IWICBitmapEncoder> encoder;
    fx::ComPtr<IWICBitmapFrameEncode> frame;
    bool ok = SUCCEEDED(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                           IID_IWICImagingFactory, factory.put_void())) &&
              SUCCEEDED(factory->CreateStream(stream.put())) &&
              SUCCEEDED(stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE)) &&
              SUCCEEDED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.put())) &&
              SUCCEEDED(encoder->Initialize(stream.get(), WICBitmapEncoderNoCache)) &&
              SUCCEEDED(encoder->CreateNewFrame(frame.put(), nullptr)) &&
              SUCCEEDED(frame->Initialize(nullptr)) &&
              SUCCEEDED(frame->SetSize(static_cast<UINT>(width), static_cast<UINT>(height)));
    if (ok)
    {
        WICPixelFormatGUID format = GUID_WICPixelFormat32bppBGR;
        ok = SUCCEEDED(frame->SetPixelFormat(&format)) &&
             SUCCEEDED(frame->WritePixels(static_cast<UINT>(height), static_cast<UINT>(width * 4),
                                          static_cast<UINT>(width * 4 * height),
                                          static_cast<BYTE *>(bits))) &&
             SUCCEEDED(frame->Commit()) && SUCCEEDED(encoder->Commit());
    }
    ::DeleteObject(bitmap);
    return ok ? path : std::wstring();
}

namespace
{

struct PreviewWatch
{
    DWORD threadId = 0;
    std::wstring title;
    std::wstring screenshotName;
    std::function<bool()> ran;
    PreviewSeen seen;
};

struct TitleSearch
{
    const std::wstring *title;
    HWND found;
};

BOOL CALLBACK FindTitled(HWND window, LPARAM param)
{
    auto *search = reinterpret_cast<TitleSearch *>(param);
    if (!::IsWindowVisible(window) || WindowText(window) != *search->title) return TRUE;
    search->found = window;
    return FALSE;
}

// Any owned dialog of the thread: a window under another title still has to
// close, or the click would never return.
BOOL CALLBACK FindOwnedDialog(HWND window, LPARAM param)
{
    wchar_t name[32] = {};
    ::GetClassNameW(window, name, 32);
    if (std::wstring(name) != L"#32770" || !::GetWindow(window, GW_OWNER)) return TRUE;
    *reinterpret_cast<HWND *>(param) = window;
    return FALSE;
}

// The plan is whole once the progress line no longer says it is looking.
bool PreviewFilled(HWND window)
{
    const std::wstring progress = WindowText(::GetDlgItem(window, IDC_PREVIEW_PROGRESS));
    return !progress.empty() && progress.find(L"Looking") == std::wstring::npos;
}

DWORD WINAPI WatchPreview(void *param) noexcept
{
    auto &watch = *static_cast<PreviewWatch *>(param);
    TitleSearch search{&watch.title, nullptr};
    WaitUntil(
        [&] {
            search.found = nullptr;
            ::EnumThreadWindows(watch.threadId, FindTitled, reinterpret_cast<LPARAM>(&search));
            return search.found != nullptr;
        },
        20000);
    HWND window = search.found;
    if (!window)
    {
        ::EnumThreadWindows(watch.threadId, FindOwnedDialog, reinterpret_cast<LPARAM>(&window));
        if (window) ::PostMessageW(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        return 0;
    }
    if (WaitUntil([&] { return PreviewFilled(window); }, 20000))
    {
        PreviewSeen &seen = watch.seen;
        seen.shown = true;
        seen.owner = ::GetWindow(window, GW_OWNER);
        seen.ownerEnabled = seen.owner && ::IsWindowEnabled(seen.owner);
        seen.runShown = ::IsWindowVisible(::GetDlgItem(window, IDC_PREVIEW_RUN)) != FALSE;
        HWND list = ::GetDlgItem(window, IDC_PREVIEW_LIST);
        const int count = ListViewCount(list);
        for (int row = 0; row < count; ++row)
            seen.rows.push_back({ListViewText(list, row, 0), ListViewText(list, row, 1),
                                 ListViewText(list, row, 2), ListViewText(list, row, 3)});
        if (!watch.screenshotName.empty())
        {
            const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
            seen.screenshot = SaveScreenshot(window, watch.screenshotName);
            if (SUCCEEDED(com)) ::CoUninitialize();
        }
        if (watch.ran && seen.runShown)
        {
            ::PostMessageW(::GetDlgItem(window, IDC_PREVIEW_RUN), BM_CLICK, 0, 0);
            seen.ran = WaitUntil(watch.ran, 20000);
        }
    }
    ::PostMessageW(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    return 0;
}

} // namespace

PreviewSeen PreviewFromButton(HWND button, const std::wstring &title,
                              const std::wstring &screenshotName, const std::function<bool()> &ran)
{
    PreviewWatch watch;
    watch.threadId = ::GetCurrentThreadId();
    watch.title = title;
    watch.screenshotName = screenshotName;
    watch.ran = ran;
    fx::unique_handle worker(::CreateThread(nullptr, 0, WatchPreview, &watch, 0, nullptr));
    if (!worker) return watch.seen;
    ::SendMessageW(button, BM_CLICK, 0, 0);
    // The window has closed (or never opened): the worker ends on its own.
    ::WaitForSingleObject(worker.get(), 45000);
    return watch.seen;
}
