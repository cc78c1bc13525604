// The new-command wizard in this process (real windows under Xvfb): the
// Wizard97 frame shown at once with a taskbar button, the Action page's
// controls and header texts, the header's accessibility object, the title
// band's cached rendering, the Options page after Next, and screenshots of
// both pages into screenshots/ of the build folder.
#include "AccessibleName.h"
#include "NewCommandWizard.h"
#include "SheetTestSupport.h"
#include "TaskelPropAction.h"
#include "TaskelClass.h"
#include "TaskelCommandFile.h"
#include "TaskelStrings.h"
#include "TestTrace.h"
#include "WizardMsAa.h"
#include "resource.h"

#include <gtest/gtest.h>
#include <oleacc.h>
#include <ole2.h>

namespace
{
// The header texts a user reads, as the wizard's string table holds them.
const wchar_t kWizardTitle[] = L"This wizard helps you create a new File Command";
const wchar_t kActionSubtitle[] = L"Choose the command name and type of action you want it to "
                                  L"perform, then click Next to continue.";
const wchar_t kOptionsTitle[] = L"Choose the command options";
const wchar_t kOptionsSubtitle[] = L"Verify the command and choose its options at the bottom of "
                                   L"the page, then click Finish to create the file command.";

HWND CurrentPage(HWND sheet)
{
    return reinterpret_cast<HWND>(::SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
}

std::wstring Text(HWND window)
{
    wchar_t text[512] = {};
    ::GetWindowTextW(window, text, 512);
    return text;
}

bool Checked(HWND page, int id)
{
    return ::SendMessageW(::GetDlgItem(page, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

std::wstring AccString(IAccessible *object,
                       HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, BSTR *), LONG child)
{
    VARIANT id;
    id.vt = VT_I4;
    id.lVal = child;
    BSTR text = nullptr;
    if (FAILED((object->*get)(id, &text)) || !text) return L"(none)";
    std::wstring result(text, ::SysStringLen(text));
    ::SysFreeString(text);
    return result;
}

void SaveShot(HWND window, const wchar_t *name)
{
    const std::wstring folder = BuildFolder() + L"screenshots";
    ::CreateDirectoryW(folder.c_str(), nullptr);
    EXPECT_TRUE(SaveWindowPicture(window, folder + L"\\" + name)) << name;
}

class WizardTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        // The header object is handed out through COM marshalling, as in
        // the launcher's apartment.
        m_ole = SUCCEEDED(::OleInitialize(nullptr));
        SetTaskelResourceModule(::GetModuleHandleW(nullptr));
        ASSERT_EQ(CreateCommandObject(m_dispatch, m_command), S_OK);
        m_state.SetCommand(m_command);
        m_state.SetName(L"made");
        m_state.SetFolder(L"C:\\Jobs\\");
    }
    void TearDown() override
    {
        m_dispatch.reset();
        if (m_ole) ::OleUninitialize();
    }
    bool m_ole = false;
    fx::ComPtr<IDispatch> m_dispatch;
    CTaskel *m_command = nullptr;
    WizardState m_state;
};
} // namespace

TEST_F(WizardTest, ActionPageThenOptionsPageWithHeadersBandAndAccessibility)
{
    CTraceLines trace(4);
    CNewCommandWizard wizard(nullptr, m_state, false);
    CPropertySheetExEx &sheet = wizard.Sheet();
    EXPECT_TRUE(sheet.IsWizard());
    EXPECT_EQ(sheet.HeaderBitmap(), UINT(IDB_WIZARD_HEADER));
    EXPECT_EQ(sheet.BandTitle(), L"Ferrovane");
    EXPECT_EQ(sheet.BandBackground(), RGB(207, 223, 239));
    EXPECT_EQ(sheet.BandTextColour(), RGB(0, 0, 48));

    const INT_PTR result = RunSheet(sheet, [&](HWND window) {
        EXPECT_EQ(Text(window), L"New File Command");
        EXPECT_NE(::GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_APPWINDOW, 0);
        HWND page = CurrentPage(window);
        ASSERT_NE(::GetDlgItem(page, IDC_ACTION_NAME), nullptr);
        EXPECT_EQ(Text(::GetDlgItem(page, IDC_ACTION_NAME)), L"made");
        // A new command without an action shows Copy.
        EXPECT_TRUE(Checked(page, IDC_ACTION_COPY));
        EXPECT_EQ(m_command->GetAction(), uint32_t(EDIT_ACTION_COPY));
        EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(page, IDC_ACTION_COPYRENAME)));
        EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(page, IDC_ACTION_MOVERENAME)));
        EXPECT_NE(Text(::GetDlgItem(page, IDC_PREF_PRODUCT)).find(L"Ferrovane"),
                  std::wstring::npos);
        // The name edit is announced as "Command Name" where the platform
        // annotates (Wine's annotation service is a stub: it accepts the
        // name and its edit object still answers none), so the name is read
        // on Windows only.
        const bool wine = ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version");
        if (AccessibleNamesAvailable() && !wine)
        {
            HWND nameEdit = ::GetDlgItem(page, IDC_ACTION_NAME);
            IAccessible *edit = nullptr;
            if (SUCCEEDED(::AccessibleObjectFromWindow(nameEdit, static_cast<DWORD>(OBJID_CLIENT),
                                                       __uuidof(IAccessible),
                                                       reinterpret_cast<void **>(&edit))))
            {
                EXPECT_EQ(AccString(edit, &IAccessible::get_accName, CHILDID_SELF),
                          L"Command Name");
                edit->Release();
            }
        }
        // Buttons: Next only (no source yet, so no Finish).
        EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(window, IDC_SHEET_BACK)));
        EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(window, IDC_SHEET_NEXT)));
        EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(window, IDC_SHEET_FINISH)));
        EXPECT_EQ(sheet.HeaderTitle(), kWizardTitle);
        EXPECT_EQ(sheet.HeaderSubtitle(), kActionSubtitle);

        // The header's accessibility object names its two children.
        // Wine cannot marshal IAccessible (no proxy: E_NOINTERFACE), so the
        // object comes from the sheet when WM_GETOBJECT has no answer.
        const LRESULT reference = ::SendMessageW(window, WM_GETOBJECT, 0, OBJID_WIZARD_HEADER);
        IAccessible *header = nullptr;
        if (reference > 0)
            ASSERT_EQ(::ObjectFromLresult(reference, __uuidof(IAccessible), 0,
                                          reinterpret_cast<void **>(&header)),
                      S_OK);
        else
            header = sheet.HeaderAccessibility();
        ASSERT_NE(header, nullptr);
        long children = 0;
        header->get_accChildCount(&children);
        EXPECT_EQ(children, 2);
        EXPECT_EQ(AccString(header, &IAccessible::get_accName, 1), L"Title");
        EXPECT_EQ(AccString(header, &IAccessible::get_accName, 2), L"Subtitle");
        EXPECT_EQ(AccString(header, &IAccessible::get_accDescription, 1), L"Wizard page title");
        EXPECT_EQ(AccString(header, &IAccessible::get_accDescription, 2), L"Wizard page subtitle");
        EXPECT_EQ(AccString(header, &IAccessible::get_accValue, 1), kWizardTitle);

        // The band is rendered once and made again after a colour change.
        ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ERASENOW);
        EXPECT_TRUE(sheet.HasBandBitmap());
        ::SendMessageW(window, WM_SYSCOLORCHANGE, 0, 0);
        EXPECT_FALSE(sheet.HasBandBitmap());
        ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ERASENOW);
        EXPECT_TRUE(sheet.HasBandBitmap());
        PumpFor(200);
        SaveShot(window, L"wizard-action-page.png");

        // An empty name holds the wizard; Delete is chosen with a click.
        ::SendMessageW(::GetDlgItem(page, IDC_ACTION_NAME), WM_SETTEXT, 0,
                       reinterpret_cast<LPARAM>(L""));
        EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(window, IDC_SHEET_NEXT)));
        ::SendMessageW(::GetDlgItem(page, IDC_ACTION_NAME), WM_SETTEXT, 0,
                       reinterpret_cast<LPARAM>(L"tidy"));
        EXPECT_EQ(m_state.Name(), L"tidy");
        EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(window, IDC_SHEET_NEXT)));
        ::SendMessageW(::GetDlgItem(page, IDC_ACTION_DELETE), BM_CLICK, 0, 0);
        EXPECT_EQ(m_command->GetAction(), uint32_t(EDIT_ACTION_DELETE));
        EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(page, IDC_ACTION_COPYRENAME)));

        // Next: the Folder page of the first source, then its File page.
        ::SendMessageW(window, PSM_PRESSBUTTON, PSBTN_NEXT, 0);
        PumpFor(100);
        HWND folder = CurrentPage(window);
        ASSERT_NE(::GetDlgItem(folder, IDC_TARGET_FOLDER_NAME), nullptr);
        EXPECT_EQ(m_state.CurrentIndex(), 0);
        EXPECT_EQ(sheet.HeaderTitle(), L"Choose the folder to delete from");
        EXPECT_EQ(sheet.HeaderSubtitle(), L"Click Next to continue.");
        ::SendMessageW(::GetDlgItem(folder, IDC_TARGET_FOLDER_NAME), WM_SETTEXT, 0,
                       reinterpret_cast<LPARAM>(L"C:\\windows\\temp"));
        ::SendMessageW(window, PSM_PRESSBUTTON, PSBTN_NEXT, 0);
        PumpFor(100);
        HWND files = CurrentPage(window);
        ASSERT_NE(::GetDlgItem(files, IDC_TARGET_FILE_NAME), nullptr);
        EXPECT_EQ(sheet.HeaderTitle(), L"Choose the file(s) to delete");
        // At the last (only) source the Finish button reads "Another".
        EXPECT_EQ(Text(::GetDlgItem(window, IDC_SHEET_FINISH)), L"Another");
        EXPECT_EQ(::GetWindowContextHelpId(::GetDlgItem(window, IDC_SHEET_FINISH)), 1005u);
        ::SendMessageW(::GetDlgItem(files, IDC_TARGET_FILE_NAME), WM_SETTEXT, 0,
                       reinterpret_cast<LPARAM>(L"*.tmp"));
        ASSERT_EQ(m_command->GetSourceCount(), 1u);
        EXPECT_EQ(m_command->GetSources()[0], L"C:\\windows\\temp\\*.tmp");
        // Delete has no target step: on to the Options page.
        ::SendMessageW(window, PSM_PRESSBUTTON, PSBTN_NEXT, 0);
        PumpFor(100);
        HWND options = CurrentPage(window);
        ASSERT_NE(options, page);
        EXPECT_EQ(m_state.CurrentIndex(), 0);
        EXPECT_EQ(sheet.HeaderTitle(), kOptionsTitle);
        EXPECT_EQ(sheet.HeaderSubtitle(), kOptionsSubtitle);
        EXPECT_TRUE(::IsWindowVisible(::GetDlgItem(options, IDC_OPT_RECYCLE)));
        EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(options, IDC_OPT_CONFIRM_MKDIR)));
        EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(window, IDC_SHEET_FINISH)));
        EXPECT_EQ(Text(::GetDlgItem(window, IDC_SHEET_FINISH)).find(L"Another"),
                  std::wstring::npos);
        // On the last page Enter finishes.
        EXPECT_EQ(LOWORD(::SendMessageW(window, DM_GETDEFID, 0, 0)), IDC_SHEET_FINISH);
        // The accessibility object follows the header texts.
        EXPECT_EQ(AccString(header, &IAccessible::get_accValue, 2), kOptionsSubtitle);
        header->Release();
        // A box click goes into the command: unticking "Show progress".
        ::SendMessageW(::GetDlgItem(options, IDC_OPT_PROGRESS), BM_CLICK, 0, 0);
        EXPECT_NE(m_command->GetOptions() & FOF_SILENT, 0u);
        PumpFor(200);
        SaveShot(window, L"wizard-options-page.png");
        ::SendMessageW(window, PSM_PRESSBUTTON, PSBTN_FINISH, 0);
    });
    EXPECT_EQ(result, INT_PTR(IDC_SHEET_FINISH));
    EXPECT_FALSE(trace.With(L"PageActivated [CTaskelPropAction]").empty());
    EXPECT_FALSE(trace.With(L"GoNext [CTaskelPropAction]").empty());
    EXPECT_FALSE(trace.With(L"PageActivated [CTaskelPropOptions]").empty());
}

