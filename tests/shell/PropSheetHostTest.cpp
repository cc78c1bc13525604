// The built Taskel.dll and Jotwell.dll in a host that plays the shell's
// Properties: both libraries registered in the test prefix, the handler
// created through the registry, handed a data object with the selected
// command files, and its pages shown in a real property sheet between pages
// of the host's own. "Advanced >>" on the Preferences page puts the
// Jotwell page right after it and selects it. Once the sheet is gone and
// everything released, both libraries may unload and their sweeps have
// released every page. Pictures of the sheet go to screenshots/.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "ComPtr.h"
#include "JotwellHost.h"
#include "PageTestSupport.h"
#include "ShellTestSupport.h"
#include "TaskelGuids.h"
#include "TaskelOptions.h"
#include "TestLines.h"

namespace
{

const wchar_t kTaskelKey[] = L"Software\\Veltrac\\Ferrovane";
const wchar_t kJotwellKey[] = L"Software\\Veltrac\\Jotwell";
const int IDC_PREF_ADVANCED = 2035;
const int IDC_PREF_DESCRIPTIONS = 2013;
const int IDC_PREF_SPECIFICATIONS = 2014;
const int IDC_SOURCE_LIST = 2017;
const int IDC_SOURCE_DESCRIPTIONS = 2018;

// The library's own answer to whether it may unload now.
HRESULT CanUnloadNow(const wchar_t *library)
{
    HMODULE module = ::GetModuleHandleW(library);
    if (!module) return E_HANDLE;
    auto query = reinterpret_cast<HRESULT(STDAPICALLTYPE *)()>(
        reinterpret_cast<void *>(::GetProcAddress(module, "DllCanUnloadNow")));
    return query ? query() : E_NOINTERFACE;
}

// A page of the host's own (as the shell's General page), from an
// in-memory template without controls.
class CHostPage
{
  public:
    explicit CHostPage(const wchar_t *title)
    {
        m_template.resize(sizeof(DLGTEMPLATE) / sizeof(WORD));
        auto *dialog = reinterpret_cast<DLGTEMPLATE *>(m_template.data());
        dialog->style = WS_CHILD | WS_CAPTION | DS_CONTROL;
        dialog->cx = 227;
        dialog->cy = 209;
        m_template.push_back(0); // no menu
        m_template.push_back(0); // default class
        for (const wchar_t *c = title; *c; ++c)
            m_template.push_back(static_cast<WORD>(*c));
        m_template.push_back(0);
    }
    HPROPSHEETPAGE Create()
    {
        PROPSHEETPAGEW page{};
        page.dwSize = sizeof(page);
        page.dwFlags = PSP_DLGINDIRECT;
        page.pResource = reinterpret_cast<DLGTEMPLATE *>(m_template.data());
        page.pfnDlgProc = &CHostPage::DialogProc;
        return ::CreatePropertySheetPageW(&page);
    }

  private:
    static INT_PTR CALLBACK DialogProc(HWND, UINT message, WPARAM, LPARAM)
    {
        return message == WM_INITDIALOG;
    }

    std::vector<WORD> m_template;
};

BOOL CALLBACK CollectPage(HPROPSHEETPAGE page, LPARAM pages)
{
    reinterpret_cast<std::vector<HPROPSHEETPAGE> *>(pages)->push_back(page);
    return TRUE;
}

// The shell's Properties of `files`: the host's General page, the
// handler's pages, and a page another handler added after them.
class CPropertiesSheet
{
  public:
    CPropertiesSheet(const std::vector<HPROPSHEETPAGE> &handlerPages)
    {
        std::vector<HPROPSHEETPAGE> pages = {m_general.Create()};
        pages.insert(pages.end(), handlerPages.begin(), handlerPages.end());
        pages.push_back(m_security.Create());
        PROPSHEETHEADERW header{};
        header.dwSize = sizeof(header);
        header.dwFlags = PSH_MODELESS | PSH_PROPTITLE | PSH_NOCONTEXTHELP;
        header.pszCaption = L"a.Taskel";
        header.nPages = static_cast<UINT>(pages.size());
        header.phpage = pages.data();
        m_sheet = reinterpret_cast<HWND>(::PropertySheetW(&header));
        PumpFor(300);
    }
    ~CPropertiesSheet() { Close(); }
    CPropertiesSheet(const CPropertiesSheet &) = delete;
    CPropertiesSheet &operator=(const CPropertiesSheet &) = delete;

