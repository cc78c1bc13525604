// Command files from the Internet in the run flow: the question's text, the
// switches that leave no one to ask, and runs of files that carry a real
// "Zone.Identifier" stream (Wine keeps one beside the file), with the
// recording runner and the message sink in place of the file operation
// and the box.
#include <gtest/gtest.h>

#include "FlowTestSupport.h"
#include "ForeignRun.h"
#include "TaskelClass.h"
#include "TaskelFlows.h"
#include "TaskelMessage.h"
#include "TaskelOptions.h"
#include "resource.h"

namespace
{

// Each text as its number in brackets, with "%1" kept, so the test sees
// which text went where.
std::wstring NumberedText(UINT id)
{
    if (id == IDS_INFOTIP_TO) return L"\r\nto ";
    if (id == IDS_INFOTIP_COPY) return L"Copy: ";
    if (id == IDS_INFOTIP_DELETE) return L"Delete: ";
    return L"[" + std::to_wstring(id) + L" %1]";
}

FileOrigin Origin(DWORD zone, const std::wstring &referrer = L"", const std::wstring &host = L"")
{
    FileOrigin origin;
    origin.zoneKnown = true;
    origin.zone = zone;
    origin.referrerUrl = referrer;
    origin.hostUrl = host;
    return origin;
}

} // namespace

TEST(ForeignRun, SilentAndQuietRunsHaveNoOneToAsk)
{
    EXPECT_TRUE(IsUnattendedRun({L"/s+"}));
    EXPECT_TRUE(IsUnattendedRun({L"/t+", L"/Q+"}));
    EXPECT_FALSE(IsUnattendedRun({}));
    EXPECT_FALSE(IsUnattendedRun({L"/s-", L"/q-", L"/Admin", L"/l"}));
}

TEST(ForeignRun, QuestionListsTheCommandAndWhereItCameFrom)
{
    std::vector<std::wstring> sources;
    for (int i = 1; i <= 12; ++i)
        sources.push_back(L"in\\" + std::to_wstring(i) + L".txt");
    sources[0] = L"evil\x202Etxt.exe";
    const std::wstring text = ForeignRunPrompt(
        L"C:\\dl\\job.Taskel", ACTION_COPY, sources, L"out",
        Origin(3, L"https://ref.example/", L"https://host.example/job.Taskel"), NumberedText);
    EXPECT_EQ(text, L"[3101 C:\\dl\\job.Taskel]"
                    L"\r\nCopy: evil<U+202E>txt.exe\r\nCopy: in\\2.txt\r\nCopy: in\\3.txt"
                    L"\r\nCopy: in\\4.txt\r\nCopy: in\\5.txt\r\nCopy: in\\6.txt"
                    L"\r\nCopy: in\\7.txt\r\nCopy: in\\8.txt\r\nCopy: in\\9.txt"
                    L"\r\nCopy: in\\10.txt\r\n[3102 2]\r\nto out"
                    L"\r\n\r\n[3106 [3103 %1]]\r\n[3107 https://ref.example/]"
                    L"\r\n\r\n[3108 %1]");

    // Delete has no target line; without a referrer the host shows; the
    // sources end at the first empty one.
    const std::wstring deletion =
        ForeignRunPrompt(L"a.Taskel", ACTION_DELETE, {L"x", L"", L"y"}, L"ignored",
                         Origin(4, L"", L"http://h/\r\nline"), NumberedText);
    EXPECT_EQ(deletion, L"[3101 a.Taskel]\r\nDelete: x\r\n\r\n[3106 [3104 %1]]"
                        L"\r\n[3107 http://h/<U+000D><U+000A>line]\r\n\r\n[3108 %1]");
    // Without a URL no "From" line; a zone past Restricted is named by its
    // number.
    const std::wstring other =
        ForeignRunPrompt(L"a.Taskel", ACTION_DELETE, {L"x"}, L"", Origin(7), NumberedText);
    EXPECT_EQ(other, L"[3101 a.Taskel]\r\nDelete: x\r\n\r\n[3106 [3105 7]]\r\n\r\n[3108 %1]");
}

