// The library's self-registration entry points and the class objects of the
// two shell handlers (the command class's lives with the class).
#define TRACE_SOURCE "Taskel\\Taskel"
#include <windows.h>
#include <olectl.h>

#include "FxException.h"
#include "TaskelApp.h"
#include "TaskelGuids.h"
#include "TaskelInfoTip.h"
#include "TaskelProp.h"
#include "TaskelRegister.h"
#include "Trace.h"

namespace
{
CTaskelInfoTipFactory g_infoTipFactory(CLSID_TaskelInfoTip, "CTaskelInfoTip", false,
                                       L"Veltrac.TaskelInfoTip", CTaskelInfoTip::CreateInstance);
CTaskelPropFactory g_propFactory(CLSID_TaskelProp, "CTaskelProp", false, L"Veltrac.TaskelProp",
                                 CTaskelProp::CreateInstance);

HRESULT UpdateRegistries(bool registering)
{
    HRESULT hr = SELFREG_E_CLASS;
    try
    {
        COleCallScope ole; // the component category manager is a COM object
        TaskelEnsureInitialized();
        hr = fx::UpdateAllRegistries(registering);
    }
    TRACE_CATCH_ALL(2)
    return hr;
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
