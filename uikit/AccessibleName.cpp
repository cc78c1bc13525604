// Dynamic annotation of a control's accessible name (IAccPropServices).
#define TRACE_SOURCE "MfcGui\\AccessibleName"
#include "AccessibleName.h"

#include <oleacc.h>

#include "ComPtr.h"
#include "Trace.h"

namespace
{
// The annotation service's identifiers (kept here: the import libraries
// define some of them twice).
const CLSID kAccPropServices = {0xb5f8350b, 0x0548, 0x48b1, {0xa6, 0xee, 0x88, 0xbd, 0x00, 0xb4, 0xa5, 0xe7}};
const IID kIAccPropServices = {0x6e26e776, 0x04f0, 0x495d, {0x80, 0xe4, 0x33, 0x30, 0x35, 0x2e, 0x31, 0x69}};
const GUID kPropIdAccName = {0x608d3df8, 0x8128, 0x4aa7, {0xa4, 0x28, 0xf5, 0x5e, 0x49, 0x26, 0x72, 0x91}};

fx::ComPtr<IAccPropServices> Service()
{
    fx::ComPtr<IAccPropServices> service;
    ::CoCreateInstance(kAccPropServices, nullptr, CLSCTX_INPROC_SERVER, kIAccPropServices,
                       service.put_void());
    return service;
}
} // namespace

bool AccessibleNamesAvailable()
{
    return static_cast<bool>(Service());
}

bool SetAccessibleName(HWND control, const std::wstring &name)
{
    if (!control) return false;
    fx::ComPtr<IAccPropServices> service = Service();
    if (!service) return false;
    const HRESULT hr = service->SetHwndPropStr(control, static_cast<DWORD>(OBJID_CLIENT),
                                               CHILDID_SELF, kPropIdAccName, name.c_str());
    if (FAILED(hr))
    {
        TRACE_HERE();
        LogComErr(3, hr, L"SetHwndPropStr");
    }
    return SUCCEEDED(hr);
}

void ClearAccessibleName(HWND control)
{
    if (!control) return;
    fx::ComPtr<IAccPropServices> service = Service();
    if (!service) return;
    MSAAPROPID name = kPropIdAccName;
    service->ClearHwndProps(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, &name, 1);
}
