// The settings page's registry work: the definitions' current values read
// from Software\Veltrac (with the alternative key's overrides), the desktop
// folders, the values written back on Apply, and the remembered component
// in the library's profile.
#pragma once

#include "JotwellDef.h"

#include <string>

// Reads "LogLevel" and "LogFile" of every definition from its root (the
// alternative key's values override the base key's); the default name is
// the host's log name, trimmed. The first definition without a title gets
// `allTitle`.
void ReadDefinitions(CJotwellDefArray &defs, const std::wstring &allTitle);

// Writes every definition in order. A root or key that cannot be created
// or opened is skipped; the other definitions are still written.
void WriteDefinitions(const CJotwellDefArray &defs);
void WriteDefinition(const CJotwellDef &def);

// The desktop folder named by `valueName` ("Desktop", "Common Desktop") of
// the shell's folder list under `root`, environment references expanded
// when it is an expandable string; empty when it cannot be read.
std::wstring ReadDesktopFolder(HKEY root, const wchar_t *valueName);

// The profile of the library (HKEY_CURRENT_USER\Software\Veltrac\Jotwell):
// section "JotwellUi".
extern const wchar_t kJotwellProfileKey[]; // "Software\Veltrac\Jotwell"
extern const wchar_t kJotwellUiSection[];  // "JotwellUi"
std::wstring ReadProfileString(const wchar_t *section, const wchar_t *entry);
void WriteProfileString(const wchar_t *section, const wchar_t *entry, const std::wstring &text);
void DeleteProfileEntry(const wchar_t *section, const wchar_t *entry);
