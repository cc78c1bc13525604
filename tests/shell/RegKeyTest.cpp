// The registry access objects against a scratch key in HKCU: open rules and
// error codes, DeleteTree, and the load, bind and write rules of the values.
#include <gtest/gtest.h>

#include "RegKey.h"
#include "ShellTestSupport.h"

#include <vector>

namespace
{

const wchar_t kScratch[] = L"Software\\Veltrac\\ShellTests";

class RegKeyTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        DeleteTree(HKEY_CURRENT_USER, kScratch);
        ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, kScratch, 0, nullptr, 0, KEY_ALL_ACCESS,
                                    nullptr, &m_key, nullptr),
                  ERROR_SUCCESS);
    }
    void TearDown() override
    {
        ::RegCloseKey(m_key);
        DeleteTree(HKEY_CURRENT_USER, kScratch);
    }
    void SetRaw(const wchar_t *name, DWORD type, const void *data, DWORD size)
    {
        ::RegSetValueExW(m_key, name, 0, type, static_cast<const BYTE *>(data), size);
    }
    DWORD RawSize(const wchar_t *name)
    {
        DWORD size = 0;
        ::RegQueryValueExW(m_key, name, nullptr, nullptr, nullptr, &size);
        return size;
    }
    HKEY m_key = nullptr;
};

