// The Preferences page in a running sheet: the display settings shown and
// stored when the page is left, Apply enabled by leaving it, the product
// line and link, "Advanced >>" without the settings library, the settings'
// place in the profile, and a picture of the page for the documentation.
#include "DialogControls.h"
#include "PropertySheetExEx.h"
#include "SheetTestSupport.h"
#include "ShellDisplayPrefs.h"
#include "TaskelPreferences.h"
#include "resource.h"

#include <gtest/gtest.h>

namespace
{
class CPlainPage : public CPropertyPageExEx
{
  public:
    CPlainPage() : CPropertyPageExEx(IDD_COMMAND_PLACEHOLDER) { SetTitle(L"backup"); }
};

int g_refreshes = 0;
void CountRefresh()
{
    ++g_refreshes;
}

const wchar_t kTestKey[] = L"Software\\Veltrac\\FerrovaneTest";
} // namespace

TEST(PreferencesDecisions, SelectionFollowsTheSettings)
{
    EXPECT_EQ(PreferencesSelection({true, false}), 0);
    EXPECT_EQ(PreferencesSelection({false, true}), 1);
    const ShellDisplayPrefs specs = PreferencesFromControls(1, true);
    EXPECT_FALSE(specs.showDescriptions);
    EXPECT_TRUE(specs.showHiddenFolders);
    EXPECT_TRUE(PreferencesFromControls(0, false).showDescriptions);
}

TEST(PreferencesPage, ShowsTheSettingsAndStoresThemWhenLeft)
{
    SetShellDisplayPrefs({false, true});
    g_refreshes = 0;
    SetShellDisplayPrefsChanged(CountRefresh);
    CPlainPage command;
    CTaskelPreferences preferences;
    CPropertySheetExEx sheet(L"backup - Ferrovane", nullptr);
    sheet.AddPage(command);
    sheet.AddPage(preferences);
    sheet.SetStartPage(1);
    RunSheet(sheet, [&](HWND window) {
        HWND page = preferences.Window();
        ASSERT_NE(page, nullptr);
        EXPECT_FALSE(CButton(page, IDC_PREF_DESCRIPTIONS).IsChecked());
        EXPECT_TRUE(CButton(page, IDC_PREF_SPECIFICATIONS).IsChecked());
        EXPECT_TRUE(CButton(page, IDC_PREF_SHOW_HIDDEN).IsChecked());
        // The radios read as words, not markup.
        EXPECT_EQ(CControl(page, IDC_PREF_DESCRIPTIONS).GetText(),
                  L"Show folder and file descriptions.  For example:\nAll files in My Documents on "
                  L"disk Main (C:)");
        EXPECT_EQ(CControl(page, IDC_PREF_SPECIFICATIONS).GetText(),
                  L"Show folder and file specifications.  For example:\nC:\\My Documents\\*.*");
        EXPECT_EQ(CControl(page, IDC_PREF_PRODUCT).GetText(),
                  L"Ferrovane version 1.0.0.0\nCopyright (C) Veltrac");
        EXPECT_NE(
            CControl(page, IDC_PREF_LINK).GetText().find(L"https://www.veltrac.com/ferrovane.htm"),
            std::wstring::npos);
        EXPECT_EQ(CControl(page, IDC_PREF_SHOW_HIDDEN).GetText(),
                  L"Show hidden folders regardless of Windows\u00AE folder options");

        // Without the settings library "Advanced >>" only beeps.
        CButton advanced(page, IDC_PREF_ADVANCED);
        advanced.Click();
        EXPECT_TRUE(advanced.IsEnabled());

        PumpFor(300);
        EXPECT_TRUE(SaveWindowPicture(window, BuildFolder() + L"preferences-page.png"));

        CButton(page, IDC_PREF_DESCRIPTIONS).Click();
        CButton(page, IDC_PREF_SHOW_HIDDEN).Click();
        EXPECT_FALSE(GetShellDisplayPrefs().showDescriptions); // stored only when the page is left
        ::SendMessageW(window, PSM_SETCURSEL, 0, 0);
        EXPECT_TRUE(GetShellDisplayPrefs().showDescriptions);
        EXPECT_FALSE(GetShellDisplayPrefs().showHiddenFolders);
        EXPECT_GE(g_refreshes, 1);
        // Leaving the page enabled Apply.
        EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(window, 0x3021)));
        // Back on the page the stored values show again.
        ::SendMessageW(window, PSM_SETCURSEL, 1, 0);
        EXPECT_TRUE(CButton(page, IDC_PREF_DESCRIPTIONS).IsChecked());
        EXPECT_FALSE(CButton(page, IDC_PREF_SHOW_HIDDEN).IsChecked());

        // A change made elsewhere (another sheet, the wizard) while the page
        // is not shown is what it shows when it comes back.
        ::SendMessageW(window, PSM_SETCURSEL, 0, 0);
        SetShellDisplayPrefs({false, true});
        ::SendMessageW(window, PSM_SETCURSEL, 1, 0);
        EXPECT_TRUE(CButton(page, IDC_PREF_SPECIFICATIONS).IsChecked());
        EXPECT_FALSE(CButton(page, IDC_PREF_DESCRIPTIONS).IsChecked());
        EXPECT_TRUE(CButton(page, IDC_PREF_SHOW_HIDDEN).IsChecked());
    });
    SetShellDisplayPrefsChanged(nullptr);
}

TEST(PreferencesProfile, SettingsRoundTripThroughTheProfileKey)
{
    ::RegDeleteTreeW(HKEY_CURRENT_USER, kTestKey);
    SetShellDisplayPrefs({true, false});
    EXPECT_FALSE(LoadShellDisplayPrefs(HKEY_CURRENT_USER, kTestKey)); // no key: defaults stay
    EXPECT_TRUE(GetShellDisplayPrefs().showDescriptions);

    SetShellDisplayPrefs({false, true});
    ASSERT_TRUE(SaveShellDisplayPrefs(HKEY_CURRENT_USER, kTestKey));
    DWORD value = 7;
    DWORD size = sizeof(value);
    EXPECT_EQ(::RegGetValueW(HKEY_CURRENT_USER, kTestKey, L"ShowDescriptions", RRF_RT_REG_DWORD,
                             nullptr, &value, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(value, 0u);
    EXPECT_EQ(::RegGetValueW(HKEY_CURRENT_USER, kTestKey, L"ShowHiddenFolders", RRF_RT_REG_DWORD,
                             nullptr, &value, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(value, 1u);

    SetShellDisplayPrefs({true, false});
    ASSERT_TRUE(LoadShellDisplayPrefs(HKEY_CURRENT_USER, kTestKey));
    EXPECT_FALSE(GetShellDisplayPrefs().showDescriptions);
    EXPECT_TRUE(GetShellDisplayPrefs().showHiddenFolders);

    // A value of the wrong type is ignored, not misread.
    ::RegSetKeyValueW(HKEY_CURRENT_USER, kTestKey, L"ShowDescriptions", REG_SZ, L"1", 4);
    SetShellDisplayPrefs({false, false});
    LoadShellDisplayPrefs(HKEY_CURRENT_USER, kTestKey);
    EXPECT_FALSE(GetShellDisplayPrefs().showDescriptions);
    ::RegDeleteTreeW(HKEY_CURRENT_USER, kTestKey);
    SetShellDisplayPrefs({});
}
