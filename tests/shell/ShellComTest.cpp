// The built Taskel.dll in the test prefix: registered with regsvr32, its
// classes activated through the registry as the shell activates them, the
// info tip asked through IPersistFile and IQueryInfo, the verbs started
// through ShellExecuteExW, and unregistered again.
#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include "ComPtr.h"
#include "ShellTestSupport.h"
#include "TestLauncher.h"
#include "TaskelGuids.h"
#include "TaskelOptions.h"

namespace
{

const wchar_t kClsidTaskel[] = L"{A0E43D26-522B-40AA-B01F-E3FC037A0F52}";
const wchar_t kClsidInfoTip[] = L"{73A91744-E690-46D4-BF6E-D64C4EF77003}";
const wchar_t kClsidProp[] = L"{164914BE-8165-43D9-B304-090FFBE4D4B7}";
const wchar_t kCategory[] = L"{21556C40-465F-11D2-B3A2-00600831FF5A}";
const wchar_t kApproved[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved";

struct ClassRow
{
    const wchar_t *clsid;
    const wchar_t *progId;
    const wchar_t *typeName;
};
const ClassRow kClasses[] = {{kClsidTaskel, L"Veltrac.Taskel", L"File Command"},
                             {kClsidInfoTip, L"Veltrac.TaskelInfoTip", L"File Command Info Tip"},
                             {kClsidProp, L"Veltrac.TaskelProp", L"File Command Properties"}};

std::wstring PathForm(DWORD(WINAPI *convert)(LPCWSTR, LPWSTR, DWORD), const std::wstring &path)
{
    wchar_t result[MAX_PATH * 2] = L"";
    DWORD length = convert(path.c_str(), result, ARRAYSIZE(result));
    return length ? std::wstring(result, length) : path;
}

std::wstring Quoted(const std::wstring &path)
{
    return path.find(L' ') == std::wstring::npos ? path : L"\"" + path + L"\"";
}

std::wstring Classes(const std::wstring &path)
{
    return L"SOFTWARE\\Classes\\" + path;
}

// The rows of the registration layout that depend on the library's place.
void ExpectPlaceRows(const std::wstring &library)
{
    const std::wstring longPath = PathForm(::GetLongPathNameW, library);
    const std::wstring dir = longPath.substr(0, longPath.rfind(L'\\') + 1);
    const std::wstring zelk = Quoted(dir + L"ZELK.EXE");
    const std::wstring admin = Quoted(dir + L"ZELKadmin.EXE");
    const std::wstring shell = L"Veltrac.Taskel\\shell\\";
    EXPECT_EQ(RegText(HKEY_CLASSES_ROOT, shell + L"Open\\Command"), zelk + L" /run \"%1\"");
    EXPECT_EQ(RegText(HKEY_CLASSES_ROOT, shell + L"OpenQuiet\\Command"),
              zelk + L" /run /ne+ \"%1\"");
    EXPECT_EQ(RegText(HKEY_CLASSES_ROOT, shell + L"Edit\\Command"), zelk + L" /edit \"%1\"");
    EXPECT_EQ(RegText(HKEY_CLASSES_ROOT, shell + L"Preview\\Command"),
              zelk + L" /preview \"%1\"");
    EXPECT_EQ(RegText(HKEY_CLASSES_ROOT, shell + L"AdminOpen\\Command"), admin + L" /run \"%1\"");
    EXPECT_EQ(RegText(HKEY_CLASSES_ROOT, shell + L"OpenQuietAdmin\\Command"),
              admin + L" /run /ne+ \"%1\"");
    EXPECT_EQ(RegText(HKEY_CLASSES_ROOT, shell + L"EditAdmin\\Command"), admin + L" /edit \"%1\"");
    EXPECT_EQ(RegText(HKEY_CLASSES_ROOT, L".Taskel\\Veltrac.Taskel\\ShellNew", L"Command"),
              zelk + L" /new \"%1\"");
    for (const ClassRow &row : kClasses)
    {
        const std::wstring server =
            Classes(std::wstring(L"CLSID\\") + row.clsid + L"\\InProcServer32");
        EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, server), Quoted(longPath)) << row.progId;
        EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, server, L"ThreadingModel"), L"Apartment");
    }
    EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, Classes(std::wstring(L"CLSID\\") + kClsidTaskel),
                      L"LocalizedString"),
              L"@" + longPath + L",-1");
    EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, Classes(L"Veltrac.Taskel\\DefaultIcon")),
              longPath + L",0");
}

