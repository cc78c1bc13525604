// A run touches exactly what its command names: sources stay paired with
// their own targets after entries are dropped, relative specifications
// resolve only against the command's folder, device-style prefixes are not
// wildcards, rename parts cannot leave the target folder, the engine's
// scans do not pass through links, and a run in which everything was
// dropped is a failure.
#include <gtest/gtest.h>

#include "RunnerTestSupport.h"
#include "TaskelClass.h"
#include "UniqueHandle.h"
#include "TestCommandObject.h"

using Strings = std::vector<std::wstring>;

namespace
{
const DWORD REAL = QUIET | OPT_SILENT | OPT_NOCONFIRMATION | OPT_NOCONFIRMMKDIR | OPT_NOERRORUI;
// What a command's stored options 0x40658 become with "/s /ne".
const DWORD STORED = 0x40658;
const DWORD NE_PLUS = OPT_X_IGNORE_ERRORS | OPT_NOERRORUI;

class Safety : public ::testing::Test
{
  protected:
    CTempTree tree;
    std::wstring P(const std::wstring &relative) const { return tree.Path(relative); }
    // A folder below the tree whose full path has `length` characters.
    std::wstring Deep(const std::wstring &relative, size_t length) const
    {
        std::wstring path = P(relative);
        return path + std::wstring(length - path.size(), L'd');
    }
};

void WriteText(const std::wstring &path, const char *text)
{
    fx::unique_file file(CreateFileW((L"\\\\?\\" + path).c_str(), GENERIC_WRITE, 0, nullptr,
                                     CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    WriteFile(file.get(), text, static_cast<DWORD>(strlen(text)), &written, nullptr);
}

// Source and target of every file the recorded requests pair up.
std::vector<std::pair<std::wstring, std::wstring>> Pairs(const CRecordingShell &shell)
{
    std::vector<std::pair<std::wstring, std::wstring>> pairs;
    for (const SentRequest &sent : shell.requests)
    {
        EXPECT_TRUE(sent.flags & FOF_MULTIDESTFILES);
        EXPECT_EQ(sent.from.size(), sent.to.size());
        for (size_t i = 0; i < sent.from.size() && i < sent.to.size(); ++i)
            pairs.emplace_back(sent.from[i], sent.to[i]);
    }
    return pairs;
}

UINT g_sound = 0;
void RecordSound(UINT type)
{
    g_sound = type + 1;
}

// Runs `action` from a loaded command object with the completion sound on;
// returns the run's result and leaves the sound in g_sound.
bool RunObject(WORD editAction, DWORD options, const Strings &sources, const std::wstring &target,
               const std::wstring &folder)
{
    InstallShellRunner();
    CTestCommand object;
    object->SetAction(editAction);
    object->SetOptions(options | OPT_X_COMPLETE_SOUND);
    object->SetSource(-1, nullptr);
    for (size_t i = 0; i < sources.size(); ++i)
        object->SetSource(static_cast<long>(i), sources[i].c_str());
    object->SetTarget(target.c_str());
    g_sound = 0;
    SetTaskelSoundSeam(RecordSound);
    const bool result = object->Run(folder, nullptr);
    SetTaskelSoundSeam(nullptr);
    return result;
}

// The current folder changed for one test.
class CCurrentFolder
{
  public:
    explicit CCurrentFolder(const std::wstring &folder)
    {
        GetCurrentDirectoryW(MAX_PATH, m_saved);
        SetCurrentDirectoryW(folder.c_str());
    }
    ~CCurrentFolder() { SetCurrentDirectoryW(m_saved); }

  private:
    wchar_t m_saved[MAX_PATH] = {};
};
} // namespace

// A target over the path limit drops its source; the sources that remain
// keep their own targets in one request, in parts and source by source.
TEST_F(Safety, DroppedTargetKeepsTheOtherPairsTogether)
{
    const std::wstring longName = std::wstring(116, L'l') + L".txt";
    tree.Add({L"src\\aaa.txt", L"src\\" + longName, L"src\\zzz.txt"});
    const std::wstring deep = Deep(L"out\\", 200);
    const DWORD modes[] = {STORED | QUIET,                         // one request
                           STORED | QUIET | OPT_SILENT,            // in parts
                           STORED | QUIET | OPT_SILENT | NE_PLUS}; // "/s /ne"
    for (DWORD options : modes)
    {
        SCOPED_TRACE(options);
        CRecordingShell shell;
        CTraceLines trace(2);
        EXPECT_TRUE(
            RunCopy(Command(ACTION_COPY, options, {P(L"src\\*.txt")}, deep), tree.Root(), nullptr));
        EXPECT_EQ((std::vector<std::pair<std::wstring, std::wstring>>{
                      {P(L"src\\aaa.txt"), deep + L"\\aaa.txt"},
                      {P(L"src\\zzz.txt"), deep + L"\\zzz.txt"}}),
                  Pairs(shell));
        EXPECT_EQ(1u, trace.With(L"No target for [").size());
    }

    // And on disk: each target holds its own source's contents.
    WriteText(P(L"src\\aaa.txt"), "aaa");
    WriteText(P(L"src\\" + longName), "long");
    WriteText(P(L"src\\zzz.txt"), "zzz");
    EXPECT_TRUE(RunCopy(Command(ACTION_COPY, STORED | REAL | NE_PLUS, {P(L"src\\*.txt")}, deep),
                        tree.Root(), nullptr));
    EXPECT_EQ("aaa", ReadText(deep + L"\\aaa.txt"));
    EXPECT_EQ("zzz", ReadText(deep + L"\\zzz.txt"));
}

// A command whose folder cannot be used runs nothing at all, and its
// relative specifications never reach the current folder.
TEST_F(Safety, UnusableBaseFolderRunsNothing)
{
    const std::wstring longFolder =
        std::wstring(100, L'a') + L"\\" + std::wstring(100, L'b') + L"\\" + std::wstring(80, L'c');
    tree.Add({longFolder + L"\\own.tmp", L"current\\precious.tmp"});
    const std::wstring base = P(longFolder);
    ASSERT_GT(base.size(), 259u);
    CCurrentFolder current(P(L"current"));
    {
        CRecordingShell shell;
        CTraceLines trace(2);
        EXPECT_FALSE(RunDelete(Command(ACTION_DELETE, QUIET, {L"*.tmp"}), base, nullptr));
        EXPECT_FALSE(RunCopy(Command(ACTION_COPY, QUIET, {P(L"current\\precious.tmp")}, L"out"),
                             base, nullptr));
        EXPECT_TRUE(shell.requests.empty());
        EXPECT_EQ(2u, trace.With(L"Base folder unusable [").size());
    }
    EXPECT_FALSE(RunDelete(Command(ACTION_DELETE, REAL, {L"*.tmp"}), base, nullptr));
    EXPECT_TRUE(Exists(P(L"current\\precious.tmp")));

    CRecordingShell shell;
    EXPECT_FALSE(RunObject(EDIT_ACTION_DELETE, QUIET, {L"*.tmp"}, L"", base));
    EXPECT_EQ(static_cast<UINT>(MB_ICONASTERISK + 1), g_sound);
    EXPECT_TRUE(shell.requests.empty());
}

// "\\?\", "\\?\UNC\" and "\\.\" begin a path; they are no wildcards.
TEST_F(Safety, PrefixedPathsAreMatchedLikeOthers)
{
    using namespace execpath;
    EXPECT_FALSE(HasWildcard(L"\\\\?\\C:\\x\\src"));
    EXPECT_FALSE(HasWildcard(L"\\\\.\\C:\\x"));
    EXPECT_TRUE(HasWildcard(L"\\\\?\\C:\\x\\*.txt"));
    EXPECT_TRUE(HasWildcard(L"\\\\?\\C:\\?x"));
    EXPECT_TRUE(IsRootOrShare(L"\\\\?\\C:\\"));
    EXPECT_TRUE(IsRootOrShare(L"\\\\?\\C:"));
    EXPECT_TRUE(IsRootOrShare(L"\\\\.\\C:\\"));
    EXPECT_TRUE(IsRootOrShare(L"\\\\?\\UNC\\server\\share"));
    EXPECT_TRUE(IsRootOrShare(L"\\\\?\\UNC\\server\\share\\"));
    EXPECT_FALSE(IsRootOrShare(L"\\\\?\\UNC\\server\\share\\dir"));
    EXPECT_FALSE(IsRootOrShare(L"\\\\?\\C:\\dir"));
    EXPECT_EQ(L"\\\\?\\C:\\", ParentFolder(L"\\\\?\\C:\\dir"));
    EXPECT_EQ(L"\\\\?\\UNC\\server\\share", ParentFolder(L"\\\\?\\UNC\\server\\share\\dir"));

    tree.Add({L"src\\a.txt", L"src\\sub\\b.txt", L"src\\c.log", L"wild\\x1\\in\\d.txt"});
    const std::wstring prefixed = L"\\\\?\\" + tree.Root();
    CRecordingShell shell;
    EXPECT_TRUE(RunCopy(Command(ACTION_COPY, QUIET, {prefixed + L"\\src\\*.txt"}, P(L"out")),
                        tree.Root(), nullptr));
    ASSERT_EQ(1u, shell.requests.size());
    EXPECT_EQ((Strings{prefixed + L"\\src\\sub\\b.txt", prefixed + L"\\src\\a.txt"}),
              shell.requests[0].from);
    EXPECT_EQ((Strings{P(L"out\\sub\\b.txt"), P(L"out\\a.txt")}), shell.requests[0].to);

    shell.requests.clear();
    EXPECT_TRUE(RunDelete(Command(ACTION_DELETE, QUIET, {prefixed + L"\\wild\\x*\\in\\*.txt"}),
                          tree.Root(), nullptr));
    ASSERT_EQ(1u, shell.requests.size());
    EXPECT_EQ(Strings{prefixed + L"\\wild\\x1\\in\\d.txt"}, shell.requests[0].from);
}

// However a specification is built, matching stops at a fixed depth.
TEST_F(Safety, MatchingRecursionIsBounded)
{
    tree.Add({L"src\\a.txt"});
    CTraceLines trace(2);
    CExecPathSpecs e(ACTION_COPY, 0);
    StringArray out;
    EXPECT_FALSE(e.MatchSpec(P(L"src\\*.txt"), out, 100000));
    EXPECT_TRUE(out.empty());
    EXPECT_EQ(1u, trace.With(L"Match too deep [").size());
    EXPECT_TRUE(e.MatchSpec(P(L"src\\*.txt"), out, 0));
}

// A run in which every entry was dropped did not do what it was asked.
TEST_F(Safety, RunWithEverythingDroppedFails)
{
    const std::wstring longName = std::wstring(116, L'l') + L".txt";
    tree.Add({L"src\\" + longName, L"src\\ok.txt"});
    const std::wstring deep = Deep(L"out\\", 200);
    CRecordingShell shell;
    EXPECT_FALSE(
        RunCopy(Command(ACTION_COPY, QUIET, {P(L"src\\l*.txt")}, deep), tree.Root(), nullptr));
    EXPECT_FALSE(RunCopy(Command(ACTION_COPY, QUIET | NE_PLUS, {P(L"src\\l*.txt")}, deep),
                         tree.Root(), nullptr));
    // The target itself too long.
    EXPECT_FALSE(RunMove(Command(ACTION_MOVE, QUIET, {P(L"src\\ok.txt")}, deep + L"\\" + longName),
                         tree.Root(), nullptr));
    // The only source too long once resolved.
    EXPECT_FALSE(
        RunDelete(Command(ACTION_DELETE, QUIET, {std::wstring(250, L'x')}), tree.Root(), nullptr));
    EXPECT_TRUE(shell.requests.empty());

    EXPECT_FALSE(RunObject(EDIT_ACTION_COPY, QUIET, {P(L"src\\l*.txt")}, deep, tree.Root()));
    EXPECT_EQ(static_cast<UINT>(MB_ICONASTERISK + 1), g_sound);
    // Nothing matched at all is still no failure.
    EXPECT_TRUE(RunObject(EDIT_ACTION_COPY, QUIET, {P(L"src\\none*.txt")}, deep, tree.Root()));
    EXPECT_EQ(static_cast<UINT>(MB_OK + 1), g_sound);
}

// With errors ignored, a Move or Copy that matches nothing has nothing to do.
TEST_F(Safety, IgnoringErrorsNothingMatchedIsNoFailure)
{
    tree.Add({L"empty\\"});
    CRecordingShell shell;
    CTraceLines trace(1);
    EXPECT_TRUE(RunMove(Command(ACTION_MOVE, QUIET | NE_PLUS, {P(L"empty\\*.txt")}, P(L"out")),
                        tree.Root(), nullptr));
    EXPECT_TRUE(RunCopy(Command(ACTION_COPY, QUIET | NE_PLUS, {P(L"empty\\*.txt")}, P(L"out")),
                        tree.Root(), nullptr));
    EXPECT_TRUE(shell.requests.empty());
}

// A renaming transfer of one plain file names the new file, not a folder.
TEST_F(Safety, RenamingOneFileSendsItsFullTarget)
{
    tree.Add({L"a\\x.txt", L"a\\sub\\"});
    for (DWORD options : {DWORD(QUIET), DWORD(QUIET | NE_PLUS), DWORD(QUIET | OPT_FILESONLY)})
    {
        for (DWORD action : {DWORD(ACTION_MOVERENAME), DWORD(ACTION_COPYRENAME)})
        {
            SCOPED_TRACE(action * 0x1000000 + options);
            CRecordingShell shell;
            ExecCommand command = Command(action, options, {P(L"a\\x.txt>y.bak")}, P(L"out"));
            EXPECT_TRUE(action == ACTION_MOVERENAME ? RunMove(command, tree.Root(), nullptr)
                                                    : RunCopy(command, tree.Root(), nullptr));
            ASSERT_EQ(1u, shell.requests.size());
            EXPECT_TRUE(shell.requests[0].flags & FOF_MULTIDESTFILES);
            EXPECT_EQ(Strings{P(L"a\\x.txt")}, shell.requests[0].from);
            EXPECT_EQ(Strings{P(L"out\\y.bak")}, shell.requests[0].to);
        }
    }
    // A renamed file next to a folder goes part-wise, each with its full target.
    CRecordingShell shell;
    EXPECT_TRUE(RunMove(Command(ACTION_MOVERENAME, QUIET | OPT_SILENT | OPT_NOCONFIRMMKDIR,
                                {P(L"a\\x.txt>y.bak"), P(L"a\\sub\\")}, P(L"out")),
                        tree.Root(), nullptr));
    for (const SentRequest &sent : shell.requests)
    {
        if (sent.from == Strings{P(L"a\\x.txt")})
        {
            EXPECT_TRUE(sent.flags & FOF_MULTIDESTFILES);
        }
    }
}

// A rename part may only name a file in the target folder.
TEST_F(Safety, RenamePartLeavingItsFolderFailsThatSource)
{
    tree.Add({L"src\\a.txt", L"src\\b.log", L"r\\c.txt"});
    const wchar_t *bad[] = {L"*.txt>..\\*", L"*.txt>x\\*", L"*.txt>x/*", L"*.txt>c:*",
                            L"*.txt>..*"};
    for (const wchar_t *part : bad)
    {
        SCOPED_TRACE(part);
        CRecordingShell shell;
        CTraceLines trace(2);
        EXPECT_FALSE(RunMove(Command(ACTION_MOVERENAME, QUIET, {P(L"src\\") + part}, P(L"out")),
                             tree.Root(), nullptr));
        EXPECT_FALSE(
            RunCopy(Command(ACTION_COPYRENAME, QUIET | NE_PLUS, {P(L"src\\") + part}, P(L"out")),
                    tree.Root(), nullptr));
        EXPECT_FALSE(
            RunRename(Command(ACTION_RENAME, QUIET, {P(L"r\\") + part}), tree.Root(), nullptr));
        EXPECT_TRUE(shell.requests.empty());
        EXPECT_EQ(3u, trace.With(L"Invalid rename part [").size());
    }
    // The command's other sources still run.
    CRecordingShell shell;
    EXPECT_TRUE(RunMove(Command(ACTION_MOVERENAME, QUIET,
                                {P(L"src\\*.txt>..\\*"), P(L"src\\*.log>*.old")}, P(L"out")),
                        tree.Root(), nullptr));
    ASSERT_EQ(1u, shell.requests.size());
    EXPECT_EQ(Strings{P(L"src\\b.log")}, shell.requests[0].from);
    EXPECT_EQ(Strings{P(L"out\\b.old")}, shell.requests[0].to);
}

// The decision itself, with the attributes a junction or link reports.
TEST(SafetyLinks, ReparsePointsAreNotEntered)
{
    using execspec::DescendsInto;
    EXPECT_TRUE(DescendsInto(FILE_ATTRIBUTE_DIRECTORY));
    EXPECT_TRUE(DescendsInto(FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN));
    EXPECT_FALSE(DescendsInto(FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT));
    EXPECT_FALSE(DescendsInto(FILE_ATTRIBUTE_NORMAL));
}

// The scans do not pass through a link: a Linux symbolic link, which Wine
// shows as a directory reparse point, stands in for a junction (Wine 8
// refuses FSCTL_SET_REPARSE_POINT and does not create CreateSymbolicLinkW
// links). The build makes the fixture (tests/exec/CMakeLists.txt).
TEST(SafetyLinks, ScansDoNotDescendIntoReparsePoints)
{
    const char *build = getenv("FERROVANE_BUILD_DIR");
    if (!build) GTEST_SKIP() << "FERROVANE_BUILD_DIR not set";
    std::wstring fixture = L"Z:";
    for (const char *c = build; *c; ++c)
        fixture += *c == '/' ? L'\\' : static_cast<wchar_t>(*c);
    fixture += L"\\tests\\exec\\reparse\\tree";
    const DWORD link = GetFileAttributesW((fixture + L"\\link").c_str());
    if (link == INVALID_FILE_ATTRIBUTES || !(link & FILE_ATTRIBUTE_REPARSE_POINT))
        GTEST_SKIP() << "no reparse point in the fixture";

    CRecordingShell shell;
    EXPECT_TRUE(RunDelete(Command(ACTION_DELETE, QUIET | NE_PLUS, {fixture + L"\\*.tmp"}), fixture,
                          nullptr));
    Strings deleted;
    for (const SentRequest &sent : shell.requests)
        deleted.insert(deleted.end(), sent.from.begin(), sent.from.end());
    EXPECT_EQ((Strings{fixture + L"\\sub\\deep.tmp", fixture + L"\\own.tmp"}), deleted);

    shell.requests.clear();
    EXPECT_TRUE(
        RunDelete(Command(ACTION_DELETE, QUIET, {fixture + L"\\*\\*.tmp"}), fixture, nullptr));
    deleted.clear();
    for (const SentRequest &sent : shell.requests)
        deleted.insert(deleted.end(), sent.from.begin(), sent.from.end());
    EXPECT_EQ(Strings{fixture + L"\\sub\\deep.tmp"}, deleted);
}

// Found by the randomized runs: a rename part cannot apply to a wildcard
// the shell matches itself, and two sources never share one target.
TEST_F(Safety, RenamePartOfAWildcardLeftToTheShellIsIgnored)
{
    tree.Add({L"sub\\a.txt", L"sub\\b.log"});
    CRecordingShell shell;
    EXPECT_TRUE(RunMove(Command(ACTION_MOVE, QUIET, {P(L"sub\\*.*>new.txt")}, P(L"out")),
                        tree.Root(), nullptr));
    ASSERT_EQ(1u, shell.requests.size());
    EXPECT_EQ(Strings{P(L"sub\\*.*")}, shell.requests[0].from);
    EXPECT_EQ(Strings{P(L"out")}, shell.requests[0].to);
}

TEST_F(Safety, SourcesSharingATargetKeepOnlyTheFirst)
{
    tree.Add({L"in\\a.txt", L"in\\b.txt", L"in\\c.log", L"x\\a\\", L"y\\a\\"});
    CRecordingShell shell;
    CTraceLines trace(2);
    EXPECT_TRUE(RunMove(
        Command(ACTION_MOVERENAME, QUIET, {P(L"in\\*.txt>new.txt"), P(L"in\\c.log")}, P(L"out")),
        tree.Root(), nullptr));
    ASSERT_EQ(1u, shell.requests.size());
    EXPECT_EQ((Strings{P(L"in\\a.txt"), P(L"in\\c.log")}), shell.requests[0].from);
    EXPECT_EQ((Strings{P(L"out\\new.txt"), P(L"out\\c.log")}), shell.requests[0].to);
    EXPECT_EQ(1u, trace.With(L"Duplicate target [").size());

    shell.requests.clear();
    EXPECT_TRUE(RunCopy(Command(ACTION_COPY, QUIET, {P(L"x\\a\\"), P(L"y\\a\\")}, P(L"out")),
                        tree.Root(), nullptr));
    ASSERT_EQ(1u, shell.requests.size());
    EXPECT_EQ(Strings{P(L"x\\a")}, shell.requests[0].from);

    // Renames in one folder: the second new name would replace the first.
    shell.requests.clear();
    EXPECT_TRUE(
        RunRename(Command(ACTION_RENAME, QUIET, {P(L"in\\*.txt>z.txt")}), tree.Root(), nullptr));
    ASSERT_EQ(1u, shell.requests.size());
    EXPECT_EQ(Strings{P(L"in\\z.txt")}, shell.requests[0].to);
}

// A pattern that leaves no name ("~*" on "a.txt") gives no target with a
// wildcard in it: that source has no target.
TEST_F(Safety, RenameToAWildcardNameGivesNoTarget)
{
    tree.Add({L"in\\a.txt", L"in\\bc.txt", L"r\\.dot"});
    CRecordingShell shell;
    CTraceLines trace(2);
    EXPECT_TRUE(RunCopy(Command(ACTION_COPYRENAME, QUIET, {P(L"in\\*.txt>~*")}, P(L"out")),
                        tree.Root(), nullptr));
    ASSERT_EQ(1u, shell.requests.size());
    EXPECT_EQ(Strings{P(L"in\\bc.txt")}, shell.requests[0].from);
    EXPECT_EQ(Strings{P(L"out\\c.txt")}, shell.requests[0].to);
    EXPECT_EQ(1u, trace.With(L"No target for [").size());

    shell.requests.clear();
    EXPECT_FALSE(
        RunRename(Command(ACTION_RENAME, QUIET, {P(L"r\\.dot>*.bak")}), tree.Root(), nullptr));
    EXPECT_TRUE(shell.requests.empty());
}

// A folder found for a wildcard component whose names the shell matches
// (w1\*) has that folder as its target, not a name with a wildcard.
TEST_F(Safety, WildcardLeftToTheShellTargetsItsFolder)
{
    tree.Add({L"w1\\a.txt", L"w2\\b.txt"});
    CRecordingShell shell;
    EXPECT_TRUE(
        RunCopy(Command(ACTION_COPY, QUIET, {P(L"w*\\*")}, P(L"out")), tree.Root(), nullptr));
    ASSERT_EQ(1u, shell.requests.size());
    EXPECT_EQ((Strings{P(L"w1\\*"), P(L"w2\\*")}), shell.requests[0].from);
    EXPECT_EQ((Strings{P(L"out\\w1"), P(L"out\\w2")}), shell.requests[0].to);
}

// The target folder a run makes is not one of its own sources: "*" with
// errors ignored expands each source after the target exists.
TEST_F(Safety, NewTargetFolderIsNotTakenAsASource)
{
    tree.Add({L"2022\\a.txt", L"b.txt"});
    CRecordingShell shell;
    ASSERT_TRUE(RunCopy(Command(ACTION_COPY, REAL | NE_PLUS, {P(L"*")}, L"out"), tree.Root(),
                        nullptr));
    EXPECT_TRUE(Exists(P(L"out")));
    ASSERT_FALSE(shell.requests.empty());
    for (const SentRequest &sent : shell.requests)
        for (const std::wstring &from : sent.from)
            EXPECT_NE(from.rfind(P(L"out"), 0), 0u) << Narrow(from);
}
