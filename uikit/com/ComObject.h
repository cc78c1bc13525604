// The COM object base: one reference count per object, interfaces as nested
// parts ("X" + interface name) that delegate IUnknown to their object, and
// the module lock count that keeps the library loaded while objects live.
#pragma once

#include <windows.h>
#include <unknwn.h>

namespace fx
{

// The module's lock count (objects, class-factory locks, pages, windows).
void LockModule() noexcept;
void UnlockModule() noexcept;
long ModuleLockCount() noexcept;

// Holds one module lock for its lifetime.
class CModuleLock
{
  public:
    CModuleLock() noexcept { LockModule(); }
    ~CModuleLock() { UnlockModule(); }
    CModuleLock(const CModuleLock &) = delete;
    CModuleLock &operator=(const CModuleLock &) = delete;
};

// Base of every COM object: created with a count of zero, destroyed through
// OnFinalRelease at the last release.
class CComObject
{
  public:
    CComObject() = default;
    CComObject(const CComObject &) = delete;
    CComObject &operator=(const CComObject &) = delete;

    ULONG ExternalAddRef() noexcept { return static_cast<ULONG>(::InterlockedIncrement(&m_refs)); }
    ULONG ExternalRelease() noexcept
    {
        LONG refs = ::InterlockedDecrement(&m_refs);
        if (refs == 0) OnFinalRelease();
        return static_cast<ULONG>(refs);
    }
    HRESULT ExternalQueryInterface(REFIID iid, void **out) noexcept
    {
        if (!out) return E_POINTER;
        *out = GetInterface(iid);
        if (!*out) return E_NOINTERFACE;
        ExternalAddRef();
        return S_OK;
    }

  protected:
    virtual ~CComObject() = default;
    // The part answering `iid` (IUnknown: the primary part), or null.
    virtual void *GetInterface(REFIID iid) noexcept = 0;
    virtual void OnFinalRelease() noexcept { delete this; }

  private:
    LONG m_refs = 0;
};

// An interface part nested in its object: IUnknown goes to the object.
template <class Outer, class Itf> class CInterfacePart : public Itf
{
  public:
    explicit CInterfacePart(CComObject *outer) noexcept : m_outer(outer) {}
    STDMETHODIMP QueryInterface(REFIID iid, void **out) override
    {
        return m_outer->ExternalQueryInterface(iid, out);
    }
    STDMETHODIMP_(ULONG) AddRef() override { return m_outer->ExternalAddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return m_outer->ExternalRelease(); }

  protected:
    Outer *Owner() const noexcept { return static_cast<Outer *>(m_outer); }

  private:
    CComObject *m_outer;
};

// Creates a T (a CComObject) and hands out `iid`; the object is destroyed
// again when it does not answer the interface. What the allocation or T's
// constructor throws reaches the caller: a class's create function runs it
// inside its trap (fx::ComMethod).
template <class T> HRESULT CreateComObject(REFIID iid, void **out)
{
    if (!out) return E_POINTER;
    *out = nullptr;
    T *object = new T;
    object->ExternalAddRef();
    HRESULT hr = object->ExternalQueryInterface(iid, out);
    object->ExternalRelease();
    return hr;
}

} // namespace fx
