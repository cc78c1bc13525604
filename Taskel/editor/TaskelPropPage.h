// CTaskelPropPage: the command page bound to one command file. It loads the
// command from the file, keeps the file's storage attached to the command
// only while the page is active, saves on Apply through the container's
// Reopen and Commit, refreshes the lists by a timer once the shell-folder
// information has been gathered in the background, and shows the command as
// edited in the preview window (Preview...) without saving it.
#pragma once

#include <string>

#include "ComPtr.h"
#include "PropertyPageObj.h"
#include "TaskelFile.h"
#include "TaskelPropBase.h"

class CTaskelPropPage : public CTaskelPropBase
{
  public:
    explicit CTaskelPropPage(HINSTANCE resources = nullptr);
    ~CTaskelPropPage() override;

    void SetFileName(const std::wstring &path);
    const std::wstring &FileName() const { return m_fileName; }
    // Reads the command from the file into `command` (a new command object
    // when null); `readOnly` pages never save.
    HRESULT Load(CTaskel *command, bool readOnly);
    CTaskel *Command() const { return m_command.Get(); }
    bool IsReadOnly() const { return m_readOnly; }
    UINT_PTR ActivationTimer() const { return m_timer; }

    const char *ClassName() const override { return "CTaskelPropPage"; }
    // Hands the page to a sheet another component owns (the shell's
    // Properties); once added, the page belongs to its page object.
    CPropertyPageObj &PageObject() { return m_pageObject; }

    // The caption for a command file path: its last component without the
    // extension, compacted to at most 32 characters; empty when there is none.
    static std::wstring CaptionFor(const std::wstring &path);

    enum : UINT_PTR
    {
        TIMER_ACTIVATE = 0x7A31,
    };

  protected:
    bool OnSetActive() override;
    bool OnKillActive() override;
    bool OnApply() override;
    bool OnTimer(UINT_PTR id) override;
    bool OnCommand(WORD code, WORD id, HWND control) override;

  private:
    // The preview window over the command as the page holds it now, owned by
    // the sheet; returns when it closes. Nothing is saved or marked changed.
    void ShowPreview(HWND button);
    // S_OK when the file was written; a failure of the container or the
    // system (also thrown as a framework exception).
    HRESULT Save();
    // Tells the user that the save failed and why.
    void ReportSaveFailure(HRESULT failure);

    std::wstring m_fileName;
    fx::ComPtr<ITaskelFile> m_file;
    CTaskelRef m_command;
    bool m_readOnly = false;
    bool m_unsaved = false; // saved into the storage, but the commit failed
    UINT_PTR m_timer = 0;
    CPropertyPageObj m_pageObject;
};
