// The run flow in this process: a recording runner in place of the shell's
// file operation and a sink in place of the message box show what the flow
// loads, how the switches change the options, what the user is told, and
// that the command file is only read.
#include <gtest/gtest.h>

#include <thread>

#include "FlowTestSupport.h"
#include "FxException.h"
#include "TaskelClass.h"
#include "TaskelCommandFile.h"
#include "TaskelFlows.h"
#include "TaskelMessage.h"
#include "TaskelOptions.h"
#include "TestTrace.h"

namespace
{

struct RunRecord
{
    int calls = 0;
    DWORD options = 0;
    std::wstring baseFolder;
    std::vector<std::wstring> sources;
    int priority = 0;
    RunOutcome answer{RunResult::Done, 0, 0}; // what the run comes to
};
RunRecord g_run;

bool RecordRun(CTaskel &command, const std::wstring &baseFolder, HWND, RunOutcome *outcome)
{
    ++g_run.calls;
    g_run.options = command.GetOptions();
    g_run.baseFolder = baseFolder;
    g_run.sources = command.GetSources();
    g_run.priority = ::GetThreadPriority(::GetCurrentThread());
    if (outcome) *outcome = g_run.answer;
    return g_run.answer.result == RunResult::Done;
}

struct Shown
{
    UINT id;
    std::wstring text;
    UINT flags;
};
std::vector<Shown> g_shown;

int CaptureMessage(HWND, UINT id, const std::wstring &text, UINT flags)
{
    g_shown.push_back({id, text, flags});
    return IDOK;
}

int g_sounds = 0;
void CountSound(UINT)
{
    ++g_sounds;
}

const DWORD SOUND_AND_PROGRESS = OPT_NOCONFIRMMKDIR | OPT_X_COMPLETE_SOUND | OPT_SIMPLEPROGRESS;

class RunFlow : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        SetTaskelRunner({RecordRun, RecordRun, RecordRun, RecordRun});
        SetTaskelSoundSeam(CountSound);
        SetMessageSink(CaptureMessage);
        SetTaskelResourceModule(::GetModuleHandleW(nullptr));
        g_run = RunRecord();
        g_shown.clear();
        g_sounds = 0;
        folder = FreshFolder(CurrentTestName());
        command = folder + L"job.Taskel";
    }
    void TearDown() override
    {
        SetMessageSink(nullptr);
        SetTaskelSoundSeam(nullptr);
    }

    void WriteCopy(DWORD options)
    {
        ASSERT_EQ(WriteCommandFile(command, {EDIT_ACTION_COPY, options, {L"in\\*.txt"}, L"out"}),
                  S_OK);
    }

    std::wstring folder, command;
};

} // namespace

TEST_F(RunFlow, MissingFileIsReportedWithItsPathAndNothingRuns)
{
    RunCommandFlow(nullptr, command, {L"/s+"});
    ASSERT_EQ(g_shown.size(), 1u);
    EXPECT_EQ(g_shown[0].id, 3069u);
    EXPECT_EQ(g_shown[0].text, L"File command \"" + command + L"\" doesn't exist.");
    EXPECT_EQ(g_shown[0].flags, static_cast<UINT>(MB_ICONWARNING | MB_SETFOREGROUND));

    // A folder is no command file either, and neither is an empty name.
    RunCommandFlow(nullptr, folder.substr(0, folder.size() - 1), {});
    RunCommandFlow(nullptr, L"", {});
    ASSERT_EQ(g_shown.size(), 3u);
    EXPECT_EQ(g_shown[2].text, L"File command \"\" doesn't exist.");
    EXPECT_EQ(g_run.calls, 0);
}

