// Parameter parser, run dispatcher and switch effects of the command
// functions.
#include "TaskelOptions.h"
#include "TaskelParams.h"
#include "TaskelPath.h"
#include "Trace.h"

#include <gtest/gtest.h>

namespace
{

struct RunCall
{
    std::wstring path;
    SwitchSet switches;
};

std::vector<RunCall> Dispatch(LPCWSTR text)
{
    std::vector<RunCall> calls;
    DispatchRun(ParseParameters(text).params,
                [&calls](const std::wstring &path, const SwitchSet &switches) {
                    calls.push_back({path, switches});
                    return S_OK;
                });
    return calls;
}

std::wstring Qualified(const wchar_t *name)
{
    return NormalizeCommandPath(name, true, false);
}

} // namespace

TEST(ParameterParser, SplitsUnquotedAtSpacesAndKeepsQuotedWhole)
{
    ParsedParameters p = ParseParameters(L"/s \"C:\\My Files\\a b.Taskel\" /ne+");
    ASSERT_EQ(3u, p.params.size());
    EXPECT_EQ(L"/s", p.params[0]);
    EXPECT_EQ(L"C:\\My Files\\a b.Taskel", p.params[1]);
    EXPECT_EQ(L"/ne+", p.params[2]);
    EXPECT_EQ(L"C:\\My Files\\a b.Taskel", p.commandFile);
}

TEST(ParameterParser, EmptyNullAndSurplusSpaces)
{
    EXPECT_TRUE(ParseParameters(nullptr).params.empty());
    EXPECT_TRUE(ParseParameters(L"").params.empty());
    ParsedParameters p = ParseParameters(L"   a.Taskel    b  ");
    ASSERT_EQ(2u, p.params.size());
    EXPECT_EQ(L"a.Taskel", p.params[0]);
    EXPECT_EQ(L"b", p.params[1]);
    EXPECT_EQ(L"a.Taskel", p.commandFile);
}

TEST(ParameterParser, EmptyQuotesGiveOneEmptyParameter)
{
    ParsedParameters p = ParseParameters(L"/s \"\" x");
    ASSERT_EQ(3u, p.params.size());
    EXPECT_EQ(L"", p.params[1]);
    EXPECT_EQ(L"", p.commandFile); // the empty one is the first not beginning with "/"
}

TEST(ParameterParser, DashBecomesSlashAndUnmatchedQuoteOpensLastPiece)
{
    ParsedParameters p = ParseParameters(L"-t \"C:\\open ended");
    ASSERT_EQ(2u, p.params.size());
    EXPECT_EQ(L"/t", p.params[0]);
    EXPECT_EQ(L"C:\\open ended", p.params[1]);
}

TEST(ParameterParser, QuotedPieceIsTrimmedAndGluedTextSplits)
{
    ParsedParameters p = ParseParameters(L"a\" b c \"d");
    ASSERT_EQ(3u, p.params.size());
    EXPECT_EQ(L"a", p.params[0]);
    EXPECT_EQ(L"b c", p.params[1]);
    EXPECT_EQ(L"d", p.params[2]);
}

TEST(ParameterParser, CommandFileIsEmptyWithOnlySwitches)
{
    EXPECT_EQ(L"", ParseParameters(L"/s /q-").commandFile);
}

TEST(RunDispatcher, FilesInOrderWithEmptySwitchSet)
{
    auto calls = Dispatch(L"a.Taskel b.Taskel");
    ASSERT_EQ(2u, calls.size());
    EXPECT_EQ(Qualified(L"a.Taskel"), calls[0].path);
    EXPECT_EQ(Qualified(L"b.Taskel"), calls[1].path);
    EXPECT_TRUE(calls[0].switches.empty());
    EXPECT_TRUE(calls[1].switches.empty());
}

TEST(RunDispatcher, SwitchesCarryOverUntilOverridden)
{
    auto calls = Dispatch(L"/s a /q- b /ne c");
    ASSERT_EQ(3u, calls.size());
    EXPECT_EQ(Qualified(L"a"), calls[0].path); // extension added
    EXPECT_EQ((SwitchSet{L"/s+"}), calls[0].switches);
    EXPECT_EQ((SwitchSet{L"/q-"}), calls[1].switches);
    EXPECT_EQ((SwitchSet{L"/q-", L"/ne+"}), calls[2].switches);
}

TEST(RunDispatcher, SwitchTable)
{
    auto calls = Dispatch(L"/ne a /ne- b -T c /t- /T+ /V d /v- /S- e /Q f");
    ASSERT_EQ(6u, calls.size());
    EXPECT_EQ((SwitchSet{L"/ne+"}), calls[0].switches);
    EXPECT_EQ((SwitchSet{L"/ne-"}), calls[1].switches);
    EXPECT_EQ((SwitchSet{L"/ne-", L"/t+"}), calls[2].switches);
    EXPECT_EQ((SwitchSet{L"/ne-", L"/t+", L"/v+"}), calls[3].switches);
    EXPECT_EQ((SwitchSet{L"/ne-", L"/t+", L"/v-", L"/s-"}), calls[4].switches);
    EXPECT_EQ((SwitchSet{L"/ne-", L"/t+", L"/v-", L"/q+"}), calls[5].switches);
}

