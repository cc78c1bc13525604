// The real launchers and library under Wine: ZELK.exe and ZELKadmin.exe are
// started with a trace configuration at level 3 in HKCU, and the log shows
// what reached the library's command functions.
#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace
{

const wchar_t TRACE_KEY[] = L"Software\\Veltrac\\Ferrovane";

// The build folder of the deliverables, as a Windows path (Z: is the root).
std::wstring BinaryDir()
{
    std::string dir = SPINE_BINARY_DIR;
    std::wstring wide = L"Z:";
    for (char c : dir)
        wide += c == '/' ? L'\\' : static_cast<wchar_t>(c);
    return wide + L"\\";
}

std::wstring TempDir()
{
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    return temp;
}

// A registry value as it was before the test, put back at the end.
class CSavedValue
{
  public:
    CSavedValue(HKEY key, const wchar_t *name) : m_key(key), m_name(name)
    {
        DWORD size = 0;
        if (::RegQueryValueExW(key, name, nullptr, &m_type, nullptr, &size) == ERROR_SUCCESS)
        {
            m_data.resize(size);
            m_present = ::RegQueryValueExW(key, name, nullptr, &m_type, m_data.data(), &size) ==
                        ERROR_SUCCESS;
        }
    }
    ~CSavedValue()
    {
        if (m_present)
            ::RegSetValueExW(m_key, m_name, 0, m_type, m_data.data(),
                             static_cast<DWORD>(m_data.size()));
        else
            ::RegDeleteValueW(m_key, m_name);
    }

  private:
    HKEY m_key;
    const wchar_t *m_name;
    DWORD m_type = 0;
    bool m_present = false;
    std::vector<BYTE> m_data;
};

class LaunchLine : public ::testing::Test
{
  protected:
    static void SetUpTestSuite()
    {
        ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExW(HKEY_CURRENT_USER, TRACE_KEY, 0, nullptr, 0,
                                                   KEY_ALL_ACCESS, nullptr, &s_key, nullptr));
        s_level = new CSavedValue(s_key, L"LogLevel");
        s_file = new CSavedValue(s_key, L"LogFile");
        s_logPath = TempDir() + L"spine-e2e-" + std::to_wstring(::GetCurrentProcessId()) + L".log";
        DWORD level = 3;
        ::RegSetValueExW(s_key, L"LogLevel", 0, REG_DWORD, reinterpret_cast<BYTE *>(&level),
                         sizeof(level));
        ::RegSetValueExW(s_key, L"LogFile", 0, REG_SZ,
                         reinterpret_cast<const BYTE *>(s_logPath.c_str()),
                         static_cast<DWORD>((s_logPath.size() + 1) * sizeof(wchar_t)));
    }
    static void TearDownTestSuite()
    {
        delete s_level;
        delete s_file;
        ::RegCloseKey(s_key);
        ::DeleteFileW(s_logPath.c_str());
    }

    // Runs one launcher with `args` in the temporary folder; returns the
    // lines it and the library wrote to the log.
    std::vector<std::string> Run(const wchar_t *exe, const std::wstring &args)
    {
        ::DeleteFileW(s_logPath.c_str());
        std::wstring path = BinaryDir() + exe;
        std::wstring commandLine = L"\"" + path + L"\" " + args;
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION process = {};
        std::wstring cwd = TempDir();
        EXPECT_TRUE(::CreateProcessW(path.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0,
                                     nullptr, cwd.c_str(), &startup, &process))
            << "CreateProcess " << ::GetLastError();
        if (!process.hProcess) return {};
        EXPECT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(process.hProcess, 60000));
        DWORD code = 1;
        ::GetExitCodeProcess(process.hProcess, &code);
        EXPECT_EQ(0u, code);
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);

        std::vector<std::string> lines;
        std::ifstream log(s_logPath.c_str());
        for (std::string line; std::getline(log, line);)
        {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            lines.push_back(line);
        }
        return lines;
    }

    // The lines' texts after `marker` (e.g. "CmdLine ["), in order.
    static std::vector<std::string> After(const std::vector<std::string> &lines,
                                          const std::string &marker)
    {
        std::vector<std::string> found;
        for (const std::string &line : lines)
        {
            size_t at = line.find(marker);
            if (at != std::string::npos) found.push_back(line.substr(at));
        }
        return found;
    }

    static HKEY s_key;
    static CSavedValue *s_level;
    static CSavedValue *s_file;
    static std::wstring s_logPath;
};

HKEY LaunchLine::s_key = nullptr;
CSavedValue *LaunchLine::s_level = nullptr;
CSavedValue *LaunchLine::s_file = nullptr;
std::wstring LaunchLine::s_logPath;

using Lines = std::vector<std::string>;

bool EndsWith(const std::string &text, const std::string &tail)
{
    return text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// An exported function by name; void (*)() is the generic function type.
template <typename Fn> Fn Export(HMODULE module, const char *name)
{
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(::GetProcAddress(module, name)));
}

} // namespace

TEST_F(LaunchLine, OneRunCallPerFileWithItsOwnSwitches)
{
    Lines log = Run(L"ZELK.exe", L"/s a.Taskel /ne b.Taskel");
    EXPECT_EQ((Lines{"CmdLine [/s a.Taskel]", "CmdLine [/ne b.Taskel]"}), After(log, "CmdLine ["));

    // The run flow is handed the absolute path and each call's own switches.
    Lines runs = After(log, ">>> Run [");
    ASSERT_EQ(2u, runs.size());
    EXPECT_TRUE(EndsWith(runs[0], "\\a.Taskel]")) << runs[0];
    EXPECT_TRUE(EndsWith(runs[1], "\\b.Taskel]")) << runs[1];
    EXPECT_EQ(2u, After(log, "  AdminUser [1] CanRegister [1]").size()); // launcher and library
}

