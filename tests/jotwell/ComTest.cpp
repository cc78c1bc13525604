// The built Jotwell.dll in the test prefix: registered with regsvr32 and
// checked value by value, created by its ProgID and driven by name as a
// script engine drives it, created without the registry through
// JotwellProperties, its page shown in a sheet of this process, the
// library's unload answer, and unregistration.
#include <gtest/gtest.h>

#include <objbase.h>
#include <shlobj.h>

#include "Automation.h"
#include "ComPtr.h"
#include "JotwellTestSupport.h"
#include "TestLauncher.h"
#include "TestRegistry.h"
#include "resource.h"

namespace
{
const wchar_t kClsid[] = L"{4B0AFE47-4387-487D-8FEF-CE43F9E020FE}";
const wchar_t kProgId[] = L"Veltrac.JotwellPage";
const wchar_t kCategory[] = L"{21556C40-465F-11D2-B3A2-00600831FF5A}";
const std::wstring kClassKey = std::wstring(L"CLSID\\") + kClsid;

std::wstring ShortPath(const std::wstring &path)
{
    wchar_t result[MAX_PATH * 2] = L"";
    DWORD length = ::GetShortPathNameW(path.c_str(), result, ARRAYSIZE(result));
    return length ? std::wstring(result, length) : path;
}

std::wstring Library()
{
    return BuildFolder(JOTWELL_BINARY_DIR) + L"Jotwell.dll";
}

class JotwellServer : public ::testing::Test
{
  protected:
    static void SetUpTestSuite()
    {
        ::OleInitialize(nullptr);
        ASSERT_EQ(Regsvr32(Library()), 0u);
    }
    // The class leaves the prefix unregistered: other suites test "Advanced >>"
    // without the settings library.
    static void TearDownTestSuite()
    {
        Regsvr32(Library(), true);
        ::OleUninitialize();
    }
};

// The library loaded by this test, as the command library's process loads it.
class CLoadedLibrary
{
  public:
    CLoadedLibrary() : m_module(::LoadLibraryW(Library().c_str())) {}
    ~CLoadedLibrary()
    {
        if (m_module) ::FreeLibrary(m_module);
    }
    CLoadedLibrary(const CLoadedLibrary &) = delete;
    CLoadedLibrary &operator=(const CLoadedLibrary &) = delete;
    template <typename F> F Export(const char *name) const
    {
        return reinterpret_cast<F>(reinterpret_cast<void *>(::GetProcAddress(m_module, name)));
    }

  private:
    HMODULE m_module;
};
using PropertiesFunction = HRESULT(WINAPI *)(IUnknown **);
using CanUnloadFunction = HRESULT(WINAPI *)();
} // namespace

TEST_F(JotwellServer, RegistrationWritesTheClassBelowClassesRoot)
{
    EXPECT_EQ(RegText(HKEY_CLASSES_ROOT, kProgId), L"Trace Logging");
    EXPECT_EQ(RegText(HKEY_CLASSES_ROOT, std::wstring(kProgId) + L"\\CLSID"), kClsid);
    EXPECT_EQ(RegText(HKEY_CLASSES_ROOT, kClassKey), L"Trace Logging");
    EXPECT_EQ(RegText(HKEY_CLASSES_ROOT, kClassKey + L"\\ProgID"), kProgId);
    EXPECT_EQ(RegText(HKEY_CLASSES_ROOT, kClassKey + L"\\InProcServer32"), ShortPath(Library()));
    EXPECT_EQ(RegText(HKEY_CLASSES_ROOT, kClassKey + L"\\InProcServer32", L"ThreadingModel"),
              L"Apartment");
    bool present = false;
    EXPECT_EQ(RegText(HKEY_CLASSES_ROOT, kClassKey + L"\\Implemented Categories\\" + kCategory,
                      nullptr, &present),
              L"");
    EXPECT_TRUE(present);
    EXPECT_EQ(RegText(HKEY_CLASSES_ROOT, std::wstring(L"Component Categories\\") + kCategory,
                      L"409"),
              L"Veltrac");
    // Reached only by ProgID or CLSID: no handler key, no Approved entry.
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, std::wstring(kProgId) + L"\\shellex"));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kClassKey + L"\\Elevation"));
    RegText(HKEY_LOCAL_MACHINE,
            L"Software\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved", kClsid,
            &present);
    EXPECT_FALSE(present);
}

