// CTaskelPropLocation: the wizard page that picks the folder in which the
// new command file is created (template 124), in a folder tree or by
// typing it. The folder goes to the wizard state; leaving the page keeps it
// in the profile ("Settings", "New Command Path"), and a wizard that
// starts without a folder opens there.
#pragma once

#include "FolderTree.h"
#include "TaskelPropTarget.h"

class CTaskelPropLocation : public CTaskelPropTarget
{
  public:
    explicit CTaskelPropLocation(IWizardSteps &steps);
    const char *ClassName() const override { return "CTaskelPropLocation"; }

    CFolderTree &Tree() { return m_tree; }

  protected:
    bool OnInitDialog() override;
    bool OnSetActive() override;
    bool OnKillActive() override;
    bool OnCommand(WORD code, WORD id, HWND control) override;
    bool OnNotify(UINT_PTR id, NMHDR *header, LRESULT &result) override;

  private:
    void Activate();
    void SetLocation(const std::wstring &folder, bool showInEdit);

    CFolderTree m_tree;
    bool m_updating = false;
};