TEST_F(RunFlow, LoadedCommandRunsInItsFolderWithTheSwitchesApplied)
{
    WriteCopy(SOUND_AND_PROGRESS);
    std::vector<BYTE> before = ReadBytes(command);
    RunCommandFlow(nullptr, command, {L"/s+", L"/t+", L"/esc2"});
    ASSERT_EQ(g_run.calls, 1);
    EXPECT_TRUE(g_shown.empty());
    EXPECT_EQ(g_run.baseFolder, folder.substr(0, folder.size() - 1));
    EXPECT_EQ(g_run.sources, std::vector<std::wstring>{L"in\\*.txt"});
    EXPECT_EQ(g_run.options, static_cast<DWORD>(OPT_NOCONFIRMMKDIR | OPT_SILENT | OPT_NOERRORUI |
                                                OPT_NOCONFIRMATION | OPT_X_NO_ANIMATION |
                                                OPT_TRIAL_RUN | OPT_ESCAPE_2));
    EXPECT_EQ(g_sounds, 0);
    EXPECT_EQ(ReadBytes(command), before);

    // "/v" in a trial run raises the expansion traces for the rest of the
    // process; "/v-" puts both classes back.
    RunCommandFlow(nullptr, command, {L"/t+", L"/v+"});
    EXPECT_EQ(GetVerboseTraceLevels().expansion, 0x8001u);
    EXPECT_EQ(GetVerboseTraceLevels().operation, 0x8004u);
    RunCommandFlow(nullptr, command, {});
    EXPECT_EQ(GetVerboseTraceLevels().expansion, 0x8001u);
    RunCommandFlow(nullptr, command, {L"/v-"});
    EXPECT_EQ(GetVerboseTraceLevels().expansion, 0x8003u);

    // Without switches the stored options run, with the completion sound.
    g_sounds = 0;
    RunCommandFlow(nullptr, command, {});
    EXPECT_EQ(g_run.options, SOUND_AND_PROGRESS);
    EXPECT_EQ(g_sounds, 1);
}

TEST_F(RunFlow, HandedInObjectIsLoadedAndRun)
{
    WriteCopy(OPT_NOCONFIRMATION);
    fx::ComPtr<IDispatch> dispatch;
    CTaskel *object = nullptr;
    ASSERT_EQ(CreateCommandObject(dispatch, object), S_OK);
    RunCommandFlow(nullptr, command, {L"/ne+"}, object);
    EXPECT_EQ(g_run.calls, 1);
    EXPECT_EQ(object->GetOptions(),
              static_cast<uint32_t>(OPT_NOCONFIRMATION | OPT_X_IGNORE_ERRORS | OPT_NOERRORUI));
    EXPECT_EQ(object->GetTarget(), L"out");
}

TEST_F(RunFlow, ForeignOrBrokenFilesShowAnErrorAndRunNothing)
{
    WriteCopy(OPT_NOCONFIRMATION);
    std::vector<BYTE> good = ReadBytes(command);
    ASSERT_GT(good.size(), 600u);

    // A compound file without the command class prefix.
    WriteBytes(command, std::vector<BYTE>(good.begin() + 16, good.end()));
    RunCommandFlow(nullptr, command, {});
    ASSERT_EQ(g_shown.size(), 1u);
    EXPECT_EQ(g_shown[0].id, 0u);
    EXPECT_EQ(g_shown[0].text, fx::COleException(static_cast<HRESULT>(0x800401F2)).MessageText());

    std::vector<std::vector<BYTE>> broken = {
        std::vector<BYTE>(good.begin(), good.begin() + 16),  // prefix only
        std::vector<BYTE>(good.begin(), good.begin() + 300), // truncated image
        std::vector<BYTE>(),                                 // empty
    };
    std::vector<BYTE> scrambled = good;
    for (size_t i = 16; i < scrambled.size(); i += 7)
        scrambled[i] ^= 0x5A;
    broken.push_back(scrambled);
    for (const std::vector<BYTE> &bytes : broken)
    {
        g_shown.clear();
        WriteBytes(command, bytes);
        RunCommandFlow(nullptr, command, {});
        ASSERT_EQ(g_shown.size(), 1u) << bytes.size();
        EXPECT_EQ(g_shown[0].id, 0u);
        EXPECT_FALSE(g_shown[0].text.empty());
    }
    EXPECT_EQ(g_run.calls, 0);
}

