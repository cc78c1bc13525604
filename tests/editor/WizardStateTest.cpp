// The wizard state without windows: navigation over several sources (Next
// and Back retrace the same path), the pages without a target step, the
// "Another" slot, the buttons, the header texts of every step and action,
// and the current step's folder and file part.
#include <gtest/gtest.h>

#include "TaskelClass.h"
#include "TaskelCommandFile.h"
#include "TaskelStrings.h"
#include "WizardState.h"
#include "resource.h"

namespace
{
class WizardStateTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        SetTaskelResourceModule(::GetModuleHandleW(nullptr));
        ASSERT_EQ(CreateCommandObject(m_dispatch, m_command), S_OK);
        m_state.SetCommand(m_command);
        m_state.SetName(L"made");
        m_state.SetFolder(L"C:\\Jobs\\");
    }
    void Sources(uint32_t action, std::initializer_list<const wchar_t *> sources,
                 const wchar_t *target = L"")
    {
        m_command->SetAction(action);
        long index = 0;
        for (const wchar_t *source : sources)
            m_command->SetSource(index++, source);
        m_command->SetTarget(target);
    }
    std::wstring Spec()
    {
        std::wstring spec;
        m_state.GetCurrentSpec(spec);
        return spec;
    }

    fx::ComPtr<IDispatch> m_dispatch;
    CTaskel *m_command = nullptr;
    WizardState m_state;
};

const LRESULT kFolder = LRESULT(WizardPage::Folder);
const LRESULT kFile = LRESULT(WizardPage::File);
const LRESULT kOptions = LRESULT(WizardPage::Options);
} // namespace

TEST(WizardPageKinds, KnownByTemplate)
{
    EXPECT_EQ(WizardPageFromTemplate(121), WizardPage::Action);
    EXPECT_EQ(WizardPageFromTemplate(122), WizardPage::File);
    EXPECT_EQ(WizardPageFromTemplate(123), WizardPage::Folder);
    EXPECT_EQ(WizardPageFromTemplate(124), WizardPage::Location);
    EXPECT_EQ(WizardPageFromTemplate(126), WizardPage::Options);
    EXPECT_EQ(WizardPageFromTemplate(125), WizardPage::Other);
    EXPECT_STREQ(WizardPageClassName(WizardPage::Folder), "CTaskelPropFolder");
}

TEST(WizardStateAlone, WithoutCommandNothingMoves)
{
    WizardState state;
    state.SetName(L"x");
    state.SetFolder(L"C:\\");
    std::wstring spec, folder, file;
    EXPECT_FALSE(state.GetCurrentSpec(spec));
    EXPECT_FALSE(state.SetCurrentSpec(L"C:\\a\\"));
    EXPECT_FALSE(state.SplitCurrentSpec(folder, file));
    EXPECT_FALSE(state.StoreCurrentSpec(L"C:\\a", L"b.txt"));
    for (WizardPage page : {WizardPage::Action, WizardPage::Location, WizardPage::Folder,
                            WizardPage::File, WizardPage::Options})
    {
        EXPECT_FALSE(state.CanGoNext(page));
        EXPECT_FALSE(state.CanFinish(page));
        EXPECT_EQ(state.GoNext(page), -1);
        EXPECT_EQ(state.GoBack(page), -1);
        bool show = true;
        EXPECT_TRUE(state.GoAgain(page, true, show));
        EXPECT_FALSE(show);
    }
}

