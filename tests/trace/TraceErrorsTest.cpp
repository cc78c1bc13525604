// LogWinErr, LogComErr, the location context and the exception lines.
#define TRACE_SOURCE "Taskel\\TraceErrorsTest"
#include "TraceTestSupport.h"

#include "ComPtr.h"
#include "FxException.h"
#include "WinFormat.h"

#include <oleauto.h>

using namespace tracetest;

namespace
{
class TraceErrors : public TraceFixture
{
  protected:
    void SetUp() override
    {
        TraceFixture::SetUp();
        Start(0x4004);
        SetTraceLocation(nullptr, 0);
    }
    std::string Last() const
    {
        std::vector<std::string> body = BodyLines();
        return body.empty() ? std::string() : body.back();
    }
    size_t Count() const { return BodyLines().size(); }
};

DWORD WINAPI TraceFromNewThread(LPVOID)
{
    return LogWinErr(2, 5);
}

std::string SystemText(DWORD code)
{
    return fx::Narrow(fx::SystemMessage(code).c_str());
}
} // namespace

TEST_F(TraceErrors, WinErrSuccessOnlyAtLevelZero)
{
    EXPECT_EQ(LogWinErr(2, 0, L"quiet"), 0u);
    EXPECT_EQ(Count(), 0u);
    EXPECT_EQ(LogWinErr(0, 0, L"done %d", 7), 0u);
    EXPECT_EQ(Last(), "Success => done 7");
}

TEST_F(TraceErrors, WinErrTexts)
{
    EXPECT_EQ(LogWinErr(2, 1), 1u);
    EXPECT_EQ(Last(), "Error [1 (00000001)] " + SystemText(1));

    SetTraceLocation("Z:\\build\\Taskel\\Page", 307);
    EXPECT_EQ(LogWinErr(2, 5, L"Save"), 5u);
    EXPECT_EQ(Last(), "Error [5 (00000005)] " + SystemText(5) + " => Save {307 in Page}");

    // A code without system text keeps just the head; percent signs in the
    // caller's text are not read as a format.
    SetTraceLocation("NoFolder", 3);
    LogWinErr(2, 0x2000FFFF, L"%hs", "100%s");
    EXPECT_EQ(Last(), "Error [536936447 (2000FFFF)] => 100%s {3 in NoFolder}");

    EXPECT_EQ(LogWinErr(9, 5, L"filtered"), 5u);
    EXPECT_EQ(Count(), 3u);
}

TEST_F(TraceErrors, ComErrSuccessAndWarning)
{
    EXPECT_EQ(LogComErr(2, S_FALSE), S_FALSE);
    EXPECT_EQ(LogComErr(2, S_OK), S_OK);
    EXPECT_EQ(Count(), 0u);
    LogComErr(0, S_OK, L"ok");
    EXPECT_EQ(Last(), "S_OK => ok");
    LogComErr(0, S_FALSE);
    EXPECT_EQ(Last(), "S_FALSE");
    LogComErr(0, 0x00040005);
    EXPECT_EQ(Last().substr(0, 21), "Warning [00040005 (5)");
}

TEST_F(TraceErrors, ComErrWithoutErrorInfoUsesSystemText)
{
    SetErrorInfo(0, nullptr);
    EXPECT_EQ(LogComErr(2, E_ACCESSDENIED, L"Open"), E_ACCESSDENIED);
    EXPECT_EQ(Last(), "Error [80070005 (5)] " + SystemText(E_ACCESSDENIED) + " => Open");
    LogComErr(2, static_cast<HRESULT>(0x8000FFFF));
    EXPECT_EQ(Last().substr(0, 21), "Error [8000FFFF (-1)]");
}

TEST_F(TraceErrors, ComErrPrefersErrorInfoAndPutsItBack)
{
    fx::ComPtr<ICreateErrorInfo> create;
    ASSERT_EQ(CreateErrorInfo(create.put()), S_OK);
    create->SetDescription(const_cast<LPOLESTR>(L"Disk gone"));
    create->SetSource(const_cast<LPOLESTR>(L"Taskel.Command"));
    fx::ComPtr<IErrorInfo> info;
    ASSERT_EQ(create.query(IID_IErrorInfo, info), S_OK);
    SetErrorInfo(0, info.get());

    TRACE_HERE();
    int line = __LINE__;
    EXPECT_EQ(LogComErr(2, E_ACCESSDENIED, L"Run"), E_ACCESSDENIED);
    EXPECT_EQ(Last(),
              fx::Format("Error [80070005 (5)] => Run Info: Disk gone from: Taskel.Command {%d in "
                         "TraceErrorsTest}",
                         line - 1));

    fx::ComPtr<IErrorInfo> after;
    EXPECT_EQ(GetErrorInfo(0, after.put()), S_OK);
    EXPECT_EQ(after.get(), info.get());
}

TEST_F(TraceErrors, MacrosTraceTheCallSite)
{
    auto failing = []() -> HRESULT {
        RETURN_IF_FAILED(2, E_OUTOFMEMORY);
        return S_OK;
    };
    EXPECT_EQ(failing(), E_OUTOFMEMORY);
    EXPECT_NE(Last().find("Error [8007000E (14)]"), std::string::npos) << Last();
    EXPECT_NE(Last().find(" in TraceErrorsTest}"), std::string::npos) << Last();
}

TEST_F(TraceErrors, LocationBelongsToTheThread)
{
    SetTraceLocation("Taskel\\Main", 10);
    HANDLE thread = CreateThread(nullptr, 0, TraceFromNewThread, nullptr, 0, nullptr);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    EXPECT_EQ(Last(), "Error [5 (00000005)] " + SystemText(5));
}

TEST_F(TraceErrors, ExceptionLines)
{
    TraceException(4, fx::CInvalidArgException(L"Bad name\r\n"), "Taskel\\TaskelClass", 700);
    EXPECT_EQ(Last(), "Exception [CInvalidArgException] [Bad name] at Taskel\\TaskelClass 700");

    int line = 0;
    try
    {
        line = __LINE__ + 1;
        throw 42;
    }
    TRACE_CATCH_ALL(4)
    EXPECT_EQ(Last(), fx::Format("*** Exception *** at Taskel\\TraceErrorsTest %d", line + 2));

    TraceException(5, fx::CMemoryException(), "x", 1); // above the configured level
    EXPECT_EQ(Count(), 2u);
}
