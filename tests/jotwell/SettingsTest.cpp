// The page's registry work on test keys below HKCU\Software\Veltrac:
// reading with the alternative key's overrides, writing with and without
// an alternative key, keys that cannot be created, and the desktop folders.
#include <gtest/gtest.h>

#include "JotwellSettings.h"
#include "TestRegistry.h"

namespace
{
const std::wstring kVeltrac = L"Software\\Veltrac\\";
const wchar_t kBase[] = L"JotwellTestBase";
const wchar_t kAlt[] = L"JotwellTestAlt";

void SetDword(const std::wstring &key, const wchar_t *name, DWORD value)
{
    ::RegSetKeyValueW(HKEY_CURRENT_USER, (kVeltrac + key).c_str(), name, REG_DWORD, &value,
                      sizeof(value));
}

void SetText(const std::wstring &key, const wchar_t *name, const std::wstring &text,
             DWORD type = REG_SZ)
{
    ::RegSetKeyValueW(HKEY_CURRENT_USER, (kVeltrac + key).c_str(), name, type, text.c_str(),
                      static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

bool HasValue(const std::wstring &key, const wchar_t *name)
{
    return ::RegGetValueW(HKEY_CURRENT_USER, (kVeltrac + key).c_str(), name, RRF_RT_ANY, nullptr,
                          nullptr, nullptr) == ERROR_SUCCESS;
}

class JotwellSettings : public ::testing::Test
{
  protected:
    void SetUp() override { TearDown(); }
    void TearDown() override
    {
        DeleteTree(HKEY_CURRENT_USER, kVeltrac + kBase);
        DeleteTree(HKEY_CURRENT_USER, kVeltrac + kAlt);
    }

    static CJotwellDef Def(const wchar_t *alt = L"")
    {
        CJotwellDef def;
        def.keyName = kBase;
        def.keyNameAlt = alt;
        def.logName = L"  Base.log ";
        return def;
    }
};
} // namespace

TEST_F(JotwellSettings, ReadsBaseValuesAndTheHostsDefaultName)
{
    SetDword(kBase, L"LogLevel", 0x12345003);
    SetText(kBase, L"LogFile", L"  D:\\Logs\\x.log  ");
    CJotwellDefArray defs = {Def(), Def()};
    defs[1].keyName = L"JotwellTestMissing";
    defs[1].title = L"Second";
    ReadDefinitions(defs, L"All");
    EXPECT_EQ(defs[0].logLevel, 0x5003) << "the low 16 bits";
    EXPECT_EQ(defs[0].logName, L"D:\\Logs\\x.log");
    EXPECT_EQ(defs[0].defaultName, L"Base.log");
    EXPECT_EQ(defs[0].title, L"All");
    EXPECT_EQ(defs[1].logLevel, 0);
    EXPECT_EQ(defs[1].logName, L"");
    EXPECT_EQ(defs[1].title, L"Second");
}

TEST_F(JotwellSettings, AlternativeValuesOverrideOnlyWhatTheyHold)
{
    SetDword(kBase, L"LogLevel", 2);
    SetText(kBase, L"LogFile", L"base.log");
    SetDword(kAlt, L"LogLevel", 4);
    CJotwellDefArray defs = {Def(kAlt)};
    ReadDefinitions(defs, L"All");
    EXPECT_EQ(defs[0].logLevel, 4);
    EXPECT_EQ(defs[0].logName, L"base.log");
    SetText(kAlt, L"LogFile", L" alt.log");
    defs = {Def(kAlt)};
    ReadDefinitions(defs, L"All");
    EXPECT_EQ(defs[0].logName, L"alt.log");
}

TEST_F(JotwellSettings, WritingLevelAndNameOrDeletingTheName)
{
    CJotwellDef def = Def();
    def.logLevel = 0x3104;
    def.logName = L"D:\\Logs\\x.log";
    WriteDefinition(def);
    EXPECT_EQ(RegDword(HKEY_CURRENT_USER, kVeltrac + kBase, L"LogLevel"), 0x3104u);
    EXPECT_EQ(RegText(HKEY_CURRENT_USER, kVeltrac + kBase, L"LogFile"), L"D:\\Logs\\x.log");

    def.logLevel = 0;
    def.logName.clear();
    WriteDefinition(def);
    EXPECT_EQ(RegDword(HKEY_CURRENT_USER, kVeltrac + kBase, L"LogLevel"), 0u);
    EXPECT_FALSE(HasValue(kBase, L"LogFile"));
}

TEST_F(JotwellSettings, AlternativeEqualToTheBaseIsNotCreated)
{
    SetDword(kBase, L"LogLevel", 3);
    SetText(kBase, L"LogFile", L"base.log");
    CJotwellDef def = Def(kAlt);
    def.logLevel = 3;
    def.logName = L"base.log";
    WriteDefinition(def);
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kVeltrac + kAlt));

