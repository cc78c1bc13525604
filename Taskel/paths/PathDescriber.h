// The path describer: turns a resolved path specification into words, such
// as "All files in My Documents on disk Main (C:)", as rich-text markup
// (RtfMarkup) whose plain form is the same text without markup. The phrases
// are string-table entries of the calling library; disk labels and folder
// display names come from look-ups (the shell-folder cache), and what is
// not known yet is described from the path alone.
#pragma once

#include <windows.h>

#include <string>

// Phrase numbers, relative to the first phrase id the caller gives.
enum DescribePhrase : unsigned
{
    PHRASE_ALL_FILES = 0,   // "All files"
    PHRASE_EXTENSION = 1,   // "All %1 files"
    PHRASE_FILE = 2,        // a file name
    PHRASE_FOLDER = 3,      // a folder name
    PHRASE_IN = 4,          // "%1 in %2"
    PHRASE_ON_DISK = 5,     // "%1 on disk %2"
    PHRASE_DRIVE_LABEL = 6, // "%1 (%2)": label and drive
    PHRASE_DRIVE = 7,       // "%1": drive alone
    PHRASE_WHOLE_DISK = 8,  // "Everything on disk %1"
    PHRASE_FOLDER_PATH = 9, // folders between the disk and the named folder
    PHRASE_COMPUTER = 56,   // "computer %1"
    PHRASE_SHARE = 57,      // "share %1 on computer %2"
    PHRASE_URL = 58,        // "web address %1"
    PHRASE_PATTERN = 59,    // "Files matching %1"
    PHRASE_ON_SHARE = 60,   // "%1 on %2"
};

struct DescribeContext
{
    // Loads phrase `first + number` of the caller's string table.
    std::wstring (*loadString)(UINT id) = nullptr;
    UINT firstPhrase = 0;
    // Look-ups; a null function or false means unknown.
    bool (*volumeLabel)(const std::wstring &root, std::wstring &label) = nullptr;
    bool (*displayName)(const std::wstring &folder, std::wstring &name) = nullptr;
    // Renaming phrase ids ("%1, renamed by the pattern %2", "%1, renamed to
    // %2"); 0 when the action does not rename.
    UINT renamedByPattern = 0;
    UINT renamedTo = 0;
};

// Describes `path` (fully resolved: a drive path, a UNC path or a URL;
// `rename` is its rename part, without the separator). False when the path
// is none of these or a phrase is missing.
bool DescribePath(const std::wstring &path, const std::wstring &rename,
                  const DescribeContext &context, std::wstring &markup);

// "%1", "%2" in `format` replaced by the arguments.
std::wstring FormatPhrase(const std::wstring &format, const std::wstring &arg1,
                          const std::wstring &arg2 = std::wstring());
