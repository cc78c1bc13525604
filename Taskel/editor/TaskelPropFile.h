// CTaskelPropFile: the wizard page that picks the files of a source folder
// (template 122): a file name (with wildcards, or empty for the whole
// folder), a new name on renaming pages, a file type, and the folder's file
// list filtered by name and type. Its Finish button reads "Another" at the
// last source and then adds a source instead of finishing.
#pragma once

#include "FileList.h"
#include "FileTypeList.h"
#include "TaskelPropTarget.h"

class CTaskelPropFile : public CTaskelPropTarget
{
  public:
    explicit CTaskelPropFile(IWizardSteps &steps);
    const char *ClassName() const override { return "CTaskelPropFile"; }

    bool IsRenaming() const { return m_renaming; }
    bool IsRenameOnly() const { return m_renameOnly; }
    CFileList &Files() { return m_files; }
    CFileTypeList &Types() { return m_types; }

  protected:
    bool OnInitDialog() override;
    bool OnSetActive() override;
    bool OnCommand(WORD code, WORD id, HWND control) override;
    bool OnNotify(UINT_PTR id, NMHDR *header, LRESULT &result) override;
    LRESULT OnWizardNext() override;
    LRESULT OnWizardBack() override;
    bool OnWizardFinish() override;

  private:
    void Activate();
    void ShowFolderLine();
    // The step's file from the edits: name, and on renaming pages ">" and
    // the new name.
    std::wstring FileFromEdits() const;
    void StoreFile();
    void UpdateList();
    void OnFilesSelected();

    CFileList m_files;
    CFileTypeList m_types;
    std::wstring m_base;
    std::wstring m_stepFolder; // as the step stores it
    std::wstring m_folder;     // absolute, with trailing backslash
    std::wstring m_stepFile;
    bool m_renaming = false;
    bool m_renameOnly = false;
    bool m_relative = false;
    bool m_updating = false;
};
