// IWizardSteps: what the wizard's target pages need of the wizard state:
// the current step (which source, or -1 for the target), its folder and
// file, the folder of the new command file, the button rules and the
// navigation. The wizard state implements it; tests give the pages a fake.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

class CPropertyPageExEx;

class IWizardSteps
{
  public:
    // The current source index; -1 = the target step.
    virtual long CurrentIndex() const = 0;
    // The command's action (editor numbering: 1 Move ... 6 CopyRename).
    virtual uint32_t Action() const = 0;
    // The folder the new command file is created in (the location).
    virtual std::wstring Folder() const = 0;
    virtual void SetFolder(const std::wstring &folder) = 0;

    virtual bool SplitCurrentSpec(std::wstring &folder, std::wstring &file) = 0;
    virtual bool StoreCurrentSpec(const std::wstring &folder, const std::wstring &file) = 0;
    // The folder just stored for a new source slot is one the page offered,
    // not one the user chose.
    virtual void MarkOfferedFolder() {}
    virtual bool CanGoNext(CPropertyPageExEx &page) = 0;
    virtual bool CanFinish(CPropertyPageExEx &page) = 0;
    // Page results of the wizard convention: 0 neighbour, -1 stay, else a
    // template id.
    virtual LRESULT GoNext(CPropertyPageExEx &page) = 0;
    virtual LRESULT GoBack(CPropertyPageExEx &page) = 0;
    // The File page's Finish: false finishes the wizard.
    virtual bool GoAgain(CPropertyPageExEx &page) = 0;
    // Sets the page's header texts and the Finish button.
    virtual void PageActivated(CPropertyPageExEx &page, std::wstring &title,
                               std::wstring &subtitle) = 0;

  protected:
    ~IWizardSteps() = default;
};
