// The settings page in a sheet of this process, as a host hands it over
// (CJotwellProps with its properties, then AddPages), driven through its
// controls: clicks, typed text, the browse and reset buttons, the component
// list, Apply; the registry values it writes and what it leaves behind.
#include <gtest/gtest.h>

#include "Automation.h"
#include "ClassObjects.h"
#include "ComObject.h"
#include "JotwellBrowse.h"
#include "JotwellProps.h"
#include "JotwellSettings.h"
#include "JotwellTestSupport.h"
#include "PropertyPageObj.h"
#include "TestFiles.h"
#include "TestRegistry.h"
#include "resource.h"

#include <commdlg.h>
#include <shlobj.h>

#include <memory>

namespace
{
const wchar_t kKey[] = L"JotwellPageTest";
const wchar_t kAltKey[] = L"JotwellPageTestAlt";
const std::wstring kKeyPath = std::wstring(L"Software\\Veltrac\\") + kKey;
const std::wstring kAltPath = std::wstring(L"Software\\Veltrac\\") + kAltKey;
const std::wstring kUiKey = L"Software\\Veltrac\\Jotwell\\JotwellUi";

void SetDword(const std::wstring &key, const wchar_t *name, DWORD value)
{
    ::RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), name, REG_DWORD, &value, sizeof(value));
}
void SetText(const std::wstring &key, const wchar_t *name, const std::wstring &text)
{
    ::RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), name, REG_SZ, text.c_str(),
                      static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}
bool HasValue(const std::wstring &key, const wchar_t *name)
{
    return ::RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name, RRF_RT_ANY, nullptr, nullptr,
                          nullptr) == ERROR_SUCCESS;
}

// What the recording browsers saw, and what they answer.
JotwellFolderRequest g_folderRequest;
JotwellFileRequest g_fileRequest;
std::wstring g_answer;
bool RecordFolder(HWND, const JotwellFolderRequest &request, std::wstring &chosen)
{
    g_folderRequest = request;
    chosen = g_answer;
    return !g_answer.empty();
}
bool RecordFile(HWND, const JotwellFileRequest &request, std::wstring &chosen)
{
    g_fileRequest = request;
    chosen = g_answer;
    return !g_answer.empty();
}

// A host of the page: the object with its properties, then the sheet.
class CPageHost
{
  public:
    CPageHost() : m_automation(nullptr)
    {
        EXPECT_EQ(CJotwellProps::CreateInstance(IID_IDispatch, m_object.put_void()), S_OK);
        m_automation = CAutomation(m_object.get());
        m_automation.PutText(L"AppTitle", kNoIndex, L"Ferrovane Test");
    }
    long AddItem(const wchar_t *key, const wchar_t *logName, const wchar_t *title = L"",
                 const wchar_t *alt = L"")
    {
        const long index = m_automation.GetLong(L"ItemCount") + 1;
        m_automation.PutLong(L"ItemCount", kNoIndex, index);
        m_automation.PutText(L"ItemKeyName", index, key);
        m_automation.PutText(L"ItemLogName", index, logName);
        m_automation.PutText(L"ItemTitle", index, title);
        m_automation.PutText(L"ItemKeyNameAlt", index, alt);
        return index;
    }
    const CAutomation &Automation() const { return m_automation; }
    // The page in a running sheet; null when it could not be shown.
    HWND Open()
    {
        fx::ComPtr<IShellPropSheetExt> extension;
        m_object.query(IID_IShellPropSheetExt, extension);
        m_sheet.reset(new CExtensionSheet(extension.get()));
        EXPECT_EQ(m_sheet->AddResult(), S_OK);
        if (!m_sheet->Open()) return nullptr;
        return m_sheet->CurrentPage();
    }
    CExtensionSheet &Sheet() { return *m_sheet; }

  private:
    fx::ComPtr<IDispatch> m_object;
    CAutomation m_automation;
    std::unique_ptr<CExtensionSheet> m_sheet;
};

class JotwellPage : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        Clear();
        m_desktop = ReadDesktopFolder(HKEY_CURRENT_USER, L"Desktop");
        SetJotwellBrowsers(RecordFolder, RecordFile);
        g_answer.clear();
    }
    void TearDown() override
    {
        SetJotwellBrowsers(nullptr, nullptr);
        Clear();
        // Nothing the page allocated outlives the sheet once swept.
        SweepUnusedPageObjects();
        EXPECT_EQ(RegisteredPageObjectCount(), 0u);
        EXPECT_EQ(fx::ModuleLockCount(), 0);
    }
    static void Clear()
    {
        DeleteTree(HKEY_CURRENT_USER, kKeyPath);
        DeleteTree(HKEY_CURRENT_USER, kAltPath);
        DeleteTree(HKEY_CURRENT_USER, L"Software\\Veltrac\\JotwellPageTestB");
    }

    std::wstring m_desktop;
    CSavedValue m_component{HKEY_CURRENT_USER, kUiKey.c_str(), L"Component"};
};
} // namespace

