// CJotwellProps' automation interface: a hand-written IDispatch over the
// eight properties, by name (as script engines call) and by number (as the
// command library calls). Item properties take a 1-based item index.
#define TRACE_SOURCE "Jotwell\\JotwellProps"
#include "JotwellProps.h"

#include "DispatchNames.h"
#include "Trace.h"
#include "UniqueHandle.h"

namespace
{
struct Member
{
    const wchar_t *name;
    DISPID id;
    bool indexed;
};
const Member kMembers[] = {
    {L"AppTitle", DISPID_JOTWELL_APPTITLE, false},
    {L"ItemCount", DISPID_JOTWELL_ITEMCOUNT, false},
    {L"ItemLogLevel", DISPID_JOTWELL_ITEMLOGLEVEL, true},
    {L"ItemLogName", DISPID_JOTWELL_ITEMLOGNAME, true},
    {L"ItemRootKey", DISPID_JOTWELL_ITEMROOTKEY, true},
    {L"ItemKeyName", DISPID_JOTWELL_ITEMKEYNAME, true},
    {L"ItemKeyNameAlt", DISPID_JOTWELL_ITEMKEYNAMEALT, true},
    {L"ItemTitle", DISPID_JOTWELL_ITEMTITLE, true},
};

const Member *FindMember(DISPID id)
{
    for (const Member &member : kMembers)
        if (member.id == id) return &member;
    return nullptr;
}

const wchar_t kLocalMachine[] = L"HKEY_LOCAL_MACHINE";
const wchar_t kCurrentUser[] = L"HKEY_CURRENT_USER";

// Positional argument `position` (0 = first) converted to `type`.
HRESULT Argument(const DISPPARAMS *params, UINT position, VARTYPE type, VARIANT &value,
                 UINT *argError)
{
    const UINT index = params->cArgs - 1 - position;
    HRESULT hr = ::VariantChangeType(&value, &params->rgvarg[index], 0, type);
    if (FAILED(hr) && argError) *argError = index;
    return FAILED(hr) ? DISP_E_TYPEMISMATCH : S_OK;
}

// A text argument; empty, null and missing values give an empty text.
HRESULT TextArgument(const DISPPARAMS *params, UINT position, std::wstring &text, UINT *argError)
{
    const VARIANT *arg = &params->rgvarg[params->cArgs - 1 - position];
    const VARTYPE type = V_VT(arg) & ~VT_BYREF;
    text.clear();
    if (type == VT_EMPTY || type == VT_NULL || type == VT_ERROR) return S_OK;
    VARIANT value;
    ::VariantInit(&value);
    // A mismatch is traced by the member that asked.
    const HRESULT hr = Argument(params, position, VT_BSTR, value, argError);
    fx::unique_bstr owned(SUCCEEDED(hr) ? V_BSTR(&value) : nullptr);
    if (owned) text.assign(owned.get(), ::SysStringLen(owned.get()));
    return hr;
}

// A text result; `none` gives a null string.
HRESULT ReturnText(VARIANT *result, const std::wstring *text)
{
    if (!result) return S_OK;
    V_VT(result) = VT_BSTR;
    V_BSTR(result) = nullptr;
    if (!text) return S_OK;
    V_BSTR(result) = ::SysAllocStringLen(text->c_str(), static_cast<UINT>(text->size()));
    return V_BSTR(result) ? S_OK : E_OUTOFMEMORY;
}

void ReturnLong(VARIANT *result, LONG value)
{
    if (!result) return;
    V_VT(result) = VT_I4;
    V_I4(result) = value;
}

// The text field of a definition a string property stands for.
std::wstring *TextField(CJotwellDef &def, DISPID id)
{
    switch (id)
    {
    case DISPID_JOTWELL_ITEMLOGNAME:
        return &def.logName;
    case DISPID_JOTWELL_ITEMKEYNAME:
        return &def.keyName;
    case DISPID_JOTWELL_ITEMKEYNAMEALT:
        return &def.keyNameAlt;
    case DISPID_JOTWELL_ITEMTITLE:
        return &def.title;
    default:
        return nullptr;
    }
}
} // namespace

