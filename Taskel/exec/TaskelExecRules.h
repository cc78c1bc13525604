// The engine's rules shared by resolution, matching and targets, as plain
// functions over paths and flags (TaskelExecRules.cpp), and the engine's
// scratch flag bits.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "TaskelExecPath.h"

using StringArray = std::vector<std::wstring>;

// Bits of the flags used only while ExpandSources runs.
enum : DWORD
{
    EXEC_RECURSION_OFF = 0x01000000, // a source was enumerated or added unchanged
    EXEC_RECURSION_ON = 0x02000000,  // a wildcard source is left to the shell
    EXEC_INSIDE_WILD = 0x04000000,   // entry found under a wildcard folder component
    EXEC_SCRATCH_BITS = 0x0F000000,
};

namespace execspec
{
// The enumerate decision: whether the engine lists the entries of `path`
// itself instead of handing it to the shell unchanged.
bool IsEnumerable(DWORD action, DWORD flags, const CShellFilePath &path);
// Whether a found entry (trailing backslash for a folder) is taken for the
// pattern in `pattern`.
bool MatchesPattern(DWORD action, DWORD flags, const std::wstring &entry,
                    const CShellFilePath &pattern);
// The target entry of a match found while expanding a specification whose
// text and name are `text` and `name`.
std::wstring MatchTargetEntry(DWORD action, DWORD flags, const std::wstring &match,
                              const std::wstring &text, const std::wstring &name,
                              const std::wstring &rename);
bool IsRenameAction(DWORD action);
// Whether the engine's scans go into a found entry: folders only, and no
// reparse point (a junction or symbolic link may lead out of the tree or
// back into it).
bool DescendsInto(DWORD attributes);

// The double-null list of `entries` (trailing backslashes removed, a drive
// root keeps its own); each entry traced as `lineFormat` at `level`.
std::wstring DoubleNullList(const StringArray &entries, DWORD level, const wchar_t *lineFormat);
// The entries of a double-null list.
StringArray SplitDoubleNull(const std::wstring &list);
} // namespace execspec
