// A command file that cannot be loaded, as the log and the user see it: the
// run flow and the edit flow trace the failure as a framework exception at
// their fixed places and show its text.
#include <gtest/gtest.h>

#include "FlowTestSupport.h"
#include "FxException.h"
#include "TaskelFlows.h"
#include "TaskelMessage.h"
#include "TaskelOptions.h"
#include "TestTrace.h"

namespace
{
std::vector<std::wstring> g_texts;

int CaptureText(HWND, UINT, const std::wstring &text, UINT)
{
    g_texts.push_back(text);
    return IDOK;
}

class FlowSites : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        SetMessageSink(CaptureText);
        SetTaskelResourceModule(::GetModuleHandleW(nullptr));
        g_texts.clear();
        command = FreshFolder(CurrentTestName()) + L"foreign.Taskel";
        // A command file whose prefix is missing: a plain compound file.
        ASSERT_EQ(WriteCommandFile(command, {EDIT_ACTION_COPY, OPT_NOCONFIRMATION, {L"a"}, L"b"}),
                  S_OK);
        std::vector<BYTE> bytes = ReadBytes(command);
        WriteBytes(command, std::vector<BYTE>(bytes.begin() + 16, bytes.end()));
    }
    void TearDown() override { SetMessageSink(nullptr); }

    // The exception line of the foreign file's failure at `line`.
    static std::wstring ForeignFileLine(int line)
    {
        return L"Exception [COleException] [" + Text() + L"] at Taskel\\TaskelClass " +
               std::to_wstring(line);
    }
    static std::wstring Text()
    {
        return fx::COleException(static_cast<HRESULT>(0x800401F2)).MessageText();
    }

    std::wstring command;
};
} // namespace

TEST_F(FlowSites, RunFlowReportsAnUnloadableFileAt685)
{
    CTraceLines trace(2);
    RunCommandFlow(nullptr, command, {});
    EXPECT_TRUE(trace.Has(ForeignFileLine(685))) << ::testing::PrintToString(trace.Lines());
    EXPECT_EQ(g_texts, std::vector<std::wstring>{Text()});
}

TEST_F(FlowSites, EditFlowReportsAnUnloadableFileAt613)
{
    CTraceLines trace(2);
    EditCommandFlow(nullptr, command, {});
    EXPECT_TRUE(trace.Has(ForeignFileLine(613))) << ::testing::PrintToString(trace.Lines());
    EXPECT_EQ(g_texts, std::vector<std::wstring>{Text()});
}
