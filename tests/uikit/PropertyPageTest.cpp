// The property-page base in a real (modeless) property sheet: the page
// finds itself at WM_INITDIALOG, the sheet's notifications reach the
// handlers with the answers the sheet expects, exceptions stay inside the
// dialog procedure, and a page created to delete itself is freed when the
// sheet lets it go; a page object keeps a page handed to another sheet
// until that sheet is done with it. The control wrappers are checked on the
// same page.
#include "ListView.h"
#include "PageTestIds.h"
#include "PropertyPageExEx.h"
#include "PropertyPageObj.h"
#include "TestWindows.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace
{
std::vector<std::string> g_events;

class CTestPage : public CPropertyPageExEx
{
  public:
    explicit CTestPage(const char *name) : CPropertyPageExEx(IDD_TEST_PAGE), m_name(name) {}
    ~CTestPage() override { g_events.push_back(m_name + " deleted"); }

    bool refuseLeave = false;
    bool refuseApply = false;

  protected:
    bool OnInitDialog() override
    {
        g_events.push_back(m_name + " init");
        return true;
    }
    bool OnSetActive() override
    {
        g_events.push_back(m_name + " active");
        return true;
    }
    bool OnKillActive() override
    {
        g_events.push_back(m_name + " leave");
        return !refuseLeave;
    }
    bool OnApply() override
    {
        g_events.push_back(m_name + " apply");
        return !refuseApply;
    }
    void OnReset() override { g_events.push_back(m_name + " reset"); }
    bool OnCommand(WORD code, WORD id, HWND) override
    {
        if (id == IDC_TEST_THROW && code == BN_CLICKED) throw std::runtime_error("boom");
        if (id == IDC_TEST_CHECK && code == BN_CLICKED)
        {
            g_events.push_back(m_name + " checked");
            SetModified();
            return true;
        }
        return false;
    }
    void OnRelease() override { g_events.push_back(m_name + " release"); }

  private:
    std::string m_name;
};

HWND CreateSheet(std::vector<HPROPSHEETPAGE> &pages)
{
    PROPSHEETHEADERW header{};
    header.dwSize = sizeof(header);
    header.dwFlags = PSH_MODELESS;
    header.pszCaption = L"Page base";
    header.nPages = static_cast<UINT>(pages.size());
    header.phpage = pages.data();
    return reinterpret_cast<HWND>(::PropertySheetW(&header));
}

bool Has(const std::string &event)
{
    for (const auto &e : g_events)
        if (e == event) return true;
    return false;
}
} // namespace

TEST(PropertyPageTest, SheetNotificationsReachTheHandlers)
{
    g_events.clear();
    CTestPage first("first");
    auto *second = new CTestPage("second");
    second->SetDeleteOnRelease(true);
    second->SetTitle(L"Second");
    std::vector<HPROPSHEETPAGE> pages = {first.Create(), second->Create()};
    ASSERT_NE(pages[0], nullptr);
    ASSERT_NE(pages[1], nullptr);

    HWND sheet = CreateSheet(pages);
    ASSERT_NE(sheet, nullptr);
    PumpMessages();
    ASSERT_NE(first.Window(), nullptr);
    EXPECT_EQ(CPropertyPageExEx::FromWindow(first.Window()), &first);
    EXPECT_TRUE(first.IsCurrentPage());
    EXPECT_TRUE(Has("first init"));
    EXPECT_TRUE(Has("first active"));

    // A refused leave keeps the first page current.
    first.refuseLeave = true;
    ::SendMessageW(sheet, PSM_SETCURSEL, 1, 0);
    EXPECT_TRUE(first.IsCurrentPage());
    first.refuseLeave = false;
    ::SendMessageW(sheet, PSM_SETCURSEL, 1, 0);
    EXPECT_TRUE(second->IsCurrentPage());
    EXPECT_TRUE(Has("second init"));
    EXPECT_TRUE(Has("second active"));

    // The page's title reached the tab.
    wchar_t text[64] = {};
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = 64;
    HWND tabs = reinterpret_cast<HWND>(::SendMessageW(sheet, PSM_GETTABCONTROL, 0, 0));
    ::SendMessageW(tabs, TCM_GETITEMW, 1, reinterpret_cast<LPARAM>(&item));
    EXPECT_STREQ(text, L"Second");

    // An exception in a handler is trapped; the page keeps working.
    CButton(second->Window(), IDC_TEST_THROW).Click();
    CButton check(second->Window(), IDC_TEST_CHECK);
    check.Click();
    EXPECT_TRUE(check.IsChecked());
    EXPECT_TRUE(Has("second checked"));
    EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(sheet, 0x3021))); // Apply enabled by SetModified

    // Apply reaches both created pages; a refusing page keeps the sheet open.
    second->refuseApply = true;
    ::SendMessageW(sheet, PSM_PRESSBUTTON, PSBTN_APPLYNOW, 0);
    PumpMessages();
    EXPECT_TRUE(Has("first apply"));
    EXPECT_TRUE(Has("second apply"));
    EXPECT_NE(::SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0), 0);

    // Cancel, then destroy: the self-deleting page goes at its release, the
    // other stays with its owner.
    ::SendMessageW(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
    PumpMessages();
    EXPECT_TRUE(Has("second reset"));
    ::DestroyWindow(sheet);
    PumpMessages();
    EXPECT_TRUE(Has("second release"));
    EXPECT_TRUE(Has("second deleted"));
    EXPECT_FALSE(Has("first deleted"));
    EXPECT_EQ(first.Window(), nullptr);
}

