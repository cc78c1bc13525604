// The settings page's plain decisions over one definition: the two edits'
// texts, the "Reset" buttons and the change handler.
#include "JotwellDef.h"

#include <shlwapi.h>

namespace
{
const wchar_t kBlanks[] = L" \t\r\n";
const wchar_t kLogExtension[] = L".log";

// A typed path with "." and ".." resolved; unchanged when the system
// cannot canonicalise it (too long for its buffer).
std::wstring Canonical(const std::wstring &path)
{
    if (path.size() >= MAX_PATH) return path;
    wchar_t result[MAX_PATH] = L"";
    return ::PathCanonicalizeW(result, path.c_str()) ? std::wstring(result) : path;
}

// The extension of a file name (from its last dot), or empty.
size_t ExtensionStart(const std::wstring &name)
{
    size_t dot = name.rfind(L'.');
    return dot == std::wstring::npos ? name.size() : dot;
}
} // namespace

std::wstring TrimBlanks(const std::wstring &text)
{
    size_t first = text.find_first_not_of(kBlanks);
    if (first == std::wstring::npos) return std::wstring();
    size_t last = text.find_last_not_of(kBlanks);
    return text.substr(first, last - first + 1);
}

bool IsBareFileName(const std::wstring &name)
{
    return name.find_first_of(L":\\/") == std::wstring::npos;
}

std::wstring FilePart(const std::wstring &path)
{
    size_t slash = path.find_last_of(L"\\/");
    size_t colon = path.find(L':');
    size_t cut = slash;
    if (cut == std::wstring::npos || (colon != std::wstring::npos && colon > cut)) cut = colon;
    return cut == std::wstring::npos ? path : path.substr(cut + 1);
}

std::wstring FolderPart(const std::wstring &path)
{
    std::wstring folder = path.substr(0, path.size() - FilePart(path).size());
    // "C:\" and "\" stay roots; "C:\Logs\" loses its backslash.
    while (folder.size() > 1 && (folder.back() == L'\\' || folder.back() == L'/') &&
           !(folder.size() == 3 && folder[1] == L':'))
        folder.pop_back();
    return folder;
}

std::wstring CombinePath(const std::wstring &location, const std::wstring &fileName)
{
    if (location.empty()) return fileName;
    if (fileName.empty()) return location;
    const wchar_t last = location.back();
    if (last == L'\\' || last == L'/') return location + fileName;
    return location + L"\\" + fileName;
}

bool SameText(const std::wstring &a, const std::wstring &b)
{
    return ::CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                  static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

std::wstring DefaultLocation(const CJotwellDef &def, const std::wstring &userDesktop,
                             const std::wstring &commonDesktop)
{
    if (def.root == HKEY_LOCAL_MACHINE && !commonDesktop.empty()) return commonDesktop;
    return userDesktop;
}

int RadioLevel(WORD logLevel)
{
    int level = logLevel & 0x0F;
    return level <= 4 ? level : -1;
}

bool ApplyLevel(CJotwellDef &def, int level)
{
    if (level < 0 || level > 4) level = 0;
    if ((def.logLevel & 0x0F) == level) return false;
    def.logLevel = static_cast<WORD>((def.logLevel & ~0x0F) | level);
    return true;
}

JotwellFileView ShowDefinition(const CJotwellDef &def, const std::wstring &defaultLocation)
{
    JotwellFileView view;
    view.fileName = def.logName;
    if (!IsBareFileName(view.fileName))
    {
        view.location = FolderPart(def.logName);
        view.fileName = FilePart(def.logName);
    }
    if (view.location.empty()) view.location = defaultLocation;
    if (view.fileName.empty()) view.fileName = def.defaultName;
    return view;
}

bool LocationResetEnabled(const JotwellFileView &view, const std::wstring &defaultLocation)
{
    return !SameText(view.location, defaultLocation);
}

bool FileResetEnabled(const JotwellFileView &view, const CJotwellDef &def)
{
    return !SameText(view.fileName, def.defaultName);
}

bool ApplyFileChange(CJotwellDef &def, JotwellFileView &view, const std::wstring &defaultLocation)
{
    view.fileName = TrimBlanks(view.fileName);
    if (!view.fileName.empty() && !IsBareFileName(view.fileName))
    {
        const std::wstring path = Canonical(view.fileName);
        view.location = FolderPart(path);
        view.fileName = FilePart(path);
    }
    if (view.fileName.empty()) view.fileName = def.defaultName;
    // A name without extension (or ending in ".") is a log file. An empty
    // name (no default either) stays empty: the trace log's own default.
    if (!view.fileName.empty())
    {
        const size_t dot = ExtensionStart(view.fileName);
        if (dot == view.fileName.size() || dot + 1 == view.fileName.size())
            view.fileName = view.fileName.substr(0, dot) + kLogExtension;
    }
    if (view.location.empty()) view.location = defaultLocation;

    const std::wstring before = def.logName;
    if (!SameText(view.location, defaultLocation))
    {
        const std::wstring fullPath = CombinePath(view.location, view.fileName);
        if (!SameText(fullPath, def.logName)) def.logName = fullPath;
    }
    else if (!def.defaultName.empty() && SameText(view.fileName, def.defaultName))
    {
        def.logName.clear();
    }
    else if (!SameText(def.logName, view.fileName))
    {
        def.logName = view.fileName;
    }
    return def.logName != before;
}
