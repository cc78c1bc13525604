// The path dialog: its template is built in memory (the library's resource
// scripts stay free of it), the Browse button uses the shell's folder
// browser, OK hands back the combined path.
#define TRACE_SOURCE "UiKit\\PathDialog"
#include "PathDialog.h"

#include <shlobj.h>
#include <shlwapi.h>

#include <vector>

#include "RegKey.h"
#include "FxException.h"
#include "Trace.h"

namespace
{

std::wstring g_profileKey = L"Software\\Veltrac\\Ferrovane";

class TemplateWriter
{
  public:
    void Align()
    {
        while (m_bytes.size() % 4)
            m_bytes.push_back(0);
    }
    void Word(WORD w) { Raw(&w, sizeof(w)); }
    void Text(const std::wstring &s) { Raw(s.c_str(), (s.size() + 1) * sizeof(wchar_t)); }
    template <class T> void Struct(const T &t) { Raw(&t, sizeof(t)); }
    void Item(DWORD style, short x, short y, short cx, short cy, WORD id, WORD classAtom,
              const std::wstring &text)
    {
        Align();
        DLGITEMTEMPLATE item{};
        item.style = style | WS_CHILD | WS_VISIBLE;
        item.x = x;
        item.y = y;
        item.cx = cx;
        item.cy = cy;
        item.id = id;
        Struct(item);
        Word(0xFFFF);
        Word(classAtom);
        Text(text);
        Word(0);
    }
    std::vector<BYTE> &Bytes() { return m_bytes; }

  private:
    void Raw(const void *p, size_t n)
    {
        const BYTE *b = static_cast<const BYTE *>(p);
        m_bytes.insert(m_bytes.end(), b, b + n);
    }
    std::vector<BYTE> m_bytes;
};

bool StartsWithNoCase(const std::wstring &text, const std::wstring &prefix)
{
    return !prefix.empty() && text.size() >= prefix.size() &&
           CompareStringOrdinal(text.c_str(), static_cast<int>(prefix.size()), prefix.c_str(),
                                static_cast<int>(prefix.size()), TRUE) == CSTR_EQUAL;
}

std::wstring Trimmed(const std::wstring &text)
{
    size_t first = text.find_first_not_of(L" \t\r\n");
    if (first == std::wstring::npos) return std::wstring();
    return text.substr(first, text.find_last_not_of(L" \t\r\n") - first + 1);
}

} // namespace

CPathDialog::CPathDialog(std::wstring title, std::wstring settingsKey, std::wstring baseFolder,
                         std::wstring path)
    : m_title(std::move(title)), m_settingsKey(std::move(settingsKey)),
      m_base(std::move(baseFolder)), m_path(std::move(path))
{
}

void CPathDialog::SetProfileKey(const std::wstring &key)
{
    g_profileKey = key;
}

bool CPathDialog::ReadRelative(const std::wstring &settingsKey)
{
    fx::CRegKey key(HKEY_CURRENT_USER, (g_profileKey + L"\\" + settingsKey).c_str());
    fx::CRegDWord value(key.Handle(), L"Relative");
    return value.Value() != 0;
}

INT_PTR CPathDialog::DoModal(HWND owner)
{
    TemplateWriter t;
    DLGTEMPLATE dlg{};
    dlg.style = DS_SETFONT | DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU;
    dlg.cdit = 4;
    dlg.cx = 260;
    dlg.cy = 50;
    t.Struct(dlg);
    t.Word(0); // menu
    t.Word(0); // class
    t.Text(m_title);
    t.Word(8);
    t.Text(L"MS Shell Dlg");
    t.Item(ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 7, 7, 246, 14, IDC_PATH_EDIT, 0x0081, L"");
    t.Item(BS_PUSHBUTTON | WS_TABSTOP, 7, 29, 60, 14, IDC_PATH_BROWSE, 0x0080, m_browse);
    t.Item(BS_DEFPUSHBUTTON | WS_TABSTOP, 142, 29, 52, 14, IDOK, 0x0080, L"OK");
    t.Item(BS_PUSHBUTTON | WS_TABSTOP, 201, 29, 52, 14, IDCANCEL, 0x0080, L"Cancel");
    return ::DialogBoxIndirectParamW(::GetModuleHandleW(nullptr),
                                     reinterpret_cast<DLGTEMPLATE *>(t.Bytes().data()), owner, Proc,
                                     reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK CPathDialog::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    try
    {
        if (message == WM_INITDIALOG)
        {
            ::SetWindowLongPtrW(window, DWLP_USER, lParam);
            auto *self = reinterpret_cast<CPathDialog *>(lParam);
            ::SetDlgItemTextW(window, IDC_PATH_EDIT, self->m_path.c_str());
            return TRUE;
        }
        auto *self = reinterpret_cast<CPathDialog *>(::GetWindowLongPtrW(window, DWLP_USER));
        if (!self || message != WM_COMMAND) return FALSE;
        switch (LOWORD(wParam))
        {
        case IDC_PATH_BROWSE:
            self->OnBrowse(window);
            return TRUE;
        case IDOK:
            self->OnOk(window);
            ::EndDialog(window, IDOK);
            return TRUE;
        case IDCANCEL:
            ::EndDialog(window, IDCANCEL);
            return TRUE;
        default:
            return FALSE;
        }
    }
    TRACE_CATCH_ALL(4)
    return FALSE;
}

void CPathDialog::OnBrowse(HWND window)
{
    wchar_t text[MAX_PATH * 2] = {};
    ::GetDlgItemTextW(window, IDC_PATH_EDIT, text, MAX_PATH * 2);
    std::wstring current = Trimmed(text);
    std::wstring file;
    if (!current.empty() && current.back() != L'\\') file = PathFindFileNameW(current.c_str());

    BROWSEINFOW info{};
    info.hwndOwner = window;
    info.lpszTitle = m_title.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    PIDLIST_ABSOLUTE pidl = ::SHBrowseForFolderW(&info);
    if (!pidl) return;
    wchar_t folder[MAX_PATH] = {};
    BOOL ok = ::SHGetPathFromIDListW(pidl, folder);
    ::CoTaskMemFree(pidl);
    if (!ok) return;
    std::wstring path = folder;
    if (!path.empty() && path.back() != L'\\') path += L'\\';
    path += file;
    ::SetDlgItemTextW(window, IDC_PATH_EDIT, path.c_str());
}

void CPathDialog::OnOk(HWND window)
{
    wchar_t text[MAX_PATH * 2] = {};
    ::GetDlgItemTextW(window, IDC_PATH_EDIT, text, MAX_PATH * 2);
    m_path = Trimmed(text);
    std::wstring base = m_base;
    if (!base.empty() && base.back() != L'\\') base += L'\\';
    if (ReadRelative(m_settingsKey) && StartsWithNoCase(m_path, base))
        m_path = m_path.substr(base.size());
}
