// CTaskelPropBase: the body of the page that edits a whole command: a page
// that holds the command, the folder of its file and the locked flag, and
// composes the parts its template has, each attached at initialisation
// only when the template has its controls: the action group (CActionGroup),
// the source and the target list (CEntryList, with the commands and the
// editing of their entries), and the option boxes (COptionBoxGroup). The
// command page and the wizard's Options page (template 126) have them all;
// the wizard's Action page (template 121) only the action group. Every
// change goes into the command at once and marks the page modified; the
// host saves the command.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "ActionGroup.h"
#include "CommandBody.h"
#include "EntryCommands.h"
#include "EntryEditing.h"
#include "EntryList.h"
#include "OptionBoxGroup.h"
#include "PropertyPageExEx.h"

class CTaskel;

// One counted reference on a command object.
class CTaskelRef
{
  public:
    CTaskelRef() = default;
    explicit CTaskelRef(CTaskel *command) { Reset(command); }
    CTaskelRef(const CTaskelRef &) = delete;
    CTaskelRef &operator=(const CTaskelRef &) = delete;
    ~CTaskelRef() { Reset(nullptr); }
    void Reset(CTaskel *command);
    CTaskel *Get() const { return m_command; }
    CTaskel *operator->() const { return m_command; }
    explicit operator bool() const { return m_command != nullptr; }

  private:
    CTaskel *m_command = nullptr;
};

class CTaskelPropBase : public CPropertyPageExEx, private ICommandBody
{
  public:
    explicit CTaskelPropBase(UINT templateId, HINSTANCE resources = nullptr);

    // Called by the host before the page is shown.
    void SetDocument(CTaskel *command);
    CTaskel *Document() const override { return m_document.Get(); }
    void SetCommandFolder(const std::wstring &folder);
    const std::wstring &CommandFolder() const override { return m_folder; }
    void SetLocked(bool locked) { m_locked = locked; }
    bool IsLocked() const override { return m_locked; }

    void FillSources() override;
    void FillTarget() override;
    void UpdateActionControls();
    virtual void ChangeAction(uint32_t editorAction, bool refresh);
    void UpdateOptionControls() override;
    void StoreOptions();
    // The text of one entry in the current view (markup in the description view).
    std::wstring DisplayText(const std::wstring &entry) const;
    bool MoveUp();
    bool MoveDown();

    const char *ClassName() const override { return "CTaskelPropBase"; }

  protected:
    bool OnInitDialog() override;
    bool OnCommand(WORD code, WORD id, HWND control) override;
    bool OnNotify(UINT_PTR id, NMHDR *header, LRESULT &result) override;
    bool OnSetActive() override;
    bool OnTimer(UINT_PTR id) override;
    bool OnContextMenu(HWND window, POINT point) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT &result) override;
    void OnDestroy() override;

    bool DescriptionView() const;
    // True while source rows wait for the fill timer and their names are
    // not yet asked for: the folder names are not complete then.
    bool NamesPending() const;
    // Which of the two views shows, from the display preference.
    void ShowView();
    CActionGroup &ActionGroup() { return m_actions; }

  private:
    void MarkModified() override { SetModified(true); }
    // Rename and Delete have no target: the source list takes its room.
    void ApplyLayout(bool hasTarget);
    void OnActionClick(WORD id);
    void OnOptionClick(WORD id);

    CTaskelRef m_document;
    std::wstring m_folder;
    bool m_locked = false;
    CActionGroup m_actions;
    CEntryList m_sources;
    CEntryList m_target;
    COptionBoxGroup m_options;
    CEntryCommands m_commands;
    CEntryEditing m_editing;
};