class ShellServer : public ::testing::Test
{
  protected:
    static void SetUpTestSuite()
    {
        ::CoInitialize(nullptr);
        s_library = BuildFolder(SHELL_BINARY_DIR) + L"Taskel.dll";
        ASSERT_EQ(Regsvr32(s_library), 0u);
    }
    static void TearDownTestSuite() { ::CoUninitialize(); }

    static std::wstring s_library;
};
std::wstring ShellServer::s_library;

TEST_F(ShellServer, RegistrationWritesTheLayout)
{
    EXPECT_EQ(RegText(HKEY_CLASSES_ROOT, L"Veltrac.Taskel"), L"File Command");
    EXPECT_EQ(RegDword(HKEY_CLASSES_ROOT, L"Veltrac.Taskel", L"EditFlags"), 0x00103FE5u);
    EXPECT_EQ(RegText(HKEY_CLASSES_ROOT, L"Veltrac.Taskel\\shell"), L"Open");
    EXPECT_EQ(RegText(HKEY_CLASSES_ROOT, L"Veltrac.Taskel\\shell\\Open"), L"Run");
    EXPECT_EQ(RegText(HKEY_CLASSES_ROOT, L"Veltrac.Taskel\\shell\\OpenQuiet"), L"Run quiet");
    EXPECT_EQ(RegText(HKEY_CLASSES_ROOT, L"Veltrac.Taskel\\shell\\Preview"), L"Preview");
    bool present = true;
    RegText(HKEY_CLASSES_ROOT, L"Veltrac.Taskel\\shell\\Edit", nullptr, &present);
    EXPECT_FALSE(present); // the Edit verb shows the shell's own text
    EXPECT_EQ(RegText(HKEY_CLASSES_ROOT, L"Veltrac.Taskel\\shell\\AdminOpen"),
              L"Run as administrator");
    EXPECT_EQ(RegText(HKEY_CLASSES_ROOT, L"Veltrac.Taskel\\shell\\OpenQuietAdmin"),
              L"Run quiet as administrator");
    EXPECT_EQ(RegText(HKEY_CLASSES_ROOT, L"Veltrac.Taskel\\shell\\EditAdmin"),
              L"Edit as administrator");
    EXPECT_EQ(RegText(HKEY_CLASSES_ROOT, L".Taskel"), L"Veltrac.Taskel");
    for (const wchar_t *app : {L"Taskel.dll", L"ZELK.EXE", L"ZELKadmin.EXE"})
    {
        RegText(HKEY_CLASSES_ROOT, std::wstring(L"Applications\\") + app, L"NoOpenWith", &present);
        EXPECT_TRUE(present) << app;
    }
    ExpectPlaceRows(s_library);

    for (const ClassRow &row : kClasses)
    {
        const std::wstring classKey = std::wstring(L"CLSID\\") + row.clsid;
        EXPECT_EQ(RegText(HKEY_CLASSES_ROOT, classKey), row.typeName);
        EXPECT_EQ(RegText(HKEY_CLASSES_ROOT, classKey + L"\\ProgID"), row.progId);
        EXPECT_EQ(RegText(HKEY_CLASSES_ROOT, row.progId), row.typeName);
        EXPECT_EQ(RegText(HKEY_CLASSES_ROOT, std::wstring(row.progId) + L"\\CLSID"), row.clsid);
        EXPECT_TRUE(
            KeyExists(HKEY_CLASSES_ROOT, classKey + L"\\Implemented Categories\\" + kCategory));
        EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, kApproved, row.clsid), row.typeName);
    }
    const std::wstring taskelKey = Classes(std::wstring(L"CLSID\\") + kClsidTaskel);
    EXPECT_EQ(RegDword(HKEY_LOCAL_MACHINE, taskelKey + L"\\Elevation", L"Enabled"), 1u);
    EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE,
                      Classes(std::wstring(L"Component Categories\\") + kCategory), L"409"),
              L"Veltrac");
    EXPECT_EQ(
        RegText(HKEY_LOCAL_MACHINE,
                Classes(L"Veltrac.Taskel\\shellex\\PropertySheetHandlers\\Command Properties")),
        kClsidProp);
    EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE,
                      Classes(L"Veltrac.Taskel\\shellex\\{00021500-0000-0000-C000-000000000046}")),
              kClsidInfoTip);
}

