// The verb command lines, and the command class registered from this test
// program as a Windows 5.x system would see it (no admin verbs).
#include <gtest/gtest.h>

#include <olectl.h>
#include <shlwapi.h>

#include "ClassObjects.h"
#include "RegKey.h"
#include "ShellTestSupport.h"
#include "TaskelRegister.h"

namespace
{

TEST(VerbLines, LauncherPathQuotedOnlyWithSpaces)
{
    TaskelVerbLines plain = BuildVerbLines(L"C:\\Tools\\", false);
    EXPECT_EQ(plain.run, L"C:\\Tools\\ZELK.EXE /run \"%1\"");
    EXPECT_EQ(plain.runQuiet, L"C:\\Tools\\ZELK.EXE /run /ne+ \"%1\"");
    EXPECT_EQ(plain.edit, L"C:\\Tools\\ZELK.EXE /edit \"%1\"");
    EXPECT_EQ(plain.create, L"C:\\Tools\\ZELK.EXE /new \"%1\"");
    EXPECT_EQ(plain.preview, L"C:\\Tools\\ZELK.EXE /preview \"%1\"");

    TaskelVerbLines spaced = BuildVerbLines(L"C:\\Program Files\\Ferrovane", false);
    EXPECT_EQ(spaced.run, L"\"C:\\Program Files\\Ferrovane\\ZELK.EXE\" /run \"%1\"");
    TaskelVerbLines admin = BuildVerbLines(L"C:\\Program Files\\Ferrovane", true);
    EXPECT_EQ(admin.run, L"\"C:\\Program Files\\Ferrovane\\ZELKadmin.EXE\" /run \"%1\"");
    EXPECT_EQ(admin.runQuiet, L"\"C:\\Program Files\\Ferrovane\\ZELKadmin.EXE\" /run /ne+ \"%1\"");
    EXPECT_EQ(admin.edit, L"\"C:\\Program Files\\Ferrovane\\ZELKadmin.EXE\" /edit \"%1\"");
}

bool NotWindows6()
{
    return false;
}

TEST(Registration, Windows5HasNoAdminVerbsAndNoAdminLauncherEntry)
{
    SetTaskelWindows6Seam(NotWindows6);
    std::wstring program = fx::ModuleLongPath();
    std::wstring programName = ::PathFindFileNameW(program.c_str());
    std::wstring dir = program.substr(0, program.size() - programName.size());

    InstallTaskelClassTable();
    ASSERT_EQ(fx::UpdateAllRegistries(true), S_OK);
    EXPECT_EQ(RegText(HKEY_CLASSES_ROOT, L"Veltrac.Taskel\\shell\\Open\\Command"),
              BuildVerbLines(dir, false).run);
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, L"Veltrac.Taskel\\shell\\OpenQuiet\\Command"));
    for (const wchar_t *verb : {L"AdminOpen", L"OpenQuietAdmin", L"EditAdmin"})
        EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, std::wstring(L"Veltrac.Taskel\\shell\\") + verb))
            << verb;
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, L"Applications\\ZELK.EXE"));
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, L"Applications\\" + programName));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, L"Applications\\ZELKadmin.EXE"));

    ASSERT_EQ(fx::UpdateAllRegistries(false), S_OK);
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, L"Veltrac.Taskel"));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, L".Taskel"));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, L"Applications\\" + programName));
    SetTaskelWindows6Seam(nullptr);
}

// A user may hold copies of class keys of their own (HKCU\Software\Classes),
// which the merged HKEY_CLASSES_ROOT prefers for writing. Registration is
// the machine's: it writes and removes the machine's keys and leaves the
// user's copies as they were.
TEST(Registration, WritesTheMachineClassesWhereTheUserHasCopies)
{
    const std::wstring userApplication = L"Software\\Classes\\Applications\\ZELK.EXE";
    const std::wstring userClass =
        L"Software\\Classes\\CLSID\\{A0E43D26-522B-40AA-B01F-E3FC037A0F52}\\InProcServer32";
    const std::wstring machineApplication = L"SOFTWARE\\Classes\\Applications\\ZELK.EXE";
    const std::wstring machineClass =
        L"SOFTWARE\\Classes\\CLSID\\{A0E43D26-522B-40AA-B01F-E3FC037A0F52}\\InProcServer32";
    for (const std::wstring &key : {userApplication, userClass})
    {
        fx::CRegKey copy(HKEY_CURRENT_USER, key.c_str(), false, true);
        ASSERT_TRUE(copy.IsOpen()) << key;
        fx::CRegString(copy.Handle(), L"UserOwn", true).Write(L"kept");
    }

    InstallTaskelClassTable();
    ASSERT_EQ(fx::UpdateAllRegistries(true), S_OK);
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, machineApplication));
    EXPECT_FALSE(RegText(HKEY_LOCAL_MACHINE, machineClass).empty());

    ASSERT_EQ(fx::UpdateAllRegistries(false), S_OK);
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, machineApplication));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, machineClass));
    for (const std::wstring &key : {userApplication, userClass})
    {
        fx::CRegKey copy(HKEY_CURRENT_USER, key.c_str());
        EXPECT_EQ(fx::CRegString(copy.Handle(), L"UserOwn").Text(), L"kept") << key;
        fx::unique_hkey values;
        ASSERT_EQ(::RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, values.put()),
                  ERROR_SUCCESS)
            << key;
        EXPECT_NE(
            ::RegQueryValueExW(values.get(), L"NoOpenWith", nullptr, nullptr, nullptr, nullptr),
            ERROR_SUCCESS)
            << key;
    }
    ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Classes\\Applications\\ZELK.EXE");
    ::RegDeleteTreeW(HKEY_CURRENT_USER,
                     L"Software\\Classes\\CLSID\\{A0E43D26-522B-40AA-B01F-E3FC037A0F52}");
}

} // namespace
