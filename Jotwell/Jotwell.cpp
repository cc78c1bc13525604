// Jotwell.dll's entry points: DllMain, the four COM entry points and
// JotwellProperties, each inside the boundary trap that keeps every
// exception inside the library. The class objects are those of the
// library's class table (JotwellClassTable.cpp).
#define TRACE_SOURCE "Jotwell\\Jotwell"
#include <windows.h>
#include <olectl.h>

#include "ClassObjects.h"
#include "ComMethod.h"
#include "ComPtr.h"
#include "JotwellApp.h"
#include "JotwellClassTable.h"
#include "JotwellExports.h"
#include "JotwellProps.h"
#include "JotwellTraceSites.h"
#include "PropertyPageObj.h"
#include "ServerExports.h"

namespace
{
HRESULT UpdateRegistries(bool registering, const TraceSite &site)
{
    return fx::ComMethod(
        site,
        [&] {
            JotwellEnter();
            return fx::UpdateAllRegistries(registering);
        },
        E_FAIL);
}
} // namespace

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
    {
        ::DisableThreadLibraryCalls(instance);
        JotwellApp().SetInstance(instance);
        InstallJotwellClassTable();
    }
    else if (reason == DLL_PROCESS_DETACH)
    {
        JotwellApp().ProcessDetach();
    }
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, LPVOID *out)
{
    return fx::ExportGetClassObject(TRACE_SITE_HERE(), JotwellEnter, clsid, iid, out,
                                    sites::kGetClassObject);
}

STDAPI DllCanUnloadNow()
{
    return fx::ExportCanUnloadNow(TRACE_SITE_HERE(), SweepUnusedPageObjects, sites::kCanUnloadNow);
}

STDAPI DllRegisterServer()
{
    return UpdateRegistries(true, sites::kRegister);
}

STDAPI DllUnregisterServer()
{
    return UpdateRegistries(false, sites::kUnregister);
}

// The object without the registry: created through the library's own class
// object.
extern "C" HRESULT WINAPI JotwellProperties(IUnknown **out)
{
    if (!out) return E_POINTER;
    *out = nullptr;
    return fx::ComMethod(
        TRACE_SITE_HERE(),
        [&] {
            fx::ComPtr<IClassFactory> factory;
            RETURN_IF_FAILED(
                2, DllGetClassObject(CLSID_JotwellProps, IID_IClassFactory, factory.put_void()));
            return factory->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void **>(out));
        },
        E_FAIL);
}
