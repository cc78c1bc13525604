// The new-command wizard's sheet and pages.
#define TRACE_SOURCE "Taskel\\TaskelClass"
#include "NewCommandWizard.h"

#include "TaskelClass.h"
#include "TaskelPropAction.h"
#include "TaskelPropFile.h"
#include "TaskelPropFolder.h"
#include "TaskelPropLocation.h"
#include "TaskelPropOptions.h"
#include "TaskelStrings.h"
#include "resource.h"

static_assert(IDD_TARGET_FILE == UINT(WizardPage::File) &&
                  IDD_TARGET_FOLDER == UINT(WizardPage::Folder) &&
                  IDD_TARGET_LOCATION == UINT(WizardPage::Location) &&
                  IDD_WIZARD_ACTION == UINT(WizardPage::Action) &&
                  IDD_TASKEL_PROPPAGE == UINT(WizardPage::Options),
              "the wizard state knows the pages by their templates");

uint32_t CWizardSteps::Action() const
{
    return m_state.Command() ? m_state.Command()->GetAction() : 0;
}

CNewCommandWizard::CNewCommandWizard(HWND owner, WizardState &state, bool withLocation)
    : m_steps(state), m_sheet(LoadTaskelString(IDS_NEW_COMMAND), owner)
{
    m_sheet.SetWizardMode();
    m_sheet.SetHeaderBitmap(IDB_WIZARD_HEADER);
    m_sheet.SetTaskbarButton();
    m_sheet.SetBandTitle(LoadTaskelString(IDS_APP_TITLE));

    AddPage(std::make_unique<CTaskelPropAction>(&state), IDS_WIZ_TITLE, IDS_WIZ_ACTION_SUBTITLE);
    if (withLocation)
        AddPage(std::make_unique<CTaskelPropLocation>(m_steps), IDS_WIZ_TITLE,
                IDS_WIZ_LOCATION_SUBTITLE);
    // The source and target pages take their header texts from the state.
    AddPage(std::make_unique<CTaskelPropFolder>(m_steps), 0, 0);
    AddPage(std::make_unique<CTaskelPropFile>(m_steps), 0, 0);
    AddPage(std::make_unique<CTaskelPropOptions>(&state), IDS_WIZ_OPTIONS_TITLE,
            IDS_WIZ_OPTIONS_SUBTITLE);
}

void CNewCommandWizard::AddPage(std::unique_ptr<CPropertyPageExEx> page, UINT titleId,
                                UINT subtitleId)
{
    page->SetTitle(LoadTaskelString(IDS_NEW_COMMAND));
    page->RemoveFlags(PSP_HASHELP);
    if (titleId) page->SetHeaderTitle(LoadTaskelString(titleId));
    if (subtitleId) page->SetHeaderSubtitle(LoadTaskelString(subtitleId));
    m_sheet.AddPage(*page);
    m_pages.push_back(std::move(page));
}

INT_PTR CNewCommandWizard::DoModal()
{
    m_sheet.SetStartPage(0);
    return m_sheet.DoModal();
}
