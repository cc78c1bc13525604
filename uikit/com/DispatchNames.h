// The parts of a late-bound object's IDispatch that do not depend on the
// object: no type information, names looked up (case-insensitively) in the
// object's member table, whose rows carry `name` and `id`, and the frame of
// Invoke.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include "ComMethod.h"

inline HRESULT NoTypeInfoCount(UINT *count)
{
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
}

inline HRESULT NoTypeInfo(ITypeInfo **info)
{
    if (info) *info = nullptr;
    return TYPE_E_ELEMENTNOTFOUND;
}

// GetIDsOfNames over `members`; no member has named parameters, so any
// name after the first is unknown.
template <class Members>
HRESULT LookUpDispatchNames(const Members &members, LPOLESTR *names, UINT count, DISPID *ids)
{
    if (!names || !ids || count == 0) return E_INVALIDARG;
    HRESULT hr = S_OK;
    ids[0] = DISPID_UNKNOWN;
    for (const auto &member : members)
        if (names[0] && ::lstrcmpiW(names[0], member.name) == 0) ids[0] = member.id;
    if (ids[0] == DISPID_UNKNOWN) hr = DISP_E_UNKNOWNNAME;
    for (UINT i = 1; i < count; ++i)
    {
        ids[i] = DISPID_UNKNOWN;
        hr = DISP_E_UNKNOWNNAME;
    }
    return hr;
}

// Invoke's frame: the checks every member shares (IID_NULL, an argument
// array, a named argument only as a property put's DISPID_PROPERTYPUT), the
// result emptied, then `member(flags)` inside the boundary trap (an
// exception answers DISP_E_EXCEPTION). Any kind of put reaches the member
// as DISPATCH_PROPERTYPUT.
template <class Member>
HRESULT InvokeMember(const TraceSite &site, REFIID iid, WORD flags, DISPPARAMS *params,
                     VARIANT *result, Member &&member) noexcept
{
    if (!IsEqualIID(iid, IID{})) return DISP_E_UNKNOWNINTERFACE; // IID_NULL
    if (!params || (params->cArgs > 0 && !params->rgvarg)) return E_INVALIDARG;
    const bool put = (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0;
    if (params->cNamedArgs > (put ? 1u : 0u)) return DISP_E_NONAMEDARGS;
    if (put && (params->cNamedArgs != 1 || !params->rgdispidNamedArgs ||
                params->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT))
        return DISP_E_PARAMNOTOPTIONAL;
    if (result) ::VariantInit(result);
    const WORD memberFlags = put ? static_cast<WORD>(DISPATCH_PROPERTYPUT) : flags;
    return fx::ComMethod(
        site, [&] { return member(memberFlags); }, DISP_E_EXCEPTION);
}
