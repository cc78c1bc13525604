// The editor's two display settings and their place in the profile.
#include "ShellDisplayPrefs.h"

#include <mutex>

#include "RegKey.h"

const wchar_t kShowDescriptionsValue[] = L"ShowDescriptions";
const wchar_t kShowHiddenFoldersValue[] = L"ShowHiddenFolders";

namespace
{
std::mutex g_lock; // guards g_prefs
ShellDisplayPrefs g_prefs;
void (*g_refresh)() = nullptr;

bool ReadFlag(HKEY key, const wchar_t *name, bool &flag)
{
    DWORD value = 0;
    DWORD size = sizeof(value);
    DWORD type = 0;
    if (::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE *>(&value), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof(value))
        return false;
    flag = value != 0;
    return true;
}

bool WriteFlag(HKEY key, const wchar_t *name, bool flag)
{
    const DWORD value = flag ? 1 : 0;
    return ::RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE *>(&value),
                            sizeof(value)) == ERROR_SUCCESS;
}
} // namespace

ShellDisplayPrefs GetShellDisplayPrefs()
{
    std::lock_guard<std::mutex> guard(g_lock);
    return g_prefs;
}

void SetShellDisplayPrefs(const ShellDisplayPrefs &prefs)
{
    {
        std::lock_guard<std::mutex> guard(g_lock);
        if (g_prefs.showDescriptions == prefs.showDescriptions &&
            g_prefs.showHiddenFolders == prefs.showHiddenFolders)
            return; // nothing to gather anew
        g_prefs = prefs;
    }
    if (g_refresh) g_refresh();
}

void SetShellDisplayPrefsChanged(void (*refresh)())
{
    g_refresh = refresh;
}

bool LoadShellDisplayPrefs(HKEY root, const wchar_t *key)
{
    fx::CRegKey profile(root, key, true, false);
    if (!profile.IsOpen()) return false;
    ShellDisplayPrefs read = GetShellDisplayPrefs();
    ReadFlag(profile.Handle(), kShowDescriptionsValue, read.showDescriptions);
    ReadFlag(profile.Handle(), kShowHiddenFoldersValue, read.showHiddenFolders);
    std::lock_guard<std::mutex> guard(g_lock);
    g_prefs = read;
    return true;
}

bool SaveShellDisplayPrefs(HKEY root, const wchar_t *key)
{
    fx::CRegKey profile(root, key, false, true);
    if (!profile.IsOpen()) return false;
    const ShellDisplayPrefs prefs = GetShellDisplayPrefs();
    const bool descriptions =
        WriteFlag(profile.Handle(), kShowDescriptionsValue, prefs.showDescriptions);
    const bool hidden =
        WriteFlag(profile.Handle(), kShowHiddenFoldersValue, prefs.showHiddenFolders);
    return descriptions && hidden;
}