TEST_F(WizardStateTest, CopyWithThreeSourcesStepsThroughEachFolderThenTheTargetAndBackAgain)
{
    Sources(EDIT_ACTION_COPY, {L"C:\\a\\", L"C:\\b\\*.txt", L"C:\\c\\"}, L"D:\\to\\");
    EXPECT_EQ(m_state.GoNext(WizardPage::Action), 0);
    EXPECT_EQ(m_state.CurrentIndex(), 0);
    EXPECT_EQ(Spec(), L"C:\\a\\");
    // Folder -> File -> Folder of the next source, for each source.
    std::vector<int> seen;
    for (int step = 0; step < 3; ++step)
    {
        EXPECT_EQ(m_state.GoNext(WizardPage::Folder), kFile);
        seen.push_back(m_state.CurrentIndex());
        EXPECT_EQ(m_state.GoNext(WizardPage::File), kFolder);
    }
    EXPECT_EQ(seen, (std::vector<int>{0, 1, 2}));
    // After the last source: the target's Folder page, then the Options page.
    EXPECT_EQ(m_state.CurrentIndex(), -1);
    EXPECT_EQ(Spec(), L"D:\\to\\");
    EXPECT_EQ(m_state.GoNext(WizardPage::Folder), kOptions);

    // Back retraces: target folder, then File and Folder of 3, 2, 1.
    EXPECT_EQ(m_state.GoBack(WizardPage::Options), kFolder);
    EXPECT_EQ(m_state.CurrentIndex(), -1);
    EXPECT_EQ(m_state.GoBack(WizardPage::Folder), kFile);
    EXPECT_EQ(m_state.CurrentIndex(), 2);
    EXPECT_EQ(m_state.GoBack(WizardPage::File), kFolder);
    EXPECT_EQ(m_state.GoBack(WizardPage::Folder), kFile);
    EXPECT_EQ(m_state.CurrentIndex(), 1);
    EXPECT_EQ(m_state.GoBack(WizardPage::File), kFolder);
    EXPECT_EQ(m_state.GoBack(WizardPage::Folder), kFile);
    EXPECT_EQ(m_state.CurrentIndex(), 0);
    EXPECT_EQ(m_state.GoBack(WizardPage::File), kFolder);
    // The first source's Folder page goes back to the page before it.
    EXPECT_EQ(m_state.GoBack(WizardPage::Folder), 0);
    EXPECT_EQ(m_state.CurrentIndex(), 0);
    // Other pages move to their neighbours.
    EXPECT_EQ(m_state.GoNext(WizardPage::Location), 0);
    EXPECT_EQ(m_state.GoBack(WizardPage::Action), 0);
}

TEST_F(WizardStateTest, DeleteAndRenameHaveNoTargetStep)
{
    for (uint32_t action : {EDIT_ACTION_DELETE, EDIT_ACTION_RENAME})
    {
        Sources(action, {L"C:\\tmp\\*.tmp"});
        m_state.SetCurrentIndex(0);
        EXPECT_EQ(m_state.GoNext(WizardPage::File), 0) << action; // on to the Options page
        EXPECT_EQ(m_state.CurrentIndex(), 0);
        EXPECT_EQ(m_state.GoBack(WizardPage::Options), 0) << action; // back to the File page
        EXPECT_EQ(m_state.CurrentIndex(), 0);
        EXPECT_TRUE(m_state.CanFinish(WizardPage::Options)) << action;
    }
    // Back from the target's Folder page of an empty command: the first slot.
    m_command->SetSource(-1, nullptr);
    m_state.SetCurrentIndex(-1);
    EXPECT_EQ(m_state.GoBack(WizardPage::Folder), kFile);
    EXPECT_EQ(m_state.CurrentIndex(), 0);
    // A File page on the target step moves on to its neighbour.
    m_state.SetCurrentIndex(-1);
    EXPECT_EQ(m_state.GoNext(WizardPage::File), 0);
}

