// How the command page shows and takes one path specification: the text of
// the specification view (the folder relative to the command file's folder
// where it lies below it), the words of the description view (the path
// describer), whether a typed text can be stored, and the form a pasted
// path is stored in.
#pragma once

#include <cstdint>
#include <string>

// A specification resolved against the command file's folder.
struct ResolvedEntry
{
    std::wstring full;   // folder and file name, fully qualified (URLs unchanged)
    std::wstring rename; // rename part, without its separator
    bool url = false;
    bool valid = true; // false when it cannot be qualified or is too long
};
ResolvedEntry ResolveEntry(const std::wstring &entry, const std::wstring &baseFolder);

// `path` relative to `baseFolder` when it lies at or below it, else empty.
std::wstring RelativeBelow(const std::wstring &path, const std::wstring &baseFolder);

// The specification view's text of `entry`.
std::wstring SpecDisplayText(const std::wstring &entry, const std::wstring &baseFolder);

// The description view's markup of `entry` for `editorAction`; on failure
// the combined path (escaped for the markup) and a trace line.
std::wstring DescriptionMarkup(const std::wstring &entry, const std::wstring &baseFolder,
                               uint32_t editorAction);

// Asks the shell-folder cache for the names the description of `entry` will
// use, so that they are gathered before its row is described.
void RequestEntryNames(const std::wstring &entry, const std::wstring &baseFolder);

// True when the path object can hold `typed`: it qualifies against the base
// folder, fits the shell's buffers and holds no character a path cannot.
bool EntryAccepted(const std::wstring &typed, const std::wstring &baseFolder);

// A pasted path as it is stored: trimmed, relative to the base folder when
// `relative` is set and it lies below it, otherwise fully qualified.
std::wstring NormalisePastedPath(const std::wstring &path, const std::wstring &baseFolder,
                                 bool relative);