    // Equal to a base without "LogFile": the empty name.
    ::RegDeleteKeyValueW(HKEY_CURRENT_USER, (kVeltrac + kBase).c_str(), L"LogFile");
    def.logName.clear();
    WriteDefinition(def);
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kVeltrac + kAlt));
    EXPECT_EQ(RegDword(HKEY_CURRENT_USER, kVeltrac + kBase, L"LogLevel"), 3u);
}

TEST_F(JotwellSettings, AlternativeHoldsOnlyTheDifferencesAndTheBaseStays)
{
    SetDword(kBase, L"LogLevel", 3);
    SetText(kBase, L"LogFile", L"base.log");
    SetDword(kAlt, L"LogLevel", 1);
    SetText(kAlt, L"LogFile", L"old.log");
    CJotwellDef def = Def(kAlt);
    def.logLevel = 3;              // back to the base's level
    def.logName = L"Base.log";     // differs in case: kept as its own value
    WriteDefinition(def);
    EXPECT_FALSE(HasValue(kAlt, L"LogLevel"));
    EXPECT_EQ(RegText(HKEY_CURRENT_USER, kVeltrac + kAlt, L"LogFile"), L"Base.log");

    def.logLevel = 4;
    def.logName = L"base.log";
    WriteDefinition(def);
    EXPECT_EQ(RegDword(HKEY_CURRENT_USER, kVeltrac + kAlt, L"LogLevel"), 4u);
    EXPECT_FALSE(HasValue(kAlt, L"LogFile"));
    EXPECT_EQ(RegDword(HKEY_CURRENT_USER, kVeltrac + kBase, L"LogLevel"), 3u);
    EXPECT_EQ(RegText(HKEY_CURRENT_USER, kVeltrac + kBase, L"LogFile"), L"base.log");

    // No base at all: the alternative key gets everything that is set.
    TearDown();
    def.logLevel = 2;
    def.logName = L"";
    WriteDefinition(def);
    EXPECT_EQ(RegDword(HKEY_CURRENT_USER, kVeltrac + kAlt, L"LogLevel"), 2u);
    EXPECT_FALSE(HasValue(kAlt, L"LogFile"));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kVeltrac + kBase));
}

TEST_F(JotwellSettings, KeysThatCannotBeCreatedAreSkipped)
{
    // A key name longer than the registry allows cannot be created.
    CJotwellDef bad = Def();
    bad.keyName = std::wstring(300, L'k');
    bad.logLevel = 4;
    CJotwellDef nameless = Def();
    nameless.keyName.clear();
    nameless.logLevel = 4;
    CJotwellDef good = Def();
    good.logLevel = 2;
    WriteDefinitions({bad, nameless, good});
    EXPECT_EQ(RegDword(HKEY_CURRENT_USER, kVeltrac + kBase, L"LogLevel"), 2u);
    EXPECT_EQ(RegDword(HKEY_CURRENT_USER, L"Software\\Veltrac", L"LogLevel"), 0xDEADu)
        << "nothing written into Software\\Veltrac itself";
}

TEST_F(JotwellSettings, DesktopFoldersExpandEnvironmentReferences)
{
    const wchar_t shellFolders[] =
        L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
    const std::wstring text = L"%SystemRoot%\\Desk";
    ASSERT_EQ(::RegSetKeyValueW(HKEY_CURRENT_USER, shellFolders, L"JotwellTestFolder",
                                REG_EXPAND_SZ, text.c_str(),
                                static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
    wchar_t windows[MAX_PATH] = L"";
    ::GetEnvironmentVariableW(L"SystemRoot", windows, MAX_PATH);
    EXPECT_EQ(ReadDesktopFolder(HKEY_CURRENT_USER, L"JotwellTestFolder"),
              std::wstring(windows) + L"\\Desk");
    ::RegDeleteKeyValueW(HKEY_CURRENT_USER, shellFolders, L"JotwellTestFolder");
    EXPECT_EQ(ReadDesktopFolder(HKEY_CURRENT_USER, L"JotwellTestFolder"), L"");
    EXPECT_FALSE(ReadDesktopFolder(HKEY_CURRENT_USER, L"Desktop").empty());
}
