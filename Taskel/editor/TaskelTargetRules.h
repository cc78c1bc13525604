// The plain decisions of the wizard's target pages (Location, Folder and
// File): which settings key a step uses, how a folder is stored and shown
// relative to the command file's folder, how the file name edit splits into
// name and rename part, the File page's list filter, and what a picked file
// puts into the edit. No window is needed to call them.
#pragma once

#include <cstdint>
#include <string>

// The profile key whose value "Relative" keeps a step's relative mode:
// "FromPath" for a source step, "ToPath" for the target (index -1).
const wchar_t *TargetSettingsKey(long currentIndex);

// Reads and writes "Relative" under `settingsKey` below the application
// profile key (`profileKey`, under HKEY_CURRENT_USER); missing means off.
bool ReadRelativeSetting(const std::wstring &profileKey, const wchar_t *settingsKey);
void WriteRelativeSetting(const std::wstring &profileKey, const wchar_t *settingsKey,
                          bool relative);
// "New Command Path" in the profile's section "Settings": the folder of
// the last new command file.
std::wstring ReadNewCommandPath(const std::wstring &profileKey);
void WriteNewCommandPath(const std::wstring &profileKey, const std::wstring &folder);

// Whether the File page shows the new-name edit (Rename, MoveRename,
// CopyRename), and whether the page is a rename-only page (Rename).
bool TargetActionRenames(uint32_t editorAction);
bool TargetRenameOnly(uint32_t editorAction);

// A step's folder (absolute, relative to `base`, or empty) as an absolute
// folder with trailing backslash; empty stays empty. `base` is the command
// file's folder.
std::wstring ResolveStepFolder(const std::wstring &folder, const std::wstring &base);

// What the step stores for the absolute `folder`: in relative mode the path
// from `base` to it (".\" for the base itself, "..\" steps where it lies
// beside it, absolute where no relative path exists, as on another disk),
// otherwise the absolute folder; always with trailing backslash.
std::wstring StoredStepFolder(const std::wstring &folder, const std::wstring &base,
                              bool relative);

// The folder as the pages show it, without trailing backslash: relative to
// `base` in relative mode or where it lies below `base`, else absolute.
// The base itself shows as "." in relative mode.
std::wstring DisplayStepFolder(const std::wstring &folder, const std::wstring &base,
                               bool relative);

// A step's file text split at the first ">" or "|" into the name and the
// rename part (without the separator), and joined again with ">".
struct TargetFileText
{
    std::wstring name;
    std::wstring rename;
};
TargetFileText SplitTargetFile(const std::wstring &file);
std::wstring JoinTargetFile(const std::wstring &name, const std::wstring &rename);

// The File page's list filter: the name (rename part and extension removed)
// when it holds a wildcard, else "*", followed by the type's extension. For
// all files (".*") a wildcard name keeps its own extension.
std::wstring TargetFileFilter(const std::wstring &fileName, const std::wstring &typeExtension);

// The file edit's text after `picked` was chosen in the list: the picked
// name, with the rename part of `current` re-attached on a renaming page.
std::wstring PickedTargetFile(const std::wstring &picked, const std::wstring &current,
                              bool renaming);

// The file text after a type was chosen: a name with a wildcard takes the
// type's extension ("rep*.log" with ".txt" gives "rep*.txt"); any other
// name, and all files (".*"), leave it as it is.
std::wstring RetypedTargetFile(const std::wstring &file, const std::wstring &typeExtension);
