// The settings page's plain decisions: what the edits show for a
// definition, the "Reset" buttons, the level buttons and the change handler
// for typed names, paths and resets.
#include <gtest/gtest.h>

#include "JotwellDef.h"

namespace
{
const std::wstring kDesktop = L"C:\\Users\\me\\Desktop";
const std::wstring kCommon = L"C:\\Users\\Public\\Desktop";

CJotwellDef Ferrovane(const std::wstring &logName = std::wstring())
{
    CJotwellDef def;
    def.keyName = L"Ferrovane";
    def.defaultName = L"Ferrovane.log";
    def.logName = logName;
    return def;
}

// The change handler after the user typed `typed` as the file name.
JotwellFileView Typed(CJotwellDef &def, const std::wstring &typed, bool *changed = nullptr)
{
    JotwellFileView view = ShowDefinition(def, kDesktop);
    view.fileName = typed;
    bool result = ApplyFileChange(def, view, kDesktop);
    if (changed) *changed = result;
    return view;
}
} // namespace

TEST(JotwellPaths, BareNamesFoldersAndFiles)
{
    EXPECT_TRUE(IsBareFileName(L"trace.log"));
    EXPECT_FALSE(IsBareFileName(L"C:trace.log"));
    EXPECT_FALSE(IsBareFileName(L"logs\\trace.log"));
    EXPECT_FALSE(IsBareFileName(L"logs/trace.log"));
    EXPECT_EQ(FolderPart(L"C:\\Logs\\trace.log"), L"C:\\Logs");
    EXPECT_EQ(FilePart(L"C:\\Logs\\trace.log"), L"trace.log");
    EXPECT_EQ(FolderPart(L"C:\\trace.log"), L"C:\\");
    EXPECT_EQ(FolderPart(L"\\\\server\\share\\trace.log"), L"\\\\server\\share");
    EXPECT_EQ(CombinePath(L"C:\\", L"a.log"), L"C:\\a.log");
    EXPECT_EQ(CombinePath(L"C:\\Logs", L"a.log"), L"C:\\Logs\\a.log");
    EXPECT_EQ(TrimBlanks(L"  a b \t"), L"a b");
    EXPECT_EQ(TrimBlanks(L"   "), L"");
}

TEST(JotwellShow, BareNamesAtTheDefaultLocationAndPathsSplit)
{
    CJotwellDef def = Ferrovane();
    JotwellFileView view = ShowDefinition(def, kDesktop);
    EXPECT_EQ(view.location, kDesktop);
    EXPECT_EQ(view.fileName, L"Ferrovane.log");
    EXPECT_FALSE(LocationResetEnabled(view, kDesktop));
    EXPECT_FALSE(FileResetEnabled(view, def));

    def.logName = L"other.log";
    view = ShowDefinition(def, kDesktop);
    EXPECT_EQ(view.location, kDesktop);
    EXPECT_EQ(view.fileName, L"other.log");
    EXPECT_TRUE(FileResetEnabled(view, def));

    def.logName = L"D:\\Logs\\FERROVANE.LOG";
    view = ShowDefinition(def, kDesktop);
    EXPECT_EQ(view.location, L"D:\\Logs");
    EXPECT_EQ(view.fileName, L"FERROVANE.LOG");
    EXPECT_TRUE(LocationResetEnabled(view, kDesktop));
    EXPECT_FALSE(FileResetEnabled(view, def)) << "names compare without case";
}

TEST(JotwellShow, MachineDefinitionsUseTheCommonDesktopWhenKnown)
{
    CJotwellDef def = Ferrovane();
    EXPECT_EQ(DefaultLocation(def, kDesktop, kCommon), kDesktop);
    def.root = HKEY_LOCAL_MACHINE;
    EXPECT_EQ(DefaultLocation(def, kDesktop, kCommon), kCommon);
    EXPECT_EQ(DefaultLocation(def, kDesktop, L""), kDesktop);
    // No desktop at all: the name shows without a folder.
    JotwellFileView view = ShowDefinition(def, L"");
    EXPECT_EQ(view.location, L"");
    EXPECT_EQ(view.fileName, L"Ferrovane.log");
}

