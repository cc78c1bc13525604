// CTaskelPropFolder: the wizard page that picks a source folder or the
// target folder (template 123) in a folder tree, or by typing it. The
// relative-mode button decides whether the folder is stored relative to
// the command file's folder; the mode is kept per settings key ("FromPath"
// or "ToPath") in the profile.
#pragma once

#include "FolderTree.h"
#include "TaskelPropTarget.h"

class CTaskelPropFolder : public CTaskelPropTarget
{
  public:
    explicit CTaskelPropFolder(IWizardSteps &steps);
    const char *ClassName() const override { return "CTaskelPropFolder"; }

    bool IsRelative() const { return m_relative; }
    CFolderTree &Tree() { return m_tree; }

  protected:
    bool OnInitDialog() override;
    bool OnSetActive() override;
    bool OnKillActive() override;
    bool OnCommand(WORD code, WORD id, HWND control) override;
    bool OnNotify(UINT_PTR id, NMHDR *header, LRESULT &result) override;
    LRESULT OnWizardNext() override;
    LRESULT OnWizardBack() override;

  private:
    void Activate();
    // Stores the absolute `folder` as the step's folder in the current mode.
    void StoreFolder(const std::wstring &folder);
    void ShowFolder();
    void ShowRelativeButton();
    void OnFolderTyped();

    CFolderTree m_tree;
    const wchar_t *m_settingsKey = L"FromPath";
    std::wstring m_base;
    std::wstring m_folder; // absolute, with trailing backslash
    bool m_relative = false;
    bool m_updating = false;
};
