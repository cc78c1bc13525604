// The two process-wide display settings with which the editor's pages show
// folders and files: as descriptions ("All files in My Documents on disk
// Main (C:)") or as specifications ("C:\My Documents\*.*"), and whether
// hidden folders are listed whatever the shell's folder options say. They
// are kept in the application profile (a key under HKEY_CURRENT_USER).
#pragma once

#include <windows.h>

struct ShellDisplayPrefs
{
    bool showDescriptions = true;
    bool showHiddenFolders = false;
};

// The values' names under the profile key.
extern const wchar_t kShowDescriptionsValue[];  // "ShowDescriptions"
extern const wchar_t kShowHiddenFoldersValue[]; // "ShowHiddenFolders"

// A copy of the settings: Explorer shows each property sheet on a thread of
// its own, so they are read and changed under a lock.
ShellDisplayPrefs GetShellDisplayPrefs();
// Replaces the settings and, when they differ from those in force, tells
// the refresh hook (the shell-folder information is gathered anew).
void SetShellDisplayPrefs(const ShellDisplayPrefs &prefs);
// Called after every change of the settings; null removes it.
void SetShellDisplayPrefsChanged(void (*refresh)());

// Reads the settings from `key` under `root` (a missing value keeps the
// default); writes them back. Return whether the key could be used.
bool LoadShellDisplayPrefs(HKEY root, const wchar_t *key);
bool SaveShellDisplayPrefs(HKEY root, const wchar_t *key);
