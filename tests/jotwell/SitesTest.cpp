// The built Jotwell.dll's own log: a class it does not serve is reported at
// the entry point's fixed place, and the class it serves is handed out and
// holds the library until it is released.
#include <gtest/gtest.h>

#include <objbase.h>

#include "ComPtr.h"
#include "TestFiles.h"
#include "TestLauncher.h"
#include "TestRegistry.h"

namespace
{
using GetClassObjectFunction = HRESULT(WINAPI *)(REFCLSID, REFIID, void **);
using CanUnloadFunction = HRESULT(WINAPI *)();

const CLSID kJotwellClass = {
    0x4B0AFE47, 0x4387, 0x487D, {0x8F, 0xEF, 0xCE, 0x43, 0xF9, 0xE0, 0x20, 0xFE}};
const CLSID kOtherClass = {
    0x21556C40, 0x465F, 0x11D2, {0xB3, 0xA2, 0x00, 0x60, 0x08, 0x31, 0xFF, 0x5A}};

TEST(JotwellSites, AClassTheLibraryDoesNotServeIsReportedAt99)
{
    const std::wstring log = TempPath(L"jotwell-sites.log");
    ::DeleteFileW(log.c_str());
    {
        // The library reads its settings again at each entry.
        CSavedValue level(HKEY_CURRENT_USER, L"Software\\Veltrac\\Jotwell", L"LogLevel");
        CSavedValue file(HKEY_CURRENT_USER, L"Software\\Veltrac\\Jotwell", L"LogFile");
        level.SetDword(4);
        file.SetString(log);

        HMODULE library =
            ::LoadLibraryW((BuildFolder(JOTWELL_BINARY_DIR) + L"Jotwell.dll").c_str());
        ASSERT_NE(library, nullptr);
        auto getClassObject = reinterpret_cast<GetClassObjectFunction>(
            reinterpret_cast<void (*)()>(::GetProcAddress(library, "DllGetClassObject")));
        auto canUnload = reinterpret_cast<CanUnloadFunction>(
            reinterpret_cast<void (*)()>(::GetProcAddress(library, "DllCanUnloadNow")));
        ASSERT_TRUE(getClassObject && canUnload);

        fx::ComPtr<IClassFactory> factory;
        EXPECT_EQ(getClassObject(kOtherClass, IID_IClassFactory, factory.put_void()),
                  CLASS_E_CLASSNOTAVAILABLE);
        EXPECT_FALSE(factory);
        ASSERT_EQ(getClassObject(kJotwellClass, IID_IClassFactory, factory.put_void()), S_OK);
        EXPECT_EQ(canUnload(), S_FALSE) << "a client holds the class object";
        factory.reset();
        EXPECT_EQ(canUnload(), S_OK);
        ::FreeLibrary(library);
    }
    const std::string text = ReadText(log);
    EXPECT_NE(text.find("Error [2147746065 (80040111)]"), std::string::npos) << text;
    EXPECT_NE(text.find("=> DllGetClassObject {99 in Jotwell}"), std::string::npos) << text;
    EXPECT_NE(text.find("DllGetClassObject [00000000]"), std::string::npos) << text;
    ::DeleteFileW(log.c_str());
}

} // namespace
