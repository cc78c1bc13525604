// The library's COM entry points: class objects come from the library's
// class table and only from here; the library may unload when nothing
// holds it. Answering that question only releases the page objects no
// sheet uses any more; what the unload releases, DllMain's process detach
// releases.
#define TRACE_SOURCE "Taskel\\Taskel"
#include <windows.h>
#include <objbase.h>

#include "ComMethod.h"
#include "PropertyPageObj.h"
#include "ServerExports.h"
#include "TaskelApp.h"
#include "TaskelTraceSites.h"

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, LPVOID *out)
{
    return fx::ExportGetClassObject(TRACE_SITE_HERE(), TaskelEnterFromShell, clsid, iid, out,
                                    sites::kGetClassObject);
}

STDAPI DllCanUnloadNow()
{
    return fx::ExportCanUnloadNow(TRACE_SITE_HERE(), SweepUnusedPageObjects, sites::kCanUnloadNow);
}
