// Folder display names asked of the parent folder give what the shell gives
// for the whole path, for folders side by side, under different parents, at
// the root of a disk and in another letter case; folders that are not there
// have none. The shell-folder cache gathers them on its own thread.
#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>

#include "ShellFolderCache.h"
#include "ShellFolderNames.h"
#include "TestFiles.h"
#include "Trace.h"

// The trace profile of the path display tests' executable.
TraceProfile g_traceProfile = {L"Software\\Veltrac\\FerrovanePathsTest", L"FerrovanePathsTest.log",
                               false, false};

namespace
{
struct Apartment
{
    Apartment() { ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    ~Apartment() { ::CoUninitialize(); }
};

std::wstring Upper(std::wstring text)
{
    ::CharUpperBuffW(&text[0], static_cast<DWORD>(text.size()));
    return text;
}
} // namespace

TEST(ShellFolderNames, SameNamesAsTheShellGivesForWholePaths)
{
    Apartment apartment;
    CTempTree tree;
    tree.Add(
        {L"one\\", L"two\\", L"Three Words\\", L"one\\inner\\", L"two\\inner\\", L"dotted.name\\"});
    wchar_t windows[MAX_PATH] = {};
    ::GetWindowsDirectoryW(windows, MAX_PATH);
    const std::wstring folders[] = {
        tree.Path(L"one"),         tree.Path(L"two"),        tree.Path(L"Three Words"),
        tree.Path(L"one\\inner"),  tree.Path(L"two\\inner"), Upper(tree.Path(L"one")),
        tree.Path(L"dotted.name"), tree.Path(L"one\\inner"), windows};
    ShellFolderNames names;
    for (const std::wstring &folder : folders)
    {
        std::wstring expected, name;
        ASSERT_TRUE(WholePathDisplayName(folder, expected)) << Narrow(folder);
        ASSERT_TRUE(names.Lookup(folder, name)) << Narrow(folder);
        EXPECT_EQ(name, expected) << Narrow(folder);
    }
    std::wstring name = L"unchanged";
    EXPECT_FALSE(names.Lookup(tree.Path(L"missing"), name));
    EXPECT_FALSE(names.Lookup(tree.Path(L"missing\\deeper"), name));
    EXPECT_EQ(name, L"unchanged");
    // A known parent after a missing one is bound again.
    ASSERT_TRUE(names.Lookup(tree.Path(L"two"), name));
    EXPECT_EQ(name, L"two");
}

TEST(ShellFolderCache, GathersTheNamesOfManyFoldersInTheBackground)
{
    CTempTree tree;
    std::vector<std::wstring> folders;
    for (int i = 0; i < 60; ++i)
    {
        const std::wstring name = L"folder" + std::to_wstring(i);
        tree.Add({name + L"\\"});
        folders.push_back(tree.Path(name));
    }
    shellfolders::SetGatherSeams(nullptr, nullptr);
    for (const std::wstring &folder : folders)
        shellfolders::RegisterFolder(folder + L"\\");
    shellfolders::RegisterFolder(tree.Path(L"absent"));
    ASSERT_TRUE(shellfolders::WaitComplete(30000));
    for (size_t i = 0; i < folders.size(); ++i)
    {
        std::wstring name;
        ASSERT_TRUE(shellfolders::LookupDisplayName(folders[i], name)) << i;
        EXPECT_EQ(name, L"folder" + std::to_wstring(i));
    }
    std::wstring name;
    EXPECT_FALSE(shellfolders::LookupDisplayName(tree.Path(L"absent"), name));
}
