// The library's self-registration entry points: the walk over the
// library's class table, each class with its registrar.
#define TRACE_SOURCE "Taskel\\Taskel"
#include <windows.h>
#include <olectl.h>

#include "ClassObjects.h"
#include "ComMethod.h"
#include "TaskelApp.h"

namespace
{
HRESULT UpdateRegistries(bool registering)
{
    return fx::ComMethod(
        TRACE_SITE_HERE(),
        [&] {
            COleCallScope ole; // the component category manager is a COM object
            TaskelEnsureInitialized();
            return fx::UpdateAllRegistries(registering);
        },
        SELFREG_E_CLASS);
}
} // namespace

STDAPI DllRegisterServer()
{
    return UpdateRegistries(true);
}

STDAPI DllUnregisterServer()
{
    return UpdateRegistries(false);
}
