// The new-command wizard as the new-command flow builds it: the sheet in
// wizard mode (caption "New File Command", header bitmap, taskbar button,
// the application title in the band) with its pages in order, each with
// its header texts, all working on one wizard state.
#pragma once

#include <memory>
#include <vector>

#include "PropertySheetExEx.h"
#include "WizardState.h"
#include "WizardStateSteps.h"

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

    CWizardStateSteps m_steps; // the target pages' view of the state
    CPropertySheetExEx m_sheet;
    std::vector<std::unique_ptr<CPropertyPageExEx>> m_pages;
};
