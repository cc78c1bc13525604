// Registry access objects: an open key (CRegKey) and typed values bound to
// a key (CRegString, CRegDWord). A key that failed to open leaves an object
// without handle; every later operation on it fails without effect.
#pragma once

#include <windows.h>

#include <string>

#include "UniqueHandle.h"

namespace fx
{

class CRegKey
{
  public:
    CRegKey() noexcept = default;
    // Open (or create) `subKey` below `parent`; the result is ignored here,
    // a failure leaves the object without handle.
    CRegKey(HKEY parent, const wchar_t *subKey, bool readOnly = true, bool create = false);
    // Below another key object, inheriting its read-only flag (never creates).
    CRegKey(const CRegKey &parent, const wchar_t *subKey);
    CRegKey(const CRegKey &) = delete;
    CRegKey &operator=(const CRegKey &) = delete;

    // 87 without parent; KEY_READ when read-only; else created (when asked
    // and the name is not empty) or opened with read, set value and create
    // subkey rights. Closes a handle held before.
    LONG Open(HKEY parent, const wchar_t *subKey, bool readOnly, bool create);
    void Close() noexcept;

    // Removes the key with all its subkeys and values and forgets the
    // handle: 6 without handle, 5 for a read-only key or an empty name.
    LONG DeleteTree();

    HKEY Handle() const noexcept { return m_key.get(); }
    bool IsOpen() const noexcept { return m_key.is_valid(); }
    bool IsReadOnly() const noexcept { return m_readOnly; }
    const std::wstring &Name() const noexcept { return m_name; }

  private:
    unique_hkey m_key;
    HKEY m_parent = nullptr;
    std::wstring m_name;
    bool m_readOnly = true;
};

// A value of a key: the bound key handle (none when unbound), the value name
// (empty: the default value) and the registry type.
class CRegValue
{
  public:
    CRegValue(const CRegValue &) = delete;
    CRegValue &operator=(const CRegValue &) = delete;

    bool IsBound() const noexcept { return m_key != nullptr; }
    const std::wstring &Name() const noexcept { return m_name; }
    DWORD Type() const noexcept { return m_type; }
    // Removes the value: 6 when unbound.
    LONG Delete();
    // Traces "<indent><label><name> [<value>]" at `level`.
    virtual void TraceValue(DWORD level, int indent = 0, const wchar_t *label = nullptr) const;

  protected:
    CRegValue(const wchar_t *name, DWORD type);
    virtual ~CRegValue() = default;
    static std::wstring Indent(int indent) { return std::wstring(indent > 0 ? indent : 0, L' '); }

    HKEY m_key = nullptr;
    std::wstring m_name;
    DWORD m_type;
};

class CRegString : public CRegValue
{
  public:
    // Loads an existing REG_SZ or REG_EXPAND_SZ value; otherwise REG_SZ,
    // bound with the default text when writable, else unbound and empty.
    CRegString(HKEY key, const wchar_t *name, bool writable = false,
               const wchar_t *defaultText = nullptr);

    const std::wstring &Text() const noexcept { return m_text; }
    // Stores `text` (or, without one, the held text) with the held type.
    LONG Write(const wchar_t *text = nullptr);
    // Replaces the text by its environment-expanded form when the type is
    // REG_EXPAND_SZ or `force` is set.
    void Expand(bool force = false);
    void TraceValue(DWORD level, int indent = 0, const wchar_t *label = nullptr) const override;

  private:
    std::wstring m_text;
};

class CRegDWord : public CRegValue
{
  public:
    // Loads an existing REG_DWORD (or 4-byte REG_BINARY) value; otherwise
    // REG_DWORD, bound with the default when writable, else unbound and 0.
    CRegDWord(HKEY key, const wchar_t *name, bool writable = false, DWORD defaultValue = 0);

    DWORD Value() const noexcept { return m_value; }
    LONG Write();
    LONG Write(DWORD value);
    void TraceValue(DWORD level, int indent = 0, const wchar_t *label = nullptr) const override;

  private:
    DWORD m_value = 0;
};

// The path below HKEY_LOCAL_MACHINE of `subKey` in the machine's classes
// ("SOFTWARE\\Classes\\" + subKey). Registration writes there: the merged
// HKEY_CLASSES_ROOT would put a value into the user's own copy of a key
// where one exists, and removing it there would leave the machine's behind.
std::wstring MachineClassesKey(const std::wstring &subKey);

} // namespace fx
