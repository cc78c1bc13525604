// Rules of the source and target lists: labels, reordering, pasting and
// what an in-place edit stores.
#include "TaskelListRules.h"

#include "TaskelOptions.h"
#include "resource.h"

ListLabels LabelsForAction(uint32_t editorAction)
{
    switch (editorAction)
    {
    case EDIT_ACTION_MOVE:
    case EDIT_ACTION_MOVERENAME:
        return {IDS_MOVE_FROM, IDS_MOVE_TO};
    case EDIT_ACTION_COPY:
    case EDIT_ACTION_COPYRENAME:
        return {IDS_COPY_FROM, IDS_COPY_TO};
    case EDIT_ACTION_RENAME:
        return {IDS_RENAME_FROM, IDS_RENAME_TO};
    case EDIT_ACTION_DELETE:
        return {IDS_DELETE_FROM, 0};
    default:
        return {IDS_COPY_FROM, IDS_COPY_TO};
    }
}

bool ActionHasTarget(uint32_t editorAction)
{
    return editorAction != EDIT_ACTION_RENAME && editorAction != EDIT_ACTION_DELETE;
}

bool CanMoveUp(int selection, size_t count)
{
    return selection > 0 && static_cast<size_t>(selection) < count;
}

bool CanMoveDown(int selection, size_t count)
{
    return selection >= 0 && static_cast<size_t>(selection) + 1 < count;
}

std::vector<std::wstring> PasteOver(const std::vector<std::wstring> &entries, size_t row,
                                    const std::vector<std::wstring> &paths)
{
    std::vector<std::wstring> result = entries;
    size_t at = row < result.size() ? row : result.size();
    for (const std::wstring &raw : paths)
    {
        std::wstring path = TrimSpec(raw);
        if (path.empty()) continue;
        if (at < result.size())
            result[at] = path;
        else
            result.push_back(path);
        ++at;
    }
    return result;
}

bool PageTakesPaste(bool descriptionView, size_t pathCount, bool clipboardHasText)
{
    return descriptionView || pathCount > 1 || !clipboardHasText;
}

LabelEditResult DecideLabelEdit(const std::wstring &typed, const std::wstring &stored,
                                bool isNewRow, bool accepted)
{
    const std::wstring text = TrimSpec(typed);
    if (text.empty())
        return isNewRow || stored.empty() ? LabelEditResult::Unchanged : LabelEditResult::Remove;
    if (!isNewRow && text == stored) return LabelEditResult::Unchanged;
    return accepted ? LabelEditResult::Store : LabelEditResult::Refuse;
}

std::wstring TrimSpec(const std::wstring &text)
{
    const wchar_t *blanks = L" \t\r\n";
    size_t first = text.find_first_not_of(blanks);
    if (first == std::wstring::npos) return std::wstring();
    size_t last = text.find_last_not_of(blanks);
    return text.substr(first, last - first + 1);
}
