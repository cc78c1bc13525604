// A small COM interface pointer owner: AddRef on copy, Release on reset,
// put() for out-parameters, query<>() and copy_to() for handing out.
#pragma once

#include <unknwn.h>

#include <utility>

namespace fx
{

template <typename T> class ComPtr
{
  public:
    ComPtr() noexcept = default;
    ComPtr(std::nullptr_t) noexcept {}
    explicit ComPtr(T *p) noexcept : m_p(p) // takes a new reference
    {
        if (m_p) m_p->AddRef();
    }
    ComPtr(const ComPtr &other) noexcept : ComPtr(other.m_p) {}
    ComPtr(ComPtr &&other) noexcept : m_p(std::exchange(other.m_p, nullptr)) {}
    ComPtr &operator=(ComPtr other) noexcept
    {
        std::swap(m_p, other.m_p);
        return *this;
    }
    ~ComPtr() { reset(); }

    // Adopts a pointer whose reference the caller already owns.
    static ComPtr attach(T *p) noexcept
    {
        ComPtr r;
        r.m_p = p;
        return r;
    }

    T *get() const noexcept { return m_p; }
    T *operator->() const noexcept { return m_p; }
    explicit operator bool() const noexcept { return m_p != nullptr; }

    void reset() noexcept
    {
        if (m_p) std::exchange(m_p, nullptr)->Release();
    }
    T *detach() noexcept { return std::exchange(m_p, nullptr); }
    T **put() noexcept
    {
        reset();
        return &m_p;
    }
    void **put_void() noexcept { return reinterpret_cast<void **>(put()); }

    HRESULT copy_to(T **out) const noexcept
    {
        if (!out) return E_POINTER;
        *out = m_p;
        if (m_p) m_p->AddRef();
        return S_OK;
    }

    template <typename U> HRESULT query(REFIID iid, ComPtr<U> &out) const noexcept
    {
        if (!m_p) return E_POINTER;
        return m_p->QueryInterface(iid, out.put_void());
    }

  private:
    T *m_p = nullptr;
};

} // namespace fx
