// The generic class factory, the process-wide class-object list and the
// module lock count.
#include "ClassObjects.h"

#include "ComObject.h"

namespace fx
{

namespace
{
LONG g_moduleLocks = 0;
// Built during static initialisation, before any thread can call in.
COleObjectFactoryExEx *g_firstFactory = nullptr;
} // namespace

void LockModule() noexcept
{
    ::InterlockedIncrement(&g_moduleLocks);
}
void UnlockModule() noexcept
{
    ::InterlockedDecrement(&g_moduleLocks);
}
long ModuleLockCount() noexcept
{
    return g_moduleLocks;
}

COleObjectFactoryExEx::COleObjectFactoryExEx(REFCLSID clsid, const char *className, bool singleUse,
                                             const wchar_t *progId, CreateFunction create) noexcept
    : m_clsid(clsid), m_className(className), m_singleUse(singleUse), m_progId(progId),
      m_create(create)
{
    m_next = g_firstFactory;
    g_firstFactory = this;
}

COleObjectFactoryExEx::~COleObjectFactoryExEx()
{
    for (COleObjectFactoryExEx **link = &g_firstFactory; *link; link = &(*link)->m_next)
        if (*link == this)
        {
            *link = m_next;
            break;
        }
}

STDMETHODIMP COleObjectFactoryExEx::QueryInterface(REFIID iid, void **out)
{
    if (!out) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory))
    {
        *out = static_cast<IClassFactory *>(this);
        AddRef();
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) COleObjectFactoryExEx::AddRef()
{
    return static_cast<ULONG>(::InterlockedIncrement(&m_refs));
}

STDMETHODIMP_(ULONG) COleObjectFactoryExEx::Release()
{
    return static_cast<ULONG>(::InterlockedDecrement(&m_refs));
}

STDMETHODIMP COleObjectFactoryExEx::CreateInstance(IUnknown *outer, REFIID iid, void **out)
{
    if (!out) return E_POINTER;
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    return m_create(iid, out);
}

STDMETHODIMP COleObjectFactoryExEx::LockServer(BOOL lock)
{
    if (lock)
        LockModule();
    else
        UnlockModule();
    return S_OK;
}

BOOL COleObjectFactoryExEx::UpdateRegistry(BOOL registering)
{
    return m_registrar ? m_registrar(*this, registering) : TRUE;
}

COleObjectFactoryExEx *COleObjectFactoryExEx::First() noexcept
{
    return g_firstFactory;
}

HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void **out) noexcept
{
    if (!out) return E_POINTER;
    *out = nullptr;
    for (COleObjectFactoryExEx *factory = g_firstFactory; factory; factory = factory->Next())
        if (IsEqualCLSID(factory->ClassId(), clsid)) return factory->QueryInterface(iid, out);
    return CLASS_E_CLASSNOTAVAILABLE;
}

bool CanExitApp() noexcept
{
    return g_moduleLocks == 0;
}

HRESULT CanUnloadNow() noexcept
{
    if (!CanExitApp()) return S_FALSE;
    for (COleObjectFactoryExEx *factory = g_firstFactory; factory; factory = factory->Next())
        if (factory->IsInUse()) return S_FALSE;
    return S_OK;
}

} // namespace fx
