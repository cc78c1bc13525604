// CTaskelPropTarget: what the wizard's target pages share: the wizard state
// they work through, the command file's folder that relative folders start
// at, the frame's buttons set from the state's rules, the activation's
// header texts, and the exception trap of an activation handler.
#pragma once

#include "PropertyPageExEx.h"
#include "TaskelWizardSteps.h"

#include <string>

class CTaskelPropTarget : public CPropertyPageExEx
{
  public:
    CTaskelPropTarget(UINT templateId, IWizardSteps &steps);

    IWizardSteps &Steps() const { return m_steps; }
    // The command file's folder with trailing backslash (the current
    // directory while the wizard has none).
    std::wstring BaseFolder() const;
    // The process's current directory with trailing backslash.
    static std::wstring CurrentFolder();
    // The application profile's key under HKEY_CURRENT_USER.
    static std::wstring ProfileKey();
    // Whether the pickers list hidden folders and files: the display
    // preference, asked each time they read a folder.
    static bool ShowsHiddenEntries();

  protected:
    // The frame's Back, Next and Finish buttons from CanGoNext and CanFinish.
    void UpdateButtons();
    // The names screen readers announce for the page's controls: the folder
    // edit "Folder Name" (static text), the tree "Folders", the file name
    // "File Name", the new name "New File Name", the type "File Type".
    void NameControls();
    // Header texts through the state, then the buttons.
    void Activated();
    // Runs an activation step; exceptions are traced at the page's fixed
    // `site` and swallowed, so the page still shows.
    template <class F> void Guarded(const TraceSite &site, F &&step);

  private:
    IWizardSteps &m_steps;
};

#include "FxException.h"
#include "Trace.h"

template <class F> void CTaskelPropTarget::Guarded(const TraceSite &site, F &&step)
{
    try
    {
        step();
    }
    TRACE_CATCH_SITE(4, site)
}
