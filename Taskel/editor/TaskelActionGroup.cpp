// The action group: controls shown for an action and the action a click
// selects. The "and rename" choice carries over between Move and Copy.
#include "TaskelActionGroup.h"

#include "TaskelOptions.h"
#include "resource.h"

ActionGroupState ActionGroupFor(uint32_t editorAction)
{
    ActionGroupState state;
    switch (editorAction)
    {
    case EDIT_ACTION_MOVE:
    case EDIT_ACTION_MOVERENAME:
        state.checkedRadio = IDC_ACTION_MOVE;
        state.moveRename = {true, true, editorAction == EDIT_ACTION_MOVERENAME};
        break;
    case EDIT_ACTION_COPY:
    case EDIT_ACTION_COPYRENAME:
        state.checkedRadio = IDC_ACTION_COPY;
        state.copyRename = {true, true, editorAction == EDIT_ACTION_COPYRENAME};
        break;
    case EDIT_ACTION_RENAME:
        state.checkedRadio = IDC_ACTION_RENAME;
        break;
    case EDIT_ACTION_DELETE:
        state.checkedRadio = IDC_ACTION_DELETE;
        break;
    default:
        break;
    }
    return state;
}

bool IsActionControl(int id)
{
    switch (id)
    {
    case IDC_ACTION_MOVE:
    case IDC_ACTION_COPY:
    case IDC_ACTION_RENAME:
    case IDC_ACTION_DELETE:
    case IDC_ACTION_MOVERENAME:
    case IDC_ACTION_COPYRENAME:
        return true;
    default:
        return false;
    }
}

uint32_t ActionForClick(int id, uint32_t editorAction, bool boxChecked)
{
    // The rename box of the group that was active before the click.
    const bool wasCopy = editorAction == EDIT_ACTION_COPY || editorAction == EDIT_ACTION_COPYRENAME;
    const bool renameChecked =
        wasCopy ? editorAction == EDIT_ACTION_COPYRENAME : editorAction == EDIT_ACTION_MOVERENAME;
    switch (id)
    {
    case IDC_ACTION_MOVE:
        return renameChecked ? EDIT_ACTION_MOVERENAME : EDIT_ACTION_MOVE;
    case IDC_ACTION_COPY:
        return renameChecked ? EDIT_ACTION_COPYRENAME : EDIT_ACTION_COPY;
    case IDC_ACTION_RENAME:
        return EDIT_ACTION_RENAME;
    case IDC_ACTION_DELETE:
        return EDIT_ACTION_DELETE;
    case IDC_ACTION_MOVERENAME:
        return boxChecked ? EDIT_ACTION_MOVERENAME : EDIT_ACTION_MOVE;
    case IDC_ACTION_COPYRENAME:
        return boxChecked ? EDIT_ACTION_COPYRENAME : EDIT_ACTION_COPY;
    default:
        return editorAction;
    }
}
