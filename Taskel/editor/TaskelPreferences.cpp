// The Preferences page: the display settings shown each time the page is
// shown and stored when it is left, the product line and link, and "Advanced >>".
#define TRACE_SOURCE "Taskel\\TaskelPreferences"
#include "TaskelPreferences.h"

#include "DialogControls.h"
#include "TaskelStrings.h"
#include "Trace.h"
#include "resource.h"

CTaskelPreferences::CTaskelPreferences()
    : CPropertyPageExEx(IDD_PREFERENCES), m_pageObject(*this, [this] { delete this; })
{
    Trace(4, L"CTaskelPreferences::CTaskelPreferences");
    SetTitle(LoadTaskelString(IDS_PREFERENCES));
    // This page traces the exceptions it traps at the error level, framework
    // ones too.
    SetTrapSite({TRACE_SOURCE, __LINE__}, 2);
}

CTaskelPreferences::~CTaskelPreferences()
{
    Trace(4, L"CTaskelPreferences::~CTaskelPreferences");
}

bool CTaskelPreferences::OnInitDialog()
{
    m_prefs.Attach(Window(), Resources());
    m_prefs.Load();
    return true;
}

void CTaskelPreferences::OnDestroy()
{
    m_prefs.Detach();
}

bool CTaskelPreferences::OnSetActive()
{
    // No flicker while the sheet's Apply state changes and the settings are
    // shown again: another page or sheet may have changed them meanwhile.
    ::SendMessageW(Window(), WM_SETREDRAW, FALSE, 0);
    m_prefs.Load();
    SetModified(false);
    ::SendMessageW(Window(), WM_SETREDRAW, TRUE, 0);
    ::RedrawWindow(Window(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
    return true;
}

// Leaving the page stores the settings and enables Apply.
bool CTaskelPreferences::OnKillActive()
{
    SetModified(true);
    m_prefs.Save();
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
    if (m_prefs.OnLinkNotify(id, header)) return true;
    return CPropertyPageExEx::OnNotify(id, header, result);
}
