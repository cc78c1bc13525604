// The parts of a late-bound object's IDispatch that do not depend on the
// object: no type information, and names looked up (case-insensitively) in
// the object's member table, whose rows carry `name` and `id`.
#pragma once

#include <windows.h>
#include <oleauto.h>

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