TEST(WizardActionPage, WithoutStateNameAndActionsAreDisabled)
{
    SetTaskelResourceModule(::GetModuleHandleW(nullptr));
    CTaskelPropAction page(nullptr);
    CPropertySheetExEx sheet(L"New File Command", nullptr);
    sheet.SetWizardMode();
    sheet.AddPage(page);
    RunSheet(sheet, [&](HWND) {
        HWND window = page.Window();
        ASSERT_NE(window, nullptr);
        EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(window, IDC_ACTION_NAME)));
        EXPECT_EQ(Text(::GetDlgItem(window, IDC_ACTION_NAME)), L"");
        for (int id : {IDC_ACTION_MOVE, IDC_ACTION_COPY, IDC_ACTION_DELETE, IDC_ACTION_RENAME,
                       IDC_ACTION_MOVERENAME, IDC_ACTION_COPYRENAME})
            EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(window, id))) << id;
    });
}

// The Location page and the target's Folder page keep the header texts the
// wizard gives them; Enter on the File page at the last source moves on
// (Next) instead of pressing "Another"; backing out of "Another" leaves no
// source behind.
TEST_F(WizardTest, HeadersStayEnterMovesOnAndAnotherCanBeUndone)
{
    m_command->SetAction(EDIT_ACTION_COPY);
    CNewCommandWizard wizard(nullptr, m_state, true);
    CPropertySheetExEx &sheet = wizard.Sheet();
    auto pageWith = [](HWND window, int id) {
        HWND page = nullptr;
        WaitUntil(
            [&] {
                page = CurrentPage(window);
                return page && ::GetDlgItem(page, id);
            },
            5000);
        return page && ::GetDlgItem(page, id) ? page : nullptr;
    };
    // Enter as the keyboard gives it: to the focused control, through the
    // sheet's dialog manager as its message loop hands every key over (this
    // callback runs inside that loop, so the key is handed over here).
    auto pressEnter = [](HWND sheetWindow, HWND control) {
        ::SetFocus(control);
        MSG key{control, WM_KEYDOWN, VK_RETURN, 0, ::GetTickCount(), {}};
        if (!PropSheet_IsDialogMessage(sheetWindow, &key)) ::DispatchMessageW(&key);
        PumpFor(50);
    };
    RunSheet(sheet, [&](HWND window) {
        ::SendMessageW(window, PSM_PRESSBUTTON, PSBTN_NEXT, 0);
        HWND location = pageWith(window, IDC_TARGET_TREE);
        ASSERT_NE(location, nullptr);
        EXPECT_EQ(sheet.HeaderTitle(), kWizardTitle);
        EXPECT_EQ(sheet.HeaderSubtitle(),
                  L"Choose the folder where the new File Command is to be located.");
        ::SendMessageW(::GetDlgItem(location, IDC_TARGET_FOLDER_NAME), WM_SETTEXT, 0,
                       reinterpret_cast<LPARAM>(L"C:\\windows\\temp"));
        ::SendMessageW(window, PSM_PRESSBUTTON, PSBTN_NEXT, 0);

        HWND folder = pageWith(window, IDC_TARGET_RELATIVE);
        ASSERT_NE(folder, nullptr);
        ::SendMessageW(::GetDlgItem(folder, IDC_TARGET_FOLDER_NAME), WM_SETTEXT, 0,
                       reinterpret_cast<LPARAM>(L"C:\\windows"));
        ::SendMessageW(window, PSM_PRESSBUTTON, PSBTN_NEXT, 0);
        HWND files = pageWith(window, IDC_TARGET_FILE_NAME);
        ASSERT_NE(files, nullptr);
        ::SendMessageW(::GetDlgItem(files, IDC_TARGET_FILE_NAME), WM_SETTEXT, 0,
                       reinterpret_cast<LPARAM>(L"*.ini"));
        EXPECT_EQ(Text(::GetDlgItem(window, IDC_SHEET_FINISH)), L"Another");

        // "Another", then Back: the offered folder does not stay a source.
        ::SendMessageW(window, PSM_PRESSBUTTON, PSBTN_FINISH, 0);
        ASSERT_NE(pageWith(window, IDC_TARGET_RELATIVE), nullptr);
        EXPECT_EQ(m_state.CurrentIndex(), 1);
        ::SendMessageW(window, PSM_PRESSBUTTON, PSBTN_BACK, 0);
        files = pageWith(window, IDC_TARGET_FILE_NAME);
        ASSERT_NE(files, nullptr);
        EXPECT_EQ(m_command->GetSources(), std::vector<std::wstring>{L"C:\\windows\\*.ini"});

        // Enter in the file name: Next, to the target's Folder page.
        pressEnter(window, ::GetDlgItem(files, IDC_TARGET_FILE_NAME));
        ASSERT_NE(pageWith(window, IDC_TARGET_RELATIVE), nullptr);
        EXPECT_EQ(m_state.CurrentIndex(), -1);
        EXPECT_EQ(m_command->GetSourceCount(), 1u);
        EXPECT_EQ(sheet.HeaderTitle(), L"Choose the folder to copy to");
        // The target's subtitle is left as the page had it, never blanked.
        EXPECT_FALSE(sheet.HeaderSubtitle().empty());
    });
    EXPECT_EQ(m_command->GetSources(), std::vector<std::wstring>{L"C:\\windows\\*.ini"});
}
