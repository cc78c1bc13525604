// CJotwellPage: the property page "Trace Log" on which the user sets, for
// each definition its host handed over, the trace level and the log file
// that the trace log reads from the registry. It reads the registry when
// the page is created, keeps every edit in its definitions, and writes
// them all on Apply. It is handed to a sheet another component owns
// through its page object, which frees it once the sheet lets it go.
#pragma once

#include "JotwellDef.h"
#include "PropertyPageExEx.h"
#include "PropertyPageObj.h"

#include <string>

class CJotwellPage : public CPropertyPageExEx
{
  public:
    CJotwellPage();
    ~CJotwellPage() override;
    const char *ClassName() const override { return "CJotwellPage"; }

    void SetAppTitle(const std::wstring &title) { m_appTitle = title; }
    const std::wstring &AppTitle() const { return m_appTitle; }
    CJotwellDefArray &Definitions() { return m_defs; }
    const CJotwellDefArray &Definitions() const { return m_defs; }
    size_t CurrentIndex() const { return m_current; }
    CPropertyPageObj &PageObject() { return m_pageObject; }

  protected:
    bool OnInitDialog() override;
    bool OnCommand(WORD code, WORD id, HWND control) override;
    bool OnKillActive() override;
    bool OnApply() override;

  private:
    void ReadSettings();
    void LoadControls();
    void FillComponentList();
    void ShowCurrent();
    void RefreshFileControls();
    std::wstring CurrentDefaultLocation() const;
    CJotwellDef *Current();

    void OnLevelChanged();
    // The change handler for the file name and location.
    void OnFileChanged();
    // A typed file name not yet handed to the change handler.
    void CommitTypedName();
    void OnSelectComponent();
    void OnBrowseFolder();
    void OnResetLocation();
    void OnBrowseFile();
    void OnResetFileName();

    std::wstring m_appTitle;
    CJotwellDefArray m_defs;
    size_t m_current = 0;
    std::wstring m_userDesktop;
    std::wstring m_commonDesktop;
    JotwellFileView m_view;
    bool m_settingText = false;
    bool m_nameTyped = false;
    CPropertyPageObj m_pageObject;
};
