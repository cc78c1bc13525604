// Helpers of the command page tests: the sheet host, pumping, keyboard
// state, control texts and PNG screenshots through the imaging component.
#include "PageTestSupport.h"

#include <commctrl.h>
#include <wincodec.h>

#include <vector>

#include "ComPtr.h"
#include "ShellDisplayPrefs.h"
#include "TaskelStrings.h"

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

std::wstring ListViewText(HWND list, int row)
{
    wchar_t text[1024] = {};
    LVITEMW item{};
    item.iSubItem = 0;
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