    HWND Window() const { return m_sheet; }
    HWND Tabs() const
    {
        return reinterpret_cast<HWND>(::SendMessageW(m_sheet, PSM_GETTABCONTROL, 0, 0));
    }
    std::vector<std::wstring> TabTexts() const
    {
        std::vector<std::wstring> texts;
        const int count = static_cast<int>(::SendMessageW(Tabs(), TCM_GETITEMCOUNT, 0, 0));
        for (int i = 0; i < count; ++i)
        {
            wchar_t text[128] = {};
            TCITEMW item{};
            item.mask = TCIF_TEXT;
            item.pszText = text;
            item.cchTextMax = 128;
            ::SendMessageW(Tabs(), TCM_GETITEMW, i, reinterpret_cast<LPARAM>(&item));
            texts.push_back(text);
        }
        return texts;
    }
    int Current() const { return static_cast<int>(::SendMessageW(Tabs(), TCM_GETCURSEL, 0, 0)); }
    HWND Select(int index)
    {
        ::SendMessageW(m_sheet, PSM_SETCURSEL, index, 0);
        PumpFor(100);
        return reinterpret_cast<HWND>(::SendMessageW(m_sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
    }
    // The user closes the sheet with Cancel; the shell destroys it.
    void Close()
    {
        if (!m_sheet) return;
        ::SendMessageW(m_sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
        PumpFor(100);
        ::DestroyWindow(m_sheet);
        m_sheet = nullptr;
        PumpFor(200);
    }

  private:
    CHostPage m_general{L"General"};
    CHostPage m_security{L"Security"};
    HWND m_sheet = nullptr;
};

class PropSheetHost : public ::testing::Test
{
  protected:
    static void SetUpTestSuite()
    {
        ::OleInitialize(nullptr);
        ASSERT_EQ(Regsvr32(WindowsPathOf(TASKEL_DLL)), 0u);
        ASSERT_EQ(Regsvr32(WindowsPathOf(JOTWELL_DLL)), 0u);
    }
    static void TearDownTestSuite()
    {
        // The other tests of the prefix expect both libraries unregistered.
        Regsvr32(WindowsPathOf(JOTWELL_DLL), true);
        Regsvr32(WindowsPathOf(TASKEL_DLL), true);
        ::OleUninitialize();
    }
    void SetUp() override
    {
        m_folder = FreshFolder(CurrentTestName());
        m_taskelLog = m_folder + L"taskel.log";
        m_jotwellLog = m_folder + L"jotwell.log";
        m_taskelLevel.SetDword(4);
        m_taskelFile.SetString(m_taskelLog);
        m_jotwellLevel.SetDword(4);
        m_jotwellFile.SetString(m_jotwellLog);
        for (const wchar_t *name : {L"a", L"b", L"c"})
            WriteCommandFile(m_folder + name + L".Taskel", EDIT_ACTION_COPY, {L"*.txt"}, L"out");
        WriteText(m_folder + L"bad.Taskel", "not a command file");
    }

    // The shell's visit: the handler from the registry, Initialize with the
    // selection, AddPages; the handler is released again.
    HRESULT AskHandler(const std::vector<std::wstring> &names, std::vector<HPROPSHEETPAGE> &pages)
    {
        std::vector<std::wstring> paths;
        for (const std::wstring &name : names)
            paths.push_back(m_folder + name);
        CDropObject drop(paths);
        fx::ComPtr<IShellExtInit> init;
        HRESULT hr = ::CoCreateInstance(CLSID_TaskelProp, nullptr, CLSCTX_INPROC_SERVER,
                                        IID_IShellExtInit, init.put_void());
        if (FAILED(hr)) return hr;
        hr = init->Initialize(nullptr, &drop, nullptr);
        if (FAILED(hr)) return hr;
        fx::ComPtr<IShellPropSheetExt> extension;
        hr = init.query(IID_IShellPropSheetExt, extension);
        if (FAILED(hr)) return hr;
        return extension->AddPages(&CollectPage, reinterpret_cast<LPARAM>(&pages));
    }

    static size_t Count(const std::wstring &log, const char *marker)
    {
        size_t count = 0;
        for (const std::string &line : ReadLines(log))
            count += line.find(marker) != std::string::npos;
        return count;
    }

    std::wstring m_folder, m_taskelLog, m_jotwellLog;
    CSavedValue m_taskelLevel{HKEY_CURRENT_USER, kTaskelKey, L"LogLevel"};
    CSavedValue m_taskelFile{HKEY_CURRENT_USER, kTaskelKey, L"LogFile"};
    CSavedValue m_jotwellLevel{HKEY_CURRENT_USER, kJotwellKey, L"LogLevel"};
    CSavedValue m_jotwellFile{HKEY_CURRENT_USER, kJotwellKey, L"LogFile"};
};

using Tabs = std::vector<std::wstring>;

TEST_F(PropSheetHost, ThreeFilesAdvancedAndUnload)
{
    std::vector<HPROPSHEETPAGE> pages;
    ASSERT_EQ(AskHandler({L"a.Taskel", L"b.Taskel", L"c.Taskel"}, pages), 1);
    ASSERT_EQ(pages.size(), 4u);
    {
        CPropertiesSheet sheet(pages);
        ASSERT_NE(sheet.Window(), nullptr);
        EXPECT_EQ(sheet.TabTexts(), Tabs({L"General", L"a", L"b", L"c", L"Preferences", L"Security"}));
        // The library stays while its pages are shown.
        EXPECT_EQ(CanUnloadNow(L"Taskel.dll"), S_FALSE);

        HWND command = sheet.Select(1);
        ASSERT_NE(command, nullptr);
        EXPECT_FALSE(SaveScreenshot(sheet.Window(), L"properties-command-page.png").empty());

        // "Advanced >>": the Trace Log page right after Preferences, selected;
        // the button cannot add it twice.
        HWND preferences = sheet.Select(4);
        ASSERT_NE(preferences, nullptr);
        HWND advanced = ::GetDlgItem(preferences, IDC_PREF_ADVANCED);
        ASSERT_NE(advanced, nullptr);
        ::SendMessageW(advanced, BM_CLICK, 0, 0);
        PumpFor(300);
        EXPECT_EQ(sheet.TabTexts(), Tabs({L"General", L"a", L"b", L"c", L"Preferences",
                                          L"Trace Log", L"Security"}));
        EXPECT_EQ(sheet.Current(), 5);
        EXPECT_FALSE(::IsWindowEnabled(advanced));
        EXPECT_EQ(CanUnloadNow(L"Jotwell.dll"), S_FALSE);
        EXPECT_FALSE(SaveScreenshot(sheet.Window(), L"properties-trace-log.png").empty());

        // A reference page that is not in the sheet: the page goes last.
        ASSERT_TRUE(AddJotwellPage(sheet.Window(), sheet.Tabs(), true));
        PumpFor(200);
        const Tabs tabs = sheet.TabTexts();
        ASSERT_EQ(tabs.size(), 8u);
        EXPECT_EQ(tabs[6], L"Security");
        EXPECT_EQ(tabs[7], L"Trace Log");
        EXPECT_EQ(sheet.Current(), 7);
    }

    // The sheet is gone: each library's sweep releases its pages, and
    // nothing else holds either of them.
    EXPECT_EQ(CanUnloadNow(L"Taskel.dll"), S_OK);
    EXPECT_EQ(CanUnloadNow(L"Jotwell.dll"), S_OK);
    EXPECT_EQ(Count(m_taskelLog, "  Releasing unused [CTaskelPropPage] [1]"), 3u);
    EXPECT_EQ(Count(m_taskelLog, "  Releasing unused [CTaskelPreferences] [1]"), 1u);
    EXPECT_EQ(Count(m_jotwellLog, "  Releasing unused [CJotwellPage] [1]"), 2u);
    EXPECT_EQ(Count(m_taskelLog, "AddJotwellPage"), 1u);
    ::CoFreeUnusedLibrariesEx(0, 0);
    EXPECT_EQ(::GetModuleHandleW(L"Taskel.dll"), nullptr);
    EXPECT_EQ(::GetModuleHandleW(L"Jotwell.dll"), nullptr);
}

// The display preferences come from the profile when the shell asks for
// pages, and a change on the Preferences page is kept there, though no edit
// flow runs in the shell's process to save it.
TEST_F(PropSheetHost, PreferencesComeFromAndGoToTheProfile)
{
    CSavedValue descriptions(HKEY_CURRENT_USER, kTaskelKey, L"ShowDescriptions");
    descriptions.SetDword(0);
    std::vector<HPROPSHEETPAGE> pages;
    ASSERT_EQ(AskHandler({L"a.Taskel"}, pages), 1);
    {
        CPropertiesSheet sheet(pages);
        HWND command = sheet.Select(1);
        ASSERT_NE(command, nullptr);
        EXPECT_TRUE(::IsWindowVisible(::GetDlgItem(command, IDC_SOURCE_LIST)));
        EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(command, IDC_SOURCE_DESCRIPTIONS)));

        HWND preferences = sheet.Select(2);
        ASSERT_NE(preferences, nullptr);
        EXPECT_EQ(::SendDlgItemMessageW(preferences, IDC_PREF_SPECIFICATIONS, BM_GETCHECK, 0, 0),
                  BST_CHECKED);
        ::SendDlgItemMessageW(preferences, IDC_PREF_DESCRIPTIONS, BM_CLICK, 0, 0);
        command = sheet.Select(1);
        EXPECT_EQ(RegDword(HKEY_CURRENT_USER, kTaskelKey, L"ShowDescriptions"), 1u);
        EXPECT_TRUE(::IsWindowVisible(::GetDlgItem(command, IDC_SOURCE_DESCRIPTIONS)));
    }
    // Another process changed the profile meanwhile: the next sheet follows it.
    const DWORD off = 0;
    ::RegSetKeyValueW(HKEY_CURRENT_USER, kTaskelKey, L"ShowDescriptions", REG_DWORD, &off,
                      sizeof(off));
    pages.clear();
    ASSERT_EQ(AskHandler({L"a.Taskel"}, pages), 1);
    {
        CPropertiesSheet sheet(pages);
        HWND command = sheet.Select(1);
        ASSERT_NE(command, nullptr);
        EXPECT_TRUE(::IsWindowVisible(::GetDlgItem(command, IDC_SOURCE_LIST)));
    }
}

TEST_F(PropSheetHost, DamagedSecondFileIsLeftOut)
{
    std::vector<HPROPSHEETPAGE> pages;
    ASSERT_EQ(AskHandler({L"a.Taskel", L"bad.Taskel", L"c.Taskel"}, pages), 1);
    {
        CPropertiesSheet sheet(pages);
        EXPECT_EQ(sheet.TabTexts(), Tabs({L"General", L"a", L"c", L"Preferences", L"Security"}));
    }
    EXPECT_EQ(CanUnloadNow(L"Taskel.dll"), S_OK);
}

TEST_F(PropSheetHost, DamagedLastFileGivesNoPreferencesAndTheError)
{
    std::vector<HPROPSHEETPAGE> pages;
    const HRESULT hr = AskHandler({L"a.Taskel", L"b.Taskel", L"bad.Taskel"}, pages);
    EXPECT_TRUE(FAILED(hr)) << std::hex << hr;
    {
        CPropertiesSheet sheet(pages);
        EXPECT_EQ(sheet.TabTexts(), Tabs({L"General", L"a", L"b", L"Security"}));
    }
    EXPECT_EQ(CanUnloadNow(L"Taskel.dll"), S_OK);
    EXPECT_EQ(Count(m_taskelLog, "  Releasing unused [CTaskelPropPage] [1]"), 2u);
}

} // namespace
