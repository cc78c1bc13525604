// The library's COM entry points: class objects come from the process-wide
// class-object list and only from here; the library may unload when nothing
// holds it. Answering that question only releases the page objects no sheet
// uses any more; what the unload releases, DllMain's process detach releases.
#define TRACE_SOURCE "Taskel\\Taskel"
#include <windows.h>
#include <objbase.h>

#include "ClassObjects.h"
#include "ComObject.h"
#include "FxException.h"
#include "PropertyPageObj.h"
#include "TaskelApp.h"
#include "Trace.h"

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, LPVOID *out)
{
    HRESULT hr = CLASS_E_CLASSNOTAVAILABLE;
    try
    {
        TaskelEnterFromShell();
        hr = fx::GetClassObject(clsid, iid, out);
        if (FAILED(hr))
        {
            TRACE_HERE();
            LogWinErr(4, static_cast<DWORD>(hr), L"DllGetClassObject");
        }
        else
            Trace(4, L"DllGetClassObject [%8.8lX]", static_cast<unsigned long>(hr));
    }
    TRACE_CATCH_ALL(2)
    return hr;
}

STDAPI DllCanUnloadNow()
{
    HRESULT hr = S_FALSE;
    try
    {
        // Pages handed to a sheet that has let them go hold the library only
        // through their page objects: release those first.
        SweepUnusedPageObjects();
        hr = fx::CanUnloadNow();
        if (FAILED(hr))
        {
            TRACE_HERE();
            LogWinErr(4, static_cast<DWORD>(hr), L"DllCanUnloadNow");
            hr = S_FALSE;
        }
        else
            Trace(4, L"DllCanUnloadNow [%8.8lX] AfxOleCanExitApp [%u] ObjectCount [%d]",
                  static_cast<unsigned long>(hr), fx::CanExitApp() ? 1u : 0u,
                  static_cast<int>(fx::ModuleLockCount()));
    }
    TRACE_CATCH_ALL(2)
    return hr;
}
