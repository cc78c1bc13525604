// The source and target lists of the command page as plain logic: labels by
// action, the move-up/move-down rules, reordering, deleting and pasting into
// the source entries, and the decision what an in-place edit stores.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// String ids of the list labels for an action (editor numbering); the
// target id is 0 when the action has no target (Delete, and none).
struct ListLabels
{
    unsigned sourceId = 0;
    unsigned targetId = 0;
};
ListLabels LabelsForAction(uint32_t editorAction);
// Rename and Delete have no target list: the source list takes its room.
bool ActionHasTarget(uint32_t editorAction);

// `selection` is a row of the source list, whose last row (index `count`)
// is the empty row for a new entry.
bool CanMoveUp(int selection, size_t count);
bool CanMoveDown(int selection, size_t count);

// Writes `paths` over the entries from `row` on (the empty last row and
// beyond append); empty paths are skipped. Returns the new list.
std::vector<std::wstring> PasteOver(const std::vector<std::wstring> &entries, size_t row,
                                    const std::vector<std::wstring> &paths);

// Whether the page takes a paste itself rather than leaving a single text
// to the focused in-place editor.
bool PageTakesPaste(bool descriptionView, size_t pathCount, bool clipboardHasText);

// What an in-place edit of a row does.
enum class LabelEditResult
{
    Unchanged, // same as the stored entry (or cancelled): nothing to do
    Store,     // store `typed` (trimmed) as the entry
    Remove,    // an empty text on an existing entry removes it
    Refuse,    // the path object cannot hold the text: keep the old entry, beep
};
// `accepted` tells whether the path object accepts the typed text.
LabelEditResult DecideLabelEdit(const std::wstring &typed, const std::wstring &stored,
                                bool isNewRow, bool accepted);

// Trims blanks (space, tab, CR, LF) at both ends.
std::wstring TrimSpec(const std::wstring &text);
