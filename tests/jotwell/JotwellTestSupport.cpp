// The in-process sheet host and the control helpers of the Jotwell tests;
// this test program's trace profile.
#include "JotwellTestSupport.h"

#include "Trace.h"

#include <commctrl.h>
#include <prsht.h>

TraceProfile g_traceProfile = {L"Software\\Veltrac\\JotwellTest", L"JotwellTest.log", false,
                               true};

std::wstring BuildFolder(); // tests/editor/SheetTestSupport.cpp

CExtensionSheet::CExtensionSheet(IShellPropSheetExt *extension)
{
    if (extension)
        m_addResult =
            extension->AddPages(&CExtensionSheet::AddPage, reinterpret_cast<LPARAM>(this));
}

CExtensionSheet::~CExtensionSheet()
{
    Close();
    // Pages never shown are destroyed here, as a sheet that failed would.
    if (!m_window)
        for (HPROPSHEETPAGE page : m_pages)
            ::DestroyPropertySheetPage(page);
}

BOOL CALLBACK CExtensionSheet::AddPage(HPROPSHEETPAGE page, LPARAM self)
{
    reinterpret_cast<CExtensionSheet *>(self)->m_pages.push_back(page);
    return TRUE;
}

bool CExtensionSheet::Open(const std::wstring &caption)
{
    if (m_pages.empty()) return false;
    PROPSHEETHEADERW header = {};
    header.dwSize = sizeof(header);
    header.dwFlags = PSH_MODELESS | PSH_NOCONTEXTHELP;
    header.pszCaption = caption.c_str();
    header.nPages = static_cast<UINT>(m_pages.size());
    header.phpage = m_pages.data();
    m_window = reinterpret_cast<HWND>(::PropertySheetW(&header));
    if (!m_window || m_window == reinterpret_cast<HWND>(-1))
    {
        m_window = nullptr;
        return false;
    }
    ::ShowWindow(m_window, SW_SHOW);
    PumpFor(300);
    return true;
}

HWND CExtensionSheet::CurrentPage() const
{
    return m_window ? reinterpret_cast<HWND>(::SendMessageW(m_window, PSM_GETCURRENTPAGEHWND, 0, 0))
                    : nullptr;
}

void CExtensionSheet::Press(int button)
{
    if (!m_window) return;
    PressButton(m_window, button);
}

void CExtensionSheet::Close()
{
    if (!m_window) return;
    if (CurrentPage()) Press(PSBTN_CANCEL);
    if (::IsWindow(m_window)) ::DestroyWindow(m_window);
    PumpFor(200);
    m_window = nullptr;
    m_pages.clear();
}

void Click(HWND dialog, int id)
{
    ::SendMessageW(::GetDlgItem(dialog, id), BM_CLICK, 0, 0);
    PumpFor(50);
}

void TypeInto(HWND dialog, int id, const std::wstring &text, int next)
{
    HWND edit = ::GetDlgItem(dialog, id);
    ::SetFocus(edit);
    ::SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    ::SetFocus(::GetDlgItem(dialog, next));
    PumpFor(50);
}

std::wstring TextOf(HWND dialog, int id)
{
    wchar_t text[1024] = L"";
    ::GetDlgItemTextW(dialog, id, text, ARRAYSIZE(text));
    return text;
}

bool IsEnabled(HWND dialog, int id)
{
    return ::IsWindowEnabled(::GetDlgItem(dialog, id)) != FALSE;
}

bool IsChecked(HWND dialog, int id)
{
    return ::IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

std::wstring ScreenshotFolder()
{
    const std::wstring folder = BuildFolder() + L"screenshots\\";
    ::CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}
