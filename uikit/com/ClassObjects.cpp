// The generic class factory, the class table's lookups, the module's
// table and the module lock count.
#include "ClassObjects.h"

#include "ComObject.h"

namespace fx
{

namespace
{
LONG g_moduleLocks = 0;
// Installed by the library's DllMain, before any thread can call in.
CClassTable *g_moduleTable = nullptr;
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
    return m_row.create(iid, out);
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
    return m_row.registrar ? m_row.registrar(*this, registering) : TRUE;
}

CClassTable::CClassTable(const ClassTableRow *rows, size_t count)
{
    m_objects.reserve(count);
    for (size_t i = 0; i < count; ++i)
        m_objects.push_back(std::make_unique<COleObjectFactoryExEx>(rows[i]));
}

HRESULT CClassTable::GetClassObject(REFCLSID clsid, REFIID iid, void **out) noexcept
{
    if (!out) return E_POINTER;
    *out = nullptr;
    for (const auto &object : m_objects)
        if (IsEqualCLSID(object->ClassId(), clsid)) return object->QueryInterface(iid, out);
    return CLASS_E_CLASSNOTAVAILABLE;
}

bool CClassTable::IsInUse() const noexcept
{
    for (const auto &object : m_objects)
        if (object->IsInUse()) return true;
    return false;
}

void SetModuleClassTable(CClassTable *table) noexcept
{
    g_moduleTable = table;
}

CClassTable *ModuleClassTable() noexcept
{
    return g_moduleTable;
}

HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void **out) noexcept
{
    if (g_moduleTable) return g_moduleTable->GetClassObject(clsid, iid, out);
    if (!out) return E_POINTER;
    *out = nullptr;
    return CLASS_E_CLASSNOTAVAILABLE;
}

bool CanExitApp() noexcept
{
    return g_moduleLocks == 0;
}

HRESULT CanUnloadNow() noexcept
{
    if (!CanExitApp()) return S_FALSE;
    return g_moduleTable && g_moduleTable->IsInUse() ? S_FALSE : S_OK;
}

} // namespace fx
