// The engine's path object CShellFilePath (base folder, folder, file name)
// and its rename-keeping variant CExecFilePath, plus the path predicates
// the expansion decides on (wildcards, roots and shares, folder specs,
// rename parts).
#pragma once

#include <windows.h>

#include <string>

#include "NoCase.h"

namespace execpath
{

// Longest path (without its terminating zero) that the shell's fixed
// 260-character buffers hold.
constexpr size_t MAX_PATH_CHARS = MAX_PATH - 1;
constexpr size_t MAX_URL_CHARS = 2084;

bool IsUrl(const std::wstring &text);
// Length of a leading "\\?\UNC\", "\\?\" or "\\.\" (0 without one). Such a
// prefix begins the path; its "?" is no wildcard.
size_t PrefixLength(const std::wstring &path);
// A "*" or "?" after any prefix.
bool HasWildcard(const std::wstring &text);
// A drive root, a UNC server or a UNC share (with or without backslash).
bool IsRootOrShare(const std::wstring &path);
// Ends with a backslash; an empty text and a URL count too.
bool IsFolderSpec(const std::wstring &spec);
// "*.*" or "*".
bool IsAllPattern(const std::wstring &name);
// The last component; empty for a folder spec.
std::wstring FileNamePart(const std::wstring &spec);
// Trailing backslash removed (a drive root keeps it) or added.
std::wstring RemoveBackslash(const std::wstring &path);
std::wstring AddBackslash(const std::wstring &path);
// The folder that holds the last component; a root stays itself.
std::wstring ParentFolder(const std::wstring &path);
// First path separator and the next character is none.
bool IsDriveRelative(const std::wstring &path);
bool NeedsBase(const std::wstring &path);

// Splits the rename part (after the first ">" or "|" of the file-name part)
// off a specification; URLs and folder specs have none.
void SplitRenamePart(const std::wstring &spec, std::wstring &path, std::wstring &rename);
// A rename part names a file in the folder it is applied in: no folder
// separator, drive colon or "..".
bool IsSafeRenamePart(const std::wstring &rename);

// PathCanonicalize that keeps a prefix as it is (the shell's helpers take
// "\\.\" for a folder named "."). False when the result does not fit.
bool CanonicalizePath(const std::wstring &path, std::wstring &canonical);

std::wstring FoldCase(const std::wstring &text);

// The error line for a resolved path that the shell's buffers cannot hold.
void TraceTooLong(const std::wstring &path);
// True when `path` fits; otherwise traces it and returns false.
bool FitsPath(const std::wstring &path);

} // namespace execpath

class CShellFilePath
{
  public:
    // Resolves `spec` (URL canonicalised, anything else qualified) and
    // splits it into folder and file name.
    void Split(const std::wstring &spec);
    // Folder, backslash and file name (the file name alone without folder).
    std::wstring Combine() const;
    std::wstring Folder(bool withBackslash) const;
    // The folder relative to the base folder, with trailing backslash;
    // empty when they are the same.
    std::wstring Remainder() const;

    const std::wstring &FilePart() const { return m_file; }
    const std::wstring &BaseFolder() const { return m_base; }
    void SetFilePart(const std::wstring &name) { m_file = name; }
    void SetFolder(const std::wstring &path);
    void SetBaseFolder(const std::wstring &path);

    // False when a resolved piece was too long for the shell's buffers.
    bool IsValid() const { return m_valid; }

  protected:
    std::wstring m_base;
    std::wstring m_folder;
    std::wstring m_file;
    bool m_valid = true;
};

// The engine's variant: the rename part stays attached to the file name.
class CExecFilePath : public CShellFilePath
{
  public:
    void SetSpec(const std::wstring &spec);
    // "*.*" keeps an existing rename part.
    void SetFilePart(const std::wstring &name);
    // Removes the rename part from the file name and returns it.
    std::wstring TakeRenamePart();
};