TEST_F(JotwellPage, OneDefinitionShowsAllAndLeavesNoComponentEntry)
{
    m_component.SetString(L"Something else");
    SetDword(kKeyPath, L"LogLevel", 2);
    CPageHost host;
    host.AddItem(kKey, L" JotwellPageTest.log ");
    HWND page = host.Open();
    ASSERT_NE(page, nullptr);

    EXPECT_EQ(::SendDlgItemMessageW(page, IDC_JOTWELL_COMPONENT, CB_GETCOUNT, 0, 0), 1);
    EXPECT_EQ(TextOf(page, IDC_JOTWELL_COMPONENT), L"All");
    EXPECT_FALSE(IsEnabled(page, IDC_JOTWELL_COMPONENT));
    EXPECT_FALSE(IsEnabled(page, IDC_JOTWELL_COMPONENT_LABEL));
    EXPECT_FALSE(HasValue(kUiKey, L"Component"));
    EXPECT_TRUE(IsChecked(page, IDC_JOTWELL_NORMAL));
    EXPECT_FALSE(IsChecked(page, IDC_JOTWELL_DISABLED));
    EXPECT_EQ(TextOf(page, IDC_JOTWELL_FILE_NAME), L"JotwellPageTest.log");
    EXPECT_EQ(TextOf(page, IDC_JOTWELL_LOCATION), m_desktop);
    EXPECT_FALSE(IsEnabled(page, IDC_JOTWELL_FILE_RESET));
    EXPECT_FALSE(IsEnabled(page, IDC_JOTWELL_LOCATION_RESET));
    const std::wstring intro = TextOf(page, IDC_JOTWELL_INTRO);
    EXPECT_EQ(intro.find(L"Trace logging allows Veltrac Software Support to see how Ferrovane "
                         L"Test is behaving on your computer.  You should"),
              0u)
        << Narrow(intro);
    EXPECT_EQ(TextOf(page, IDC_JOTWELL_LOG_GROUP), L"Logging");
    EXPECT_EQ(TextOf(page, IDC_JOTWELL_FILE_GROUP), L"Log File");
    SaveWindowPicture(host.Sheet().Window(), ScreenshotFolder() + L"jotwell-page.png");
}

TEST_F(JotwellPage, LevelZeroWithTheDefaultFileDeletesLogFile)
{
    SetDword(kKeyPath, L"LogLevel", 3);
    SetText(kKeyPath, L"LogFile", L"other.log");
    CPageHost host;
    host.AddItem(kKey, L"JotwellPageTest.log");
    HWND page = host.Open();
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(IsChecked(page, IDC_JOTWELL_DETAILED));
    EXPECT_TRUE(IsEnabled(page, IDC_JOTWELL_FILE_RESET));
    Click(page, IDC_JOTWELL_DISABLED);
    Click(page, IDC_JOTWELL_FILE_RESET);
    EXPECT_EQ(TextOf(page, IDC_JOTWELL_FILE_NAME), L"JotwellPageTest.log");
    EXPECT_FALSE(IsEnabled(page, IDC_JOTWELL_FILE_RESET));
    host.Sheet().Press(PSBTN_APPLYNOW);
    EXPECT_EQ(RegDword(HKEY_CURRENT_USER, kKeyPath, L"LogLevel"), 0u);
    EXPECT_FALSE(HasValue(kKeyPath, L"LogFile"));
}

TEST_F(JotwellPage, TypedFullPathSplitsAndEnablesTheLocationReset)
{
    CPageHost host;
    host.AddItem(kKey, L"JotwellPageTest.log");
    HWND page = host.Open();
    ASSERT_NE(page, nullptr);
    const std::wstring folder = TestFolder() + L"\\logs";
    TypeInto(page, IDC_JOTWELL_FILE_NAME, folder + L"\\deep\\..\\run", IDC_JOTWELL_FILE_BROWSE);
    EXPECT_EQ(TextOf(page, IDC_JOTWELL_LOCATION), folder);
    EXPECT_EQ(TextOf(page, IDC_JOTWELL_FILE_NAME), L"run.log");
    EXPECT_TRUE(IsEnabled(page, IDC_JOTWELL_LOCATION_RESET));
    EXPECT_TRUE(IsEnabled(page, IDC_JOTWELL_FILE_RESET));
    host.Sheet().Press(PSBTN_APPLYNOW);
    EXPECT_EQ(RegText(HKEY_CURRENT_USER, kKeyPath, L"LogFile"), folder + L"\\run.log");
    EXPECT_EQ(RegDword(HKEY_CURRENT_USER, kKeyPath, L"LogLevel"), 0u);

    // Reset location: the bare name at the default location.
    Click(page, IDC_JOTWELL_LOCATION_RESET);
    EXPECT_EQ(TextOf(page, IDC_JOTWELL_LOCATION), m_desktop);
    EXPECT_FALSE(IsEnabled(page, IDC_JOTWELL_LOCATION_RESET));
    host.Sheet().Press(PSBTN_APPLYNOW);
    EXPECT_EQ(RegText(HKEY_CURRENT_USER, kKeyPath, L"LogFile"), L"run.log");
}

