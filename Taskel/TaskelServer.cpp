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
#include "ServerExports.h"
#include "TaskelApp.h"
#include "Trace.h"

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, LPVOID *out)
{
    try
    {
        TaskelEnterFromShell();
        return fx::TracedGetClassObject(clsid, iid, out, TRACE_SOURCE, __LINE__);
    }
    TRACE_CATCH_ALL(2)
    return CLASS_E_CLASSNOTAVAILABLE;
}

STDAPI DllCanUnloadNow()
{
    try
    {
        return fx::TracedCanUnloadNow(SweepUnusedPageObjects, TRACE_SOURCE, __LINE__);
    }
    TRACE_CATCH_ALL(2)
    return S_FALSE;
}