TEST(JotwellLevel, RadioButtonsEditOnlyTheLowFourBits)
{
    EXPECT_EQ(RadioLevel(0), 0);
    EXPECT_EQ(RadioLevel(0x3004), 4);
    EXPECT_EQ(RadioLevel(5), -1);
    EXPECT_EQ(RadioLevel(0x0F), -1);

    CJotwellDef def = Ferrovane();
    def.logLevel = 0x3102;
    EXPECT_FALSE(ApplyLevel(def, 2));
    EXPECT_TRUE(ApplyLevel(def, 4));
    EXPECT_EQ(def.logLevel, 0x3104);
    EXPECT_TRUE(ApplyLevel(def, 0));
    EXPECT_EQ(def.logLevel, 0x3100);
    def.logLevel = 0x000C; // no button shows it; choosing one replaces it
    EXPECT_TRUE(ApplyLevel(def, 1));
    EXPECT_EQ(def.logLevel, 0x0001);
}

TEST(JotwellChange, TypedFullPathSplitsAndBecomesTheLogName)
{
    CJotwellDef def = Ferrovane();
    bool changed = false;
    JotwellFileView view = Typed(def, L"  D:\\Logs\\Sub\\..\\run.log ", &changed);
    EXPECT_TRUE(changed);
    EXPECT_EQ(view.location, L"D:\\Logs");
    EXPECT_EQ(view.fileName, L"run.log");
    EXPECT_EQ(def.logName, L"D:\\Logs\\run.log");
    EXPECT_TRUE(LocationResetEnabled(view, kDesktop));

    // The same path in other letters is no change.
    view = Typed(def, L"d:\\logs\\RUN.LOG", &changed);
    EXPECT_FALSE(changed);
    EXPECT_EQ(def.logName, L"D:\\Logs\\run.log");
}

TEST(JotwellChange, NamesWithoutExtensionBecomeLogFiles)
{
    CJotwellDef def = Ferrovane();
    JotwellFileView view = Typed(def, L"mylog");
    EXPECT_EQ(view.fileName, L"mylog.log");
    EXPECT_EQ(def.logName, L"mylog.log") << "a bare name at the default location";
    view = Typed(def, L"dotted.");
    EXPECT_EQ(def.logName, L"dotted.log");
    view = Typed(def, L"keep.txt");
    EXPECT_EQ(def.logName, L"keep.txt");
    view = Typed(def, L"D:\\Logs\\noext");
    EXPECT_EQ(def.logName, L"D:\\Logs\\noext.log");
}

TEST(JotwellChange, DefaultNameAtDefaultLocationEmptiesTheLogName)
{
    CJotwellDef def = Ferrovane(L"other.log");
    bool changed = false;
    Typed(def, L"FERROVANE.LOG", &changed);
    EXPECT_TRUE(changed);
    EXPECT_EQ(def.logName, L"");
    Typed(def, L"Ferrovane.log", &changed);
    EXPECT_FALSE(changed);

    // A full path naming the default file in the default folder is the default too.
    def.logName = L"x.log";
    Typed(def, kDesktop + L"\\Ferrovane.log", &changed);
    EXPECT_EQ(def.logName, L"");
}

TEST(JotwellChange, ResetsRestoreTheDefaults)
{
    CJotwellDef def = Ferrovane(L"D:\\Logs\\run.log");
    JotwellFileView view = ShowDefinition(def, kDesktop);
    view.location.clear(); // Reset location
    EXPECT_TRUE(ApplyFileChange(def, view, kDesktop));
    EXPECT_EQ(view.location, kDesktop);
    EXPECT_EQ(def.logName, L"run.log");
    EXPECT_FALSE(LocationResetEnabled(view, kDesktop));

    view.fileName.clear(); // Reset file name
    EXPECT_TRUE(ApplyFileChange(def, view, kDesktop));
    EXPECT_EQ(view.fileName, L"Ferrovane.log");
    EXPECT_EQ(def.logName, L"");
    EXPECT_FALSE(FileResetEnabled(view, def));

    // Browsing a folder keeps the name and moves the file there.
    view.location = L"E:\\Traces";
    EXPECT_TRUE(ApplyFileChange(def, view, kDesktop));
    EXPECT_EQ(def.logName, L"E:\\Traces\\Ferrovane.log");
}

TEST(JotwellChange, NoDefaultNameLeavesAnEmptyNameEmpty)
{
    CJotwellDef def;
    def.keyName = L"Other";
    def.logName = L"x.log";
    JotwellFileView view = ShowDefinition(def, kDesktop);
    view.fileName.clear();
    EXPECT_TRUE(ApplyFileChange(def, view, kDesktop));
    EXPECT_EQ(view.fileName, L"") << "not \".log\"";
    EXPECT_EQ(def.logName, L"");
}
