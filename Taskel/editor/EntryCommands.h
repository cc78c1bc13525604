// CEntryCommands: what the user does to the entries of the command page's
// two lists as they stand: reorders the sources (the move buttons, which
// repeat while held at the profile's drag delay, and Ctrl+Up, Ctrl+Down
// through CEntryEditing), cuts, copies, pastes and deletes entries (the
// clipboard messages a list receives, from its context menu or the
// keyboard), and keeps the move buttons' states. Every change goes into the
// command at once and marks the page modified.
#pragma once

#include <windows.h>

#include <string>

class CEntryList;
class ICommandBody;

class CEntryCommands
{
  public:
    CEntryCommands(ICommandBody &body, CEntryList &sources, CEntryList &target);
    CEntryCommands(const CEntryCommands &) = delete;
    CEntryCommands &operator=(const CEntryCommands &) = delete;

    // Takes the move buttons of `page` when its template has them (true).
    bool Attach(HWND page);
    void Detach();

    // Swaps the selected source with its neighbour; whether it moved.
    bool MoveUp();
    bool MoveDown();
    static bool IsMoveButton(int id);
    // A click on a move button.
    void OnMoveButton(WORD id);
    // The buttons' states from the selection, now or 100 ms from now.
    void UpdateMoveButtons();
    void ScheduleButtonRefresh();
    // The page's timers that are the commands' (true when `id` was one).
    bool OnTimer(UINT_PTR id);
    // Draws a move button; false when `item` is no move button.
    bool DrawButton(const DRAWITEMSTRUCT &item) const;

    // WM_CUT, WM_COPY, WM_PASTE or WM_CLEAR sent to one of the lists.
    void OnClipboardMessage(HWND control, UINT message);
    // The context menu of one of the four lists (false for another window):
    // cut, copy, paste and delete, sent to the list as its messages, then a
    // separator and "What's This?" (the list's help popup). A right click
    // in the description view first selects the row under the mouse.
    bool ContextMenu(HWND control, POINT point);

  private:
    static LRESULT CALLBACK ButtonProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR id, DWORD_PTR data);
    CEntryList *ListOf(HWND control) const;
    bool Swap(int row, int other);
    void StartRepeat(UINT_PTR timer);
    void StopRepeat(UINT_PTR timer);
    bool Copy(HWND control);
    bool Delete(HWND control);
    void Paste(HWND control);
    void SelectRowAt(HWND listBox, POINT screen);
    void ShowHelpOf(HWND control, POINT screen);

    ICommandBody &m_body;
    CEntryList &m_sources;
    CEntryList &m_target;
    HWND m_page = nullptr;
};
