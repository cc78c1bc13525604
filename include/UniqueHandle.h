// RAII owners for Windows handles: unique_any<Traits> closes what it holds
// when it goes out of scope; traits name the invalid value and the closer.
#pragma once

#include <windows.h>
#include <objbase.h>

#include <utility>

namespace fx
{

template <typename Traits> class unique_any
{
  public:
    using pointer = typename Traits::type;

    unique_any() noexcept : m_value(Traits::invalid()) {}
    explicit unique_any(pointer value) noexcept : m_value(value) {}
    unique_any(const unique_any &) = delete;
    unique_any &operator=(const unique_any &) = delete;
    unique_any(unique_any &&other) noexcept : m_value(other.release()) {}
    unique_any &operator=(unique_any &&other) noexcept
    {
        if (this != &other) reset(other.release());
        return *this;
    }
    ~unique_any() { reset(); }

    pointer get() const noexcept { return m_value; }
    bool is_valid() const noexcept { return m_value != Traits::invalid(); }
    explicit operator bool() const noexcept { return is_valid(); }

    void reset(pointer value = Traits::invalid()) noexcept
    {
        if (m_value != Traits::invalid()) Traits::close(m_value);
        m_value = value;
    }
    pointer release() noexcept
    {
        pointer value = m_value;
        m_value = Traits::invalid();
        return value;
    }
    // Address for an API that writes a new value; releases the old one first.
    pointer *put() noexcept
    {
        reset();
        return &m_value;
    }

  private:
    pointer m_value;
};

struct handle_traits // CreateEvent, OpenProcess ...: null means none
{
    using type = HANDLE;
    static type invalid() noexcept { return nullptr; }
    static void close(type h) noexcept { ::CloseHandle(h); }
};
struct file_handle_traits // CreateFile: INVALID_HANDLE_VALUE means none
{
    using type = HANDLE;
    static type invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void close(type h) noexcept { ::CloseHandle(h); }
};
struct find_handle_traits
{
    using type = HANDLE;
    static type invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void close(type h) noexcept { ::FindClose(h); }
};
struct hkey_traits
{
    using type = HKEY;
    static type invalid() noexcept { return nullptr; }
    static void close(type h) noexcept { ::RegCloseKey(h); }
};
struct hlocal_traits
{
    using type = void *;
    static type invalid() noexcept { return nullptr; }
    static void close(type h) noexcept { ::LocalFree(h); }
};
struct hglobal_traits
{
    using type = HGLOBAL;
    static type invalid() noexcept { return nullptr; }
    static void close(type h) noexcept { ::GlobalFree(h); }
};
struct cotaskmem_traits
{
    using type = void *;
    static type invalid() noexcept { return nullptr; }
    static void close(type p) noexcept { ::CoTaskMemFree(p); }
};
struct hicon_traits
{
    using type = HICON;
    static type invalid() noexcept { return nullptr; }
    static void close(type h) noexcept { ::DestroyIcon(h); }
};
struct hmodule_traits
{
    using type = HMODULE;
    static type invalid() noexcept { return nullptr; }
    static void close(type h) noexcept { ::FreeLibrary(h); }
};
struct bstr_traits
{
    using type = BSTR;
    static type invalid() noexcept { return nullptr; }
    static void close(type s) noexcept { ::SysFreeString(s); }
};

using unique_handle = unique_any<handle_traits>;
using unique_file = unique_any<file_handle_traits>;
using unique_find = unique_any<find_handle_traits>;
using unique_hkey = unique_any<hkey_traits>;
using unique_hlocal = unique_any<hlocal_traits>;
using unique_hglobal = unique_any<hglobal_traits>;
using unique_cotaskmem = unique_any<cotaskmem_traits>;
using unique_hicon = unique_any<hicon_traits>;
using unique_hmodule = unique_any<hmodule_traits>;
using unique_bstr = unique_any<bstr_traits>;

// Keeps the calling thread's last-error value across a scope.
class LastErrorKeeper
{
  public:
    LastErrorKeeper() noexcept : m_saved(::GetLastError()) {}
    ~LastErrorKeeper() { ::SetLastError(m_saved); }
    LastErrorKeeper(const LastErrorKeeper &) = delete;
    LastErrorKeeper &operator=(const LastErrorKeeper &) = delete;

  private:
    DWORD m_saved;
};

} // namespace fx
