// The option check boxes: the table of boxes and bits, and the rules for
// showing, storing and hinting them.
#include "TaskelOptionBoxes.h"

#include "TaskelOptions.h"
#include "resource.h"

namespace
{

struct BoxRow
{
    int id;
    uint32_t bit;
    bool inverted; // ticked when the bit is clear
};

// Table order; "Show file progress" has its own rule and no direct bit.
constexpr BoxRow kRows[kOptionBoxCount] = {
    {IDC_OPT_RECYCLE, OPT_ALLOWUNDO, false},
    {IDC_OPT_CONFIRM, OPT_NOCONFIRMATION, true},
    {IDC_OPT_CONFIRM_MKDIR, OPT_NOCONFIRMMKDIR, true},
    {IDC_OPT_SECURITY, OPT_NOCOPYSECURITYATTRIBS, true},
    {IDC_OPT_ERRORS, OPT_NOERRORUI, true},
    {IDC_OPT_RECURSION, OPT_NORECURSION, true},
    {IDC_OPT_SUBFOLDERS, OPT_FILESONLY, true},
    {IDC_OPT_RENAME_DUPLICATES, OPT_RENAMEONCOLLISION, false},
    {IDC_OPT_PROGRESS, OPT_SILENT, true},
    {IDC_OPT_FILE_PROGRESS, OPT_SIMPLEPROGRESS, false},
    {IDC_OPT_IGNORE_ERRORS, OPT_X_IGNORE_ERRORS, false},
    {IDC_OPT_SOUND, OPT_X_COMPLETE_SOUND, false},
};

bool IsMoveOrCopy(uint32_t action)
{
    return action == EDIT_ACTION_MOVE || action == EDIT_ACTION_COPY ||
           action == EDIT_ACTION_MOVERENAME || action == EDIT_ACTION_COPYRENAME;
}

} // namespace

const std::array<int, kOptionBoxCount> &OptionBoxIds()
{
    static const std::array<int, kOptionBoxCount> ids = [] {
        std::array<int, kOptionBoxCount> a{};
        for (size_t i = 0; i < kOptionBoxCount; ++i)
            a[i] = kRows[i].id;
        return a;
    }();
    return ids;
}

int OptionBoxIndex(int id)
{
    for (size_t i = 0; i < kOptionBoxCount; ++i)
        if (kRows[i].id == id) return static_cast<int>(i);
    return -1;
}

bool IsBoxChecked(const OptionBoxes &boxes, int id)
{
    int i = OptionBoxIndex(id);
    return i >= 0 && boxes[static_cast<size_t>(i)].checked;
}

void SetBoxChecked(OptionBoxes &boxes, int id, bool checked)
{
    int i = OptionBoxIndex(id);
    if (i >= 0) boxes[static_cast<size_t>(i)].checked = checked;
}

OptionBoxes ShowOptionBoxes(bool hasCommand, uint32_t editorAction, uint32_t mask, uint32_t options)
{
    OptionBoxes boxes{};
    for (size_t i = 0; i < kOptionBoxCount; ++i)
        boxes[i].id = kRows[i].id;
    if (!hasCommand) return boxes;

    const uint32_t on = mask & options;
    for (size_t i = 0; i < kOptionBoxCount; ++i)
    {
        OptionBoxState &box = boxes[i];
        const BoxRow &row = kRows[i];
        box.enabled = true;
        box.checked = ((on & row.bit) != 0) != row.inverted;
        switch (row.id)
        {
        case IDC_OPT_RECYCLE:
            box.visible = editorAction == EDIT_ACTION_DELETE;
            box.enabled = (mask & OPT_ALLOWUNDO) != 0;
            break;
        case IDC_OPT_CONFIRM:
        case IDC_OPT_ERRORS:
        case IDC_OPT_PROGRESS:
            box.visible = true;
            break;
        case IDC_OPT_RECURSION:
            box.visible = true;
            box.enabled = (mask & OPT_NORECURSION) != 0;
            break;
        case IDC_OPT_FILE_PROGRESS:
            box.visible = true;
            box.enabled = (on & OPT_SILENT) == 0;
            // While progress is off the box is greyed and shows the file
            // progress a run would show once progress is on again.
            box.checked = (on & OPT_SIMPLEPROGRESS) == 0;
            break;
        case IDC_OPT_SUBFOLDERS:
            box.visible = editorAction != EDIT_ACTION_RENAME;
            box.enabled = (mask & OPT_FILESONLY) != 0;
            break;
        case IDC_OPT_CONFIRM_MKDIR:
            box.visible = IsMoveOrCopy(editorAction);
            break;
        default: // security, duplicates, ignore errors, sound
            box.visible = (mask & row.bit) != 0;
            break;
        }
    }
    return boxes;
}

uint32_t StoreOptionBoxes(const OptionBoxes &boxes, uint32_t options)
{
    for (size_t i = 0; i < kOptionBoxCount; ++i)
    {
        const BoxRow &row = kRows[i];
        if (row.id == IDC_OPT_FILE_PROGRESS) continue;
        const bool set = boxes[i].checked != row.inverted;
        options = set ? (options | row.bit) : (options & ~row.bit);
    }
    // The file-progress choice counts only while progress is shown; with
    // progress off it stays as stored, so that turning progress off and on
    // again gives back the command as it was.
    if (!IsBoxChecked(boxes, IDC_OPT_PROGRESS)) return options;
    const bool simple = !IsBoxChecked(boxes, IDC_OPT_FILE_PROGRESS);
    return simple ? (options | OPT_SIMPLEPROGRESS) : (options & ~OPT_SIMPLEPROGRESS);
}

OptionHint OptionBoxHint(int id, const OptionBoxes &boxes, uint32_t mask)
{
    if (!IsBoxChecked(boxes, IDC_OPT_IGNORE_ERRORS) || (mask & OPT_X_IGNORE_ERRORS) == 0)
        return OptionHint::None;
    int i = OptionBoxIndex(id);
    if (i < 0 || !boxes[static_cast<size_t>(i)].checked) return OptionHint::None;
    switch (id)
    {
    case IDC_OPT_ERRORS:
    case IDC_OPT_CONFIRM:
        return OptionHint::Shadow;
    case IDC_OPT_PROGRESS:
        return OptionHint::Light;
    case IDC_OPT_FILE_PROGRESS:
        return boxes[static_cast<size_t>(i)].enabled ? OptionHint::Light : OptionHint::None;
    default:
        return OptionHint::None;
    }
}