TEST_F(JotwellPage, BareNameGetsLogExtensionAndTheDefaultNameDeletesLogFile)
{
    CPageHost host;
    host.AddItem(kKey, L"JotwellPageTest.log");
    HWND page = host.Open();
    ASSERT_NE(page, nullptr);
    TypeInto(page, IDC_JOTWELL_FILE_NAME, L"mine", IDC_JOTWELL_FILE_BROWSE);
    EXPECT_EQ(TextOf(page, IDC_JOTWELL_FILE_NAME), L"mine.log");
    EXPECT_EQ(TextOf(page, IDC_JOTWELL_LOCATION), m_desktop);
    host.Sheet().Press(PSBTN_APPLYNOW);
    EXPECT_EQ(RegText(HKEY_CURRENT_USER, kKeyPath, L"LogFile"), L"mine.log");

    // The default name again, typed (not Reset), and left by pressing OK.
    ::SendDlgItemMessageW(page, IDC_JOTWELL_FILE_NAME, WM_SETTEXT, 0,
                          reinterpret_cast<LPARAM>(L"jotwellpagetest.LOG"));
    host.Sheet().Press(PSBTN_OK);
    EXPECT_FALSE(HasValue(kKeyPath, L"LogFile"));
    EXPECT_EQ(RegDword(HKEY_CURRENT_USER, kKeyPath, L"LogLevel"), 0u);
}

TEST_F(JotwellPage, LevelButtonsKeepTheUpperBits)
{
    SetDword(kKeyPath, L"LogLevel", 0x3102);
    CPageHost host;
    host.AddItem(kKey, L"JotwellPageTest.log");
    HWND page = host.Open();
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(IsChecked(page, IDC_JOTWELL_NORMAL));
    Click(page, IDC_JOTWELL_VERBOSE);
    host.Sheet().Press(PSBTN_APPLYNOW);
    EXPECT_EQ(RegDword(HKEY_CURRENT_USER, kKeyPath, L"LogLevel"), 0x3104u);
    Click(page, IDC_JOTWELL_MINIMAL);
    host.Sheet().Press(PSBTN_APPLYNOW);
    EXPECT_EQ(RegDword(HKEY_CURRENT_USER, kKeyPath, L"LogLevel"), 0x3101u);
}

TEST_F(JotwellPage, AlternativeKeyEqualToTheBaseIsNotCreated)
{
    SetDword(kKeyPath, L"LogLevel", 2);
    SetText(kKeyPath, L"LogFile", L"base.log");
    CPageHost host;
    host.AddItem(kKey, L"JotwellPageTest.log", L"", kAltKey);
    HWND page = host.Open();
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(IsChecked(page, IDC_JOTWELL_NORMAL));
    EXPECT_EQ(TextOf(page, IDC_JOTWELL_FILE_NAME), L"base.log");
    host.Sheet().Press(PSBTN_APPLYNOW);
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kAltPath));

    // A different level goes to the alternative key only.
    Click(page, IDC_JOTWELL_VERBOSE);
    host.Sheet().Press(PSBTN_APPLYNOW);
    EXPECT_EQ(RegDword(HKEY_CURRENT_USER, kAltPath, L"LogLevel"), 4u);
    EXPECT_FALSE(HasValue(kAltPath, L"LogFile"));
    EXPECT_EQ(RegDword(HKEY_CURRENT_USER, kKeyPath, L"LogLevel"), 2u);
}

