// CActionGroup: the action group of the command page and of the wizard's
// Action page: the four action radios and the two "and rename" boxes. It
// shows an action (TaskelActionGroup.h decides how), tells the action a
// click selects, and opens or closes the group on the Action page. The
// page keeps the command and decides whether a click may change it.
#pragma once

#include <windows.h>

#include <cstdint>

class CActionGroup
{
  public:
    // Takes the group of `page` when its template has it (true).
    bool Attach(HWND page);
    void Detach() { m_page = nullptr; }
    bool IsAttached() const { return m_page != nullptr; }

    // Checks, shows and enables the controls for `editorAction` and redraws
    // the page.
    void Show(uint32_t editorAction) const;
    // The action a click on control `id` selects while the command has
    // `editorAction` (the clicked box's new state read from the control).
    uint32_t ActionAfterClick(WORD id, uint32_t editorAction) const;
    // After a click on a radio the focus stays on it.
    void KeepFocus(WORD id) const;
    // The Action page opens the actions only with a command, and each
    // "and rename" box only under its own action.
    void EnableFor(bool hasCommand, uint32_t editorAction) const;

  private:
    HWND m_page = nullptr;
};
