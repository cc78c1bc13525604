// CFileTypeList: a drop-down list of file types ("Text Document (*.txt)")
// that yields the chosen type's extension. Its first entry stands for all
// files (extension ".*"); the rest are the types registered in the system
// that have a description. The filetypes functions are the decisions
// behind it, callable without a window.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace filetypes
{

// The extension of the entry that stands for all files.
extern const wchar_t kAllFiles[]; // ".*"

struct FileType
{
    std::wstring extension; // ".txt"
    std::wstring description;
};

// "Text Document (*.txt)"; the description alone for all files; "(*.xyz)"
// for a type without description.
std::wstring EntryText(const FileType &type);

// The extension of a file name (".txt"), empty without one. A name whose
// extension holds a wildcard ("rep.t*") has none.
std::wstring ExtensionOf(const std::wstring &name);

// The index of the type with `extension` (case-insensitive), or -1.
int FindType(const std::vector<FileType> &types, const std::wstring &extension);

// The registered types with a description, sorted by description.
std::vector<FileType> RegisteredTypes();

} // namespace filetypes

class CFileTypeList
{
  public:
    CFileTypeList() = default;
    CFileTypeList(const CFileTypeList &) = delete;
    CFileTypeList &operator=(const CFileTypeList &) = delete;

    // Takes over a drop-down combo box: the all-files entry with
    // `allFilesText`, then the registered types. All files is selected.
    void Attach(HWND combo, const std::wstring &allFilesText);
    HWND Window() const { return m_combo; }

    // The selected type's extension; ".*" for all files.
    std::wstring SelectedExtension() const;
    // Selects the type of `extension` (".*" or empty: all files), adding an
    // entry for an extension that is not registered.
    void SelectExtension(const std::wstring &extension);

  private:
    int AddEntry(const filetypes::FileType &type);

    HWND m_combo = nullptr;
    std::vector<filetypes::FileType> m_types; // in list order
};