TEST_F(RegKeyTest, OpenRulesAndErrorCodes)
{
    fx::CRegKey key;
    EXPECT_EQ(key.Open(nullptr, L"x", false, true), ERROR_INVALID_PARAMETER);
    EXPECT_FALSE(key.IsOpen());

    // Without the create flag a missing key stays missing.
    EXPECT_EQ(key.Open(m_key, L"Missing", false, false), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(KeyExists(m_key, L"Missing"));
    EXPECT_EQ(key.Open(m_key, L"Made\\Deep", false, true), ERROR_SUCCESS);
    EXPECT_TRUE(KeyExists(m_key, L"Made\\Deep"));

    // A read-only key refuses writes; its children inherit the flag.
    fx::CRegKey readOnly(m_key, L"Made");
    ASSERT_TRUE(readOnly.IsOpen());
    EXPECT_EQ(fx::CRegString(readOnly.Handle(), L"v", true).Write(L"x"), ERROR_ACCESS_DENIED);
    fx::CRegKey child(readOnly, L"Deep");
    ASSERT_TRUE(child.IsOpen());
    EXPECT_TRUE(child.IsReadOnly());

    // A key without handle: writes fail without effect.
    fx::CRegKey none(m_key, L"Absent", false, false);
    EXPECT_EQ(fx::CRegString(none.Handle(), L"v", true).Write(L"x"), ERROR_INVALID_HANDLE);
    EXPECT_EQ(fx::CRegDWord(none.Handle(), L"d", true).Write(1), ERROR_INVALID_HANDLE);
}

TEST_F(RegKeyTest, DeleteTreeRemovesTheWholeKeyOnlyWhenAllowed)
{
    fx::CRegKey(m_key, L"Tree\\A\\B", false, true);
    fx::CRegKey a(m_key, L"Tree\\A", false, true);
    fx::CRegString(a.Handle(), L"v", true).Write(L"x");

    fx::CRegKey none;
    EXPECT_EQ(none.DeleteTree(), ERROR_INVALID_HANDLE);
    fx::CRegKey readOnly(m_key, L"Tree");
    EXPECT_EQ(readOnly.DeleteTree(), ERROR_ACCESS_DENIED);
    fx::CRegKey unnamed(m_key, L"", false, true);
    ASSERT_TRUE(unnamed.IsOpen());
    EXPECT_EQ(unnamed.DeleteTree(), ERROR_ACCESS_DENIED);
    EXPECT_TRUE(KeyExists(m_key, L"Tree\\A\\B"));

    fx::CRegKey tree(m_key, L"Tree", false, false);
    EXPECT_EQ(tree.DeleteTree(), ERROR_SUCCESS);
    EXPECT_FALSE(tree.IsOpen());
    EXPECT_FALSE(KeyExists(m_key, L"Tree"));
    // Absent now: nothing to do.
    EXPECT_EQ(fx::CRegKey(m_key, L"Tree", false, false).DeleteTree(), ERROR_INVALID_HANDLE);
}

TEST_F(RegKeyTest, StringLoadsBindsAndWritesWithoutTerminator)
{
    const wchar_t expand[] = L"%SystemRoot%\\x";
    SetRaw(L"exp", REG_EXPAND_SZ, expand, sizeof(expand));
    DWORD number = 7;
    SetRaw(L"num", REG_DWORD, &number, sizeof(number));

    fx::CRegString loaded(m_key, L"exp");
    EXPECT_TRUE(loaded.IsBound());
    EXPECT_EQ(loaded.Type(), static_cast<DWORD>(REG_EXPAND_SZ));
    EXPECT_EQ(loaded.Text(), expand);
    loaded.Expand();
    EXPECT_EQ(loaded.Text().find(L'%'), std::wstring::npos);

    // A value of another type counts as absent.
    fx::CRegString wrongType(m_key, L"num", false, L"d");
    EXPECT_FALSE(wrongType.IsBound());
    EXPECT_EQ(wrongType.Text(), L"");
    fx::CRegString fresh(m_key, L"new", true, L"default");
    EXPECT_TRUE(fresh.IsBound());
    EXPECT_EQ(fresh.Type(), static_cast<DWORD>(REG_SZ));
    ASSERT_EQ(fresh.Write(), ERROR_SUCCESS);
    // Seven characters and their terminating zero.
    EXPECT_EQ(RawSize(L"new"), 16u);
    std::vector<wchar_t> raw(8, L'x');
    DWORD rawBytes = 16;
    ASSERT_EQ(::RegQueryValueExW(m_key, L"new", nullptr, nullptr,
                                 reinterpret_cast<BYTE *>(raw.data()), &rawBytes),
              ERROR_SUCCESS);
    EXPECT_EQ(raw[7], L'\0');
    EXPECT_EQ(RegText(m_key, L"", L"new"), L"default");

    // Write without a text keeps what an earlier writer stored.
    ASSERT_EQ(fx::CRegString(m_key, L"new", true, L"other").Write(), ERROR_SUCCESS);
    EXPECT_EQ(RegText(m_key, L"", L"new"), L"default");

    fx::CRegString unbound(m_key, L"missing");
    EXPECT_FALSE(unbound.IsBound());
    EXPECT_EQ(unbound.Write(L"x"), ERROR_INVALID_HANDLE);
    EXPECT_EQ(unbound.Delete(), ERROR_INVALID_HANDLE);
    EXPECT_EQ(fx::CRegString(m_key, L"new").Delete(), ERROR_SUCCESS);
    EXPECT_EQ(RawSize(L"new"), 0u);
}

TEST_F(RegKeyTest, DWordLoadsDwordAndFourByteBinaryOnly)
{
    DWORD four = 0x01020304;
    SetRaw(L"bin4", REG_BINARY, &four, 4);
    SetRaw(L"bin3", REG_BINARY, &four, 3);

    fx::CRegDWord binary(m_key, L"bin4");
    EXPECT_TRUE(binary.IsBound());
    EXPECT_EQ(binary.Value(), four);
    EXPECT_EQ(binary.Type(), static_cast<DWORD>(REG_BINARY));
    fx::CRegDWord shortBinary(m_key, L"bin3", false, 9);
    EXPECT_FALSE(shortBinary.IsBound());
    EXPECT_EQ(shortBinary.Value(), 0u);

    fx::CRegDWord enabled(m_key, L"Enabled", true, 1);
    ASSERT_EQ(enabled.Write(), ERROR_SUCCESS);
    EXPECT_EQ(RegDword(m_key, L"", L"Enabled"), 1u);
    // An existing value is rewritten unchanged.
    ::RegSetValueExW(m_key, L"Enabled", 0, REG_DWORD, reinterpret_cast<const BYTE *>(&four), 4);
    ASSERT_EQ(fx::CRegDWord(m_key, L"Enabled", true, 1).Write(), ERROR_SUCCESS);
    EXPECT_EQ(RegDword(m_key, L"", L"Enabled"), four);
}

} // namespace