TEST_F(LaunchLine, DashSwitchAndExtensionAdded)
{
    Lines log = Run(L"ZELK.exe", L"-q report");
    EXPECT_EQ((Lines{"CmdLine [/q report]"}), After(log, "CmdLine ["));
    Lines runs = After(log, ">>> Run [");
    ASSERT_EQ(1u, runs.size());
    EXPECT_TRUE(EndsWith(runs[0], "\\report.Taskel]")) << runs[0];
    EXPECT_EQ((Lines{"        [/q+]"}), After(log, "        [/q+]"));
}

TEST_F(LaunchLine, QuotedPathWithSpacesIsOneParameter)
{
    Lines log = Run(L"ZELK.exe", L"\"C:\\My Jobs\\a b.Taskel\"");
    EXPECT_EQ((Lines{"CmdLine [ \"C:\\My Jobs\\a b.Taskel\"]"}), After(log, "CmdLine ["));
    EXPECT_EQ((Lines{"Parm [C:\\My Jobs\\a b.Taskel]"}), After(log, "Parm ["));
}

TEST_F(LaunchLine, LongLogPathArrivesWhole)
{
    std::string folder = "C:\\Logs With Space\\" + std::string(280, 'd');
    std::wstring wideFolder(folder.begin(), folder.end());
    Lines log = Run(L"ZELK.exe", L"\"/lf" + wideFolder + L"\\run.log\" a.Taskel");
    EXPECT_EQ((Lines{"CmdLine [\"/lf" + folder + "\\run.log\" a.Taskel]"}),
              After(log, "CmdLine ["));
    EXPECT_EQ((Lines{"Parm [/lf" + folder + "\\run.log]", "Parm [a.Taskel]"}),
              After(log, "Parm ["));
}

TEST_F(LaunchLine, AdminBuildPrefixesAdmin)
{
    Lines log = Run(L"ZELKadmin.exe", L"/Admin /s a.Taskel b.Taskel");
    EXPECT_EQ((Lines{"CmdLine [/Admin /s a.Taskel]", "CmdLine [/Admin  b.Taskel]"}),
              After(log, "CmdLine ["));
    EXPECT_EQ((Lines{"        [/s+ /Admin]", "        [/Admin]"}), After(log, "        [/"));
}

TEST_F(LaunchLine, EditAndNewReachTheirFlows)
{
    Lines edit = Run(L"ZELKadmin.exe", L"/edit job");
    Lines found = After(edit, "EditCommand [");
    ASSERT_EQ(1u, found.size());
    EXPECT_TRUE(EndsWith(found[0], "\\job.Taskel] [/Admin job]")) << found[0];

    Lines created = Run(L"ZELK.exe", L"/new notes.txt");
    found = After(created, "NewCommand [");
    ASSERT_EQ(1u, found.size());
    EXPECT_TRUE(EndsWith(found[0], "\\notes.txt.Taskel] [notes.txt]")) << found[0];

    // No help file beside the library: no help, and nothing goes wrong.
    EXPECT_TRUE(After(edit, "Exception").empty());
    EXPECT_TRUE(After(created, "Exception").empty());
}

TEST_F(LaunchLine, UsageRunsNothingAndEnds)
{
    // Without a display the usage message box returns at once.
    Lines log = Run(L"ZELK.exe", L"/x a.Taskel");
    EXPECT_TRUE(After(log, "CmdLine [").empty());
    log = Run(L"ZELK.exe", L"/Admin a.Taskel");
    EXPECT_TRUE(After(log, "CmdLine [").empty());
}

TEST_F(LaunchLine, AnsiTwinsMatchTheWideFunctionsInProcess)
{
    ::DeleteFileW(s_logPath.c_str());
    HMODULE library = ::LoadLibraryW((BinaryDir() + L"Taskel.dll").c_str());
    ASSERT_NE(nullptr, library);
    using AnsiFn = void(WINAPI *)(HWND, HINSTANCE, LPCSTR, int);
    using WideFn = void(WINAPI *)(HWND, HINSTANCE, LPCWSTR, int);
    using CanUnloadFn = HRESULT(WINAPI *)();
    auto run = Export<AnsiFn>(library, "RunCommand");
    auto runW = Export<WideFn>(library, "RunCommandW");
    auto canUnload = Export<CanUnloadFn>(library, "DllCanUnloadNow");
    ASSERT_TRUE(run && runW && canUnload);

    const char ansi[] = "/q \"\xe9t\xe9 job\" -ne";
    wchar_t wide[64];
    ASSERT_GT(::MultiByteToWideChar(CP_ACP, 0, ansi, -1, wide, 64), 0);
    run(nullptr, nullptr, ansi, SW_SHOWNORMAL);
    runW(nullptr, nullptr, wide, SW_SHOWNORMAL);
    run(nullptr, nullptr, nullptr, SW_SHOWNORMAL);
    EXPECT_EQ(S_OK, canUnload());
    ::FreeLibrary(library);

    std::vector<std::string> lines;
    std::ifstream log(s_logPath.c_str());
    for (std::string line; std::getline(log, line);)
        lines.push_back(line);
    Lines parms = After(lines, "Parm [");
    ASSERT_EQ(6u, parms.size());
    EXPECT_EQ(std::string("Parm [\xe9t\xe9 job]"), parms[1]);
    EXPECT_EQ((Lines{parms[0], parms[1], parms[2]}), (Lines{parms[3], parms[4], parms[5]}));
    EXPECT_EQ("CmdLine []", After(lines, "CmdLine [").back().substr(0, 10));
}
