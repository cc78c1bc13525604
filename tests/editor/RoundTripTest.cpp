// The command page leaves a command exactly as it was unless the user
// changes it: for a few hundred generated commands (every action, relative,
// absolute, UNC and URL entries, wildcards in any component, rename
// patterns, an empty target), one sheet each in this process:
//   - Apply without a change leaves the file byte for byte;
//   - every entry cut and pasted back (on the empty last row, so after all
//     of them the order is the original again), and copied and pasted over
//     itself, gives the same entry list and target;
//   - every option box clicked twice gives the same options;
//   - the file saved after all that reads back as the command that was
//     loaded.
// The seed is printed; FERROVANE_ROUND_TRIP_SEED repeats a run.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <random>

#include "FlowTestSupport.h"
#include "PageTestSupport.h"
#include "TaskelClass.h"
#include "TaskelCommandFile.h"
#include "TestCommandObject.h"
#include "TaskelOptions.h"
#include "resource.h"

namespace
{
class CommandGenerator
{
  public:
    explicit CommandGenerator(unsigned seed) : m_random(seed) {}

    CommandSpec Next()
    {
        static const uint32_t actions[] = {EDIT_ACTION_MOVE,       EDIT_ACTION_COPY,
                                           EDIT_ACTION_RENAME,     EDIT_ACTION_DELETE,
                                           EDIT_ACTION_MOVERENAME, EDIT_ACTION_COPYRENAME};
        CommandSpec spec{};
        spec.editorAction = actions[Below(6)];
        spec.options = static_cast<uint32_t>(m_random()) & (OPT_SHELL_MASK | 0x001F0000u);
        const size_t count = Below(5); // none up to four
        for (size_t i = 0; i < count; ++i)
            spec.sources.push_back(Entry(Renames(spec.editorAction)));
        spec.target = Below(4) == 0 ? std::wstring() : Folder() + L"\\";
        return spec;
    }

  private:
    static bool Renames(uint32_t action)
    {
        return action == EDIT_ACTION_RENAME || action == EDIT_ACTION_MOVERENAME ||
               action == EDIT_ACTION_COPYRENAME;
    }
    size_t Below(size_t n) { return static_cast<size_t>(m_random() % n); }

    // A folder name, sometimes with a wildcard.
    std::wstring Component()
    {
        static const wchar_t *names[] = {L"data", L"in", L"Reports 2026", L"a.b", L"x"};
        std::wstring name = names[Below(5)];
        switch (Below(5))
        {
        case 0:
            name += L"*";
            break;
        case 1:
            name[0] = L'?';
            break;
        default:
            break;
        }
        return name;
    }
    std::wstring Folder()
    {
        std::wstring folder;
        switch (Below(5))
        {
        case 0: // relative
            folder = Component();
            break;
        case 1: // relative, upwards
            folder = L"..\\" + Component();
            break;
        case 2:
            folder = L"C:\\" + Component();
            break;
        case 3:
            folder = L"\\\\server\\share\\" + Component();
            break;
        default:
            folder = L"D:\\" + Component() + L"\\" + Component();
            break;
        }
        return folder;
    }
    std::wstring Entry(bool renames)
    {
        if (Below(8) == 0) return L"http://example.com/files/" + Component() + L".txt";
        static const wchar_t *files[] = {L"*.txt", L"report.doc", L"rep?rt.*", L"*", L""};
        std::wstring entry = Folder() + L"\\" + files[Below(5)];
        if (renames && Below(2) == 0) entry += Below(2) ? L">*.bak" : L">new-*.txt";
        return entry;
    }

    std::mt19937 m_random;
};

unsigned Seed()
{
    wchar_t text[32] = {};
    if (::GetEnvironmentVariableW(L"FERROVANE_ROUND_TRIP_SEED", text, 32))
        return static_cast<unsigned>(wcstoul(text, nullptr, 10));
    return static_cast<unsigned>(::GetTickCount());
}

void Select(HWND list, int row)
{
    ::SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(row), 0);
}

