// CTaskelPropOptions: the wizard's last page, the command page's body
// (template 126) over the command being built: the user checks the action,
// sources and target and sets the option boxes, then finishes.
#pragma once

#include "TaskelPropBase.h"

class WizardState;

class CTaskelPropOptions : public CTaskelPropBase
{
  public:
    explicit CTaskelPropOptions(WizardState *state, HINSTANCE resources = nullptr);
    ~CTaskelPropOptions() override;
    const char *ClassName() const override { return "CTaskelPropOptions"; }

  protected:
    bool OnInitDialog() override;
    bool OnSetActive() override;
    bool OnKillActive() override;
    LRESULT OnWizardNext() override;
    LRESULT OnWizardBack() override;
    bool OnWizardFinish() override;
    bool OnCommand(WORD code, WORD id, HWND control) override;

  private:
    WizardState *m_state;
};