TEST_F(RunFlow, ReadOnlyCommandFileRunsAndStaysAsItWas)
{
    WriteCopy(OPT_NOCONFIRMATION);
    std::vector<BYTE> before = ReadBytes(command);
    ASSERT_TRUE(::SetFileAttributesW(command.c_str(), FILE_ATTRIBUTE_READONLY));
    DWORD attributes = ::GetFileAttributesW(command.c_str());
    RunCommandFlow(nullptr, command, {L"/q+", L"/esc1"});
    EXPECT_EQ(g_run.calls, 1);
    EXPECT_TRUE(g_shown.empty());
    EXPECT_EQ(ReadBytes(command), before);
    EXPECT_EQ(::GetFileAttributesW(command.c_str()), attributes);
    ::SetFileAttributesW(command.c_str(), FILE_ATTRIBUTE_NORMAL);
}

// Each run goes on its own thread, so the test thread keeps its priority.
TEST_F(RunFlow, QuietRunOfAnErrorSilentCommandLowersThreadPriority)
{
    WriteCopy(OPT_NOERRORUI | OPT_NOCONFIRMATION);
    std::thread([&] { RunCommandFlow(nullptr, command, {}); }).join();
    EXPECT_EQ(g_run.priority, THREAD_PRIORITY_NORMAL);
    std::thread([&] { RunCommandFlow(nullptr, command, {L"/q+"}); }).join();
    EXPECT_EQ(g_run.priority, THREAD_PRIORITY_BELOW_NORMAL);
    EXPECT_EQ(g_run.options & (OPT_SILENT | OPT_NOERRORUI),
              static_cast<DWORD>(OPT_SILENT | OPT_NOERRORUI));

    // Stored silent and error-silent: lowered without any switch.
    WriteCopy(OPT_NOERRORUI | OPT_SILENT);
    std::thread([&] { RunCommandFlow(nullptr, command, {}); }).join();
    EXPECT_EQ(g_run.priority, THREAD_PRIORITY_BELOW_NORMAL);
}

// The flow's result tells a script what happened: done, cancelled, failed,
// or no command file to run; the run log ends with one summary line.
TEST_F(RunFlow, ResultSaysWhatTheRunCameTo)
{
    WriteCopy(0);
    CTraceLines trace(1);
    auto logged = [&trace](const std::wstring &part) { return !trace.With(part.c_str()).empty(); };
    g_run.answer = {RunResult::Done, 3, 1};
    EXPECT_EQ(RunCommandFlow(nullptr, command, {L"/s+"}), S_OK);
    EXPECT_TRUE(logged(L"<<< Run [" + command + L"] Result [Done] Sent [3] Left out [1]"));

    g_run.answer = {RunResult::Cancelled, 1, 0};
    EXPECT_EQ(RunCommandFlow(nullptr, command, {L"/s+"}), E_ABORT);
    EXPECT_TRUE(logged(L"Result [Cancelled] Sent [1] Left out [0]"));

    g_run.answer = {RunResult::Failed, 2, 0};
    EXPECT_EQ(RunCommandFlow(nullptr, command, {L"/s+"}), E_FAIL);
    EXPECT_TRUE(logged(L"Result [Failed] Sent [2] Left out [0]"));
    EXPECT_EQ(g_run.calls, 3);

    const std::wstring missing = folder + L"none.Taskel";
    EXPECT_EQ(RunCommandFlow(nullptr, missing, {L"/s+"}), HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
    EXPECT_TRUE(logged(L"<<< Run [" + missing + L"] Result [Missing] Sent [0]"));

    WriteBytes(command, std::vector<BYTE>(100, 0x41));
    const HRESULT broken = RunCommandFlow(nullptr, command, {L"/s+"});
    EXPECT_TRUE(FAILED(broken));
    EXPECT_TRUE(logged(L"Result [Not read]"));
    EXPECT_EQ(g_run.calls, 3);
    g_shown.clear();
}
