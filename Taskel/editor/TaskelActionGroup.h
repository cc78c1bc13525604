// The action group of the command pages as plain logic: the four action
// radios and the two "and rename" boxes shown for an action, and the action
// a click on one of them selects.
#pragma once

#include <cstdint>

struct RenameBoxState
{
    bool visible = false;
    bool enabled = false;
    bool checked = false;
};

struct ActionGroupState
{
    int checkedRadio = 0; // control id of the checked radio, 0 for none
    RenameBoxState moveRename;
    RenameBoxState copyRename;
};

// The controls for `editorAction` (editor numbering).
ActionGroupState ActionGroupFor(uint32_t editorAction);

// The action after a click on control `id` of the group while the command
// has `editorAction`; `boxChecked` is the clicked "and rename" box's state
// after the click (unused for the radios). Returns `editorAction` for a
// control outside the group.
uint32_t ActionForClick(int id, uint32_t editorAction, bool boxChecked);

// True for the six controls of the group.
bool IsActionControl(int id);