TEST_F(ShellServer, SecondRegistrationKeepsTypeNamesAndRewritesIdentifiers)
{
    const std::wstring classKey = std::wstring(L"CLSID\\") + kClsidInfoTip;
    auto set = [](const std::wstring &key, const wchar_t *text) {
        ::RegSetKeyValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, REG_SZ, text,
                          static_cast<DWORD>((wcslen(text) + 1) * sizeof(wchar_t)));
    };
    set(L"Veltrac.TaskelInfoTip", L"Renamed type");
    set(classKey, L"Renamed class");
    set(L"Veltrac.TaskelInfoTip\\CLSID", L"{00000000-0000-0000-0000-000000000000}");
    set(classKey + L"\\ProgID", L"Other.ProgID");
    set(classKey + L"\\InProcServer32", L"C:\\elsewhere.dll");

    ASSERT_EQ(Regsvr32(s_library), 0u);
    EXPECT_EQ(RegText(HKEY_CLASSES_ROOT, L"Veltrac.TaskelInfoTip"), L"Renamed type");
    EXPECT_EQ(RegText(HKEY_CLASSES_ROOT, classKey), L"Renamed class");
    EXPECT_EQ(RegText(HKEY_CLASSES_ROOT, L"Veltrac.TaskelInfoTip\\CLSID"), kClsidInfoTip);
    EXPECT_EQ(RegText(HKEY_CLASSES_ROOT, classKey + L"\\ProgID"), L"Veltrac.TaskelInfoTip");
    EXPECT_EQ(RegText(HKEY_CLASSES_ROOT, classKey + L"\\InProcServer32"),
              Quoted(PathForm(::GetLongPathNameW, s_library)));
    set(L"Veltrac.TaskelInfoTip", L"File Command Info Tip");
    set(classKey, L"File Command Info Tip");
}

TEST_F(ShellServer, EveryClassActivatesThroughTheRegistry)
{
    for (const ClassRow &row : kClasses)
    {
        CLSID clsid;
        ASSERT_EQ(::CLSIDFromString(row.clsid, &clsid), S_OK);
        fx::ComPtr<IUnknown> object;
        EXPECT_EQ(::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                     object.put_void()),
                  S_OK)
            << row.progId;
    }
    fx::ComPtr<IShellPropSheetExt> sheet;
    EXPECT_EQ(::CoCreateInstance(CLSID_TaskelProp, nullptr, CLSCTX_INPROC_SERVER,
                                 IID_IShellPropSheetExt, sheet.put_void()),
              S_OK);
}

