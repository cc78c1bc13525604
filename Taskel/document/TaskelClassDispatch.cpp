// CTaskel's automation interface: a hand-written IDispatch over the command
// operations, with the member names and dispatch identifiers scripts use.
#define TRACE_SOURCE "Taskel\\TaskelClass"
#include "TaskelClass.h"

#include "DispatchNames.h"
#include "Trace.h"
#include "UniqueHandle.h"

namespace
{
enum : DISPID
{
    DISPID_ACTION = 1,
    DISPID_OPTIONS = 2,
    DISPID_TOFILE = 4,
    DISPID_FROMFILECOUNT = 5,
    DISPID_FROMFILE = 6,
    DISPID_OPTIONMASK = 7,
    DISPID_RUN = 8,
    DISPID_PREVIEW = 9,
};

struct Member
{
    const wchar_t *name;
    DISPID id;
};
const Member kMembers[] = {
    {L"Action", DISPID_ACTION},     {L"Options", DISPID_OPTIONS},
    {L"ToFile", DISPID_TOFILE},     {L"FromFileCount", DISPID_FROMFILECOUNT},
    {L"FromFile", DISPID_FROMFILE}, {L"OptionMask", DISPID_OPTIONMASK},
    {L"Run", DISPID_RUN},           {L"Preview", DISPID_PREVIEW},
};

const WORD kGet = DISPATCH_PROPERTYGET | DISPATCH_METHOD;

// Positional argument `position` (0 = first) converted to `type`; `value`
// receives the converted copy.
HRESULT Argument(const DISPPARAMS *params, UINT position, VARTYPE type, VARIANT &value,
                 UINT *argError)
{
    UINT index = params->cArgs - 1 - position;
    VARIANT *arg = &params->rgvarg[index];
    HRESULT hr = ::VariantChangeType(&value, arg, 0, type);
    if (FAILED(hr) && argError) *argError = index;
    return FAILED(hr) ? DISP_E_TYPEMISMATCH : S_OK;
}

// A string argument that may be "none" (empty, null or a null string).
HRESULT OptionalString(const DISPPARAMS *params, UINT position, fx::unique_bstr &text,
                       bool &present, UINT *argError)
{
    VARIANT *arg = &params->rgvarg[params->cArgs - 1 - position];
    VARTYPE type = V_VT(arg) & ~VT_BYREF;
    present = !(type == VT_EMPTY || type == VT_NULL || type == VT_ERROR);
    if (!present) return S_OK;
    VARIANT value;
    ::VariantInit(&value);
    // A mismatch is traced by the member that asked.
    const HRESULT hr = Argument(params, position, VT_BSTR, value, argError);
    present = SUCCEEDED(hr) && V_BSTR(&value) != nullptr;
    if (SUCCEEDED(hr)) text.reset(V_BSTR(&value));
    return hr;
}

HRESULT ReturnString(VARIANT *result, const std::wstring &text, bool none)
{
    if (!result) return S_OK;
    V_VT(result) = VT_BSTR;
    V_BSTR(result) = nullptr;
    if (none) return S_OK;
    V_BSTR(result) = ::SysAllocStringLen(text.c_str(), static_cast<UINT>(text.size()));
    return V_BSTR(result) ? S_OK : E_OUTOFMEMORY;
}

void ReturnLong(VARIANT *result, LONG value)
{
    if (!result) return;
    V_VT(result) = VT_I4;
    V_I4(result) = value;
}
} // namespace

