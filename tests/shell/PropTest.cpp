// The property-sheet handler in this process: Initialize keeps the shell's
// selection in order; AddPages hands the shell a command page per command
// file and the Preferences page after a sound last file, leaves out later
// files that cannot be shown, and leaves nothing behind once the pages it
// handed out are gone and the page objects swept.
#include <gtest/gtest.h>

#include <shlobj.h>

#include "ComObject.h"
#include "ComPtr.h"
#include "PropertyPageObj.h"
#include "ShellTestSupport.h"
#include "TaskelOptions.h"
#include "TaskelProp.h"
#include "TestLines.h"

namespace
{

// A fresh handler with both of its interfaces.
struct Handler
{
    Handler()
    {
        CTaskelProp *prop = new CTaskelProp;
        prop->ExternalAddRef();
        EXPECT_EQ(prop->ExternalQueryInterface(IID_IShellExtInit, init.put_void()), S_OK);
        prop->ExternalRelease();
        EXPECT_EQ(init.query(IID_IShellPropSheetExt, sheet), S_OK);
        object = prop;
    }
    fx::ComPtr<IShellExtInit> init;
    fx::ComPtr<IShellPropSheetExt> sheet;
    CTaskelProp *object = nullptr;
};

TEST(PropHandler, InitializeKeepsTheSelectionInOrder)
{
    Handler handler;
    // Names past 260 characters are cut as the shell's own buffers cut them.
    std::wstring longName = L"C:\\" + std::wstring(300, L'n') + L".Taskel";
    CDropObject drop({L"C:\\b.Taskel", L"C:\\a.Taskel", longName});
    EXPECT_EQ(handler.init->Initialize(nullptr, &drop, nullptr), S_OK);
    EXPECT_EQ(drop.m_refs, 1u); // used, not kept
    ASSERT_EQ(handler.object->Files().size(), 3u);
    EXPECT_EQ(handler.object->Files()[0], L"C:\\b.Taskel");
    EXPECT_EQ(handler.object->Files()[1], L"C:\\a.Taskel");
    EXPECT_EQ(handler.object->Files()[2], longName.substr(0, MAX_PATH - 1));

    // A second Initialize starts over; none at all is fine too, and then
    // there is nothing to show.
    EXPECT_EQ(handler.init->Initialize(nullptr, nullptr, nullptr), S_OK);
    EXPECT_TRUE(handler.object->Files().empty());
    EXPECT_EQ(handler.sheet->AddPages(nullptr, 0), E_FAIL);
    EXPECT_EQ(handler.sheet->ReplacePage(0, nullptr, 0), E_NOTIMPL);
}

// The shell's side of AddPages: it keeps the page handles it accepts, and
// can be told to refuse from a given page on.
struct ShellPages
{
    std::vector<HPROPSHEETPAGE> pages;
    size_t refuseFrom = SIZE_MAX;
    size_t offered = 0;

    static BOOL CALLBACK Add(HPROPSHEETPAGE page, LPARAM lParam)
    {
        auto *shell = reinterpret_cast<ShellPages *>(lParam);
        if (shell->offered++ >= shell->refuseFrom) return FALSE;
        shell->pages.push_back(page);
        return TRUE;
    }
    // The shell lets the pages go without showing them.
    void DestroyAll()
    {
        for (HPROPSHEETPAGE page : pages)
            ::DestroyPropertySheetPage(page);
        pages.clear();
    }
};

class PropPages : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        m_folder = FreshFolder(CurrentTestName());
        m_log = m_folder + L"shell.log";
        m_level.SetDword(4);
        m_file.SetString(m_log);
        m_locks = fx::ModuleLockCount();
        for (const wchar_t *name : {L"a", L"b", L"c"})
            WriteCommandFile(m_folder + name + L".Taskel", EDIT_ACTION_COPY, {L"*.txt"}, L"out");
        WriteText(m_folder + L"bad.Taskel", "not a command file");
    }
    void TearDown() override
    {
        m_shell.DestroyAll();
        SweepUnusedPageObjects();
        EXPECT_EQ(RegisteredPageObjectCount(), 0u);
        EXPECT_EQ(fx::ModuleLockCount(), m_locks); // nothing outlives the pages
    }

    HRESULT AddPages(const std::vector<std::wstring> &names)
    {
        std::vector<std::wstring> paths;
        for (const std::wstring &name : names)
            paths.push_back(m_folder + name);
        CDropObject drop(paths);
        Handler handler;
        EXPECT_EQ(handler.init->Initialize(nullptr, &drop, nullptr), S_OK);
        return handler.sheet->AddPages(&ShellPages::Add, reinterpret_cast<LPARAM>(&m_shell));
    }
    size_t Count(const char *marker) const
    {
        size_t count = 0;
        for (const std::string &line : ReadLines(m_log))
            count += line.find(marker) != std::string::npos;
        return count;
    }
    // The classes of the pages added, in order, from the trace log.
    std::vector<std::string> Added() const
    {
        std::vector<std::string> classes;
        for (const std::string &line : ReadLines(m_log))
        {
            const size_t at = line.find("  Page [");
            if (at == std::string::npos || line.find("] Added UsedCount [") == std::string::npos)
                continue;
            classes.push_back(line.substr(at + 8, line.find(']', at) - at - 8));
        }
        return classes;
    }

    std::wstring m_folder, m_log;
    CSavedValue m_level{HKEY_CURRENT_USER, L"Software\\Veltrac\\FerrovaneShellTest", L"LogLevel"};
    CSavedValue m_file{HKEY_CURRENT_USER, L"Software\\Veltrac\\FerrovaneShellTest", L"LogFile"};
    long m_locks = 0;
    ShellPages m_shell;
};

