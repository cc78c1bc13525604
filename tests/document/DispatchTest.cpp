// The automation interface driven through IDispatch::Invoke, the way a
// script host calls it.
#include <gtest/gtest.h>

#include "ComPtr.h"
#include "TaskelClass.h"
#include "TaskelGuids.h"

namespace
{
class Script
{
  public:
    Script() { EXPECT_EQ(CTaskel::CreateInstance(IID_ITaskel, m_dispatch.put_void()), S_OK); }

    DISPID Id(const wchar_t *name)
    {
        DISPID id = DISPID_UNKNOWN;
        LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
        m_dispatch->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
        return id;
    }

    // Calls with the arguments in script order; returns the HRESULT.
    HRESULT Call(const wchar_t *name, WORD flags, std::vector<VARIANT> args, VARIANT *result)
    {
        std::vector<VARIANT> reversed(args.rbegin(), args.rend());
        DISPID putId = DISPID_PROPERTYPUT;
        DISPPARAMS params = {reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
        if (flags & DISPATCH_PROPERTYPUT)
        {
            params.rgdispidNamedArgs = &putId;
            params.cNamedArgs = 1;
        }
        UINT argError = 0;
        if (result) ::VariantInit(result);
        return m_dispatch->Invoke(Id(name), IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result,
                                  nullptr, &argError);
    }

    VARIANT Get(const wchar_t *name, std::vector<VARIANT> args = {})
    {
        VARIANT result;
        EXPECT_EQ(Call(name, DISPATCH_PROPERTYGET | DISPATCH_METHOD, args, &result), S_OK) << name;
        return result;
    }
    HRESULT Put(const wchar_t *name, std::vector<VARIANT> args)
    {
        return Call(name, DISPATCH_PROPERTYPUT, args, nullptr);
    }

    fx::ComPtr<IDispatch> m_dispatch;
};

VARIANT Long(LONG v)
{
    VARIANT r;
    V_VT(&r) = VT_I4;
    V_I4(&r) = v;
    return r;
}
VARIANT Text(const wchar_t *s) // the BSTR leaks into the test's lifetime; fine here
{
    VARIANT r;
    V_VT(&r) = VT_BSTR;
    V_BSTR(&r) = ::SysAllocString(s);
    return r;
}
VARIANT Null()
{
    VARIANT r;
    V_VT(&r) = VT_NULL;
    return r;
}
std::wstring Str(VARIANT v)
{
    EXPECT_EQ(V_VT(&v), VT_BSTR);
    std::wstring s = V_BSTR(&v) ? V_BSTR(&v) : L"<none>";
    ::VariantClear(&v);
    return s;
}
} // namespace

TEST(Automation, NamesAndIdentifiers)
{
    Script s;
    EXPECT_EQ(s.Id(L"Action"), 1);
    EXPECT_EQ(s.Id(L"options"), 2);
    EXPECT_EQ(s.Id(L"ToFile"), 4);
    EXPECT_EQ(s.Id(L"FromFileCount"), 5);
    EXPECT_EQ(s.Id(L"FROMFILE"), 6);
    EXPECT_EQ(s.Id(L"OptionMask"), 7);
    EXPECT_EQ(s.Id(L"Run"), 8);
    EXPECT_EQ(s.Id(L"Target"), DISPID_UNKNOWN);
    fx::ComPtr<IPersistStorage> persist;
    EXPECT_EQ(s.m_dispatch.query(IID_IPersistStorage, persist), S_OK);
}

TEST(Automation, PropertiesAndTypes)
{
    Script s;
    VARIANT action = s.Get(L"Action");
    EXPECT_EQ(V_VT(&action), VT_I2);
    EXPECT_EQ(V_I2(&action), 0);
    VARIANT options = s.Get(L"Options");
    EXPECT_EQ(V_VT(&options), VT_I4);
    EXPECT_EQ(V_I4(&options), 0x40248);
    EXPECT_EQ(Str(s.Get(L"ToFile")), L"<none>");
    EXPECT_EQ(s.Put(L"Action", {Long(3)}), DISP_E_MEMBERNOTFOUND); // read only

    EXPECT_EQ(s.Put(L"ToFile", {Text(L"  E:\\Out ")}), S_OK);
    EXPECT_EQ(Str(s.Get(L"ToFile")), L"E:\\Out");
    EXPECT_EQ(s.Put(L"Options", {Long(OPT_SILENT)}), S_OK);
    EXPECT_EQ(V_I4(&(options = s.Get(L"Options"))), OPT_SILENT);

    EXPECT_EQ(s.Put(L"FromFile", {Long(0), Text(L"D:\\Data\\*.txt")}), S_OK);
    EXPECT_EQ(s.Put(L"FromFile", {Long(7), Text(L"D:\\More\\")}), S_OK);
    VARIANT count = s.Get(L"FromFileCount");
    EXPECT_EQ(V_VT(&count), VT_I4);
    EXPECT_EQ(V_I4(&count), 2);
    EXPECT_EQ(Str(s.Get(L"FromFile", {Long(1)})), L"D:\\More\\");
    EXPECT_EQ(Str(s.Get(L"FromFile", {Long(2)})), L"<none>");
    EXPECT_EQ(Str(s.Get(L"FromFile", {Long(-1)})), L"<none>");
    EXPECT_EQ(s.Put(L"FromFile", {Long(-1), Null()}), S_OK); // empties the list
    EXPECT_EQ(V_I4(&(count = s.Get(L"FromFileCount"))), 0);
    EXPECT_EQ(s.Call(L"FromFile", DISPATCH_PROPERTYGET, {}, nullptr), DISP_E_BADPARAMCOUNT);
}

TEST(Automation, OptionMaskAndRun)
{
    Script s;
    EXPECT_EQ(s.Put(L"FromFile", {Long(0), Text(L"D:\\Data\\*.txt")}), S_OK);
    VARIANT mask = s.Get(L"OptionMask");
    EXPECT_EQ(V_I4(&mask), 0); // no action yet

    VARIANT result;
    ASSERT_EQ(s.Call(L"Run", DISPATCH_METHOD, {Text(L"C:\\"), Long(0)}, &result), S_OK);
    EXPECT_EQ(V_VT(&result), VT_BOOL);
    EXPECT_EQ(V_BOOL(&result), VARIANT_FALSE);
    EXPECT_EQ(s.Call(L"Run", DISPATCH_METHOD, {Text(L"C:\\")}, &result), DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(s.Call(L"Run", DISPATCH_METHOD, {Text(L"C:\\"), Text(L"not a number")}, &result),
              DISP_E_TYPEMISMATCH);
}
