// The file-type list: the registered types read from the registry, their
// entry texts, and the combo box that offers them.
#include "FileTypeList.h"

#include <algorithm>

#include "NoCase.h"
#include "RegKey.h"

namespace filetypes
{

const wchar_t kAllFiles[] = L".*";

std::wstring EntryText(const FileType &type)
{
    if (type.extension == kAllFiles) return type.description;
    const std::wstring pattern = L"(*" + type.extension + L")";
    return type.description.empty() ? pattern : type.description + L" " + pattern;
}

std::wstring ExtensionOf(const std::wstring &name)
{
    const size_t dot = name.rfind(L'.');
    if (dot == std::wstring::npos || dot + 1 >= name.size()) return std::wstring();
    std::wstring extension = name.substr(dot);
    if (extension.find_first_of(L"*?\\/") != std::wstring::npos) return std::wstring();
    return extension;
}

int FindType(const std::vector<FileType> &types, const std::wstring &extension)
{
    for (size_t i = 0; i < types.size(); ++i)
        if (EqualNoCase(types[i].extension, extension)) return static_cast<int>(i);
    return -1;
}

namespace
{
// The description of a type: the default value of its class key.
std::wstring Description(HKEY classes, const std::wstring &extension)
{
    fx::CRegKey key(classes, extension.c_str());
    fx::CRegString progId(key.Handle(), L"");
    if (progId.Text().empty()) return std::wstring();
    fx::CRegKey type(classes, progId.Text().c_str());
    fx::CRegString description(type.Handle(), L"");
    return description.Text();
}
} // namespace

std::vector<FileType> RegisteredTypes()
{
    std::vector<FileType> types;
    wchar_t name[256];
    for (DWORD index = 0;; ++index)
    {
        DWORD length = ARRAYSIZE(name);
        const LONG result =
            ::RegEnumKeyExW(HKEY_CLASSES_ROOT, index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (result == ERROR_MORE_DATA) continue;
        if (result != ERROR_SUCCESS) break;
        if (name[0] != L'.' || length < 2) continue;
        std::wstring description = Description(HKEY_CLASSES_ROOT, name);
        if (!description.empty()) types.push_back(FileType{name, description});
    }
    std::sort(types.begin(), types.end(), [](const FileType &a, const FileType &b) {
        const int order = ::CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE,
                                           a.description.c_str(), -1, b.description.c_str(), -1);
        if (order != CSTR_EQUAL) return order == CSTR_LESS_THAN;
        return ::CompareStringOrdinal(a.extension.c_str(), -1, b.extension.c_str(), -1, TRUE) ==
               CSTR_LESS_THAN;
    });
    return types;
}

} // namespace filetypes

using namespace filetypes;

void CFileTypeList::Attach(HWND combo, const std::wstring &allFilesText)
{
    m_combo = combo;
    m_types.clear();
    ::SendMessageW(m_combo, CB_RESETCONTENT, 0, 0);
    AddEntry(FileType{kAllFiles, allFilesText});
    for (const FileType &type : RegisteredTypes())
        AddEntry(type);
    ::SendMessageW(m_combo, CB_SETCURSEL, 0, 0);
}

int CFileTypeList::AddEntry(const FileType &type)
{
    const std::wstring text = EntryText(type);
    const LRESULT at = ::SendMessageW(m_combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    if (at < 0) return -1;
    m_types.insert(m_types.begin() + std::min<size_t>(static_cast<size_t>(at), m_types.size()), type);
    return static_cast<int>(at);
}

std::wstring CFileTypeList::SelectedExtension() const
{
    const LRESULT at = ::SendMessageW(m_combo, CB_GETCURSEL, 0, 0);
    if (at < 0 || static_cast<size_t>(at) >= m_types.size()) return kAllFiles;
    return m_types[static_cast<size_t>(at)].extension;
}

void CFileTypeList::SelectExtension(const std::wstring &extension)
{
    const std::wstring wanted = extension.empty() ? std::wstring(kAllFiles) : extension;
    int at = FindType(m_types, wanted);
    if (at < 0) at = AddEntry(FileType{wanted, std::wstring()});
    if (at >= 0) ::SendMessageW(m_combo, CB_SETCURSEL, static_cast<WPARAM>(at), 0);
}