const std::vector<std::string> kThreePagesAndPreferences = {
    "CTaskelPropPage", "CTaskelPropPage", "CTaskelPropPage", "CTaskelPreferences"};

TEST_F(PropPages, OneCommandPagePerFileThenPreferences)
{
    // A name without extension is completed to the command file.
    EXPECT_EQ(AddPages({L"a.Taskel", L"b", L"c.Taskel"}), 1);
    EXPECT_EQ(m_shell.pages.size(), 4u);
    EXPECT_EQ(Added(), kThreePagesAndPreferences);
    EXPECT_EQ(RegisteredPageObjectCount(), 4u);
    // The shell still holds the pages: nothing is released.
    EXPECT_EQ(SweepUnusedPageObjects(), 0u);
    m_shell.DestroyAll();
    EXPECT_EQ(SweepUnusedPageObjects(), 4u);
    EXPECT_EQ(Count("  Releasing unused [CTaskelPropPage] [1]"), 3u);
    EXPECT_EQ(Count("  Releasing unused [CTaskelPreferences] [1]"), 1u);
}

TEST_F(PropPages, LaterFilesThatCannotBeShownAreLeftOut)
{
    EXPECT_EQ(AddPages({L"a.Taskel", L"bad.Taskel", L"missing.Taskel", L"c.Taskel"}), 1);
    EXPECT_EQ(Added(), std::vector<std::string>({"CTaskelPropPage", "CTaskelPropPage",
                                                 "CTaskelPreferences"}));
}

TEST_F(PropPages, AFailingLastFileMeansNoPreferencesAndItsError)
{
    const HRESULT hr = AddPages({L"a.Taskel", L"b.Taskel", L"bad.Taskel"});
    EXPECT_TRUE(FAILED(hr)) << std::hex << hr;
    EXPECT_EQ(Added(), std::vector<std::string>({"CTaskelPropPage", "CTaskelPropPage"}));
}

TEST_F(PropPages, AFailingFirstFileAddsNothing)
{
    EXPECT_TRUE(FAILED(AddPages({L"bad.Taskel", L"a.Taskel"})));
    EXPECT_TRUE(FAILED(AddPages({L"missing", L"a.Taskel"})));
    EXPECT_TRUE(m_shell.pages.empty());
    EXPECT_TRUE(Added().empty());
}

TEST_F(PropPages, PagesTheShellRefusesAreDestroyedAtOnce)
{
    // Refused first page: the call fails and nothing is registered.
    m_shell.refuseFrom = 0;
    EXPECT_EQ(AddPages({L"a.Taskel", L"b.Taskel"}), E_FAIL);
    EXPECT_EQ(RegisteredPageObjectCount(), 0u);
    EXPECT_EQ(Count("  Page [CTaskelPropPage] Not Added UsedCount ["), 1u);

    // Refused Preferences page: its failure is the result.
    m_shell = ShellPages{};
    m_shell.refuseFrom = 2;
    EXPECT_EQ(AddPages({L"a.Taskel", L"b.Taskel"}), E_FAIL);
    EXPECT_EQ(RegisteredPageObjectCount(), 2u);
    EXPECT_EQ(Count("  Page [CTaskelPreferences] Not Added UsedCount ["),
              1u);
}

} // namespace
