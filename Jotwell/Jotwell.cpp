// Jotwell.dll's entry points: DllMain, the four COM entry points and
// JotwellProperties, each inside the traps that keep every exception inside
// the library. The class object of CJotwellProps lives here.
#define TRACE_SOURCE "Jotwell\\Jotwell"
#include <windows.h>
#include <olectl.h>

#include "ClassObjects.h"
#include "ComObject.h"
#include "ComPtr.h"
#include "FxException.h"
#include "JotwellApp.h"
#include "JotwellExports.h"
#include "JotwellProps.h"
#include "PropertyPageObj.h"
#include "ServerExports.h"
#include "Trace.h"

namespace
{
// Source lines the entry points report.
const int kGetClassObjectLine = 99;
const int kCanUnloadNowLine = 118;
const int kRegisterLine = 140;
const int kUnregisterLine = 162;

CJotwellPropsFactory g_propsFactory;

HRESULT UpdateRegistries(bool registering, int line)
{
    try
    {
        JotwellEnter();
        return fx::UpdateAllRegistries(registering);
    }
    catch (const fx::CException &e)
    {
        TraceException(2, e, TRACE_SOURCE, line);
    }
    catch (...)
    {
        Trace(2, L"*** Exception *** at %hs %d", TRACE_SOURCE, line);
    }
    return E_FAIL;
}
} // namespace

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
    {
        ::DisableThreadLibraryCalls(instance);
        JotwellApp().SetInstance(instance);
    }
    else if (reason == DLL_PROCESS_DETACH)
    {
        JotwellApp().ProcessDetach();
    }
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, LPVOID *out)
{
    try
    {
        JotwellEnter();
        return fx::TracedGetClassObject(clsid, iid, out, TRACE_SOURCE, kGetClassObjectLine);
    }
    TRACE_CATCH_ALL(2)
    return CLASS_E_CLASSNOTAVAILABLE;
}

STDAPI DllCanUnloadNow()
{
    try
    {
        return fx::TracedCanUnloadNow(SweepUnusedPageObjects, TRACE_SOURCE, kCanUnloadNowLine);
    }
    TRACE_CATCH_ALL(2)
    return S_FALSE;
}

STDAPI DllRegisterServer()
{
    return UpdateRegistries(true, kRegisterLine);
}

STDAPI DllUnregisterServer()
{
    return UpdateRegistries(false, kUnregisterLine);
}

// The object without the registry: created through the library's own class
// object.
extern "C" HRESULT WINAPI JotwellProperties(IUnknown **out)
{
    if (!out) return E_POINTER;
    *out = nullptr;
    try
    {
        fx::ComPtr<IClassFactory> factory;
        HRESULT hr = DllGetClassObject(CLSID_JotwellProps, IID_IClassFactory, factory.put_void());
        if (FAILED(hr)) return hr;
        return factory->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void **>(out));
    }
    TRACE_CATCH_ALL(2)
    return E_FAIL;
}
