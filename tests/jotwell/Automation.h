// Calls into an IDispatch object as a script engine makes them: the
// property's number from its name (or a number given directly), an item
// index as the first argument, and the value of a put as the named
// DISPID_PROPERTYPUT argument.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <climits>
#include <string>

#include "ComPtr.h"

// The index argument of a property without index.
const long kNoIndex = LONG_MIN;

class CAutomation
{
  public:
    explicit CAutomation(IDispatch *object) : m_object(object) {}

    // DISPID_UNKNOWN when the name is unknown.
    DISPID Id(const wchar_t *name, HRESULT *result = nullptr) const
    {
        DISPID id = DISPID_UNKNOWN;
        LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
        HRESULT hr = m_object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
        if (result) *result = hr;
        return id;
    }

    // kNoIndex: a property without index.
    HRESULT Put(DISPID id, long index, const VARIANT &value) const
    {
        VARIANT args[2];
        args[0] = value; // the value comes first (arguments are in reverse order)
        ::VariantInit(&args[1]);
        V_VT(&args[1]) = VT_I4;
        V_I4(&args[1]) = index;
        DISPID named = DISPID_PROPERTYPUT;
        DISPPARAMS params = {args, &named, index == kNoIndex ? 1u : 2u, 1};
        return m_object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &params,
                                nullptr, nullptr, nullptr);
    }
    HRESULT Put(const wchar_t *name, long index, const VARIANT &value) const
    {
        return Put(Id(name), index, value);
    }
    HRESULT PutText(const wchar_t *name, long index, const wchar_t *text) const
    {
        VARIANT value;
        V_VT(&value) = VT_BSTR;
        V_BSTR(&value) = ::SysAllocString(text);
        HRESULT hr = Put(name, index, value);
        ::VariantClear(&value);
        return hr;
    }
    HRESULT PutLong(const wchar_t *name, long index, long number) const
    {
        VARIANT value;
        V_VT(&value) = VT_I4;
        V_I4(&value) = number;
        return Put(name, index, value);
    }

    // The property's value (VT_EMPTY when the call failed); the caller clears it.
    VARIANT Get(DISPID id, long index = kNoIndex, HRESULT *result = nullptr) const
    {
        VARIANT arg;
        V_VT(&arg) = VT_I4;
        V_I4(&arg) = index;
        DISPPARAMS params = {&arg, nullptr, index == kNoIndex ? 0u : 1u, 0};
        VARIANT value;
        ::VariantInit(&value);
        HRESULT hr = m_object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET,
                                      &params, &value, nullptr, nullptr);
        if (result) *result = hr;
        return value;
    }
    long GetLong(const wchar_t *name, long index = kNoIndex) const
    {
        VARIANT value = Get(Id(name), index);
        return V_VT(&value) == VT_I4 ? V_I4(&value) : -12345;
    }
    // `isNull` tells a null string from an empty one.
    std::wstring GetText(const wchar_t *name, long index = kNoIndex, bool *isNull = nullptr) const
    {
        VARIANT value = Get(Id(name), index);
        std::wstring text;
        if (isNull) *isNull = V_VT(&value) == VT_BSTR && V_BSTR(&value) == nullptr;
        if (V_VT(&value) == VT_BSTR && V_BSTR(&value))
            text.assign(V_BSTR(&value), ::SysStringLen(V_BSTR(&value)));
        ::VariantClear(&value);
        return text;
    }

  private:
    IDispatch *m_object;
};
