// CJotwellDef, one trace-log definition (component) the settings page
// edits, and the page's plain decisions over it: what the two edits show,
// which "Reset" buttons are enabled, and what a change of the level or of
// the file name or location does to the definition. No window here; the
// page moves data between these functions and its controls.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct CJotwellDef
{
    HKEY root = HKEY_CURRENT_USER;
    std::wstring keyName;    // below Software\Veltrac
    std::wstring keyNameAlt; // optional second subkey whose values override (empty: none)
    std::wstring title;      // shown in the component list
    WORD logLevel = 0;       // "LogLevel"; the page edits the low four bits
    std::wstring logName;    // "LogFile": empty, a bare file name or a full path
    std::wstring defaultName; // the host's log file name, trimmed
};
using CJotwellDefArray = std::vector<CJotwellDef>;

// What the file name and location edits show.
struct JotwellFileView
{
    std::wstring location;
    std::wstring fileName;
};

// Blanks (spaces, tabs, line breaks) removed at both ends.
std::wstring TrimBlanks(const std::wstring &text);
// True when `name` has no drive, folder or slash (":", "\" or "/").
bool IsBareFileName(const std::wstring &name);
// Folder part of a path without its trailing backslash (a root keeps it:
// "C:\"); the file part after the last backslash or slash.
std::wstring FolderPart(const std::wstring &path);
std::wstring FilePart(const std::wstring &path);
// Location and file name joined with one backslash.
std::wstring CombinePath(const std::wstring &location, const std::wstring &fileName);
bool SameText(const std::wstring &a, const std::wstring &b); // case-insensitive

// The all-users desktop for a definition kept in HKEY_LOCAL_MACHINE (when
// known), otherwise the user's desktop.
std::wstring DefaultLocation(const CJotwellDef &def, const std::wstring &userDesktop,
                             const std::wstring &commonDesktop);

// The radio button level (0..4) for a level word: its low four bits, or -1
// when those are 5..15 (no button checked).
int RadioLevel(WORD logLevel);
// A level chosen with the radio buttons: the low four bits replaced, the
// upper bits kept. True when the definition changed.
bool ApplyLevel(CJotwellDef &def, int level);

// The edits for a definition: a bare log name shows the default location,
// a full path its folder; empty parts show the defaults.
JotwellFileView ShowDefinition(const CJotwellDef &def, const std::wstring &defaultLocation);
bool LocationResetEnabled(const JotwellFileView &view, const std::wstring &defaultLocation);
bool FileResetEnabled(const JotwellFileView &view, const CJotwellDef &def);

// The change handler for the file name and location: normalises `view`
// (a typed path split into location and name, ".log" added, defaults for
// empty parts) and stores the result as the definition's log name (empty
// for the default name at the default location, the bare name at the
// default location, else the full path). True when the log name changed.
bool ApplyFileChange(CJotwellDef &def, JotwellFileView &view, const std::wstring &defaultLocation);
