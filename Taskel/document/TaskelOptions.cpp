// Names, option text and option mask of the command vocabulary. Plain code
// without Windows headers (the stream codec's native build uses it too).
#include "TaskelOptions.h"

uint32_t ActionFromEditorNumber(uint32_t editorNumber)
{
    switch (editorNumber)
    {
    case EDIT_ACTION_MOVE:
        return ACTION_MOVE;
    case EDIT_ACTION_COPY:
        return ACTION_COPY;
    case EDIT_ACTION_RENAME:
        return ACTION_RENAME;
    case EDIT_ACTION_DELETE:
        return ACTION_DELETE;
    case EDIT_ACTION_MOVERENAME:
        return ACTION_MOVERENAME;
    case EDIT_ACTION_COPYRENAME:
        return ACTION_COPYRENAME;
    default:
        return ACTION_NONE;
    }
}

uint32_t EditorNumberFromAction(uint32_t storedCode)
{
    switch (storedCode)
    {
    case ACTION_MOVE:
        return EDIT_ACTION_MOVE;
    case ACTION_COPY:
        return EDIT_ACTION_COPY;
    case ACTION_DELETE:
        return EDIT_ACTION_DELETE;
    case ACTION_RENAME:
        return EDIT_ACTION_RENAME;
    case ACTION_MOVERENAME:
        return EDIT_ACTION_MOVERENAME;
    case ACTION_COPYRENAME:
        return EDIT_ACTION_COPYRENAME;
    default:
        return EDIT_ACTION_NONE;
    }
}

const wchar_t *ActionName(uint32_t storedCode)
{
    switch (storedCode)
    {
    case ACTION_MOVE:
        return L"Move";
    case ACTION_COPY:
        return L"Copy";
    case ACTION_DELETE:
        return L"Delete";
    case ACTION_RENAME:
        return L"Rename";
    case ACTION_MOVERENAME:
        return L"MoveRename";
    case ACTION_COPYRENAME:
        return L"CopyRename";
    default:
        return L"---";
    }
}

namespace
{
struct OptionName
{
    uint32_t bit;
    const wchar_t *name;
};

// The fixed order of the option text (alphabetical for the shell flags,
// then our own bits by value).
const OptionName kOptionNames[] = {
    {OPT_ALLOWUNDO, L"ALLOWUNDO"},
    {OPT_CONFIRMMOUSE, L"CONFIRMMOUSE"},
    {OPT_FILESONLY, L"FILESONLY"},
    {OPT_MULTIDESTFILES, L"MULTIDESTFILES"},
    {OPT_NOCONFIRMATION, L"NOCONFIRMATION"},
    {OPT_NOCONFIRMMKDIR, L"NOCONFIRMMKDIR"},
    {OPT_NOCOPYSECURITYATTRIBS, L"NOCOPYSECURITYATTRIBS"},
    {OPT_NOERRORUI, L"NOERRORUI"},
    {OPT_NORECURSION, L"NORECURSION"},
    {OPT_RENAMEONCOLLISION, L"RENAMEONCOLLISION"},
    {OPT_SILENT, L"SILENT"},
    {OPT_SIMPLEPROGRESS, L"SIMPLEPROGRESS"},
    {OPT_WANTMAPPINGHANDLE, L"WANTMAPPINGHANDLE"},
    {OPT_WANTNUKEWARNING, L"WANTNUKEWARNING"},
    {OPT_X_IGNORE_ERRORS, L"X_IGNORE_ERRORS"},
    {OPT_X_INCLUDE_HIDDEN, L"X_INCLUDE_HIDDEN"},
    {OPT_X_COMPLETE_SOUND, L"X_COMPLETE_SOUND"},
    {OPT_X_NO_ANIMATION, L"X_NO_ANIMATION"},
    {OPT_TRIAL_RUN, L"_TRIAL_RUN"},
};

void AppendName(std::wstring &text, const std::wstring &name)
{
    if (!text.empty()) text += L", ";
    text += name;
}

bool IsWildcard(wchar_t c)
{
    return c == L'*' || c == L'?';
}

bool IsSchemeChar(wchar_t c)
{
    return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9') ||
           c == L'+' || c == L'-' || c == L'.';
}
} // namespace

std::wstring OptionNames(uint32_t options)
{
    std::wstring text;
    for (const OptionName &entry : kOptionNames)
        if (options & entry.bit) AppendName(text, entry.name);
    for (unsigned i = 1; i <= 4; ++i)
        if (options & (OPT_ESCAPE_1 << (i - 1))) AppendName(text, L"_ESCAPE_" + std::to_wstring(i));
    return text;
}

bool IsUrlSpec(const std::wstring &spec)
{
    size_t colon = spec.find(L':');
    if (colon == std::wstring::npos || colon < 2) return false;
    wchar_t first = spec[0];
    if (!((first >= L'a' && first <= L'z') || (first >= L'A' && first <= L'Z'))) return false;
    for (size_t i = 1; i < colon; ++i)
        if (!IsSchemeChar(spec[i])) return false;
    return true;
}

uint32_t OptionMask(uint32_t storedCode, unsigned shellMajor,
                    const std::vector<std::wstring> &sources)
{
    const bool shell5 = shellMajor >= 5;
    uint32_t mask;
    bool bySources = true;
    switch (storedCode)
    {
    case ACTION_MOVE:
    case ACTION_MOVERENAME:
        mask = shell5 ? 0x7671C : 0x7471C;
        break;
    case ACTION_COPY:
    case ACTION_COPYRENAME:
        mask = shell5 ? 0x76F1C : 0x74F1C;
        break;
    case ACTION_DELETE:
        mask = shell5 ? 0x76554 : 0x74554;
        break;
    case ACTION_RENAME:
        mask = shell5 ? 0x73514 : 0x71514;
        bySources = false;
        break;
    default:
        return 0;
    }
    if (!bySources) return mask;

    for (const std::wstring &source : sources)
    {
        // Empty sources, URLs and folders (trailing backslash) count as
        // ending with a backslash; only the others have a file-name part.
        if (source.empty() || IsUrlSpec(source) || source.back() == L'\\') continue;
        mask |= OPT_NORECURSION;
        size_t slash = source.rfind(L'\\');
        size_t nameStart = slash == std::wstring::npos ? 0 : slash + 1;
        for (size_t i = nameStart; i < source.size(); ++i)
            if (IsWildcard(source[i]))
            {
                mask |= OPT_FILESONLY;
                break;
            }
    }
    return mask;
}
