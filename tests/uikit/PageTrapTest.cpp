// The page base's one trap: what a handler throws is traced as the page's
// own (framework exceptions at the page's level with its source and
// number, anything else at level 2), a page without a site of its own
// traces as the page base, and the sheet gets the answer that keeps it
// safe: a throwing Apply is refused, so the sheet stays open.
#include "DialogControls.h"
#include "FxException.h"
#include "PageTestIds.h"
#include "PropertyPageExEx.h"
#include "TestTrace.h"
#include "TestWindows.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

namespace
{
constexpr TraceSite kTrapSite{"Test\\TrapPage", 42};

class CThrowingPage : public CPropertyPageExEx
{
  public:
    explicit CThrowingPage(bool ownSite) : CPropertyPageExEx(IDD_TEST_PAGE)
    {
        if (ownSite) SetTrapSite(kTrapSite);
    }
    bool frameworkException = true;
    bool applyThrows = false;
    int applies = 0;

  protected:
    bool OnCommand(WORD code, WORD id, HWND) override
    {
        if (id != IDC_TEST_THROW || code != BN_CLICKED) return false;
        if (frameworkException) throw fx::CInvalidArgException();
        throw std::runtime_error("boom");
    }
    bool OnApply() override
    {
        ++applies;
        if (applyThrows) throw fx::CNotSupportedException();
        return true;
    }
};

// A modeless sheet with one page, destroyed with the object.
class CSheet
{
  public:
    explicit CSheet(CPropertyPageExEx &page)
    {
        std::vector<HPROPSHEETPAGE> pages = {page.Create()};
        PROPSHEETHEADERW header{};
        header.dwSize = sizeof(header);
        header.dwFlags = PSH_MODELESS;
        header.pszCaption = L"Trap";
        header.nPages = 1;
        header.phpage = pages.data();
        m_window = reinterpret_cast<HWND>(::PropertySheetW(&header));
        PumpMessages();
    }
    ~CSheet()
    {
        ::DestroyWindow(m_window);
        PumpMessages();
    }
    HWND Window() const { return m_window; }
    bool IsOpen() const { return ::SendMessageW(m_window, PSM_GETCURRENTPAGEHWND, 0, 0) != 0; }

  private:
    HWND m_window = nullptr;
};
} // namespace

TEST(PageTrapAnswers, KeepTheSheetSafe)
{
    LRESULT result = 99;
    ASSERT_TRUE(AnswerAfterThrow(WM_NOTIFY, PSN_APPLY, result));
    EXPECT_EQ(result, PSNRET_INVALID_NOCHANGEPAGE);
    ASSERT_TRUE(AnswerAfterThrow(WM_NOTIFY, PSN_WIZFINISH, result));
    EXPECT_EQ(result, TRUE); // the wizard stays open
    for (UINT code : {PSN_WIZNEXT, PSN_WIZBACK})
    {
        ASSERT_TRUE(AnswerAfterThrow(WM_NOTIFY, code, result));
        EXPECT_EQ(result, -1); // stay on the page
    }
    // The page still shows, may be left, and Cancel still cancels.
    for (UINT code : {PSN_SETACTIVE, PSN_KILLACTIVE, PSN_QUERYCANCEL})
    {
        ASSERT_TRUE(AnswerAfterThrow(WM_NOTIFY, code, result));
        EXPECT_EQ(result, 0);
    }
    EXPECT_FALSE(AnswerAfterThrow(WM_NOTIFY, NM_CLICK, result));
    EXPECT_FALSE(AnswerAfterThrow(WM_COMMAND, 0, result));
}

TEST(PageTrap, TracesAsThePageAtItsLevel)
{
    CThrowingPage page(true);
    CSheet sheet(page);
    ASSERT_NE(page.Window(), nullptr);
    CButton thrower(page.Window(), IDC_TEST_THROW);
    {
        CTraceLines trace(4);
        thrower.Click();
        EXPECT_TRUE(trace.Has(L"Exception [CInvalidArgException] [Invalid argument.] at "
                              L"Test\\TrapPage 42"));
        page.frameworkException = false;
        thrower.Click();
        EXPECT_TRUE(trace.Has(L"*** Exception *** at Test\\TrapPage 42"));
    }
    {
        // At level 2 only the other exception shows: the framework one is
        // traced at the page's level 4.
        CTraceLines trace(2);
        page.frameworkException = true;
        thrower.Click();
        page.frameworkException = false;
        thrower.Click();
        EXPECT_TRUE(trace.With(L"CInvalidArgException").empty());
        EXPECT_TRUE(trace.Has(L"*** Exception *** at Test\\TrapPage 42"));
    }
    EXPECT_TRUE(sheet.IsOpen());
}

TEST(PageTrap, PageWithoutASiteTracesAsThePageBase)
{
    CThrowingPage page(false);
    CSheet sheet(page);
    CTraceLines trace(2);
    CButton(page.Window(), IDC_TEST_THROW).Click();
    const std::vector<std::wstring> lines = trace.With(L"Exception [CInvalidArgException]");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find(L" at MfcGui\\PropertyPageExEx "), std::wstring::npos);
}

TEST(PageTrap, ThrowingApplyKeepsTheSheetOpen)
{
    CThrowingPage page(true);
    CSheet sheet(page);
    ::SendMessageW(sheet.Window(), PSM_CHANGED, reinterpret_cast<WPARAM>(page.Window()), 0);
    page.applyThrows = true;
    CTraceLines trace(4);
    ::SendMessageW(sheet.Window(), PSM_PRESSBUTTON, PSBTN_OK, 0);
    PumpMessages();
    EXPECT_EQ(page.applies, 1);
    EXPECT_TRUE(sheet.IsOpen());
    EXPECT_TRUE(trace.Has(L"Exception [CNotSupportedException] [Not supported.] at "
                          L"Test\\TrapPage 42"));
    // Once Apply succeeds, OK closes the sheet.
    page.applyThrows = false;
    ::SendMessageW(sheet.Window(), PSM_PRESSBUTTON, PSBTN_OK, 0);
    PumpMessages();
    EXPECT_EQ(page.applies, 2);
    EXPECT_FALSE(sheet.IsOpen());
}
