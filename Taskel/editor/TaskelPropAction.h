// CTaskelPropAction: the wizard's first page (template 121). The user names
// the new command, picks its action with the action group of the command
// page's body (the only part of it this template has), and sets the two
// display preferences with which the later pages show paths through the
// part the Preferences page uses too; the page also shows the product line
// and the web link.
#pragma once

#include "DisplayPrefsGroup.h"
#include "TaskelPropBase.h"

class WizardState;

class CTaskelPropAction : public CTaskelPropBase
{
  public:
    // `state` may be null: the page then shows a disabled name and actions.
    explicit CTaskelPropAction(WizardState *state, HINSTANCE resources = nullptr);
    ~CTaskelPropAction() override;

    void ChangeAction(uint32_t editorAction, bool refresh) override;
    const char *ClassName() const override { return "CTaskelPropAction"; }

  protected:
    bool OnInitDialog() override;
    bool OnCommand(WORD code, WORD id, HWND control) override;
    bool OnNotify(UINT_PTR id, NMHDR *header, LRESULT &result) override;
    bool OnSetActive() override;
    bool OnKillActive() override;
    LRESULT OnWizardNext() override;
    LRESULT OnWizardBack() override;
    void OnDestroy() override;

  private:
    // Page data in (`save` false) or out of the controls.
    void DoDataExchange(bool save);
    void UpdateActionEnabling();

    WizardState *m_state;
    CDisplayPrefsGroup m_prefs;
    bool m_loading = false;
};
