// The shared bodies of the class-object exports.
#include "ServerExports.h"

#include "ClassObjects.h"
#include "ComMethod.h"
#include "ComObject.h"
#include "Trace.h"

namespace fx
{

HRESULT TracedGetClassObject(REFCLSID clsid, REFIID iid, void **out, const TraceSite &site)
{
    const HRESULT hr = GetClassObject(clsid, iid, out);
    if (FAILED(hr))
    {
        SetTraceLocation(site);
        LogWinErr(4, static_cast<DWORD>(hr), L"DllGetClassObject");
    }
    else
        Trace(4, L"DllGetClassObject [%8.8lX]", static_cast<unsigned long>(hr));
    return hr;
}

HRESULT TracedCanUnloadNow(size_t (*sweep)(), const TraceSite &site)
{
    // Pages a sheet has let go hold the library only through their page
    // objects: those are released first.
    if (sweep) sweep();
    HRESULT hr = CanUnloadNow();
    if (FAILED(hr))
    {
        SetTraceLocation(site);
        LogWinErr(4, static_cast<DWORD>(hr), L"DllCanUnloadNow");
        return S_FALSE;
    }
    Trace(4, L"DllCanUnloadNow [%8.8lX] AfxOleCanExitApp [%u] ObjectCount [%d]",
          static_cast<unsigned long>(hr), CanExitApp() ? 1u : 0u,
          static_cast<int>(ModuleLockCount()));
    return hr;
}

HRESULT ExportGetClassObject(const TraceSite &trap, void (*enter)(), REFCLSID clsid, REFIID iid,
                             void **out, const TraceSite &site) noexcept
{
    return ComMethod(
        trap,
        [&] {
            if (enter) enter();
            return TracedGetClassObject(clsid, iid, out, site);
        },
        CLASS_E_CLASSNOTAVAILABLE);
}

HRESULT ExportCanUnloadNow(const TraceSite &trap, size_t (*sweep)(), const TraceSite &site) noexcept
{
    return ComMethod(
        trap, [&] { return TracedCanUnloadNow(sweep, site); }, S_FALSE);
}

} // namespace fx