TEST_F(WizardStateTest, AnotherOpensANewSlotAtTheLastSourceAndFinishesEarlier)
{
    Sources(EDIT_ACTION_COPY, {L"C:\\a\\", L"C:\\b\\"});
    bool show = false;
    m_state.SetCurrentIndex(0);
    EXPECT_FALSE(m_state.GoAgain(WizardPage::File, true, show)); // a later source: finish
    EXPECT_FALSE(show);
    EXPECT_EQ(m_state.CurrentIndex(), 1);
    EXPECT_TRUE(m_state.GoAgain(WizardPage::File, true, show)); // the last: a new slot
    EXPECT_TRUE(show);
    EXPECT_EQ(m_state.CurrentIndex(), 2);
    EXPECT_EQ(Spec(), L"");
    std::wstring title, subtitle;
    m_state.PageActivated(WizardPage::Folder, title, subtitle);
    EXPECT_EQ(title, L"Choose the third folder to copy from");
    // The new slot gets its folder; it becomes the third source.
    EXPECT_TRUE(m_state.StoreCurrentSpec(L"C:\\c", L""));
    EXPECT_EQ(m_command->GetSourceCount(), 3u);
    EXPECT_EQ(m_command->GetSources()[2], L"C:\\c\\");

    // The target step, another page, or no sheet window: never finish here.
    m_state.SetCurrentIndex(-1);
    EXPECT_TRUE(m_state.GoAgain(WizardPage::File, true, show));
    EXPECT_FALSE(show);
    m_state.SetCurrentIndex(0);
    EXPECT_TRUE(m_state.GoAgain(WizardPage::Folder, true, show));
    EXPECT_TRUE(m_state.GoAgain(WizardPage::File, false, show));
    EXPECT_EQ(m_state.CurrentIndex(), 0);
}

TEST_F(WizardStateTest, ButtonsFollowNameActionFolderAndTarget)
{
    Sources(EDIT_ACTION_COPY, {});
    m_state.SetCurrentIndex(0);
    EXPECT_TRUE(m_state.CanGoNext(WizardPage::Action));
    EXPECT_FALSE(m_state.CanGoNext(WizardPage::Folder)); // no folder yet
    EXPECT_TRUE(m_state.CanGoNext(WizardPage::File));
    EXPECT_TRUE(m_state.CanFinish(WizardPage::File));
    EXPECT_FALSE(m_state.CanFinish(WizardPage::Options)); // no source
    m_state.StoreCurrentSpec(L"C:\\a", L"");
    EXPECT_TRUE(m_state.CanGoNext(WizardPage::Folder));
    EXPECT_FALSE(m_state.CanFinish(WizardPage::Options)); // Copy needs a target
    EXPECT_FALSE(m_state.CanGoNext(WizardPage::Options));
    m_command->SetTarget(L"D:\\to\\");
    EXPECT_TRUE(m_state.CanFinish(WizardPage::Options));
    EXPECT_TRUE(m_state.CanGoNext(WizardPage::Options));
    EXPECT_FALSE(m_state.CanGoNext(WizardPage::Other));

    // Without a name nothing goes on, except the Location page (its folder).
    m_state.SetName(L"");
    EXPECT_FALSE(m_state.CanGoNext(WizardPage::Action));
    EXPECT_FALSE(m_state.CanFinish(WizardPage::File));
    EXPECT_TRUE(m_state.CanGoNext(WizardPage::Location));
    m_state.SetFolder(L"");
    EXPECT_FALSE(m_state.CanGoNext(WizardPage::Location));
    // Without an action the Action page holds.
    m_state.SetName(L"made");
    m_command->SetAction(EDIT_ACTION_NONE);
    EXPECT_FALSE(m_state.CanGoNext(WizardPage::Action));
    EXPECT_FALSE(m_state.CanFinish(WizardPage::Options));
}