const int kOptionBoxes[] = {
    IDC_OPT_RECYCLE,       IDC_OPT_SOUND,     IDC_OPT_CONFIRM,           IDC_OPT_CONFIRM_MKDIR,
    IDC_OPT_SECURITY,      IDC_OPT_ERRORS,    IDC_OPT_FILE_PROGRESS,     IDC_OPT_SUBFOLDERS,
    IDC_OPT_IGNORE_ERRORS, IDC_OPT_RECURSION, IDC_OPT_RENAME_DUPLICATES, IDC_OPT_PROGRESS};
} // namespace

TEST(CommandPageRoundTrip, GeneratedCommandsComeBackUnchanged)
{
    const unsigned seed = Seed();
    std::printf("round trip seed %u\n", seed);
    CommandGenerator generator(seed);
    const std::wstring folder = FreshFolder(CurrentTestName());
    const int kCommands = 200;
    for (int n = 0; n < kCommands; ++n)
    {
        const CommandSpec spec = generator.Next();
        const std::wstring path = folder + L"c" + std::to_wstring(n) + L".Taskel";
        ASSERT_EQ(WriteCommandFile(path, spec), S_OK);
        const std::vector<BYTE> original = ReadBytes(path);
        SCOPED_TRACE("seed " + std::to_string(seed) + ", command " + std::to_string(n));

        CPageHost host(path, false, true);
        ASSERT_EQ(host.LoadResult(), S_OK);
        CTaskel &command = host.Command();
        const std::vector<std::wstring> sources = command.GetSources();
        const std::wstring target = command.GetTarget();
        const uint32_t options = command.GetOptions();
        const uint32_t action = command.GetAction();

        // OK without a change.
        ::SendMessageW(host.Sheet(), PSM_APPLY, 0, 0);
        ASSERT_EQ(ReadBytes(path), original);

        // Cut the first entry, paste it on the empty last row, once for
        // each entry; then copy and paste each one over itself.
        HWND list = host.Item(IDC_SOURCE_DESCRIPTIONS);
        for (size_t i = 0; i < sources.size(); ++i)
        {
            Select(list, 0);
            ::SendMessageW(list, WM_CUT, 0, 0);
            Select(list, static_cast<int>(sources.size()) - 1);
            ::SendMessageW(list, WM_PASTE, 0, 0);
        }
        EXPECT_EQ(command.GetSources(), sources);
        for (size_t i = 0; i < sources.size(); ++i)
        {
            Select(list, static_cast<int>(i));
            ::SendMessageW(list, WM_COPY, 0, 0);
            ::SendMessageW(list, WM_PASTE, 0, 0);
        }
        EXPECT_EQ(command.GetSources(), sources);
        HWND targetList = host.Item(IDC_TARGET_DESCRIPTIONS);
        if (!target.empty() && ::IsWindowVisible(targetList))
        {
            Select(targetList, 0);
            ::SendMessageW(targetList, WM_CUT, 0, 0);
            ::SendMessageW(targetList, WM_PASTE, 0, 0);
        }
        EXPECT_EQ(command.GetTarget(), target);

        // Each option box twice.
        for (int id : kOptionBoxes)
        {
            HWND box = host.Item(id);
            if (!box || !::IsWindowVisible(box) || !::IsWindowEnabled(box)) continue;
            ::SendMessageW(box, BM_CLICK, 0, 0);
            ::SendMessageW(box, BM_CLICK, 0, 0);
            EXPECT_EQ(command.GetOptions(), options) << "box " << id;
        }
        EXPECT_EQ(command.GetAction(), action);

        // Saved after all that, the file holds the same command.
        ::SendMessageW(host.Sheet(), PSM_APPLY, 0, 0);
        CTestCommand reader;
        ASSERT_EQ(LoadCommandFile(path, *reader), S_OK);
        EXPECT_EQ(reader->GetSources(), sources);
        EXPECT_EQ(reader->GetTarget(), target);
        EXPECT_EQ(reader->GetOptions(), options);
        EXPECT_EQ(reader->GetAction(), action);
        if (::testing::Test::HasFailure()) break; // one command's story is enough
    }
    SetDescriptionView(false);
}
