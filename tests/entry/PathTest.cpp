// Command file name normalisation: extension, absolute path, disk case.
#include "TaskelPath.h"

#include <gtest/gtest.h>

#include <windows.h>

#include "TestFiles.h"

namespace
{

std::wstring CurrentDirectory()
{
    wchar_t dir[MAX_PATH];
    DWORD n = ::GetCurrentDirectoryW(MAX_PATH, dir);
    std::wstring s(dir, n);
    if (!s.empty() && s.back() != L'\\') s += L'\\';
    return s;
}

// A scratch folder in the test folder, removed at the end.
class PathNormalization : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        m_root = ApplyDiskCase(FreshFolder(L"SpineCase"));
        ASSERT_TRUE(::CreateDirectoryW((m_root + L"MixedDir").c_str(), nullptr));
        HANDLE h = ::CreateFileW((m_root + L"MixedDir\\Report.Taskel").c_str(), GENERIC_WRITE, 0,
                                 nullptr, CREATE_NEW, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, h);
        ::CloseHandle(h);
    }
    void TearDown() override { RemoveTree(m_root); }
    std::wstring m_root;
};

} // namespace

TEST(PathNormalizationRules, ExtensionRules)
{
    const std::wstring cwd = CurrentDirectory();
    EXPECT_EQ(cwd + L"a.Taskel", NormalizeCommandPath(L"a", true, false));
    EXPECT_EQ(cwd + L"A.Taskel", NormalizeCommandPath(L"A.TASKEL", true, false));
    EXPECT_EQ(cwd + L"a.txt", NormalizeCommandPath(L"a.txt", true, false));
    EXPECT_EQ(cwd + L"a.txt.Taskel", NormalizeCommandPath(L"a.txt", true, true));
    EXPECT_EQ(cwd + L"a", NormalizeCommandPath(L"a", false, false));
    EXPECT_EQ(cwd + L"a.Taskel", NormalizeCommandPath(L"\"a\"", true, true));
}

TEST(PathNormalizationRules, EmptyAndRootsGiveNothing)
{
    EXPECT_EQ(L"", NormalizeCommandPath(L"", true, true));
    EXPECT_EQ(L"", NormalizeCommandPath(L"\"\"", true, true));
    EXPECT_EQ(L"", NormalizeCommandPath(L"C:\\", true, true));
    EXPECT_EQ(L"", NormalizeCommandPath(L"C:", true, false));
}

TEST(PathNormalizationRules, ExtensionOfAFolderPartDoesNotCount)
{
    EXPECT_EQ(L"C:\\No.Such\\job.Taskel", NormalizeCommandPath(L"C:\\No.Such\\job", true, false));
}

TEST_F(PathNormalization, ExistingComponentsTakeTheirDiskCase)
{
    std::wstring lower = m_root + L"mixeddir\\report.taskel";
    EXPECT_EQ(m_root + L"MixedDir\\Report.Taskel", NormalizeCommandPath(lower, true, false));
    // A missing file keeps its own case below an existing folder.
    EXPECT_EQ(m_root + L"MixedDir\\newOne.Taskel",
              NormalizeCommandPath(m_root + L"MIXEDDIR\\newOne", true, true));
    // A folder's trailing backslash remains.
    EXPECT_EQ(m_root + L"MixedDir\\", NormalizeCommandPath(m_root + L"mixedDIR\\", false, false));
}

TEST_F(PathNormalization, RelativeNamesResolveAgainstTheCurrentDirectoryOnly)
{
    // A command file of the same name beside the program must not be picked
    // up instead of the one in the current directory.
    wchar_t exe[MAX_PATH];
    DWORD n = ::GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring exeDir(exe, n);
    exeDir.resize(exeDir.find_last_of(L'\\') + 1);
    std::wstring decoy = exeDir + L"spine-decoy.Taskel";
    HANDLE h = ::CreateFileW(decoy.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    ::CloseHandle(h);

    wchar_t saved[MAX_PATH];
    ::GetCurrentDirectoryW(MAX_PATH, saved);
    ASSERT_TRUE(::SetCurrentDirectoryW((m_root + L"MixedDir").c_str()));
    std::wstring normalized = NormalizeCommandPath(L"spine-decoy", true, false);
    ::SetCurrentDirectoryW(saved);
    ::DeleteFileW(decoy.c_str());
    EXPECT_EQ(m_root + L"MixedDir\\spine-decoy.Taskel", normalized);
}

TEST(PathNormalizationRules, LongRelativePathIsQualifiedWhole)
{
    std::wstring longName = std::wstring(300, L'n');
    std::wstring normalized = NormalizeCommandPath(L"sub\\" + longName, true, false);
    EXPECT_EQ(CurrentDirectory() + L"sub\\" + longName + L".Taskel", normalized);
}
