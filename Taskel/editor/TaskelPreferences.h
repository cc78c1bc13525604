// CTaskelPreferences: the last page of every sheet that edits command
// files. It edits the two process-wide display settings (descriptions or
// specifications, hidden folders), shows the product line and a link to
// the product's web page, and offers "Advanced >>", which adds the
// trace-log settings page of the Jotwell library to the running sheet.
#pragma once

#include "JotwellHost.h"
#include "PropertyPageExEx.h"
#include "PropertyPageObj.h"
#include "ShellDisplayPrefs.h"

#include <string>

// The product's web page.
extern const wchar_t kProductWebPage[]; // "https://www.veltrac.com/ferrovane.htm"

// The page's plain decisions: the radio selection for the settings (0 =
// descriptions, 1 = specifications) and the settings for the controls.
int PreferencesSelection(const ShellDisplayPrefs &prefs);
ShellDisplayPrefs PreferencesFromControls(int selection, bool showHidden);

// The product line's markup: string 3006 with the application title, the
// version and the legal notice.
std::wstring ProductLine(HMODULE module);

class CTaskelPreferences : public CPropertyPageExEx
{
  public:
    CTaskelPreferences();
    ~CTaskelPreferences() override;
    const char *ClassName() const override { return "CTaskelPreferences"; }
    CPropertyPageObj &PageObject() { return m_pageObject; }

  protected:
    bool OnInitDialog() override;
    bool OnSetActive() override;
    bool OnKillActive() override;
    bool OnCommand(WORD code, WORD id, HWND control) override;
    bool OnNotify(UINT_PTR id, NMHDR *header, LRESULT &result) override;

  private:
    void LoadControls();
    void SaveControls();

    int m_selection = -1;
    int m_showHidden = 0;
    CPropertyPageObj m_pageObject;
};
