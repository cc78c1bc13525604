// Accessible names and roles through IAccPropServices (SetHwndPropStr,
// SetHwndProp, ClearHwndProps).
#define TRACE_SOURCE "UiKit\\AccessibleName"
#include "AccessibleName.h"

#include <oleacc.h>

#include "ComPtr.h"
#include "Trace.h"

namespace
{
AccessibleNameHook g_hook = nullptr;

// The service's identifiers, kept here: taking them from the system's
// import library would bring a second definition of IID_IAccessible.
const CLSID kAccPropServices = {0xb5f8350b, 0x0548, 0x48b1, {0xa6, 0xee, 0x88, 0xbd, 0x00, 0xb4, 0xa5, 0xe7}};
const IID kIAccPropServices = {0x6e26e776, 0x04f0, 0x495d, {0x80, 0xe4, 0x33, 0x30, 0x35, 0x2e, 0x31, 0x69}};
const GUID kAccName = {0x608d3df8, 0x8128, 0x4aa7, {0xa4, 0x28, 0xf5, 0x5e, 0x49, 0x26, 0x72, 0x91}};
const GUID kAccRole = {0xcb905ff2, 0x7bd1, 0x4c05, {0xb3, 0xc8, 0xe6, 0xc2, 0x41, 0x36, 0x4d, 0x70}};

fx::ComPtr<IAccPropServices> Service()
{
    fx::ComPtr<IAccPropServices> service;
    ::CoCreateInstance(kAccPropServices, nullptr, CLSCTX_INPROC_SERVER, kIAccPropServices,
                       service.put_void());
    return service;
}
} // namespace

void SetAccessibleNameHook(AccessibleNameHook hook)
{
    g_hook = hook;
}

bool AccessibleNamesAvailable()
{
    return static_cast<bool>(Service());
}

bool SetAccessibleName(HWND control, const std::wstring &name, DWORD role)
{
    if (g_hook) return g_hook(control, name, role);
    if (!control) return false;
    fx::ComPtr<IAccPropServices> service = Service();
    if (!service) return false;
    HRESULT hr = service->SetHwndPropStr(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                                         kAccName, name.c_str());
    if (SUCCEEDED(hr) && role)
    {
        VARIANT value;
        ::VariantInit(&value);
        value.vt = VT_I4;
        value.lVal = static_cast<LONG>(role);
        hr = service->SetHwndProp(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                                  kAccRole, value);
    }
    if (FAILED(hr))
    {
        TRACE_HERE();
        LogComErr(3, hr, L"SetHwndPropStr [%s]", name.c_str());
    }
    return SUCCEEDED(hr);
}

void ClearAccessibleName(HWND control)
{
    if (!control || g_hook) return;
    fx::ComPtr<IAccPropServices> service = Service();
    if (!service) return;
    MSAAPROPID props[] = {kAccName, kAccRole};
    service->ClearHwndProps(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, props, 2);
}
