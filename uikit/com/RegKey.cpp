// Registry access objects: key open rules, DeleteTree, and the string and
// DWORD values with their load, bind and write rules.
#define TRACE_SOURCE "MfcUtil\\Registry"
#include "RegKey.h"

#include <shlwapi.h>

#include <vector>

#include "Trace.h"

namespace fx
{

namespace
{
// Read, set value and create subkey.
constexpr REGSAM kWriteAccess = KEY_READ | KEY_SET_VALUE | KEY_CREATE_SUB_KEY;
// Where a failed tree deletion is reported. The number is part of the log
// text, not a line of this file.
constexpr TraceSite kDeleteTreeSite{TRACE_SOURCE, 208};
} // namespace

CRegKey::CRegKey(HKEY parent, const wchar_t *subKey, bool readOnly, bool create)
{
    Open(parent, subKey, readOnly, create);
}

CRegKey::CRegKey(const CRegKey &parent, const wchar_t *subKey)
{
    Open(parent.Handle(), subKey, parent.IsReadOnly(), false);
}

LONG CRegKey::Open(HKEY parent, const wchar_t *subKey, bool readOnly, bool create)
{
    Close();
    m_parent = parent;
    m_name = subKey ? subKey : L"";
    m_readOnly = readOnly;
    if (!parent) return ERROR_INVALID_PARAMETER;

    HKEY key = nullptr;
    LONG result;
    if (readOnly)
        result = ::RegOpenKeyExW(parent, m_name.c_str(), 0, KEY_READ, &key);
    else if (create && !m_name.empty())
        result = ::RegCreateKeyExW(parent, m_name.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                   kWriteAccess, nullptr, &key, nullptr);
    else
        result = ::RegOpenKeyExW(parent, m_name.c_str(), 0, kWriteAccess, &key);
    if (result == ERROR_SUCCESS) m_key.reset(key);
    return result;
}

void CRegKey::Close() noexcept
{
    m_key.reset();
}

// The tree goes through the parent the key was opened below, which must
// still be open (a predefined key or a living parent object).
LONG CRegKey::DeleteTree()
{
    if (!m_key) return ERROR_INVALID_HANDLE;
    if (m_readOnly || m_name.empty()) return ERROR_ACCESS_DENIED;
    m_key.reset();
    LONG result = static_cast<LONG>(::SHDeleteKeyW(m_parent, m_name.c_str()));
    if (result != ERROR_SUCCESS)
    {
        SetTraceLocation(kDeleteTreeSite);
        LogWinErr(2, static_cast<DWORD>(result), L"SHDeleteKey");
    }
    return result;
}

CRegValue::CRegValue(const wchar_t *name, DWORD type) : m_name(name ? name : L""), m_type(type) {}

LONG CRegValue::Delete()
{
    if (!m_key) return ERROR_INVALID_HANDLE;
    return ::RegDeleteValueW(m_key, m_name.c_str());
}

void CRegValue::TraceValue(DWORD level, int indent, const wchar_t *label) const
{
    Trace(level, L"%s%s [%s]", Indent(indent).c_str(), label ? label : L"RegValue", m_name.c_str());
}

CRegString::CRegString(HKEY key, const wchar_t *name, bool writable, const wchar_t *defaultText)
    : CRegValue(name, REG_SZ)
{
    DWORD type = 0;
    DWORD size = 0;
    if (key &&
        ::RegQueryValueExW(key, m_name.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
        (type == REG_SZ || type == REG_EXPAND_SZ))
    {
        std::vector<wchar_t> data(size / sizeof(wchar_t) + 1, L'\0');
        DWORD bytes = size;
        if (::RegQueryValueExW(key, m_name.c_str(), nullptr, &type,
                               reinterpret_cast<BYTE *>(data.data()), &bytes) == ERROR_SUCCESS)
        {
            // Stored texts may or may not carry their terminating zero.
            m_text.assign(data.data(), wcsnlen(data.data(), bytes / sizeof(wchar_t)));
            m_type = type;
            m_key = key;
            return;
        }
    }
    if (key && writable)
    {
        m_key = key;
        m_text = defaultText ? defaultText : L"";
    }
}

// The characters go with their terminating zero, as the registry expects of
// string values: readers that trust the stored size then find a terminated
// text.
LONG CRegString::Write(const wchar_t *text)
{
    if (!m_key) return ERROR_INVALID_HANDLE;
    if (text) m_text = text;
    return ::RegSetValueExW(m_key, m_name.c_str(), 0, m_type,
                            reinterpret_cast<const BYTE *>(m_text.c_str()),
                            static_cast<DWORD>((m_text.size() + 1) * sizeof(wchar_t)));
}

void CRegString::Expand(bool force)
{
    if (m_type != REG_EXPAND_SZ && !force) return;
    DWORD needed = ::ExpandEnvironmentStringsW(m_text.c_str(), nullptr, 0);
    if (needed == 0) return;
    std::vector<wchar_t> expanded(needed + 1, L'\0');
    if (::ExpandEnvironmentStringsW(m_text.c_str(), expanded.data(), needed + 1) == 0) return;
    m_text = expanded.data();
}

void CRegString::TraceValue(DWORD level, int indent, const wchar_t *label) const
{
    Trace(level, L"%s%s [%s] [%s]", Indent(indent).c_str(), label ? label : L"RegString",
          m_name.c_str(), m_text.c_str());
}

CRegDWord::CRegDWord(HKEY key, const wchar_t *name, bool writable, DWORD defaultValue)
    : CRegValue(name, REG_DWORD)
{
    DWORD type = 0;
    DWORD data = 0;
    DWORD size = sizeof(data);
    if (key &&
        ::RegQueryValueExW(key, m_name.c_str(), nullptr, &type, reinterpret_cast<BYTE *>(&data),
                           &size) == ERROR_SUCCESS &&
        size == sizeof(data) && (type == REG_DWORD || type == REG_BINARY))
    {
        m_value = data;
        m_type = type;
        m_key = key;
        return;
    }
    if (key && writable)
    {
        m_key = key;
        m_value = defaultValue;
    }
}

LONG CRegDWord::Write()
{
    if (!m_key) return ERROR_INVALID_HANDLE;
    return ::RegSetValueExW(m_key, m_name.c_str(), 0, m_type,
                            reinterpret_cast<const BYTE *>(&m_value), sizeof(m_value));
}

LONG CRegDWord::Write(DWORD value)
{
    if (!m_key) return ERROR_INVALID_HANDLE;
    m_value = value;
    return Write();
}

void CRegDWord::TraceValue(DWORD level, int indent, const wchar_t *label) const
{
    Trace(level, L"%s%s [%s] [%8.8X (%u) (%d)]", Indent(indent).c_str(),
          label ? label : L"RegDWord", m_name.c_str(), m_value, m_value, static_cast<int>(m_value));
}

std::wstring MachineClassesKey(const std::wstring &subKey)
{
    return subKey.empty() ? std::wstring(L"SOFTWARE\\Classes") : L"SOFTWARE\\Classes\\" + subKey;
}

} // namespace fx
