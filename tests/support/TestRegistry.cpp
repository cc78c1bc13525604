// Registry helpers of the tests (see TestRegistry.h).
#include "TestRegistry.h"

#include <shlwapi.h>

#include "UniqueHandle.h"

bool KeyExists(HKEY root, const std::wstring &path)
{
    fx::unique_hkey key;
    return ::RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

std::wstring RegText(HKEY root, const std::wstring &path, const wchar_t *name, bool *present)
{
    if (present) *present = false;
    wchar_t data[2048] = L"";
    DWORD size = sizeof(data) - sizeof(wchar_t);
    DWORD type = 0;
    if (::RegGetValueW(root, path.c_str(), name, RRF_RT_ANY | RRF_NOEXPAND, &type, data, &size) !=
            ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return std::wstring();
    if (present) *present = true;
    return std::wstring(data, wcsnlen(data, size / sizeof(wchar_t)));
}

DWORD RegDword(HKEY root, const std::wstring &path, const wchar_t *name, DWORD missing)
{
    DWORD value = 0;
    DWORD size = sizeof(value);
    if (::RegGetValueW(root, path.c_str(), name, RRF_RT_REG_DWORD, nullptr, &value, &size) !=
        ERROR_SUCCESS)
        return missing;
    return value;
}

void DeleteTree(HKEY root, const std::wstring &path)
{
    ::SHDeleteKeyW(root, path.c_str());
}

CSavedValue::CSavedValue(HKEY root, const wchar_t *key, const wchar_t *name) : m_name(name)
{
    ::RegCreateKeyExW(root, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &m_key, nullptr);
    DWORD size = 0;
    if (::RegQueryValueExW(m_key, name, nullptr, &m_type, nullptr, &size) == ERROR_SUCCESS)
    {
        m_data.resize(size);
        m_present = ::RegQueryValueExW(m_key, name, nullptr, &m_type, m_data.data(), &size) ==
                    ERROR_SUCCESS;
    }
}

CSavedValue::~CSavedValue()
{
    if (m_present)
        ::RegSetValueExW(m_key, m_name.c_str(), 0, m_type, m_data.data(),
                         static_cast<DWORD>(m_data.size()));
    else
        ::RegDeleteValueW(m_key, m_name.c_str());
    ::RegCloseKey(m_key);
}

void CSavedValue::SetString(const std::wstring &value)
{
    ::RegSetValueExW(m_key, m_name.c_str(), 0, REG_SZ,
                     reinterpret_cast<const BYTE *>(value.c_str()),
                     static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

void CSavedValue::SetDword(DWORD value)
{
    ::RegSetValueExW(m_key, m_name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE *>(&value),
                     sizeof(value));
}
