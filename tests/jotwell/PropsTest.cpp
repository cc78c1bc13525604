// CJotwellProps in this process: the eight properties by name and by
// number with their index and root-text rules, the shell extension's
// answers, and AddPages when the sheet refuses the page.
#include <gtest/gtest.h>

#include "Automation.h"
#include "ClassObjects.h"
#include "ComObject.h"
#include "JotwellProps.h"
#include "PropertyPageObj.h"
#include "TestTrace.h"

namespace
{
fx::ComPtr<IDispatch> NewObject()
{
    fx::ComPtr<IDispatch> object;
    EXPECT_EQ(CJotwellProps::CreateInstance(IID_IDispatch, object.put_void()), S_OK);
    return object;
}

BOOL CALLBACK RefusePage(HPROPSHEETPAGE, LPARAM)
{
    return FALSE;
}
} // namespace

TEST(JotwellAutomation, NamesGiveTheDispatchNumbersInTableOrder)
{
    fx::ComPtr<IDispatch> object = NewObject();
    CAutomation automation(object.get());
    const wchar_t *names[] = {L"AppTitle",    L"ItemCount",   L"ItemLogLevel",   L"ItemLogName",
                              L"ItemRootKey", L"ItemKeyName", L"ItemKeyNameAlt", L"ItemTitle"};
    for (DISPID i = 0; i < 8; ++i)
        EXPECT_EQ(automation.Id(names[i]), i + 1) << names[i];
    EXPECT_EQ(automation.Id(L"itemlogname"), DISPID_JOTWELL_ITEMLOGNAME);
    HRESULT hr = S_OK;
    EXPECT_EQ(automation.Id(L"ItemColour", &hr), DISPID_UNKNOWN);
    EXPECT_EQ(hr, DISP_E_UNKNOWNNAME);
    UINT count = 99;
    EXPECT_EQ(object->GetTypeInfoCount(&count), S_OK);
    EXPECT_EQ(count, 0u);
}

TEST(JotwellAutomation, NewItemsAreCurrentUserWithLevelZero)
{
    fx::ComPtr<IDispatch> object = NewObject();
    CAutomation automation(object.get());
    EXPECT_EQ(automation.GetLong(L"ItemCount"), 0);
    bool isNull = false;
    EXPECT_EQ(automation.GetText(L"AppTitle", kNoIndex, &isNull), L"");
    EXPECT_FALSE(isNull);
    ASSERT_EQ(automation.PutLong(L"ItemCount", kNoIndex, 1), S_OK);
    EXPECT_EQ(automation.GetText(L"ItemRootKey", 1), L"HKEY_CURRENT_USER");
    EXPECT_EQ(automation.GetLong(L"ItemLogLevel", 1), 0);
    EXPECT_EQ(automation.GetText(L"ItemKeyName", 1, &isNull), L"");
    EXPECT_FALSE(isNull);
}

