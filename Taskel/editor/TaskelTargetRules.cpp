// The target pages' decisions: settings keys and profile values, relative
// and absolute folders, file name and rename part, the list filter.
#include "TaskelTargetRules.h"

#include <shlwapi.h>

#include "NoCase.h"
#include "RegKey.h"
#include "TaskelEntryText.h"
#include "TaskelExecPath.h"
#include "TaskelOptions.h"

using namespace execpath;

const wchar_t *TargetSettingsKey(long currentIndex)
{
    return currentIndex == -1 ? L"ToPath" : L"FromPath";
}

bool ReadRelativeSetting(const std::wstring &profileKey, const wchar_t *settingsKey)
{
    fx::CRegKey key(HKEY_CURRENT_USER, (profileKey + L"\\" + settingsKey).c_str());
    fx::CRegDWord value(key.Handle(), L"Relative");
    return value.Value() != 0;
}

void WriteRelativeSetting(const std::wstring &profileKey, const wchar_t *settingsKey,
                          bool relative)
{
    fx::CRegKey key(HKEY_CURRENT_USER, (profileKey + L"\\" + settingsKey).c_str(), false, true);
    fx::CRegDWord value(key.Handle(), L"Relative", true);
    value.Write(relative ? 1 : 0);
}

std::wstring ReadNewCommandPath(const std::wstring &profileKey)
{
    fx::CRegKey key(HKEY_CURRENT_USER, (profileKey + L"\\Settings").c_str());
    fx::CRegString value(key.Handle(), L"New Command Path");
    return value.Text();
}

void WriteNewCommandPath(const std::wstring &profileKey, const std::wstring &folder)
{
    fx::CRegKey key(HKEY_CURRENT_USER, (profileKey + L"\\Settings").c_str(), false, true);
    fx::CRegString value(key.Handle(), L"New Command Path", true);
    value.Write(folder.c_str());
}

bool TargetActionRenames(uint32_t editorAction)
{
    return editorAction == EDIT_ACTION_RENAME || editorAction == EDIT_ACTION_MOVERENAME ||
           editorAction == EDIT_ACTION_COPYRENAME;
}

bool TargetRenameOnly(uint32_t editorAction)
{
    return editorAction == EDIT_ACTION_RENAME;
}

std::wstring ResolveStepFolder(const std::wstring &folder, const std::wstring &base)
{
    if (folder.empty()) return std::wstring();
    std::wstring path = folder;
    if (NeedsBase(path) && !base.empty())
    {
        if (IsDriveRelative(path))
        {
            // "\dir" reads from the root of the base folder's disk.
            wchar_t root[MAX_PATH];
            lstrcpynW(root, base.c_str(), MAX_PATH);
            if (!PathStripToRootW(root)) return std::wstring();
            std::wstring drive = root;
            if (!drive.empty() && drive.back() == L'\\') drive.pop_back();
            path = drive + path;
        }
        else
            path = AddBackslash(base) + path;
    }
    std::wstring canonical;
    if (!CanonicalizePath(path, canonical)) return std::wstring();
    return AddBackslash(canonical);
}

std::wstring StoredStepFolder(const std::wstring &folder, const std::wstring &base,
                              bool relative)
{
    const std::wstring absolute = AddBackslash(folder);
    if (!relative || base.empty() || folder.empty()) return absolute;
    if (EqualNoCase(RemoveBackslash(absolute), RemoveBackslash(base))) return L".\\";
    wchar_t path[MAX_PATH];
    if (!PathRelativePathToW(path, RemoveBackslash(base).c_str(), FILE_ATTRIBUTE_DIRECTORY,
                             RemoveBackslash(absolute).c_str(), FILE_ATTRIBUTE_DIRECTORY))
        return absolute; // another disk or share: no relative path exists
    std::wstring text = path;
    if (text.compare(0, 2, L".\\") == 0) text.erase(0, 2);
    return text.empty() ? std::wstring(L".\\") : AddBackslash(text);
}

std::wstring DisplayStepFolder(const std::wstring &folder, const std::wstring &base,
                               bool relative)
{
    if (folder.empty()) return std::wstring();
    const std::wstring absolute = ResolveStepFolder(folder, base);
    if (absolute.empty()) return RemoveBackslash(folder);
    std::wstring shown;
    if (relative)
        shown = StoredStepFolder(absolute, base, true);
    else
    {
        shown = RelativeBelow(absolute, base);
        if (shown.empty()) shown = absolute;
    }
    if (shown == L".\\") return L".";
    return RemoveBackslash(shown);
}

TargetFileText SplitTargetFile(const std::wstring &file)
{
    const size_t at = file.find_first_of(L">|");
    if (at == std::wstring::npos) return {file, std::wstring()};
    return {file.substr(0, at), file.substr(at + 1)};
}

std::wstring JoinTargetFile(const std::wstring &name, const std::wstring &rename)
{
    return rename.empty() ? name : name + L">" + rename;
}

std::wstring TargetFileFilter(const std::wstring &fileName, const std::wstring &typeExtension)
{
    const std::wstring name = SplitTargetFile(fileName).name;
    std::wstring title = name;
    std::wstring ownExtension;
    const size_t dot = name.rfind(L'.');
    if (dot != std::wstring::npos && !HasWildcard(name.substr(dot)))
    {
        title = name.substr(0, dot);
        ownExtension = name.substr(dot);
    }
    const bool wild = HasWildcard(name);
    if (title.empty() || !wild) title = L"*";
    std::wstring extension = typeExtension.empty() ? std::wstring(L".*") : typeExtension;
    if (extension == L".*" && wild && !ownExtension.empty()) extension = ownExtension;
    return title + extension;
}

std::wstring PickedTargetFile(const std::wstring &picked, const std::wstring &current,
                              bool renaming)
{
    if (!renaming) return picked;
    return JoinTargetFile(picked, SplitTargetFile(current).rename);
}

std::wstring RetypedTargetFile(const std::wstring &file, const std::wstring &typeExtension)
{
    TargetFileText parts = SplitTargetFile(file);
    if (typeExtension.empty() || typeExtension == L".*" || !HasWildcard(parts.name)) return file;
    const size_t dot = parts.name.rfind(L'.');
    if (dot != std::wstring::npos && !HasWildcard(parts.name.substr(dot)))
        parts.name.erase(dot);
    return JoinTargetFile(parts.name + typeExtension, parts.rename);
}
