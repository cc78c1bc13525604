// CDisplayPrefsGroup and its decisions: the product line, the settings in
// and out of the controls, and the link.
#include "DisplayPrefsGroup.h"

#include <commctrl.h>
#include <shellapi.h>

#include "DialogControls.h"
#include "RichText.h"
#include "TaskelStrings.h"
#include "Trace.h"
#include "VersionInfo.h"
#include "resource.h"

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

std::wstring ProductLine(HMODULE module)
{
    const std::wstring inserts[3] = {LoadTaskelString(IDS_APP_TITLE), ModuleFileVersion(module),
                                     ModuleVersionString(module, L"LegalCopyright")};
    return FormatInserts(LoadTaskelString(IDS_PRODUCT_LINE), inserts);
}

int PreferencesSelection(const ShellDisplayPrefs &prefs)
{
    return prefs.showDescriptions ? 0 : 1;
}

ShellDisplayPrefs PreferencesFromControls(int selection, bool showHidden,
                                          const ShellDisplayPrefs &current)
{
    ShellDisplayPrefs prefs;
    prefs.showDescriptions = selection < 0 ? current.showDescriptions : selection == 0;
    prefs.showHiddenFolders = showHidden;
    return prefs;
}

bool PreferencesChanged(const ShellDisplayPrefs &current, const ShellDisplayPrefs &chosen)
{
    return current.showDescriptions != chosen.showDescriptions ||
           current.showHiddenFolders != chosen.showHiddenFolders;
}

void CDisplayPrefsGroup::Attach(HWND page, HMODULE resources)
{
    m_page = page;
    AttachRichText(::GetDlgItem(page, IDC_PREF_DESCRIPTIONS));
    AttachRichText(::GetDlgItem(page, IDC_PREF_SPECIFICATIONS));
    AttachRichText(::GetDlgItem(page, IDC_PREF_PRODUCT), ProductLine(resources));
    const std::wstring link =
        std::wstring(L"<a href=\"") + kProductWebPage + L"\">" + kProductWebPage + L"</a>";
    CControl(page, IDC_PREF_LINK).SetText(link);
}

bool CDisplayPrefsGroup::IsPreferenceControl(int id)
{
    return id == IDC_PREF_DESCRIPTIONS || id == IDC_PREF_SPECIFICATIONS ||
           id == IDC_PREF_SHOW_HIDDEN;
}

void CDisplayPrefsGroup::Load() const
{
    if (!m_page) return;
    const ShellDisplayPrefs prefs = GetShellDisplayPrefs();
    const int selection = PreferencesSelection(prefs);
    CButton(m_page, IDC_PREF_DESCRIPTIONS).SetCheck(selection == 0);
    CButton(m_page, IDC_PREF_SPECIFICATIONS).SetCheck(selection == 1);
    CButton(m_page, IDC_PREF_SHOW_HIDDEN).SetCheck(prefs.showHiddenFolders);
}

bool CDisplayPrefsGroup::Save() const
{
    if (!m_page) return false;
    const int selection = CButton(m_page, IDC_PREF_DESCRIPTIONS).IsChecked()     ? 0
                          : CButton(m_page, IDC_PREF_SPECIFICATIONS).IsChecked() ? 1
                                                                                 : -1;
    const ShellDisplayPrefs current = GetShellDisplayPrefs();
    const ShellDisplayPrefs chosen = PreferencesFromControls(
        selection, CButton(m_page, IDC_PREF_SHOW_HIDDEN).IsChecked(), current);
    if (!PreferencesChanged(current, chosen)) return false;
    SetShellDisplayPrefs(chosen);
    // A change goes to the profile at once: in Explorer's Properties no edit
    // flow saves it afterwards.
    SaveShellDisplayPrefs(HKEY_CURRENT_USER, g_traceProfile.registryKey);
    return true;
}

bool CDisplayPrefsGroup::OnLinkNotify(UINT_PTR id, const NMHDR *header) const
{
    if (id != IDC_PREF_LINK || !header || (header->code != NM_CLICK && header->code != NM_RETURN))
        return false;
    ::ShellExecuteW(m_page, L"open", kProductWebPage, nullptr, nullptr, SW_SHOWNORMAL);
    return true;
}