TEST_F(JotwellPage, SeveralDefinitionsRememberTheComponentShown)
{
    m_component.SetString(L"SECOND");
    SetDword(kKeyPath, L"LogLevel", 1);
    SetDword(L"Software\\Veltrac\\JotwellPageTestB", L"LogLevel", 4);
    CPageHost host;
    host.AddItem(kKey, L"JotwellPageTest.log", L"First");
    host.AddItem(L"JotwellPageTestB", L"B.log", L"Second");
    HWND page = host.Open();
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(IsEnabled(page, IDC_JOTWELL_COMPONENT));
    EXPECT_TRUE(IsEnabled(page, IDC_JOTWELL_COMPONENT_LABEL));
    EXPECT_EQ(TextOf(page, IDC_JOTWELL_COMPONENT), L"Second");
    EXPECT_TRUE(IsChecked(page, IDC_JOTWELL_VERBOSE));
    EXPECT_EQ(TextOf(page, IDC_JOTWELL_FILE_NAME), L"B.log");

    // Switching keeps each definition's edits.
    Click(page, IDC_JOTWELL_NORMAL);
    ::SendDlgItemMessageW(page, IDC_JOTWELL_COMPONENT, CB_SETCURSEL, 0, 0);
    ::SendMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_JOTWELL_COMPONENT, CBN_SELENDOK),
                   reinterpret_cast<LPARAM>(::GetDlgItem(page, IDC_JOTWELL_COMPONENT)));
    EXPECT_TRUE(IsChecked(page, IDC_JOTWELL_MINIMAL));
    EXPECT_EQ(TextOf(page, IDC_JOTWELL_FILE_NAME), L"JotwellPageTest.log");
    EXPECT_EQ(RegText(HKEY_CURRENT_USER, kUiKey, L"Component"), L"First");
    host.Sheet().Press(PSBTN_APPLYNOW);
    EXPECT_EQ(RegDword(HKEY_CURRENT_USER, kKeyPath, L"LogLevel"), 1u);
    EXPECT_EQ(RegDword(HKEY_CURRENT_USER, L"Software\\Veltrac\\JotwellPageTestB", L"LogLevel"),
              2u);
}

TEST_F(JotwellPage, BrowseFolderPreselectsAnExistingLocationAndMovesTheFile)
{
    const std::wstring chosen = MakeFolder(TestFolder() + L"\\chosen");
    CPageHost host;
    host.AddItem(kKey, L"JotwellPageTest.log");
    HWND page = host.Open();
    ASSERT_NE(page, nullptr);
    g_answer = chosen;
    Click(page, IDC_JOTWELL_LOCATION_BROWSE);
    EXPECT_EQ(g_folderRequest.flags, 0x51u);
    EXPECT_EQ(g_folderRequest.title, L"Choose the location of the trace log file.");
    EXPECT_EQ(g_folderRequest.initialFolder, m_desktop);
    EXPECT_EQ(TextOf(page, IDC_JOTWELL_LOCATION), chosen);
    EXPECT_TRUE(IsEnabled(page, IDC_JOTWELL_LOCATION_RESET));

    // A location that is no folder is not preselected; Cancel changes nothing.
    g_answer.clear();
    host.Sheet().Press(PSBTN_APPLYNOW);
    EXPECT_EQ(RegText(HKEY_CURRENT_USER, kKeyPath, L"LogFile"), chosen + L"\\JotwellPageTest.log");
    RemoveTree(chosen);
    Click(page, IDC_JOTWELL_LOCATION_BROWSE);
    EXPECT_EQ(g_folderRequest.initialFolder, L"");
    EXPECT_EQ(TextOf(page, IDC_JOTWELL_LOCATION), chosen);
}

TEST_F(JotwellPage, BrowseFileAsksForALogFileAndSplitsTheAnswer)
{
    CPageHost host;
    host.AddItem(kKey, L"JotwellPageTest.log");
    HWND page = host.Open();
    ASSERT_NE(page, nullptr);
    const std::wstring folder = TestFolder() + L"\\picked";
    g_answer = folder + L"\\trace";
    Click(page, IDC_JOTWELL_FILE_BROWSE);
    EXPECT_EQ(g_fileRequest.title, L"Trace Log File");
    EXPECT_EQ(g_fileRequest.okText, L"OK");
    EXPECT_EQ(g_fileRequest.defaultExt, L"log");
    EXPECT_EQ(g_fileRequest.filter, std::wstring(L"Log File\0*.log\0\0", 16));
    EXPECT_EQ(g_fileRequest.initialPath, m_desktop + L"\\JotwellPageTest.log");
    EXPECT_EQ(g_fileRequest.flags & OFN_OVERWRITEPROMPT, 0u);
    EXPECT_NE(g_fileRequest.flags & OFN_DONTADDTORECENT, 0u);
    EXPECT_NE(g_fileRequest.flags & OFN_NOTESTFILECREATE, 0u);
    EXPECT_EQ(TextOf(page, IDC_JOTWELL_LOCATION), folder);
    EXPECT_EQ(TextOf(page, IDC_JOTWELL_FILE_NAME), L"trace.log");
    host.Sheet().Press(PSBTN_OK);
    EXPECT_EQ(RegText(HKEY_CURRENT_USER, kKeyPath, L"LogFile"), folder + L"\\trace.log");
}
