// Normalisation of command file names given by the user: quotes removed,
// the command file extension added, the path made absolute against the
// current directory and the letter case of the parts that exist taken from
// the disk.
#pragma once

#include <string>

extern const wchar_t TASKEL_EXTENSION[]; // ".Taskel"

// An empty path or a root yields an empty result. With `addExtension`, a
// path without extension gets `extension`, one that equals it except for
// case gets it as written, and any other extension is kept, unless
// `forceExtension` appends `extension` after it.
std::wstring NormalizeCommandPath(const std::wstring &path, bool addExtension, bool forceExtension,
                                  const wchar_t *extension = TASKEL_EXTENSION);

// Gives every existing component of an absolute path the letter case it has
// on disk; stops at the first component that does not exist.
std::wstring ApplyDiskCase(const std::wstring &path);
