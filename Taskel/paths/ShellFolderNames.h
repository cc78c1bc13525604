// Display names of folders as the shell shows them, asked of the folder's
// parent. Folders of one parent in a row (a command's sources side by side)
// share one bound parent, which costs a tenth of having the shell parse the
// whole path again for every folder. Used on one thread, inside its COM
// apartment.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <string>

#include "ComPtr.h"

class ShellFolderNames
{
  public:
    // The shell's display name of `folder` (full path, no trailing
    // backslash); false for a folder that is not there or has no name.
    bool Lookup(const std::wstring &folder, std::wstring &name);

  private:
    bool BindParent(const std::wstring &parent);
    bool NameInParent(const std::wstring &leaf, std::wstring &name);

    fx::ComPtr<IShellFolder> m_desktop;
    std::wstring m_parentPath; // the parent m_parent was bound for (or failed for)
    fx::ComPtr<IShellFolder> m_parent;
};

// The same name as SHGetFileInfo gives it, one whole path at a time.
bool WholePathDisplayName(const std::wstring &folder, std::wstring &name);
