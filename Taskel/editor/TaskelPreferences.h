// CTaskelPreferences: the last page of every sheet that edits command
// files. It edits the two process-wide display settings (descriptions or
// specifications, hidden folders) through the display-preferences part it
// shares with the wizard's Action page, shows the product line and a link
// to the product's web page, and offers "Advanced >>", which adds the
// trace-log settings page of the Jotwell library to the running sheet.
#pragma once

#include "DisplayPrefsGroup.h"
#include "JotwellHost.h"
#include "PropertyPageExEx.h"
#include "PropertyPageObj.h"
#include "ShellDisplayPrefs.h"

#include <string>

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
    void OnDestroy() override;

  private:
    CDisplayPrefsGroup m_prefs;
    CPropertyPageObj m_pageObject;
};