HRESULT CJotwellProps::Invoke(DISPID id, WORD flags, DISPPARAMS *params, VARIANT *result,
                              UINT *argError)
{
    const Member *member = FindMember(id);
    if (!member) return DISP_E_MEMBERNOTFOUND;
    const bool put = (flags & DISPATCH_PROPERTYPUT) != 0;
    if (!put && !(flags & (DISPATCH_PROPERTYGET | DISPATCH_METHOD))) return DISP_E_MEMBERNOTFOUND;
    const UINT expected = (member->indexed ? 1u : 0u) + (put ? 1u : 0u);
    if (params->cArgs != expected) return DISP_E_BADPARAMCOUNT;
    // The value of a put is the last positional argument.
    const UINT valuePosition = member->indexed ? 1u : 0u;

    VARIANT value;
    ::VariantInit(&value);
    CJotwellDef *def = nullptr;
    if (member->indexed)
    {
        RETURN_IF_FAILED(2, Argument(params, 0, VT_I4, value, argError));
        def = Item(V_I4(&value));
    }

    switch (id)
    {
    case DISPID_JOTWELL_APPTITLE: {
        if (!put) return ReturnText(result, &m_appTitle);
        std::wstring text;
        RETURN_IF_FAILED(2, TextArgument(params, valuePosition, text, argError));
        SetAppTitle(text);
        return S_OK;
    }
    case DISPID_JOTWELL_ITEMCOUNT:
        if (!put)
        {
            ReturnLong(result, ItemCount());
            return S_OK;
        }
        RETURN_IF_FAILED(2, Argument(params, valuePosition, VT_I4, value, argError));
        SetItemCount(V_I4(&value));
        return S_OK;

    case DISPID_JOTWELL_ITEMLOGLEVEL:
        if (!put)
        {
            ReturnLong(result, def ? static_cast<LONG>(def->logLevel) : 0);
            return S_OK;
        }
        RETURN_IF_FAILED(2, Argument(params, valuePosition, VT_I4, value, argError));
        if (def) def->logLevel = static_cast<WORD>(V_I4(&value) & 0xFFFF);
        return S_OK;

    case DISPID_JOTWELL_ITEMROOTKEY: {
        if (!put)
        {
            if (!def) return ReturnText(result, nullptr);
            const std::wstring root =
                def->root == HKEY_LOCAL_MACHINE ? kLocalMachine : kCurrentUser;
            return ReturnText(result, &root);
        }
        std::wstring text;
        RETURN_IF_FAILED(2, TextArgument(params, valuePosition, text, argError));
        // Exactly one of the two names (case-sensitive); anything else is ignored.
        if (def && text == kLocalMachine) def->root = HKEY_LOCAL_MACHINE;
        if (def && text == kCurrentUser) def->root = HKEY_CURRENT_USER;
        return S_OK;
    }
    default: {
        if (!put) return ReturnText(result, def ? TextField(*def, id) : nullptr);
        std::wstring text;
        RETURN_IF_FAILED(2, TextArgument(params, valuePosition, text, argError));
        if (def) *TextField(*def, id) = text;
        return S_OK;
    }
    }
}

STDMETHODIMP CJotwellProps::XDispatch::GetTypeInfoCount(UINT *count)
{
    return NoTypeInfoCount(count);
}

STDMETHODIMP CJotwellProps::XDispatch::GetTypeInfo(UINT, LCID, ITypeInfo **info)
{
    return NoTypeInfo(info);
}

STDMETHODIMP CJotwellProps::XDispatch::GetIDsOfNames(REFIID, LPOLESTR *names, UINT count, LCID,
                                                     DISPID *ids)
{
    return LookUpDispatchNames(kMembers, names, count, ids);
}

STDMETHODIMP CJotwellProps::XDispatch::Invoke(DISPID id, REFIID iid, LCID, WORD flags,
                                              DISPPARAMS *params, VARIANT *result, EXCEPINFO *,
                                              UINT *argError)
{
    return InvokeMember(TRACE_SITE_HERE(), iid, flags, params, result, [&](WORD memberFlags) {
        return Owner()->Invoke(id, memberFlags, params, result, argError);
    });
}
