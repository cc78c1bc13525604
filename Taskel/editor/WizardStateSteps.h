// CWizardStateSteps: the wizard state as the target pages see it
// (IWizardSteps): the step, the command's action, the location, the
// specification of the step, the buttons and the navigation, all passed on
// to the one WizardState of the wizard run.
#pragma once

#include "TaskelWizardSteps.h"
#include "WizardState.h"

class CWizardStateSteps : public IWizardSteps
{
  public:
    explicit CWizardStateSteps(WizardState &state) : m_state(state) {}

    long CurrentIndex() const override { return m_state.CurrentIndex(); }
    uint32_t Action() const override;
    std::wstring Folder() const override { return m_state.Folder(); }
    void SetFolder(const std::wstring &folder) override { m_state.SetFolder(folder); }
    bool SplitCurrentSpec(std::wstring &folder, std::wstring &file) override
    {
        return m_state.SplitCurrentSpec(folder, file);
    }
    bool StoreCurrentSpec(const std::wstring &folder, const std::wstring &file) override
    {
        return m_state.StoreCurrentSpec(folder, file);
    }
    bool CanGoNext(CPropertyPageExEx &page) override { return m_state.CanGoNext(page); }
    bool CanFinish(CPropertyPageExEx &page) override { return m_state.CanFinish(page); }
    LRESULT GoNext(CPropertyPageExEx &page) override { return m_state.GoNext(page); }
    LRESULT GoBack(CPropertyPageExEx &page) override { return m_state.GoBack(page); }
    bool GoAgain(CPropertyPageExEx &page) override { return m_state.GoAgain(page); }
    void PageActivated(CPropertyPageExEx &page, std::wstring &title,
                       std::wstring &subtitle) override
    {
        m_state.PageActivated(page, title, subtitle);
    }

  private:
    WizardState &m_state;
};
