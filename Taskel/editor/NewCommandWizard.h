// The new-command wizard as the new-command flow builds it: the sheet in
// wizard mode (caption "New File Command", header bitmap, taskbar button,
// the application title in the band) with its pages in order, each with
// its header texts, all working on one wizard state.
#pragma once

#include <memory>
#include <vector>

#include "PropertySheetExEx.h"
#include "TaskelWizardSteps.h"
#include "WizardState.h"

// The wizard state as the target pages see it.
class CWizardSteps : public IWizardSteps
{
  public:
    explicit CWizardSteps(WizardState &state) : m_state(state) {}
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
    void MarkOfferedFolder() override { m_state.MarkOfferedFolder(); }
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

class CNewCommandWizard
{
  public:
    // `withLocation`: the Location page follows the Action page (the
    // caller gave no folder for the new command file).
    CNewCommandWizard(HWND owner, WizardState &state, bool withLocation);

    CPropertySheetExEx &Sheet() { return m_sheet; }
    // Runs the wizard from its first page; IDC_SHEET_FINISH (12325) when it finished.
    INT_PTR DoModal();

  private:
    void AddPage(std::unique_ptr<CPropertyPageExEx> page, UINT titleId, UINT subtitleId);

    CWizardSteps m_steps;
    CPropertySheetExEx m_sheet;
    std::vector<std::unique_ptr<CPropertyPageExEx>> m_pages;
};
