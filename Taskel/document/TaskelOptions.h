// The command's vocabulary: stored action codes and their editor numbers,
// the option bits (low 16 = shell file-operation flags, high = our own),
// and the plain functions over them (names, option text, option mask).
// Free of Windows headers so the stream codec can be built natively.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Stored action codes (equal to the shell's operation code for the plain four).
enum : uint32_t
{
    ACTION_NONE = 0,
    ACTION_MOVE = 1,
    ACTION_COPY = 2,
    ACTION_DELETE = 3,
    ACTION_RENAME = 4,
    ACTION_MOVERENAME = 5,
    ACTION_COPYRENAME = 6,
};

// Action numbers of the editor and the automation interface (Delete and
// Rename are swapped against the stored codes).
enum : uint32_t
{
    EDIT_ACTION_NONE = 0,
    EDIT_ACTION_MOVE = 1,
    EDIT_ACTION_COPY = 2,
    EDIT_ACTION_RENAME = 3,
    EDIT_ACTION_DELETE = 4,
    EDIT_ACTION_MOVERENAME = 5,
    EDIT_ACTION_COPYRENAME = 6,
};

// Option bits.
enum : uint32_t
{
    OPT_MULTIDESTFILES = 0x1,
    OPT_CONFIRMMOUSE = 0x2,
    OPT_SILENT = 0x4,
    OPT_RENAMEONCOLLISION = 0x8,
    OPT_NOCONFIRMATION = 0x10,
    OPT_WANTMAPPINGHANDLE = 0x20,
    OPT_ALLOWUNDO = 0x40,
    OPT_FILESONLY = 0x80,
    OPT_SIMPLEPROGRESS = 0x100,
    OPT_NOCONFIRMMKDIR = 0x200,
    OPT_NOERRORUI = 0x400,
    OPT_NOCOPYSECURITYATTRIBS = 0x800,
    OPT_NORECURSION = 0x1000,
    OPT_NO_CONNECTED_ELEMENTS = 0x2000, // unnamed; offered from shell 5 on
    OPT_WANTNUKEWARNING = 0x4000,
    OPT_SHELL_MASK = 0xFFFF,

    OPT_X_IGNORE_ERRORS = 0x10000,
    OPT_X_INCLUDE_HIDDEN = 0x20000,
    OPT_X_COMPLETE_SOUND = 0x40000,
    OPT_X_NO_ANIMATION = 0x80000,
    OPT_TRIAL_RUN = 0x100000,

    OPT_SCRATCH_MASK = 0x0F000000, // used only during expansion, never stored
    OPT_ESCAPE_1 = 0x10000000,     // escape bits: one run only, never stored
    OPT_ESCAPE_2 = 0x20000000,
    OPT_ESCAPE_3 = 0x40000000,
    OPT_ESCAPE_4 = 0x80000000,
    OPT_ESCAPE_MASK = 0xF0000000,

    // A new command: sound at completion, folders without asking, undo,
    // rename on collision.
    OPT_DEFAULTS =
        OPT_X_COMPLETE_SOUND | OPT_NOCONFIRMMKDIR | OPT_ALLOWUNDO | OPT_RENAMEONCOLLISION,
};

// Editor number <-> stored code; anything unknown maps to 0.
uint32_t ActionFromEditorNumber(uint32_t editorNumber);
uint32_t EditorNumberFromAction(uint32_t storedCode);

// "Move", "Copy", ... for a stored code; "---" for any other.
const wchar_t *ActionName(uint32_t storedCode);

// The option name list: names of the set bits joined by ", " in the fixed
// order of the option table; empty when no named bit is set.
std::wstring OptionNames(uint32_t options);

// True when a source specification counts as a URL (scheme of two or more
// characters followed by ':'), so "C:\x" is not one.
bool IsUrlSpec(const std::wstring &spec);

// The option bits meaningful for an action, the shell's major version and
// the source specifications.
uint32_t OptionMask(uint32_t storedCode, unsigned shellMajor,
                    const std::vector<std::wstring> &sources);