TEST_F(WizardStateTest, HeaderTextsForEveryStepAndAction)
{
    struct Case
    {
        uint32_t action;
        int index;
        WizardPage page;
        const wchar_t *title;
        const wchar_t *subtitle;
    };
    const wchar_t *kept = L"(kept)";
    const Case cases[] = {
        {EDIT_ACTION_MOVE, -1, WizardPage::Folder, L"Choose the folder to move to", kept},
        {EDIT_ACTION_MOVERENAME, 0, WizardPage::Folder, L"Choose the folder to move from",
         L"Click Next to continue."},
        {EDIT_ACTION_MOVE, 1, WizardPage::Folder, L"Choose the second folder to move from",
         L"Click Next to continue."},
        {EDIT_ACTION_COPYRENAME, -1, WizardPage::Folder, L"Choose the folder to copy to", kept},
        {EDIT_ACTION_COPY, 8, WizardPage::Folder, L"Choose the ninth folder to copy from",
         L"Click Next to continue."},
        {EDIT_ACTION_COPY, 9, WizardPage::Folder, L"Choose the next folder to copy from",
         L"Click Next to continue."},
        {EDIT_ACTION_COPY, 14, WizardPage::Folder, L"Choose the next folder to copy from",
         L"Click Next to continue."},
        {EDIT_ACTION_RENAME, -1, WizardPage::Folder, L"Type new new file or folder name.", kept},
        {EDIT_ACTION_RENAME, 0, WizardPage::Folder, L"Choose the folder with files to rename",
         L"Click Next to continue."},
        {EDIT_ACTION_RENAME, 2, WizardPage::Folder,
         L"Choose the third folder with files to rename", L"Click Next to continue."},
        {EDIT_ACTION_DELETE, 0, WizardPage::Folder, L"Choose the folder to delete from",
         L"Click Next to continue."},
        {EDIT_ACTION_DELETE, 3, WizardPage::Folder, L"Choose the fourth folder to delete from",
         L"Click Next to continue."},
        {EDIT_ACTION_DELETE, -1, WizardPage::Folder, kept, kept},
        {EDIT_ACTION_MOVE, 0, WizardPage::File, L"Choose the file(s) to move",
         L"Leave this page empty to move the entire folder.  Click Next to continue."},
        {EDIT_ACTION_MOVE, 1, WizardPage::File, L"Choose the file(s) to move",
         L"Leave this page empty to move the entire folder.  Click Next to continue, or click "
         L"Another to choose an additional folder."},
        {EDIT_ACTION_COPY, 0, WizardPage::File, L"Choose the file(s) to copy",
         L"Leave this page empty to copy the entire folder.  Click Next to continue."},
        {EDIT_ACTION_COPYRENAME, 1, WizardPage::File, L"Choose the file(s) to copy",
         L"Leave this page empty to copy the entire folder.  Click Next to continue, or click "
         L"Another to choose an additional folder."},
        {EDIT_ACTION_RENAME, 0, WizardPage::File, L"Choose the file(s) to rename",
         L"Click Next to continue."},
        {EDIT_ACTION_RENAME, 1, WizardPage::File, L"Choose the file(s) to rename",
         L"Click Next to continue, or click Another to choose an additional folder."},
        {EDIT_ACTION_DELETE, 0, WizardPage::File, L"Choose the file(s) to delete",
         L"Leave this page empty to delete the entire folder.  Click Next to continue."},
        {EDIT_ACTION_DELETE, 1, WizardPage::File, L"Choose the file(s) to delete",
         L"Leave this page empty to delete the entire folder.  Click Next to continue, or "
         L"click Another to choose an additional folder."},
        {EDIT_ACTION_COPY, 0, WizardPage::Action, kept, kept},
        {EDIT_ACTION_COPY, 0, WizardPage::Options, kept, kept},
    };
    Sources(EDIT_ACTION_COPY, {L"C:\\a\\", L"C:\\b\\"}); // two sources: index 1 is the last
    for (const Case &c : cases)
    {
        m_command->SetAction(c.action);
        m_state.SetCurrentIndex(c.index);
        std::wstring title = kept, subtitle = kept;
        const WizardFinishButton finish = m_state.PageActivated(c.page, title, subtitle);
        EXPECT_EQ(title, c.title) << c.action << " " << c.index;
        EXPECT_EQ(subtitle, c.subtitle) << c.action << " " << c.index;
        // "Another" only on the File page at the last source.
        const bool another = c.page == WizardPage::File && c.index >= 1;
        EXPECT_EQ(finish.another, another) << c.action << " " << c.index;
        EXPECT_EQ(finish.helpId, another ? 1005u : 1003u);
    }
}