HRESULT CTaskel::Invoke(DISPID id, WORD flags, DISPPARAMS *params, VARIANT *result, UINT *argError)
{
    const bool get = (flags & kGet) != 0;
    const bool put = (flags & DISPATCH_PROPERTYPUT) != 0;
    const UINT args = params->cArgs;
    VARIANT value;
    ::VariantInit(&value);

    switch (id)
    {
    case DISPID_ACTION:
        if (!get) return DISP_E_MEMBERNOTFOUND;
        if (args != 0) return DISP_E_BADPARAMCOUNT;
        if (result)
        {
            V_VT(result) = VT_I2;
            V_I2(result) = static_cast<SHORT>(GetAction());
        }
        return S_OK;

    case DISPID_OPTIONS:
        if (put)
        {
            if (args != 1) return DISP_E_BADPARAMCOUNT;
            RETURN_IF_FAILED(2, Argument(params, 0, VT_I4, value, argError));
            SetOptions(static_cast<uint32_t>(V_I4(&value)));
            return S_OK;
        }
        if (args != 0) return DISP_E_BADPARAMCOUNT;
        ReturnLong(result, static_cast<LONG>(GetOptions()));
        return S_OK;

    case DISPID_TOFILE:
        if (put)
        {
            if (args != 1) return DISP_E_BADPARAMCOUNT;
            fx::unique_bstr text;
            bool present;
            RETURN_IF_FAILED(2, OptionalString(params, 0, text, present, argError));
            SetTarget(present ? std::wstring(text.get(), ::SysStringLen(text.get()))
                              : std::wstring());
            return S_OK;
        }
        if (args != 0) return DISP_E_BADPARAMCOUNT;
        return ReturnString(result, m_target, m_target.empty());

    case DISPID_FROMFILECOUNT:
    case DISPID_OPTIONMASK:
        if (!get) return DISP_E_MEMBERNOTFOUND;
        if (args != 0) return DISP_E_BADPARAMCOUNT;
        ReturnLong(result,
                   static_cast<LONG>(id == DISPID_OPTIONMASK ? GetOptionMask() : GetSourceCount()));
        return S_OK;

    case DISPID_FROMFILE: {
        if (args != (put ? 2u : 1u)) return DISP_E_BADPARAMCOUNT;
        RETURN_IF_FAILED(2, Argument(params, 0, VT_I4, value, argError));
        const LONG index = V_I4(&value);
        if (put)
        {
            fx::unique_bstr text;
            bool present;
            RETURN_IF_FAILED(2, OptionalString(params, 1, text, present, argError));
            std::wstring source =
                present ? std::wstring(text.get(), ::SysStringLen(text.get())) : std::wstring();
            SetSource(index, present ? source.c_str() : nullptr);
            return S_OK;
        }
        std::wstring source;
        bool found = GetSource(index, source);
        return ReturnString(result, source, !found);
    }

    case DISPID_RUN: {
        if (!(flags & DISPATCH_METHOD)) return DISP_E_MEMBERNOTFOUND;
        if (args != 2) return DISP_E_BADPARAMCOUNT;
        fx::unique_bstr folder;
        bool present;
        RETURN_IF_FAILED(2, OptionalString(params, 0, folder, present, argError));
        RETURN_IF_FAILED(2, Argument(params, 1, VT_I4, value, argError));
        HWND owner = reinterpret_cast<HWND>(static_cast<LONG_PTR>(V_I4(&value)));
        // A command from the Internet is not run unasked: a script gets
        // "disabled by policy" (not "access denied", which a locked or
        // protected file gives) and unblocks the file when it means it.
        if (m_fromForeignFile) return HRESULT_FROM_WIN32(ERROR_ACCESS_DISABLED_BY_POLICY);
        bool succeeded =
            Run(present ? std::wstring(folder.get(), ::SysStringLen(folder.get())) : std::wstring(),
                owner);
        if (result)
        {
            V_VT(result) = VT_BOOL;
            V_BOOL(result) = succeeded ? VARIANT_TRUE : VARIANT_FALSE;
        }
        return S_OK;
    }

    case DISPID_PREVIEW: {
        // Preview([folder]): what Run would do, one tab-separated line per
        // entry after a header line. It runs nothing, so a command from the
        // Internet may be previewed.
        if (!(flags & DISPATCH_METHOD)) return DISP_E_MEMBERNOTFOUND;
        if (args > 1) return DISP_E_BADPARAMCOUNT;
        fx::unique_bstr folder;
        bool present = false;
        if (args == 1) RETURN_IF_FAILED(2, OptionalString(params, 0, folder, present, argError));
        std::wstring lines;
        RETURN_IF_FAILED(
            2, Preview(present ? std::wstring(folder.get(), ::SysStringLen(folder.get()))
                               : std::wstring(),
                       lines));
        return ReturnString(result, lines, false);
    }

    default:
        return DISP_E_MEMBERNOTFOUND;
    }
}

STDMETHODIMP CTaskel::XDispatch::GetTypeInfoCount(UINT *count)
{
    return NoTypeInfoCount(count);
}

STDMETHODIMP CTaskel::XDispatch::GetTypeInfo(UINT, LCID, ITypeInfo **info)
{
    return NoTypeInfo(info);
}

STDMETHODIMP CTaskel::XDispatch::GetIDsOfNames(REFIID, LPOLESTR *names, UINT count, LCID,
                                               DISPID *ids)
{
    return LookUpDispatchNames(kMembers, names, count, ids);
}

STDMETHODIMP CTaskel::XDispatch::Invoke(DISPID id, REFIID iid, LCID, WORD flags, DISPPARAMS *params,
                                        VARIANT *result, EXCEPINFO *, UINT *argError)
{
    return InvokeMember(TRACE_SITE_HERE(), iid, flags, params, result, [&](WORD memberFlags) {
        return Owner()->Invoke(id, memberFlags, params, result, argError);
    });
}