TEST(RunDispatcher, OtherSwitchesAppendedAsWrittenAndEmptySkipped)
{
    auto calls = Dispatch(L"/l /l \"/lfC:\\My Logs\\r.log\" /esc2 \"\" a");
    ASSERT_EQ(1u, calls.size());
    EXPECT_EQ((SwitchSet{L"/l", L"/l", L"/lfC:\\My Logs\\r.log", L"/esc2"}), calls[0].switches);
}

TEST(RunDispatcher, AdminFlagAddsAdminOnceBeforeFiles)
{
    auto calls = Dispatch(L"/Admin /q a /admin b");
    ASSERT_EQ(2u, calls.size());
    EXPECT_EQ((SwitchSet{L"/q+", L"/Admin"}), calls[0].switches);
    EXPECT_EQ((SwitchSet{L"/q+", L"/Admin"}), calls[1].switches);
}

TEST(RunDispatcher, NothingWithoutFiles)
{
    EXPECT_TRUE(Dispatch(nullptr).empty());
    EXPECT_TRUE(Dispatch(L"/s /q").empty());
}

namespace
{

DWORD Apply(DWORD options, const SwitchSet &switches)
{
    VerboseTraceLevels levels;
    return ApplyRunSwitches(options, switches, levels);
}

} // namespace

TEST(RunSwitchEffects, SilentAndQuiet)
{
    const DWORD start = OPT_X_COMPLETE_SOUND | OPT_SIMPLEPROGRESS | OPT_ALLOWUNDO;
    const DWORD quiet = OPT_NOERRORUI | OPT_NOCONFIRMMKDIR | OPT_NOCONFIRMATION | OPT_SILENT;
    EXPECT_EQ(OPT_ALLOWUNDO | quiet | OPT_X_NO_ANIMATION, Apply(start, {L"/s+"}));
    EXPECT_EQ(OPT_ALLOWUNDO | quiet, Apply(start, {L"/q+"}));
    EXPECT_EQ(OPT_ALLOWUNDO, Apply(OPT_ALLOWUNDO | OPT_X_NO_ANIMATION, {L"/s-"}));
    EXPECT_EQ(OPT_ALLOWUNDO | OPT_X_COMPLETE_SOUND, Apply(OPT_ALLOWUNDO, {L"/q-"}));
    EXPECT_EQ(start, Apply(start, {}));
}

TEST(RunSwitchEffects, ErrorsAndTrial)
{
    EXPECT_EQ(OPT_X_IGNORE_ERRORS | OPT_NOERRORUI, Apply(0, {L"/ne+"}));
    EXPECT_EQ(OPT_NOERRORUI, Apply(OPT_X_IGNORE_ERRORS | OPT_NOERRORUI, {L"/ne-"}));
    EXPECT_EQ(OPT_TRIAL_RUN, Apply(0, {L"/t+"}));
    EXPECT_EQ(0u, Apply(OPT_TRIAL_RUN, {L"/T-"}));
}

TEST(RunSwitchEffects, EscapeBits)
{
    EXPECT_EQ(OPT_ESCAPE_1, Apply(0, {L"/esc1"}));
    EXPECT_EQ(OPT_ESCAPE_2, Apply(0, {L"/ESC2"}));
    EXPECT_EQ(OPT_ESCAPE_4 | OPT_ESCAPE_3, Apply(0, {L"/esc4", L"/esc3"}));
    EXPECT_EQ(0u, Apply(0, {L"/esc5"}));
    EXPECT_EQ(0u, Apply(0, {L"/esc0"}));
    EXPECT_EQ(0u, Apply(0, {L"/esc"}));
    EXPECT_EQ(0u, Apply(0, {L"/esc2x"}));
}

TEST(RunSwitchEffects, VerboseTraceClasses)
{
    VerboseTraceLevels levels;
    ApplyRunSwitches(0, {L"/v+"}, levels);
    EXPECT_EQ(0x8003u, levels.expansion);
    EXPECT_EQ(0x8001u, levels.operation);

    // The trial bit counts after "/t" has been applied.
    ApplyRunSwitches(0, {L"/v+", L"/t+"}, levels);
    EXPECT_EQ(0x8001u, levels.expansion);
    EXPECT_EQ(0x8004u, levels.operation);

    // Without "/v" the levels stay as a previous run set them.
    ApplyRunSwitches(0, {L"/q+"}, levels);
    EXPECT_EQ(0x8001u, levels.expansion);

    ApplyRunSwitches(0, {L"/v-"}, levels);
    EXPECT_EQ(0x8003u, levels.expansion);
    EXPECT_EQ(0x8004u, levels.operation);
}

TEST(RunSwitchEffects, LibraryWideVerboseLevelsStartAtDefaults)
{
    EXPECT_EQ(0x8003u, ExpansionTraceLevel());
    EXPECT_EQ(0x8004u, OperationTraceLevel());
    SetVerboseTraceLevels({0x8001, 0x8004});
    EXPECT_EQ(0x8001u, ExpansionTraceLevel());
    SetVerboseTraceLevels({});
}
