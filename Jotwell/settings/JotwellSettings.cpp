// Reading and writing the trace-log settings of the page's definitions,
// the desktop folders, and the library's profile entries.
#define TRACE_SOURCE "Jotwell\\JotwellPage"
#include "JotwellSettings.h"

#include "RegKey.h"
#include "Trace.h"

using fx::CRegDWord;
using fx::CRegKey;
using fx::CRegString;

const wchar_t kJotwellProfileKey[] = L"Software\\Veltrac\\Jotwell";
const wchar_t kJotwellUiSection[] = L"JotwellUi";

namespace
{
const wchar_t kVeltrac[] = L"Software\\Veltrac";
const wchar_t kLogLevel[] = L"LogLevel";
const wchar_t kLogFile[] = L"LogFile";
const wchar_t kShellFolders[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

void ReadDefinition(CJotwellDef &def)
{
    CRegKey veltrac(def.root, kVeltrac);
    {
        CRegKey key(veltrac, def.keyName.c_str());
        CRegDWord level(key.Handle(), kLogLevel);
        CRegString file(key.Handle(), kLogFile);
        def.defaultName = TrimBlanks(def.logName);
        def.logLevel = static_cast<WORD>(level.Value() & 0xFFFF);
        def.logName = TrimBlanks(file.Text());
    }
    if (def.keyNameAlt.empty()) return;
    CRegKey alt(veltrac, def.keyNameAlt.c_str());
    CRegDWord level(alt.Handle(), kLogLevel);
    if (level.IsBound()) def.logLevel = static_cast<WORD>(level.Value() & 0xFFFF);
    CRegString file(alt.Handle(), kLogFile);
    if (file.IsBound()) def.logName = TrimBlanks(file.Text());
}

// An alternative key holds only what differs from the base key: values
// equal to the base are removed, and the key is not created for a
// definition that equals the base. The base key is never written here.
void WriteAlternative(const CRegKey &veltrac, const CJotwellDef &def)
{
    bool baseLevelFound = false;
    DWORD baseLevel = 0;
    bool baseFileFound = false;
    std::wstring baseFile;
    {
        CRegKey base(veltrac.Handle(), def.keyName.c_str(), true, false);
        CRegDWord level(base.Handle(), kLogLevel);
        CRegString file(base.Handle(), kLogFile);
        baseLevelFound = level.IsBound();
        baseLevel = level.Value();
        baseFileFound = file.IsBound();
        baseFile = file.Text();
    }
    const bool levelIsBase = baseLevelFound && baseLevel == def.logLevel;
    const bool fileIsBase = baseFileFound ? def.logName == baseFile : def.logName.empty();

    CRegKey alt(veltrac.Handle(), def.keyNameAlt.c_str(), false, !(levelIsBase && fileIsBase));
    if (!alt.IsOpen()) return;
    if (levelIsBase)
        CRegDWord(alt.Handle(), kLogLevel).Delete();
    else
        CRegDWord(alt.Handle(), kLogLevel, true).Write(def.logLevel);
    if (fileIsBase)
        CRegString(alt.Handle(), kLogFile).Delete();
    else
        CRegString(alt.Handle(), kLogFile, true).Write(def.logName.c_str());
}
} // namespace

void ReadDefinitions(CJotwellDefArray &defs, const std::wstring &allTitle)
{
    for (CJotwellDef &def : defs)
        ReadDefinition(def);
    if (!defs.empty() && defs.front().title.empty()) defs.front().title = allTitle;
}

void WriteDefinition(const CJotwellDef &def)
{
    // A definition without a key name would write into Software\Veltrac itself.
    CRegKey veltrac;
    if (!def.keyName.empty()) veltrac.Open(def.root, kVeltrac, false, true);
    if (!veltrac.IsOpen())
    {
        Trace(3, L"  Not written [%s]: no key", def.keyName.c_str());
        return;
    }
    if (!def.keyNameAlt.empty())
    {
        WriteAlternative(veltrac, def);
        return;
    }
    CRegKey key(veltrac.Handle(), def.keyName.c_str(), false, true);
    if (!key.IsOpen())
    {
        Trace(3, L"  Not written [%s]: no key", def.keyName.c_str());
        return;
    }
    CRegDWord(key.Handle(), kLogLevel, true).Write(def.logLevel);
    if (!def.logName.empty())
        CRegString(key.Handle(), kLogFile, true).Write(def.logName.c_str());
    else
        CRegString(key.Handle(), kLogFile).Delete();
}

void WriteDefinitions(const CJotwellDefArray &defs)
{
    for (const CJotwellDef &def : defs)
        WriteDefinition(def);
}

std::wstring ReadDesktopFolder(HKEY root, const wchar_t *valueName)
{
    CRegKey key(root, kShellFolders);
    CRegString folder(key.Handle(), valueName);
    folder.Expand();
    return folder.Text();
}

std::wstring ReadProfileString(const wchar_t *section, const wchar_t *entry)
{
    CRegKey key(HKEY_CURRENT_USER, (std::wstring(kJotwellProfileKey) + L"\\" + section).c_str());
    return CRegString(key.Handle(), entry).Text();
}

void WriteProfileString(const wchar_t *section, const wchar_t *entry, const std::wstring &text)
{
    CRegKey key(HKEY_CURRENT_USER, (std::wstring(kJotwellProfileKey) + L"\\" + section).c_str(),
                false, true);
    CRegString(key.Handle(), entry, true).Write(text.c_str());
}

void DeleteProfileEntry(const wchar_t *section, const wchar_t *entry)
{
    CRegKey key(HKEY_CURRENT_USER, (std::wstring(kJotwellProfileKey) + L"\\" + section).c_str(),
                false, false);
    CRegString(key.Handle(), entry).Delete();
}
