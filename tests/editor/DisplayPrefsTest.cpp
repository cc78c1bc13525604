// The display preferences as both pages store them: the rule (no radio
// chosen keeps the choice in force; only a change is set, which gathers the
// folder information anew, and written to the profile) as plain functions,
// then on the wizard's Action page, where every keystroke in the name
// stores the page's data, and on the Preferences page when it is left.
#include "DialogControls.h"
#include "DisplayPrefsGroup.h"
#include "NewCommandWizard.h"
#include "PropertySheetExEx.h"
#include "SheetTestSupport.h"
#include "ShellDisplayPrefs.h"
#include "TaskelClass.h"
#include "TaskelCommandFile.h"
#include "TaskelPreferences.h"
#include "TaskelStrings.h"
#include "Trace.h"
#include "WizardState.h"
#include "resource.h"

#include <gtest/gtest.h>
#include <ole2.h>

namespace
{
int g_refreshes = 0;
void CountRefresh()
{
    ++g_refreshes;
}

// The stored "ShowDescriptions" value, -1 when there is none.
int StoredDescriptions()
{
    DWORD value = 0;
    DWORD size = sizeof(value);
    if (::RegGetValueW(HKEY_CURRENT_USER, g_traceProfile.registryKey, kShowDescriptionsValue,
                       RRF_RT_REG_DWORD, nullptr, &value, &size) != ERROR_SUCCESS)
        return -1;
    return static_cast<int>(value);
}

void ForgetStoredPrefs()
{
    ::RegDeleteKeyValueW(HKEY_CURRENT_USER, g_traceProfile.registryKey, kShowDescriptionsValue);
    ::RegDeleteKeyValueW(HKEY_CURRENT_USER, g_traceProfile.registryKey, kShowHiddenFoldersValue);
}

// Counts the refreshes and starts from descriptions without hidden folders
// and no stored values; puts everything back at its end.
class DisplayPrefsTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        SetTaskelResourceModule(::GetModuleHandleW(nullptr));
        SetShellDisplayPrefs({true, false});
        ForgetStoredPrefs();
        g_refreshes = 0;
        SetShellDisplayPrefsChanged(CountRefresh);
    }
    void TearDown() override
    {
        SetShellDisplayPrefsChanged(nullptr);
        ForgetStoredPrefs();
        SetShellDisplayPrefs({});
    }
};
} // namespace

TEST(DisplayPrefsRule, NoRadioKeepsTheChoiceInForce)
{
    const ShellDisplayPrefs specifications{false, false};
    EXPECT_FALSE(PreferencesFromControls(-1, true, specifications).showDescriptions);
    EXPECT_TRUE(PreferencesFromControls(-1, true, specifications).showHiddenFolders);
    EXPECT_TRUE(PreferencesFromControls(-1, false, {true, true}).showDescriptions);
    // A chosen radio wins over the settings in force.
    EXPECT_TRUE(PreferencesFromControls(0, false, specifications).showDescriptions);
    EXPECT_FALSE(PreferencesFromControls(1, false, {true, false}).showDescriptions);
}

TEST(DisplayPrefsRule, OnlyAChangeIsStored)
{
    EXPECT_FALSE(PreferencesChanged({true, false}, {true, false}));
    EXPECT_TRUE(PreferencesChanged({true, false}, {false, false}));
    EXPECT_TRUE(PreferencesChanged({true, false}, {true, true}));
    // What the controls show for the settings in force is no change.
    for (const ShellDisplayPrefs prefs :
         {ShellDisplayPrefs{true, false}, ShellDisplayPrefs{false, true}})
        EXPECT_FALSE(
            PreferencesChanged(prefs, PreferencesFromControls(PreferencesSelection(prefs),
                                                              prefs.showHiddenFolders, prefs)));
}

