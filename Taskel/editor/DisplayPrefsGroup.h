// CDisplayPrefsGroup: the display preferences as the Preferences page and
// the wizard's Action page show them: the two rich-text radios (paths as
// descriptions or as specifications, 2013 and 2014), the hidden-folders
// box (2031), the product line (2010) and the link to the product's web
// page (2042). Both pages decide with the same plain functions below, so a
// choice means the same on either.
#pragma once

#include <windows.h>

#include <string>

#include "ShellDisplayPrefs.h"

// The product's web page.
extern const wchar_t kProductWebPage[]; // "https://www.veltrac.com/ferrovane.htm"

// The product line's markup: string 3006 with the application title, the
// version and the legal notice.
std::wstring ProductLine(HMODULE module);

// The radio selection for the settings: 0 = descriptions, 1 = specifications.
int PreferencesSelection(const ShellDisplayPrefs &prefs);
// The settings the controls stand for. With no radio chosen (selection -1)
// the choice of `current`, the settings in force, stays.
ShellDisplayPrefs PreferencesFromControls(int selection, bool showHidden,
                                          const ShellDisplayPrefs &current = {});
// Whether `chosen` differs from `current`. Only a change is stored: it is
// set (and so the folder information is gathered anew with it) and written
// to the profile; an unchanged choice leaves both alone.
bool PreferencesChanged(const ShellDisplayPrefs &current, const ShellDisplayPrefs &chosen);

class CDisplayPrefsGroup
{
  public:
    // Takes the controls of `page`: the radios' template texts as rich
    // text, the product line from `resources`' version, the link's address.
    void Attach(HWND page, HMODULE resources);
    void Detach() { m_page = nullptr; }

    // True for the radios and the box.
    static bool IsPreferenceControl(int id);
    // The settings in force into the controls.
    void Load() const;
    // The controls into the settings, stored at once when they changed;
    // returns whether they did.
    bool Save() const;
    // A click or Enter on the link opens the web page (true when `id` is
    // the link and the notification one of those).
    bool OnLinkNotify(UINT_PTR id, const NMHDR *header) const;

  private:
    HWND m_page = nullptr;
};