TEST_F(WizardStateTest, SplitTakesTheLastComponentOfFilesOnly)
{
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    const std::wstring plainFile = std::wstring(temp) + L"wizard-split-" +
                                   std::to_wstring(::GetCurrentProcessId());
    ::CloseHandle(::CreateFileW(plainFile.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0,
                                nullptr));
    const size_t slash = plainFile.find_last_of(L'\\');
    struct Case
    {
        std::wstring spec, folder, file;
    };
    const Case cases[] = {
        {L"C:\\", L"C:\\", L""},
        {L"C:", L"C:\\", L""},
        {L"\\\\server\\share", L"\\\\server\\share\\", L""},
        {L"C:\\logs\\", L"C:\\logs\\", L""},
        {L"C:\\logs\\old", L"C:\\logs\\old\\", L""},     // no extension, no such file
        {L"C:\\logs\\a.txt", L"C:\\logs\\", L"a.txt"},
        {L"C:\\logs\\*.tmp", L"C:\\logs\\", L"*.tmp"},
        {L"C:\\logs\\rep*", L"C:\\logs\\", L"rep*"},     // a pattern is never a folder name
        {L"C:\\logs\\*.txt>*.bak", L"C:\\logs\\", L"*.txt>*.bak"},
        {L"sub\\a.txt", L"sub\\", L"a.txt"},
        {L"a.txt", L"", L"a.txt"},
        {L"", L"", L""},                                 // an empty step has no folder
        {plainFile, plainFile.substr(0, slash + 1), plainFile.substr(slash + 1)},
    };
    m_command->SetAction(EDIT_ACTION_COPY);
    m_state.SetCurrentIndex(-1);
    for (const Case &c : cases)
    {
        m_command->SetTarget(c.spec);
        std::wstring folder = L"x", file = L"x";
        EXPECT_TRUE(m_state.SplitCurrentSpec(folder, file)) << c.spec;
        EXPECT_EQ(folder, c.folder) << c.spec;
        EXPECT_EQ(file, c.file) << c.spec;
    }
    ::DeleteFileW(plainFile.c_str());

    // A source slot past the end splits into nothing.
    m_state.SetCurrentIndex(5);
    std::wstring folder = L"x", file = L"x";
    EXPECT_TRUE(m_state.SplitCurrentSpec(folder, file));
    EXPECT_EQ(folder, L"");
    EXPECT_EQ(file, L"");
}

TEST_F(WizardStateTest, StoreJoinsFolderAndFileIntoTheCurrentStep)
{
    m_command->SetAction(EDIT_ACTION_COPY);
    m_state.SetCurrentIndex(0);
    EXPECT_TRUE(m_state.StoreCurrentSpec(L"C:\\a", L"*.txt"));
    EXPECT_EQ(Spec(), L"C:\\a\\*.txt");
    EXPECT_TRUE(m_state.StoreCurrentSpec(L"C:\\a\\", L""));
    EXPECT_EQ(Spec(), L"C:\\a\\");
    EXPECT_TRUE(m_state.StoreCurrentSpec(L"", L"b.txt"));
    EXPECT_EQ(Spec(), L"b.txt");
    EXPECT_EQ(m_command->GetSourceCount(), 1u);
    m_state.SetCurrentIndex(-1);
    EXPECT_TRUE(m_state.StoreCurrentSpec(L"D:\\to", L""));
    EXPECT_EQ(m_command->GetTarget(), L"D:\\to\\");
    // Round trip: what is split is stored back unchanged.
    std::wstring folder, file;
    m_state.SetCurrentIndex(0);
    m_state.SetCurrentSpec(L"C:\\a\\*.txt>*.bak");
    ASSERT_TRUE(m_state.SplitCurrentSpec(folder, file));
    ASSERT_TRUE(m_state.StoreCurrentSpec(folder, file));
    EXPECT_EQ(Spec(), L"C:\\a\\*.txt>*.bak");
}