TEST(PropertyPageTest, DescriptionCarriesTitleHeaderFlagsAndContext)
{
    CTestPage page("description");
    PROPSHEETPAGEW plain = page.Description();
    EXPECT_EQ(plain.dwSize, CCSIZEOF_STRUCT(PROPSHEETPAGEW, hActCtx));
    EXPECT_EQ(plain.dwFlags, DWORD(PSP_USECALLBACK));
    EXPECT_EQ(plain.lParam, reinterpret_cast<LPARAM>(&page));
    EXPECT_EQ(plain.hInstance, UikitModule());

    UINT counter = 0;
    HANDLE context = reinterpret_cast<HANDLE>(0x1234);
    page.SetTitle(L"Title");
    page.SetHeaderTitle(L"Header");
    page.SetHeaderSubtitle(L"Sub");
    page.SetActivationContext(context);
    page.SetRefParent(&counter);
    page.AddFlags(PSP_HIDEHEADER);
    PROPSHEETPAGEW full = page.Description();
    EXPECT_EQ(full.dwFlags,
              DWORD(PSP_USECALLBACK | PSP_USETITLE | PSP_USEHEADERTITLE | PSP_USEHEADERSUBTITLE |
                    PSP_USEFUSIONCONTEXT | PSP_USEREFPARENT | PSP_HIDEHEADER));
    EXPECT_STREQ(full.pszTitle, L"Title");
    EXPECT_STREQ(full.pszHeaderTitle, L"Header");
    EXPECT_STREQ(full.pszHeaderSubTitle, L"Sub");
    EXPECT_EQ(full.hActCtx, context);
    EXPECT_EQ(full.pcRefParent, &counter);
    page.SetRefParent(nullptr);
    EXPECT_EQ(page.Description().dwFlags & PSP_USEREFPARENT, 0u);
}

TEST(PropertyPageTest, ListViewAndEditWrappers)
{
    g_events.clear();
    CTestPage page("controls");
    std::vector<HPROPSHEETPAGE> pages = {page.Create()};
    HWND sheet = CreateSheet(pages);
    ASSERT_NE(sheet, nullptr);
    PumpMessages();

    CEdit edit(page.Window(), IDC_TEST_EDIT);
    edit.SetText(L"C:\\Jobs\\*.txt");
    EXPECT_EQ(edit.GetText(), L"C:\\Jobs\\*.txt");

    CListView list(page.Window(), IDC_TEST_LIST);
    EXPECT_EQ(list.InsertColumn(0, L"Name", 100), 0);
    EXPECT_EQ(list.InsertItem(-1, L"one", 11), 0);
    EXPECT_EQ(list.InsertItem(-1, L"three", 33), 1);
    EXPECT_EQ(list.InsertItem(1, L"two", 22), 1);
    EXPECT_EQ(list.GetItemCount(), 3);
    EXPECT_EQ(list.GetItemText(1), L"two");
    EXPECT_EQ(list.GetItemData(2), 33);
    std::wstring longText(1000, L'x');
    EXPECT_TRUE(list.SetItemText(0, 0, longText));
    EXPECT_EQ(list.GetItemText(0), longText);
    list.SelectOnly(2);
    EXPECT_EQ(list.GetFirstSelected(), 2);
    EXPECT_EQ(list.GetSelectedCount(), 1);
    EXPECT_EQ(list.GetViewStyle(), DWORD(LVS_REPORT));
    EXPECT_TRUE(list.DeleteItem(0));
    EXPECT_EQ(list.GetItemText(0), L"two");

    ::DestroyWindow(sheet);
    PumpMessages();
}

namespace
{
std::vector<HPROPSHEETPAGE> g_added;
BOOL CALLBACK AcceptPage(HPROPSHEETPAGE page, LPARAM)
{
    g_added.push_back(page);
    return TRUE;
}
BOOL CALLBACK RefusePage(HPROPSHEETPAGE, LPARAM)
{
    return FALSE;
}
} // namespace

// A page handed to a foreign sheet stays registered while that sheet uses
// it (counted even where the platform leaves the PSP_USEREFPARENT counter
// alone) and is released by the sweep once the sheet has destroyed it.
TEST(PropertyPageObjTest, CountsTheSheetsUseAndSweepsAfterIt)
{
    g_events.clear();
    g_added.clear();
    auto *page = new CTestPage("handed");
    bool released = false;
    CPropertyPageObj object(*page, [&] {
        released = true;
        delete page;
    });

    EXPECT_EQ(object.AddPage(RefusePage, 0), E_FAIL);
    EXPECT_FALSE(object.IsRegistered());
    EXPECT_EQ(object.AddPage(AcceptPage, 0), S_OK);
    ASSERT_EQ(g_added.size(), 1u);
    EXPECT_TRUE(object.IsRegistered());
    EXPECT_GT(object.UsedCount(), 0);
    EXPECT_EQ(SweepUnusedPageObjects(), 0u); // still in use
    EXPECT_FALSE(released);

    HWND sheet = CreateSheet(g_added);
    ASSERT_NE(sheet, nullptr);
    PumpMessages();
    EXPECT_NE(page->Window(), nullptr);
    EXPECT_EQ(SweepUnusedPageObjects(), 0u);
    ::DestroyWindow(sheet);
    PumpMessages();
    EXPECT_LE(object.UsedCount(), 0);
    EXPECT_EQ(SweepUnusedPageObjects(), 1u);
    EXPECT_TRUE(released);
    EXPECT_TRUE(Has("handed deleted"));
    EXPECT_FALSE(object.IsRegistered());
}
