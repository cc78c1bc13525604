// CEntryEditing: how the user edits the entries of the command page's two
// lists and moves among them: in place (the specification view's labels),
// with the path dialog (double-click or Enter on a row, also on the empty
// row), and the lists' keys (Ctrl+Up and Ctrl+Down reorder, Ctrl+C, Ctrl+X,
// Ctrl+V and Del go to the clipboard commands, F2 edits the label). It
// subclasses the four lists for their keys and clipboard messages.
#pragma once

#include <windows.h>
#include <commctrl.h>

class CEntryCommands;
class CEntryList;
class ICommandBody;

class CEntryEditing
{
  public:
    CEntryEditing(ICommandBody &body, CEntryList &sources, CEntryList &target,
                  CEntryCommands &commands);
    CEntryEditing(const CEntryEditing &) = delete;
    CEntryEditing &operator=(const CEntryEditing &) = delete;

    // Subclasses the attached lists of `page`.
    void Attach(HWND page);
    void Detach();

    // A notification of a specification list (in-place editing, double
    // click, Enter, selection); false for any other.
    bool OnNotify(NMHDR *header, LRESULT &result);
    // A command of a description list (double click, selection); false for
    // any other control.
    bool OnCommand(WORD code, HWND control);

  private:
    static LRESULT CALLBACK ListProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                     UINT_PTR id, DWORD_PTR data);
    // A message of one of the lists; true when it was answered with `result`.
    bool OnListMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT &result);
    CEntryList *ListOf(HWND control) const;
    int SelectionOf(HWND control) const;
    bool OnKey(HWND control, UINT key);
    void EditWithDialog(HWND control, int row);
    bool EndLabelEdit(HWND control, int row, const wchar_t *text);

    ICommandBody &m_body;
    CEntryList &m_sources;
    CEntryList &m_target;
    CEntryCommands &m_commands;
    HWND m_page = nullptr;
};
