// The formatting helpers follow the Microsoft printf conventions.
#include "WinFormat.h"
#include "FxException.h"

#include <gtest/gtest.h>

TEST(Format, MicrosoftConventions)
{
    EXPECT_EQ(fx::Format(L"%s|%hs|%I64d|%8.8lX|%4.10f", L"wide", "narrow", (long long)1 << 40,
                         0xBEEFul, 0.5),
              L"wide|narrow|1099511627776|0000BEEF|0.5000000000");
    EXPECT_EQ(fx::Format("%s|%ls", "narrow", L"wide"), "narrow|wide");
}

TEST(Format, LongResultGrows)
{
    std::wstring big(5000, L'x');
    EXPECT_EQ(fx::Format(L"[%s]", big.c_str()).size(), 5002u);
}

TEST(Exception, OleExceptionCarriesSystemText)
{
    fx::COleException e(E_ACCESSDENIED);
    EXPECT_STREQ(e.GetRuntimeClassName(), "COleException");
    EXPECT_FALSE(e.MessageText().empty());
}