TEST_F(JotwellServer, SecondRegistrationKeepsTypeNamesAndThreadingModel)
{
    ::RegSetKeyValueW(HKEY_CLASSES_ROOT, kProgId, nullptr, REG_SZ, L"Renamed", 16);
    ::RegSetKeyValueW(HKEY_CLASSES_ROOT, (kClassKey + L"\\InProcServer32").c_str(),
                      L"ThreadingModel", REG_SZ, L"Both", 10);
    ::RegSetKeyValueW(HKEY_CLASSES_ROOT, (kClassKey + L"\\ProgID").c_str(), nullptr, REG_SZ,
                      L"Other", 12);
    ASSERT_EQ(Regsvr32(Library()), 0u);
    EXPECT_EQ(RegText(HKEY_CLASSES_ROOT, kProgId), L"Renamed");
    EXPECT_EQ(RegText(HKEY_CLASSES_ROOT, kClassKey + L"\\InProcServer32", L"ThreadingModel"),
              L"Both");
    EXPECT_EQ(RegText(HKEY_CLASSES_ROOT, kClassKey + L"\\ProgID"), kProgId);
    ::RegSetKeyValueW(HKEY_CLASSES_ROOT, kProgId, nullptr, REG_SZ, L"Trace Logging", 28);
    ::RegSetKeyValueW(HKEY_CLASSES_ROOT, (kClassKey + L"\\InProcServer32").c_str(),
                      L"ThreadingModel", REG_SZ, L"Apartment", 20);
}

TEST_F(JotwellServer, ScriptEngineCreatesItByProgIdAndSetsItemsByName)
{
    CLSID clsid;
    ASSERT_EQ(::CLSIDFromProgID(kProgId, &clsid), S_OK);
    fx::ComPtr<IDispatch> object;
    ASSERT_EQ(::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                 object.put_void()),
              S_OK);
    CAutomation automation(object.get());
    EXPECT_EQ(automation.PutText(L"AppTitle", kNoIndex, L"Ferrovane"), S_OK);
    EXPECT_EQ(automation.PutLong(L"ItemCount", kNoIndex, 1), S_OK);
    EXPECT_EQ(automation.PutText(L"ItemKeyName", 1, L"Ferrovane"), S_OK);
    EXPECT_EQ(automation.PutText(L"ItemLogName", 1, L"Ferrovane.log"), S_OK);
    EXPECT_EQ(automation.GetText(L"AppTitle"), L"Ferrovane");
    EXPECT_EQ(automation.GetText(L"ItemKeyName", 1), L"Ferrovane");
    EXPECT_EQ(automation.GetText(L"ItemRootKey", 1), L"HKEY_CURRENT_USER");
    EXPECT_EQ(automation.GetLong(L"ItemLogLevel", 1), 0);
    bool isNull = false;
    automation.GetText(L"ItemLogName", 0, &isNull);
    EXPECT_TRUE(isNull);
    fx::ComPtr<IShellPropSheetExt> sheet;
    EXPECT_EQ(object.query(IID_IShellPropSheetExt, sheet), S_OK);
}

// A real script engine (the system's VBScript host): indexed properties as
// scripts write them, the results written to a file the test reads.
TEST_F(JotwellServer, VBScriptSetsAndReadsTheProperties)
{
    const std::wstring script = TempPath(L"props.vbs");
    const std::wstring out = TempPath(L"props.txt");
    WriteText(script,
              "Set o = CreateObject(\"Veltrac.JotwellPage\")\r\n"
              "o.AppTitle = \"Ferrovane\"\r\n"
              "o.ItemCount = 3\r\n"
              "o.ItemKeyName(1) = \"Ferrovane\"\r\n"
              "o.ItemLogLevel(2) = 65540\r\n"
              "o.ItemRootKey(2) = \"hkey_local_machine\"\r\n"
              "o.ItemRootKey(3) = \"HKEY_LOCAL_MACHINE\"\r\n"
              "o.ItemLogName(0) = \"ignored.log\"\r\n"
              "r = o.AppTitle & \"|\" & o.ItemCount & \"|\" & o.ItemKeyName(1) & \"|\" & "
              "o.ItemLogLevel(2) & \"|\" & o.ItemRootKey(2) & \"|\" & o.ItemRootKey(3) & \"|\" & "
              "o.ItemLogName(0) & \"|\" & o.ItemLogLevel(9)\r\n"
              "o.ItemCount = 1\r\n"
              "r = r & \"|\" & o.ItemCount & \"|\" & o.ItemKeyName(1)\r\n"
              "Set f = CreateObject(\"Scripting.FileSystemObject\").CreateTextFile(WScript.Arguments(0))\r\n"
              "f.Write r\r\n"
              "f.Close\r\n");
    wchar_t system[MAX_PATH] = L"";
    ::GetSystemDirectoryW(system, MAX_PATH);
    ProcessRun run = RunProgram(std::wstring(system) + L"\\cscript.exe",
                                L"//nologo \"" + script + L"\" \"" + out + L"\"", std::wstring(),
                                60000);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_TRUE(run.messages.empty()) << Describe(run.messages);
    EXPECT_EQ(ReadText(out), "Ferrovane|3|Ferrovane|4|HKEY_CURRENT_USER|HKEY_LOCAL_MACHINE||0|1|"
                             "Ferrovane");
}