namespace
{

int g_runs = 0;
bool CountRun(CTaskel &, const std::wstring &, HWND, RunOutcome *)
{
    ++g_runs;
    return true;
}

struct Shown
{
    UINT id;
    std::wstring text;
    UINT flags;
};
std::vector<Shown> g_shown;
int g_answer = IDNO;

int Answer(HWND, UINT id, const std::wstring &text, UINT flags)
{
    g_shown.push_back({id, text, flags});
    return g_answer;
}

class ForeignRunFlow : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        SetTaskelRunner({CountRun, CountRun, CountRun, CountRun});
        SetMessageSink(Answer);
        SetTaskelResourceModule(::GetModuleHandleW(nullptr));
        g_runs = 0;
        g_shown.clear();
        g_answer = IDNO;
        folder = FreshFolder(CurrentTestName());
        command = folder + L"job.Taskel";
        ASSERT_EQ(WriteCommandFile(command,
                                   {EDIT_ACTION_DELETE, OPT_NOCONFIRMATION, {L"victim.txt"}, L""}),
                  S_OK);
    }
    void TearDown() override { SetMessageSink(nullptr); }

    // The mark as a browser writes it, through the system's own call on
    // the stream's name.
    void Mark(const char *text)
    {
        HANDLE stream = ::CreateFileW((command + L":Zone.Identifier").c_str(), GENERIC_WRITE, 0,
                                      nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(stream, INVALID_HANDLE_VALUE);
        DWORD written = 0;
        ASSERT_TRUE(::WriteFile(stream, text, static_cast<DWORD>(strlen(text)), &written, nullptr));
        ::CloseHandle(stream);
    }

    std::wstring folder, command;
};

const UINT kQuestionFlags = MB_YESNO | MB_DEFBUTTON2 | MB_ICONWARNING | MB_SETFOREGROUND;

} // namespace

TEST_F(ForeignRunFlow, SilentOrQuietRunOfAForeignFileRunsNothingAndLogsWhy)
{
    Mark("[ZoneTransfer]\r\nZoneId=3\r\nHostUrl=https://host.example/job.Taskel\r\n");
    const std::wstring log = folder + L"run.log";
    RunCommandFlow(nullptr, command, {L"/s+", L"/l", L"/lf" + log});
    RunCommandFlow(nullptr, command, {L"/q+"});
    EXPECT_EQ(g_runs, 0);
    EXPECT_TRUE(g_shown.empty());
    const std::string expected = "Not run [" + Narrow(command) +
                                 "]: from zone [3], and a silent "
                                 "run does not ask";
    const Lines lines = ReadLines(log);
    EXPECT_NE(std::find(lines.begin(), lines.end(), expected), lines.end());
    StopTracing(1);
}

TEST_F(ForeignRunFlow, InteractiveRunAsksAndRunsOnlyOnRun)
{
    Mark("[ZoneTransfer]\r\nZoneId=4\r\n");
    RunCommandFlow(nullptr, command, {});
    ASSERT_EQ(g_shown.size(), 1u);
    EXPECT_EQ(g_shown[0].id, static_cast<UINT>(IDS_FOREIGN_PROMPT));
    EXPECT_EQ(g_shown[0].flags, kQuestionFlags);
    EXPECT_NE(g_shown[0].text.find(command), std::wstring::npos);
    EXPECT_NE(g_shown[0].text.find(L"Restricted sites"), std::wstring::npos);
    EXPECT_EQ(g_runs, 0);

    g_answer = IDYES;
    RunCommandFlow(nullptr, command, {L"/s-"});
    EXPECT_EQ(g_shown.size(), 2u);
    EXPECT_EQ(g_runs, 1);
}

TEST_F(ForeignRunFlow, LocalAndTrustedFilesRunAsBefore)
{
    RunCommandFlow(nullptr, command, {L"/s+"});
    EXPECT_EQ(g_runs, 1);
    Mark("[ZoneTransfer]\r\nZoneId=2\r\n");
    RunCommandFlow(nullptr, command, {});
    EXPECT_EQ(g_runs, 2);
    Mark("[ZoneTransfer]\r\nZoneId=Internet\r\n");
    RunCommandFlow(nullptr, command, {L"/q+"});
    EXPECT_EQ(g_runs, 3);
    EXPECT_TRUE(g_shown.empty());
}
