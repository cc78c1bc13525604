// The Preferences page: rich-text choices, the product line and link, the
// display settings in and out of the controls, and "Advanced >>".
#define TRACE_SOURCE "Taskel\\TaskelPreferences"
#include "TaskelPreferences.h"

#include "DialogControls.h"
#include "FxException.h"
#include "RichText.h"
#include "TaskelStrings.h"
#include "Trace.h"
#include "VersionInfo.h"
#include "resource.h"

#include <shellapi.h>

const wchar_t kProductWebPage[] = L"https://www.veltrac.com/ferrovane.htm";

namespace
{
std::wstring FormatInserts(const std::wstring &format, const std::wstring inserts[3])
{
    std::wstring text;
    for (size_t i = 0; i < format.size(); ++i)
    {
        if (format[i] == L'%' && i + 1 < format.size() && format[i + 1] >= L'1' &&
            format[i + 1] <= L'3')
        {
            text += inserts[format[i + 1] - L'1'];
            ++i;
        }
        else
        {
            text += format[i];
        }
    }
    return text;
}
} // namespace

int PreferencesSelection(const ShellDisplayPrefs &prefs)
{
    return prefs.showDescriptions ? 0 : 1;
}

ShellDisplayPrefs PreferencesFromControls(int selection, bool showHidden)
{
    ShellDisplayPrefs prefs;
    prefs.showDescriptions = selection == 0;
    prefs.showHiddenFolders = showHidden;
    return prefs;
}

std::wstring ProductLine(HMODULE module)
{
    const std::wstring inserts[3] = {LoadTaskelString(IDS_APP_TITLE), ModuleFileVersion(module),
                                     ModuleVersionString(module, L"LegalCopyright")};
    return FormatInserts(LoadTaskelString(IDS_PRODUCT_LINE), inserts);
}

CTaskelPreferences::CTaskelPreferences()
    : CPropertyPageExEx(IDD_PREFERENCES), m_pageObject(*this, [this] { delete this; })
{
    Trace(4, L"CTaskelPreferences::CTaskelPreferences");
    SetTitle(LoadTaskelString(IDS_PREFERENCES));
}

CTaskelPreferences::~CTaskelPreferences()
{
    Trace(4, L"CTaskelPreferences::~CTaskelPreferences");
}

bool CTaskelPreferences::OnInitDialog()
{
    AttachRichText(Item(IDC_PREF_DESCRIPTIONS));
    AttachRichText(Item(IDC_PREF_SPECIFICATIONS));
    AttachRichText(Item(IDC_PREF_PRODUCT), ProductLine(Resources()));
    const std::wstring link =
        std::wstring(L"<a href=\"") + kProductWebPage + L"\">" + kProductWebPage + L"</a>";
    CControl(Window(), IDC_PREF_LINK).SetText(link);
    LoadControls();
    return true;
}

void CTaskelPreferences::LoadControls()
{
    const ShellDisplayPrefs &prefs = GetShellDisplayPrefs();
    m_selection = PreferencesSelection(prefs);
    m_showHidden = prefs.showHiddenFolders ? 1 : 0;
    CButton(Window(), IDC_PREF_DESCRIPTIONS).SetCheck(m_selection == 0);
    CButton(Window(), IDC_PREF_SPECIFICATIONS).SetCheck(m_selection == 1);
    CButton(Window(), IDC_PREF_SHOW_HIDDEN).SetCheck(m_showHidden != 0);
}

void CTaskelPreferences::SaveControls()
{
    if (CButton(Window(), IDC_PREF_DESCRIPTIONS).IsChecked())
        m_selection = 0;
    else if (CButton(Window(), IDC_PREF_SPECIFICATIONS).IsChecked())
        m_selection = 1;
    m_showHidden = CButton(Window(), IDC_PREF_SHOW_HIDDEN).IsChecked() ? 1 : 0;
    if (m_selection < 0) return;
    const ShellDisplayPrefs prefs = PreferencesFromControls(m_selection, m_showHidden != 0);
    const ShellDisplayPrefs &current = GetShellDisplayPrefs();
    const bool changed = prefs.showDescriptions != current.showDescriptions ||
                         prefs.showHiddenFolders != current.showHiddenFolders;
    SetShellDisplayPrefs(prefs);
    // A change goes to the profile at once: in Explorer's Properties no edit
    // flow saves it afterwards.
    if (changed) SaveShellDisplayPrefs(HKEY_CURRENT_USER, g_traceProfile.registryKey);
}

bool CTaskelPreferences::OnSetActive()
{
    try
    {
        // No flicker while the sheet's Apply state changes.
        ::SendMessageW(Window(), WM_SETREDRAW, FALSE, 0);
        SetModified(false);
        ::SendMessageW(Window(), WM_SETREDRAW, TRUE, 0);
        ::RedrawWindow(Window(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
    }
    TRACE_CATCH_ALL(2)
    return true;
}

// Leaving the page stores the settings and enables Apply.
bool CTaskelPreferences::OnKillActive()
{
    SetModified(true);
    SaveControls();
    return true;
}

bool CTaskelPreferences::OnCommand(WORD code, WORD id, HWND)
{
    if (id != IDC_PREF_ADVANCED || code != BN_CLICKED) return false;
    if (AddJotwellPage(Sheet(), Window(), true))
        CControl(Window(), IDC_PREF_ADVANCED).Enable(false);
    else
        ::MessageBeep(MB_ICONHAND);
    return true;
}

bool CTaskelPreferences::OnNotify(UINT_PTR id, NMHDR *header, LRESULT &result)
{
    if (id == IDC_PREF_LINK && header && (header->code == NM_CLICK || header->code == NM_RETURN))
    {
        ::ShellExecuteW(Window(), L"open", kProductWebPage, nullptr, nullptr, SW_SHOWNORMAL);
        return true;
    }
    return CPropertyPageExEx::OnNotify(id, header, result);
}
