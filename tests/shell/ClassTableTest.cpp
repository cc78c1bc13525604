// The library's class table in this process: its class objects, the unload
// rule while a client holds one, and the order in which registration walks
// the classes.
#include <gtest/gtest.h>

#include <olectl.h>

#include "ClassObjects.h"
#include "ComObject.h"
#include "ComPtr.h"
#include "ShellTestSupport.h"
#include "TaskelGuids.h"
#include "TaskelRegister.h"
#include "TestTrace.h"

namespace
{

TEST(ClassTable, ServesItsClassesAndNoOthers)
{
    fx::CClassTable &table = TaskelClassTable();
    for (const CLSID *clsid : {&CLSID_Taskel, &CLSID_TaskelInfoTip, &CLSID_TaskelProp})
    {
        fx::ComPtr<IClassFactory> factory;
        ASSERT_EQ(table.GetClassObject(*clsid, IID_IClassFactory, factory.put_void()), S_OK);
        fx::ComPtr<IUnknown> object;
        EXPECT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, object.put_void()), S_OK);
        EXPECT_TRUE(object);
    }
    // One class object per class, whoever asks.
    fx::ComPtr<IClassFactory> first, second;
    table.GetClassObject(CLSID_TaskelProp, IID_IClassFactory, first.put_void());
    table.GetClassObject(CLSID_TaskelProp, IID_IUnknown, second.put_void());
    EXPECT_EQ(static_cast<IUnknown *>(first.get()), static_cast<IUnknown *>(second.get()));

    void *out = &table;
    EXPECT_EQ(table.GetClassObject(CATID_Veltrac, IID_IClassFactory, &out),
              CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(out, nullptr);
    fx::ComPtr<IUnknown> wrong;
    EXPECT_EQ(table.GetClassObject(CLSID_Taskel, IID_IDispatch, wrong.put_void()), E_NOINTERFACE);
}

TEST(ClassTable, TheModuleStaysWhileAClientHoldsAClassObject)
{
    InstallTaskelClassTable();
    ASSERT_EQ(fx::CanUnloadNow(), S_OK);
    {
        fx::ComPtr<IClassFactory> factory;
        ASSERT_EQ(fx::GetClassObject(CLSID_TaskelInfoTip, IID_IClassFactory, factory.put_void()),
                  S_OK);
        EXPECT_EQ(fx::CanUnloadNow(), S_FALSE);
        // A client's lock holds the module as well, after it let go.
        EXPECT_EQ(factory->LockServer(TRUE), S_OK);
        factory.reset();
        EXPECT_EQ(fx::CanUnloadNow(), S_FALSE);
        fx::ComPtr<IClassFactory> again;
        fx::GetClassObject(CLSID_TaskelInfoTip, IID_IClassFactory, again.put_void());
        EXPECT_EQ(again->LockServer(FALSE), S_OK);
    }
    EXPECT_EQ(fx::CanUnloadNow(), S_OK);

    // Nobody else is asked: a module without a table has no class objects.
    fx::SetModuleClassTable(nullptr);
    fx::ComPtr<IClassFactory> none;
    EXPECT_EQ(fx::GetClassObject(CLSID_Taskel, IID_IClassFactory, none.put_void()),
              CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(fx::UpdateAllRegistries(true), S_OK);
    InstallTaskelClassTable();
}

TEST(ClassTable, RegistrationWalksTheClassesInTableOrder)
{
    InstallTaskelClassTable();
    CTraceLines trace(2);
    ASSERT_EQ(fx::UpdateAllRegistries(true), S_OK);
    ASSERT_EQ(fx::UpdateAllRegistries(false), S_OK);
    EXPECT_EQ(trace.With(L"==> "),
              (std::vector<std::wstring>{
                  L"==> Register CTaskelProp {164914BE-8165-43D9-B304-090FFBE4D4B7}",
                  L"==> Register CTaskelInfoTip {73A91744-E690-46D4-BF6E-D64C4EF77003}",
                  L"==> Register CTaskel {A0E43D26-522B-40AA-B01F-E3FC037A0F52}",
                  L"==> Unregister CTaskelProp {164914BE-8165-43D9-B304-090FFBE4D4B7}",
                  L"==> Unregister CTaskelInfoTip {73A91744-E690-46D4-BF6E-D64C4EF77003}",
                  L"==> Unregister CTaskel {A0E43D26-522B-40AA-B01F-E3FC037A0F52}",
              }));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, L"Veltrac.Taskel"));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, L"Veltrac.TaskelInfoTip"));
}

// A class that fails to register ends the walk: later classes are left
// alone and the walk answers SELFREG_E_CLASS.
std::vector<std::string> g_registered;
BOOL RecordClass(fx::COleObjectFactoryExEx &classObject, BOOL)
{
    g_registered.push_back(classObject.ClassName());
    return g_registered.size() < 2;
}

TEST(ClassTable, AFailingClassEndsTheWalk)
{
    HRESULT (*create)(REFIID, void **) = [](REFIID, void **) -> HRESULT { return E_NOTIMPL; };
    const fx::ClassTableRow rows[] = {
        {CLSID_TaskelProp, "First", nullptr, create, RecordClass},
        {CLSID_TaskelInfoTip, "Failing", nullptr, create, RecordClass},
        {CLSID_Taskel, "Never", nullptr, create, RecordClass},
        {CATID_Veltrac, "Silent", nullptr, create, nullptr},
    };
    fx::CClassTable table(rows);
    g_registered.clear();
    EXPECT_EQ(table.UpdateRegistries(true), SELFREG_E_CLASS);
    EXPECT_EQ(g_registered, (std::vector<std::string>{"First", "Failing"}));

    // A class without a registrar writes nothing and does not fail.
    const fx::ClassTableRow quiet[] = {{CATID_Veltrac, "Silent", nullptr, create, nullptr}};
    fx::CClassTable quietTable(quiet);
    EXPECT_EQ(quietTable.UpdateRegistries(true), S_OK);
}

} // namespace