TEST(JotwellAutomation, CountGrowsAndShrinksFromTheEnd)
{
    fx::ComPtr<IDispatch> object = NewObject();
    CAutomation automation(object.get());
    ASSERT_EQ(automation.PutLong(L"ItemCount", kNoIndex, 3), S_OK);
    for (long i = 1; i <= 3; ++i)
        automation.PutText(L"ItemTitle", i, (L"Item " + std::to_wstring(i)).c_str());
    automation.PutText(L"ItemKeyName", 1, L"Ferrovane");
    automation.PutText(L"ItemKeyNameAlt", 1, L"FerrovaneAlt");
    automation.PutText(L"ItemLogName", 1, L"Ferrovane.log");
    automation.PutLong(L"ItemLogLevel", 1, 0x12345);
    automation.PutText(L"ItemRootKey", 1, L"HKEY_LOCAL_MACHINE");

    EXPECT_EQ(automation.PutLong(L"ItemCount", kNoIndex, -2), S_OK) << "ignored without error";
    EXPECT_EQ(automation.GetLong(L"ItemCount"), 3);
    ASSERT_EQ(automation.PutLong(L"ItemCount", kNoIndex, 1), S_OK);
    EXPECT_EQ(automation.GetLong(L"ItemCount"), 1);
    EXPECT_EQ(automation.GetText(L"ItemTitle", 1), L"Item 1");
    EXPECT_EQ(automation.GetText(L"ItemKeyName", 1), L"Ferrovane");
    EXPECT_EQ(automation.GetText(L"ItemKeyNameAlt", 1), L"FerrovaneAlt");
    EXPECT_EQ(automation.GetText(L"ItemLogName", 1), L"Ferrovane.log");
    EXPECT_EQ(automation.GetLong(L"ItemLogLevel", 1), 0x2345) << "the low 16 bits";
    EXPECT_EQ(automation.GetText(L"ItemRootKey", 1), L"HKEY_LOCAL_MACHINE");
    bool isNull = false;
    automation.GetText(L"ItemTitle", 2, &isNull);
    EXPECT_TRUE(isNull) << "deleted from the end";

    // Growing again appends defaults.
    ASSERT_EQ(automation.PutLong(L"ItemCount", kNoIndex, 2), S_OK);
    EXPECT_EQ(automation.GetText(L"ItemTitle", 2), L"");
    EXPECT_EQ(automation.GetText(L"ItemRootKey", 2), L"HKEY_CURRENT_USER");
}

TEST(JotwellAutomation, IndexesOutsideTheItemsReadNothingAndIgnoreWrites)
{
    fx::ComPtr<IDispatch> object = NewObject();
    CAutomation automation(object.get());
    automation.PutLong(L"ItemCount", kNoIndex, 1);
    for (long index : {0L, 2L, -5L})
    {
        EXPECT_EQ(automation.PutText(L"ItemLogName", index, L"x.log"), S_OK);
        EXPECT_EQ(automation.PutLong(L"ItemLogLevel", index, 4), S_OK);
        bool isNull = false;
        EXPECT_EQ(automation.GetText(L"ItemLogName", index, &isNull), L"");
        EXPECT_TRUE(isNull) << index;
        EXPECT_EQ(automation.GetLong(L"ItemLogLevel", index), 0);
        automation.GetText(L"ItemRootKey", index, &isNull);
        EXPECT_TRUE(isNull);
    }
    EXPECT_EQ(automation.GetText(L"ItemLogName", 1), L"");
    EXPECT_EQ(automation.GetLong(L"ItemLogLevel", 1), 0);
}

TEST(JotwellAutomation, RootKeyTakesOnlyTheExactNames)
{
    fx::ComPtr<IDispatch> object = NewObject();
    CAutomation automation(object.get());
    automation.PutLong(L"ItemCount", kNoIndex, 1);
    for (const wchar_t *text : {L"hkey_local_machine", L"HKLM", L"", L"HKEY_LOCAL_MACHINE "})
    {
        EXPECT_EQ(automation.PutText(L"ItemRootKey", 1, text), S_OK);
        EXPECT_EQ(automation.GetText(L"ItemRootKey", 1), L"HKEY_CURRENT_USER") << text;
    }
    automation.PutText(L"ItemRootKey", 1, L"HKEY_LOCAL_MACHINE");
    EXPECT_EQ(automation.GetText(L"ItemRootKey", 1), L"HKEY_LOCAL_MACHINE");
    automation.PutText(L"ItemRootKey", 1, L"Hkey_Current_User");
    EXPECT_EQ(automation.GetText(L"ItemRootKey", 1), L"HKEY_LOCAL_MACHINE");
    automation.PutText(L"ItemRootKey", 1, L"HKEY_CURRENT_USER");
    EXPECT_EQ(automation.GetText(L"ItemRootKey", 1), L"HKEY_CURRENT_USER");
}

