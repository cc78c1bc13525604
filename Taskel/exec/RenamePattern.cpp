// The rename pattern: splits path and pattern into folder, base name and
// extension and applies the character rule to each piece.
#include "RenamePattern.h"

#include <algorithm>

size_t ExtensionStart(const std::wstring &name)
{
    size_t dot = std::wstring::npos;
    for (size_t i = 0; i < name.size(); ++i)
    {
        if (name[i] == L'\\' || name[i] == L' ')
            dot = std::wstring::npos;
        else if (name[i] == L'.')
            dot = i;
    }
    return dot == std::wstring::npos ? name.size() : dot;
}

std::wstring ApplyPatternPiece(const std::wstring &old, const std::wstring &pattern)
{
    std::wstring out;
    size_t b = 0;
    for (size_t i = 0; i < pattern.size(); ++i)
    {
        switch (pattern[i])
        {
        case L'*':
            if (b < old.size())
            {
                out.append(old, b, std::wstring::npos);
                b = old.size();
            }
            break;
        case L'?':
            b = std::max(b, i);
            if (b < old.size()) out += old[b++];
            break;
        case L'~':
            ++b;
            break;
        default:
            out += pattern[i];
            ++b;
            break;
        }
    }
    return out;
}

namespace
{
// Folder (without its separating backslash, a drive root keeps it) and name.
void SplitFolder(const std::wstring &path, std::wstring &folder, std::wstring &name)
{
    size_t slash = path.rfind(L'\\');
    if (slash == std::wstring::npos)
    {
        folder.clear();
        name = path;
        return;
    }
    name = path.substr(slash + 1);
    folder = path.substr(0, slash);
    if (folder.size() == 2 && folder[1] == L':') folder += L'\\';
}
} // namespace

std::wstring ApplyRenamePattern(const std::wstring &path, const std::wstring &pattern)
{
    std::wstring folder, oldName;
    SplitFolder(path, folder, oldName);

    size_t oldDot = ExtensionStart(oldName);
    std::wstring oldBase = oldName.substr(0, oldDot), oldExt = oldName.substr(oldDot);
    size_t patDot = ExtensionStart(pattern);
    std::wstring patBase = pattern.substr(0, patDot), patExt = pattern.substr(patDot);
    if (patExt.empty() || patExt == L".") patExt = L".*";

    std::wstring name = ApplyPatternPiece(oldBase, patBase);
    std::wstring ext = ApplyPatternPiece(oldExt, patExt);
    if (!ext.empty() && ext != L".")
    {
        if (ext[0] != L'.') ext.insert(0, 1, L'.');
        if (name.empty()) name = L"*";
        name += ext;
    }

    if (folder.empty()) return name;
    if (folder.back() != L'\\') folder += L'\\';
    return folder + name;
}