// Once the class is registered, a saved command file is a plain compound
// file behind its 16-byte prefix whose "\1CompObj" stream names the
// "Object Descriptor" format and the registered user type.
TEST_F(ShellServer, SavedFileCarriesTheRegisteredUserType)
{
    const std::wstring folder = TestFolder() + L"\\";
    WriteCommandFile(folder + L"typed.Taskel", EDIT_ACTION_COPY, {L"*.txt"}, L"out");
    HANDLE in = ::CreateFileW((folder + L"typed.Taskel").c_str(), GENERIC_READ, FILE_SHARE_READ,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(in, INVALID_HANDLE_VALUE);
    std::vector<BYTE> bytes(::GetFileSize(in, nullptr));
    DWORD read = 0;
    ::ReadFile(in, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    ::CloseHandle(in);
    ASSERT_GT(read, 16u);
    WriteBytes(folder + L"typed.stg", std::vector<BYTE>(bytes.begin() + 16, bytes.begin() + read));

    fx::ComPtr<IStorage> root;
    ASSERT_EQ(::StgOpenStorage((folder + L"typed.stg").c_str(), nullptr,
                               STGM_READ | STGM_SHARE_EXCLUSIVE, nullptr, 0, root.put()),
              S_OK);
    CLSID clsid = {};
    EXPECT_EQ(::ReadClassStg(root.get(), &clsid), S_OK);
    EXPECT_TRUE(IsEqualCLSID(clsid, CLSID_Taskel));
    CLIPFORMAT format = 0;
    LPOLESTR userType = nullptr;
    ASSERT_EQ(::ReadFmtUserTypeStg(root.get(), &format, &userType), S_OK);
    EXPECT_EQ(format, static_cast<CLIPFORMAT>(::RegisterClipboardFormatW(L"Object Descriptor")));
    EXPECT_STREQ(userType, L"File Command");
    ::CoTaskMemFree(userType);
}

// The info tip as the shell drives it, with the library's own texts.
struct ShellInfoTip
{
    fx::ComPtr<IPersistFile> file;
    fx::ComPtr<IQueryInfo> query;
    ShellInfoTip()
    {
        ::CoCreateInstance(CLSID_TaskelInfoTip, nullptr, CLSCTX_INPROC_SERVER, IID_IPersistFile,
                           file.put_void());
        if (file) file.query(IID_IQueryInfo, query);
    }
    HRESULT Tip(std::wstring &text)
    {
        WCHAR *raw = nullptr;
        HRESULT hr = query->GetInfoTip(QITIPF_DEFAULT, &raw);
        text = raw ? raw : L"<null>";
        ::CoTaskMemFree(raw);
        return hr;
    }
    std::wstring TipOf(const std::wstring &path)
    {
        std::wstring text;
        if (file->Load(path.c_str(), STGM_READ) != S_OK) return L"<not loaded>";
        if (Tip(text) != S_OK) return L"<no tip>";
        return text;
    }
};

TEST_F(ShellServer, InfoTipDescribesTheCommand)
{
    const std::wstring folder = TestFolder() + L"\\";
    WriteCommandFile(folder + L"delete.Taskel", EDIT_ACTION_DELETE,
                     {L"C:\\Logs\\*.log", L"old\\", L"\\\\server\\share\\x.tmp"}, L"");
    WriteCommandFile(folder + L"copy.Taskel", EDIT_ACTION_COPY, {L"*.txt"}, L"");
    WriteCommandFile(folder + L"rename.Taskel", EDIT_ACTION_RENAME, {L"a.txt"}, L"b.txt");
    WriteCommandFile(folder + L"move.Taskel", EDIT_ACTION_MOVERENAME, {L"a", L"b"}, L"D:\\Out");

    ShellInfoTip tip;
    ASSERT_TRUE(tip.query);
    EXPECT_EQ(tip.TipOf(folder + L"delete.Taskel"),
              L"File Command\r\nDelete: C:\\Logs\\*.log, old\\, \\\\server\\share\\x.tmp");
    EXPECT_EQ(tip.TipOf(folder + L"copy.Taskel"), L"File Command\r\nCopy: *.txt");
    EXPECT_EQ(tip.TipOf(folder + L"rename.Taskel"), L"File Command\r\nRename: a.txt");
    EXPECT_EQ(tip.TipOf(folder + L"move.Taskel"),
              L"File Command\r\nMove (rename): a, b\r\nto D:\\Out");

    DWORD flags = 1;
    EXPECT_EQ(tip.query->GetInfoFlags(&flags), S_OK);
    EXPECT_EQ(flags, 0u);
    CLSID clsid = {};
    EXPECT_EQ(tip.file->GetClassID(&clsid), S_OK);
    EXPECT_TRUE(IsEqualCLSID(clsid, CLSID_TaskelInfoTip));
    EXPECT_EQ(tip.file->IsDirty(), S_FALSE);
    EXPECT_EQ(tip.file->Save(nullptr, FALSE), E_NOTIMPL);
}

TEST_F(ShellServer, InfoTipBeforeLoadAndOnACorruptFile)
{
    ShellInfoTip tip;
    ASSERT_TRUE(tip.query);
    LPOLESTR name = nullptr;
    EXPECT_EQ(tip.file->GetCurFile(&name), S_FALSE);
    EXPECT_STREQ(name, L"*.Taskel");
    ::CoTaskMemFree(name);
    std::wstring text;
    EXPECT_EQ(tip.Tip(text), E_UNEXPECTED);

    const std::wstring corrupt = TestFolder() + L"\\corrupt.Taskel";
    WriteBytes(corrupt, std::vector<BYTE>(600, 0x5A));
    EXPECT_TRUE(FAILED(tip.file->Load(corrupt.c_str(), STGM_READ)));
    EXPECT_EQ(tip.Tip(text), E_UNEXPECTED);
    EXPECT_EQ(tip.file->GetCurFile(&name), S_OK);
    EXPECT_EQ(name, corrupt);
    ::CoTaskMemFree(name);
}

// Starts `verb` (null: the default verb) on `file` and waits for the
// launcher to end; a message box it showed fails the test.
bool ShellOpen(const wchar_t *verb, const std::wstring &file)
{
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    info.lpVerb = verb;
    info.lpFile = file.c_str();
    info.nShow = SW_SHOWNORMAL;
    if (!::ShellExecuteExW(&info) || !info.hProcess) return false;
    ProcessRun run = WaitForProgram(info.hProcess, 60000);
    EXPECT_TRUE(run.messages.empty()) << Describe(run.messages);
    return run.ended;
}

TEST_F(ShellServer, DoubleClickRunsTheCommandThroughTheLauncher)
{
    const std::wstring folder = MakeFolder(TestFolder() + L"\\job\\");
    WriteBytes(folder + L"report.txt", {'r'});
    const std::wstring command = folder + L"move.Taskel";
    WriteCommandFile(command, EDIT_ACTION_MOVE, {L"report.txt"}, L"done\\");
    {
        CLauncherTrace log(TestFolder() + L"\\launcher.log");
        ASSERT_TRUE(ShellOpen(nullptr, command));
        EXPECT_NE(log.Text().find(">>> Run [" + std::string(command.begin(), command.end()) + "]"),
                  std::string::npos)
            << log.Text();
    }
    {
        CLauncherTrace log(TestFolder() + L"\\launcher.log");
        ASSERT_TRUE(ShellOpen(L"OpenQuiet", command));
        EXPECT_NE(log.Text().find("/ne+"), std::string::npos) << log.Text();
    }
    // The default verb ran the Move: the file is in the target folder now.
    EXPECT_EQ(::GetFileAttributesW((folder + L"report.txt").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_NE(::GetFileAttributesW((folder + L"done\\report.txt").c_str()),
              INVALID_FILE_ATTRIBUTES);
}

TEST_F(ShellServer, CanUnloadOnlyWhenNoObjectLives)
{
    fx::ComPtr<IQueryInfo> tip;
    ASSERT_EQ(::CoCreateInstance(CLSID_TaskelInfoTip, nullptr, CLSCTX_INPROC_SERVER, IID_IQueryInfo,
                                 tip.put_void()),
              S_OK);
    HMODULE library = ::GetModuleHandleW(L"Taskel.dll");
    ASSERT_NE(library, nullptr);
    auto canUnload = reinterpret_cast<HRESULT(STDAPICALLTYPE *)()>(
        reinterpret_cast<void (*)()>(::GetProcAddress(library, "DllCanUnloadNow")));
    ASSERT_NE(canUnload, nullptr);
    EXPECT_EQ(canUnload(), S_FALSE);
    tip.reset();
    // The property handler holds the library too while the shell holds it.
    fx::ComPtr<IShellExtInit> prop;
    ASSERT_EQ(::CoCreateInstance(CLSID_TaskelProp, nullptr, CLSCTX_INPROC_SERVER, IID_IShellExtInit,
                                 prop.put_void()),
              S_OK);
    EXPECT_EQ(canUnload(), S_FALSE);
    prop.reset();
    EXPECT_EQ(canUnload(), S_OK);
}

// Runs last: it moves the registration to a copy in a folder with spaces
// and then removes it.
TEST_F(ShellServer, ZSpacedFolderQuotesAndUnregistrationRemovesTheLayout)
{
    const std::wstring spaced = MakeFolder(TestFolder() + L"\\Ferro Vane\\") + L"Taskel.dll";
    ASSERT_TRUE(::CopyFileW(s_library.c_str(), spaced.c_str(), FALSE));
    ASSERT_EQ(Regsvr32(spaced), 0u);
    ExpectPlaceRows(spaced);

    ASSERT_EQ(Regsvr32(spaced, true), 0u);
    for (const ClassRow &row : kClasses)
    {
        EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, std::wstring(L"CLSID\\") + row.clsid))
            << row.progId;
        EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, row.progId)) << row.progId;
        bool present = true;
        RegText(HKEY_LOCAL_MACHINE, kApproved, row.clsid, &present);
        EXPECT_FALSE(present) << row.progId;
    }
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, L".Taskel"));
    for (const wchar_t *app : {L"Taskel.dll", L"ZELK.EXE", L"ZELKadmin.EXE"})
        EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, std::wstring(L"Applications\\") + app)) << app;
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE,
                          Classes(std::wstring(L"Component Categories\\") + kCategory)));
}

} // namespace