// Emptying the folder of one step, then typing again, touches that step
// only: the later sources keep their places, and Back with the field empty
// keeps the source.
TEST_F(WizardStateTest, AnEmptiedStepLeavesEveryOtherSourceInPlace)
{
    Sources(EDIT_ACTION_COPY, {L"C:\\a\\", L"C:\\b\\", L"C:\\c\\"}, L"D:\\to\\");
    m_state.SetCurrentIndex(1);
    EXPECT_TRUE(m_state.StoreCurrentSpec(L"", L""));
    EXPECT_EQ(m_command->GetSources(),
              (std::vector<std::wstring>{L"C:\\a\\", L"C:\\b\\", L"C:\\c\\"}));
    EXPECT_EQ(Spec(), L"");
    EXPECT_FALSE(m_state.CanGoNext(WizardPage::Folder));
    // The next keystroke is the new folder of this step.
    EXPECT_TRUE(m_state.StoreCurrentSpec(L"E", L""));
    EXPECT_EQ(m_command->GetSources(),
              (std::vector<std::wstring>{L"C:\\a\\", L"E\\", L"C:\\c\\"}));
    EXPECT_TRUE(m_state.StoreCurrentSpec(L"", L""));
    EXPECT_EQ(m_state.GoBack(WizardPage::Folder), kFile);
    EXPECT_EQ(m_command->GetSources(),
              (std::vector<std::wstring>{L"C:\\a\\", L"E\\", L"C:\\c\\"}));
    EXPECT_EQ(m_state.CurrentIndex(), 0);
    EXPECT_EQ(Spec(), L"C:\\a\\");
    // The target may be emptied: it is one field, not a list.
    m_state.SetCurrentIndex(-1);
    EXPECT_TRUE(m_state.StoreCurrentSpec(L"", L""));
    EXPECT_EQ(m_command->GetTarget(), L"");
    EXPECT_EQ(m_command->GetSourceCount(), 3u);
}

// "Another" opens a slot that the Folder page fills with the folder it
// offers; Back drops the slot again, and only a folder the user chose (or
// Next) keeps it.
TEST_F(WizardStateTest, BackOutOfAnotherLeavesNoSourceBehind)
{
    Sources(EDIT_ACTION_COPY, {L"C:\\a\\*.txt"}, L"D:\\to\\");
    m_state.SetCurrentIndex(0);
    bool showFolder = false;
    EXPECT_TRUE(m_state.GoAgain(WizardPage::File, true, showFolder));
    EXPECT_TRUE(showFolder);
    EXPECT_EQ(m_state.CurrentIndex(), 1);
    // The Folder page offers the command's folder.
    EXPECT_TRUE(m_state.StoreCurrentSpec(L"C:\\Jobs\\", L""));
    m_state.MarkOfferedFolder();
    EXPECT_EQ(m_command->GetSourceCount(), 2u);
    // Back stores the same folder again first, as the page does.
    EXPECT_TRUE(m_state.StoreCurrentSpec(L"C:\\Jobs\\", L""));
    EXPECT_EQ(m_state.GoBack(WizardPage::Folder), kFile);
    EXPECT_EQ(m_command->GetSources(), std::vector<std::wstring>{L"C:\\a\\*.txt"});
    EXPECT_EQ(m_state.CurrentIndex(), 0);

    // A folder chosen in the slot stays after Back.
    EXPECT_TRUE(m_state.GoAgain(WizardPage::File, true, showFolder));
    EXPECT_TRUE(m_state.StoreCurrentSpec(L"C:\\Jobs\\", L""));
    m_state.MarkOfferedFolder();
    EXPECT_TRUE(m_state.StoreCurrentSpec(L"C:\\b\\", L""));
    EXPECT_EQ(m_state.GoBack(WizardPage::Folder), kFile);
    EXPECT_EQ(m_command->GetSources(),
              (std::vector<std::wstring>{L"C:\\a\\*.txt", L"C:\\b\\"}));

    // Next takes the offered folder.
    m_state.SetCurrentIndex(1);
    EXPECT_TRUE(m_state.GoAgain(WizardPage::File, true, showFolder));
    EXPECT_TRUE(m_state.StoreCurrentSpec(L"C:\\Jobs\\", L""));
    m_state.MarkOfferedFolder();
    EXPECT_EQ(m_state.GoNext(WizardPage::Folder), kFile);
    EXPECT_EQ(m_state.GoBack(WizardPage::File), kFolder);
    EXPECT_EQ(m_state.GoBack(WizardPage::Folder), kFile);
    EXPECT_EQ(m_command->GetSourceCount(), 3u);
}