TEST_F(JotwellServer, JotwellPropertiesCreatesTheObjectWithoutTheRegistry)
{
    CLoadedLibrary library;
    auto properties = library.Export<PropertiesFunction>("JotwellProperties");
    ASSERT_NE(properties, nullptr);
    EXPECT_EQ(properties(nullptr), E_POINTER);
    fx::ComPtr<IUnknown> object;
    ASSERT_EQ(properties(object.put()), S_OK);
    ASSERT_TRUE(object);
    fx::ComPtr<IDispatch> dispatch;
    EXPECT_EQ(object.query(IID_IDispatch, dispatch), S_OK);
    fx::ComPtr<IShellExtInit> init;
    EXPECT_EQ(object.query(IID_IShellExtInit, init), S_OK);
    auto canUnload = library.Export<CanUnloadFunction>("DllCanUnloadNow");
    ASSERT_NE(canUnload, nullptr);
    EXPECT_EQ(canUnload(), S_FALSE) << "the object holds the library";
    object.reset();
    dispatch.reset();
    init.reset();
    EXPECT_EQ(canUnload(), S_OK);
}

TEST_F(JotwellServer, ItsPageShowsInASheetAndIsFreedByTheUnloadSweep)
{
    CLoadedLibrary library;
    auto properties = library.Export<PropertiesFunction>("JotwellProperties");
    auto canUnload = library.Export<CanUnloadFunction>("DllCanUnloadNow");
    ASSERT_TRUE(properties && canUnload);
    fx::ComPtr<IUnknown> object;
    ASSERT_EQ(properties(object.put()), S_OK);
    fx::ComPtr<IDispatch> dispatch;
    ASSERT_EQ(object.query(IID_IDispatch, dispatch), S_OK);
    // As the command library's "Advanced >>" describes its one component.
    CAutomation automation(dispatch.get());
    automation.PutText(L"AppTitle", kNoIndex, L"Ferrovane");
    automation.PutLong(L"ItemCount", kNoIndex, 1);
    automation.PutText(L"ItemKeyName", 1, L"JotwellComTest");
    automation.PutText(L"ItemLogName", 1, L"Ferrovane.log");
    fx::ComPtr<IShellExtInit> init;
    ASSERT_EQ(object.query(IID_IShellExtInit, init), S_OK);
    EXPECT_EQ(init->Initialize(nullptr, nullptr, nullptr), S_OK);
    fx::ComPtr<IShellPropSheetExt> extension;
    ASSERT_EQ(object.query(IID_IShellPropSheetExt, extension), S_OK);
    {
        CExtensionSheet sheet(extension.get());
        EXPECT_EQ(sheet.AddResult(), S_OK);
        EXPECT_EQ(sheet.PageCount(), 1u);
        // The host lets go of the object; the page lives on in the sheet.
        init.reset();
        extension.reset();
        dispatch.reset();
        object.reset();
        ASSERT_TRUE(sheet.Open(L"Ferrovane"));
        HWND page = sheet.CurrentPage();
        ASSERT_NE(page, nullptr);
        EXPECT_EQ(TextOf(page, IDC_JOTWELL_COMPONENT), L"All");
        EXPECT_EQ(TextOf(page, IDC_JOTWELL_FILE_NAME), L"Ferrovane.log");
        EXPECT_EQ(canUnload(), S_FALSE) << "the sheet still shows the page";
        SaveWindowPicture(sheet.Window(), ScreenshotFolder() + L"jotwell-page-dll.png");
        Click(page, IDC_JOTWELL_VERBOSE);
        sheet.Press(PSBTN_OK);
    }
    EXPECT_EQ(RegDword(HKEY_CURRENT_USER, L"Software\\Veltrac\\JotwellComTest", L"LogLevel"), 4u);
    DeleteTree(HKEY_CURRENT_USER, L"Software\\Veltrac\\JotwellComTest");
    EXPECT_EQ(canUnload(), S_OK) << "the sweep released the page";
}

// Last (gtest runs the cases in order): unregistration removes the class.
TEST_F(JotwellServer, UnregistrationRemovesTheClassAndKeepsTheCategory)
{
    ASSERT_EQ(Regsvr32(Library(), true), 0u);
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kProgId));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kClassKey));
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, std::wstring(L"Component Categories\\") + kCategory));
    CLSID clsid;
    EXPECT_NE(::CLSIDFromProgID(kProgId, &clsid), S_OK);
}
