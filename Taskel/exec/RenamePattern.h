// The rename pattern of the rename actions: a new name made from an old one
// and a pattern, name and extension patterned separately. Plain code without
// Windows headers.
#pragma once

#include <string>

// Applies `pattern` to the file name of `path` and returns the path with the
// new name. In the pattern "*" copies the rest of the old text, "?" copies
// the old character at the same position, "~" drops one old character and
// any other character replaces one. A pattern without an extension (or with
// just ".") keeps the old extension.
std::wstring ApplyRenamePattern(const std::wstring &path, const std::wstring &pattern);

// The character rule on one piece (base name or extension).
std::wstring ApplyPatternPiece(const std::wstring &old, const std::wstring &pattern);

// The extension of a name as the shell finds it: from the last dot of the
// last component, unless a space or backslash follows that dot; empty when
// there is none.
size_t ExtensionStart(const std::wstring &name);