TEST(JotwellAutomation, ByNumberAsTheCommandLibraryCalls)
{
    fx::ComPtr<IDispatch> object = NewObject();
    CAutomation automation(object.get());
    VARIANT value;
    V_VT(&value) = VT_I4;
    V_I4(&value) = 1;
    EXPECT_EQ(automation.Put(DISPID_JOTWELL_ITEMCOUNT, kNoIndex, value), S_OK);
    V_VT(&value) = VT_BSTR;
    V_BSTR(&value) = ::SysAllocString(L"Ferrovane");
    EXPECT_EQ(automation.Put(DISPID_JOTWELL_APPTITLE, kNoIndex, value), S_OK);
    EXPECT_EQ(automation.Put(DISPID_JOTWELL_ITEMKEYNAME, 1, value), S_OK);
    ::VariantClear(&value);
    EXPECT_EQ(automation.GetText(L"AppTitle"), L"Ferrovane");
    EXPECT_EQ(automation.GetText(L"ItemKeyName", 1), L"Ferrovane");

    // Wrong argument counts and unknown numbers are refused.
    HRESULT hr = S_OK;
    VARIANT result = automation.Get(DISPID_JOTWELL_ITEMKEYNAME, kNoIndex, &hr);
    EXPECT_EQ(hr, DISP_E_BADPARAMCOUNT);
    ::VariantClear(&result);
    result = automation.Get(9, kNoIndex, &hr);
    EXPECT_EQ(hr, DISP_E_MEMBERNOTFOUND);
    // A number given as text converts; other text does not.
    EXPECT_EQ(automation.PutText(L"ItemLogLevel", 1, L"3"), S_OK);
    EXPECT_EQ(automation.GetLong(L"ItemLogLevel", 1), 3);
    EXPECT_EQ(automation.PutText(L"ItemLogLevel", 1, L"three"), DISP_E_TYPEMISMATCH);
}

TEST(JotwellShellExtension, AnswersOfTheExtensionInterfaces)
{
    fx::ComPtr<IShellExtInit> init;
    ASSERT_EQ(CJotwellProps::CreateInstance(IID_IShellExtInit, init.put_void()), S_OK);
    EXPECT_EQ(init->Initialize(nullptr, nullptr, nullptr), S_OK);
    fx::ComPtr<IShellPropSheetExt> sheet;
    ASSERT_EQ(init.query(IID_IShellPropSheetExt, sheet), S_OK);
    EXPECT_EQ(sheet->ReplacePage(0, nullptr, 0), E_NOTIMPL);
    fx::ComPtr<IDispatch> dispatch;
    EXPECT_EQ(sheet.query(IID_IDispatch, dispatch), S_OK);
    fx::ComPtr<IUnknown> other;
    EXPECT_EQ(sheet->QueryInterface(IID_IPersistFile, other.put_void()), E_NOINTERFACE);
}

TEST(JotwellShellExtension, ARefusedPageIsFreedAndNothingHoldsTheModule)
{
    const long locks = fx::ModuleLockCount();
    {
        CTraceLines trace(4);
        fx::ComPtr<IShellPropSheetExt> sheet;
        ASSERT_EQ(CJotwellProps::CreateInstance(IID_IShellPropSheetExt, sheet.put_void()), S_OK);
        EXPECT_EQ(fx::ModuleLockCount(), locks + 1);
        EXPECT_EQ(sheet->AddPages(RefusePage, 0x1234), E_FAIL);
        EXPECT_EQ(RegisteredPageObjectCount(), 0u);
        EXPECT_EQ(fx::ModuleLockCount(), locks + 1);
        sheet.reset();
        EXPECT_TRUE(trace.Has(L"CJotwellProps::AddPages Lparam [00001234] [4660]"));
        EXPECT_TRUE(trace.Has(L"CJotwellPage::CJotwellPage"));
        EXPECT_TRUE(trace.Has(L"CJotwellPage::~CJotwellPage"));
        EXPECT_TRUE(trace.Has(L"CJotwellProps::OnFinalRelease"));
        EXPECT_TRUE(trace.Has(L"CJotwellProps::~CJotwellProps"));
    }
    EXPECT_EQ(fx::ModuleLockCount(), locks);
    EXPECT_EQ(fx::CanUnloadNow(), S_OK);
}