TEST_F(DisplayPrefsTest, ActionPageStoresAChangeOnceAndKeystrokesNothing)
{
    const bool ole = SUCCEEDED(::OleInitialize(nullptr));
    fx::ComPtr<IDispatch> dispatch;
    CTaskel *command = nullptr;
    ASSERT_EQ(CreateCommandObject(dispatch, command), S_OK);
    WizardState state;
    state.SetCommand(command);
    state.SetName(L"prefs");
    state.SetFolder(L"C:\\Jobs\\");
    CNewCommandWizard wizard(nullptr, state, false);
    RunSheet(wizard.Sheet(), [&](HWND sheet) {
        // The wizard opens on its Action page.
        HWND window = reinterpret_cast<HWND>(::SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
        ASSERT_NE(::GetDlgItem(window, IDC_ACTION_NAME), nullptr);
        EXPECT_TRUE(CButton(window, IDC_PREF_DESCRIPTIONS).IsChecked());
        // Typing the name stores the page's data at every keystroke: the
        // unchanged preferences are neither set again nor written.
        CControl name(window, IDC_ACTION_NAME);
        for (const wchar_t *text : {L"p", L"pr", L"pre"})
            name.SetText(text);
        EXPECT_EQ(state.Name(), L"pre");
        EXPECT_EQ(g_refreshes, 0);
        EXPECT_EQ(StoredDescriptions(), -1);

        // Choosing specifications is set once and written at once.
        CButton(window, IDC_PREF_SPECIFICATIONS).Click();
        EXPECT_FALSE(GetShellDisplayPrefs().showDescriptions);
        EXPECT_EQ(g_refreshes, 1);
        EXPECT_EQ(StoredDescriptions(), 0);
        CButton(window, IDC_PREF_SPECIFICATIONS).Click();
        name.SetText(L"prefs");
        EXPECT_EQ(g_refreshes, 1);

        // With no radio checked the choice in force stays; the box still counts.
        CButton(window, IDC_PREF_SPECIFICATIONS).SetCheck(false);
        CButton(window, IDC_PREF_SHOW_HIDDEN).Click();
        EXPECT_FALSE(GetShellDisplayPrefs().showDescriptions);
        EXPECT_TRUE(GetShellDisplayPrefs().showHiddenFolders);
        EXPECT_EQ(g_refreshes, 2);
    });
    dispatch.reset();
    if (ole) ::OleUninitialize();
}

// The folder cache is gathered anew only for settings that differ from
// those in force: storing the same ones again starts no worker.
TEST_F(DisplayPrefsTest, SameSettingsAgainRefreshNothing)
{
    SetShellDisplayPrefs({true, false});
    EXPECT_EQ(g_refreshes, 0);
    SetShellDisplayPrefs({true, true});
    EXPECT_EQ(g_refreshes, 1);
    SetShellDisplayPrefs({true, true});
    SetShellDisplayPrefs(GetShellDisplayPrefs());
    EXPECT_EQ(g_refreshes, 1);
    SetShellDisplayPrefs({false, true});
    EXPECT_EQ(g_refreshes, 2);
}

TEST_F(DisplayPrefsTest, PreferencesPageLeftUnchangedStoresNothing)
{
    CTaskelPreferences first;
    CTaskelPreferences second;
    CPropertySheetExEx sheet(L"prefs - Ferrovane", nullptr);
    sheet.AddPage(first);
    sheet.AddPage(second);
    RunSheet(sheet, [&](HWND window) {
        // Leaving the page without a change: Apply is enabled, nothing stored.
        ::SendMessageW(window, PSM_SETCURSEL, 1, 0);
        EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(window, 0x3021)));
        EXPECT_EQ(g_refreshes, 0);
        EXPECT_EQ(StoredDescriptions(), -1);

        // Neither radio checked on the way out: the choice in force stays.
        HWND page = second.Window();
        CButton(page, IDC_PREF_DESCRIPTIONS).SetCheck(false);
        CButton(page, IDC_PREF_SPECIFICATIONS).SetCheck(false);
        ::SendMessageW(window, PSM_SETCURSEL, 0, 0);
        EXPECT_TRUE(GetShellDisplayPrefs().showDescriptions);
        EXPECT_EQ(g_refreshes, 0);
        EXPECT_EQ(StoredDescriptions(), -1);
    });
}
