// Registry helpers of the tests: reads of values and keys, and a value put
// back as it was when a test that changed it ends.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

bool KeyExists(HKEY root, const std::wstring &path);
// The string value `name` (null: default value); `present` tells whether
// it exists as REG_SZ or REG_EXPAND_SZ.
std::wstring RegText(HKEY root, const std::wstring &path, const wchar_t *name = nullptr,
                     bool *present = nullptr);
// The DWORD value, or `missing` when there is none.
DWORD RegDword(HKEY root, const std::wstring &path, const wchar_t *name, DWORD missing = 0xDEAD);
void DeleteTree(HKEY root, const std::wstring &path);

// A registry value as it was, put back (or deleted again) at destruction.
class CSavedValue
{
  public:
    CSavedValue(HKEY root, const wchar_t *key, const wchar_t *name);
    ~CSavedValue();
    CSavedValue(const CSavedValue &) = delete;
    CSavedValue &operator=(const CSavedValue &) = delete;
    void SetString(const std::wstring &value);
    void SetDword(DWORD value);

  private:
    HKEY m_key = nullptr;
    std::wstring m_name;
    DWORD m_type = 0;
    bool m_present = false;
    std::vector<BYTE> m_data;
};
