// Helpers of the document tests and the test executable's trace profile.
#include "DocumentTestSupport.h"

#include <gtest/gtest.h>
#include <objbase.h>

#include "Trace.h"

TraceProfile g_traceProfile = {L"Software\\Veltrac\\FerrovaneTest", L"FerrovaneTest.log", false,
                               false};

namespace
{
// One OLE apartment for the whole run. SHELL32 is loaded as in every
// process that holds the library (Taskel.dll imports it): the command
// object reads the shell version from the loaded SHELL32.
class OleEnvironment : public testing::Environment
{
  public:
    void SetUp() override
    {
        ::OleInitialize(nullptr);
        m_shell = ::LoadLibraryW(L"shell32.dll");
    }
    void TearDown() override
    {
        ::OleUninitialize();
        if (m_shell) ::FreeLibrary(m_shell);
    }

  private:
    HMODULE m_shell = nullptr;
};
testing::Environment *const g_ole = testing::AddGlobalTestEnvironment(new OleEnvironment);
} // namespace

std::wstring TempFolder()
{
    static std::wstring folder;
    if (folder.empty())
    {
        wchar_t base[MAX_PATH];
        ::GetTempPathW(MAX_PATH, base);
        folder = std::wstring(base) + L"doc_tests_" + std::to_wstring(::GetCurrentProcessId());
        ::CreateDirectoryW(folder.c_str(), nullptr);
    }
    return folder;
}

std::wstring TempPath(const wchar_t *name)
{
    std::wstring path = TempFolder() + L"\\" + name;
    ::DeleteFileW(path.c_str());
    return path;
}

std::vector<BYTE> ReadBytes(const std::wstring &path)
{
    std::vector<BYTE> bytes;
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    DWORD size = ::GetFileSize(file, nullptr), read = 0;
    bytes.resize(size);
    if (size) ::ReadFile(file, bytes.data(), size, &read, nullptr);
    bytes.resize(read);
    ::CloseHandle(file);
    return bytes;
}

void WriteBytes(const std::wstring &path, const std::vector<BYTE> &bytes)
{
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    if (!bytes.empty())
        ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(file);
}

CTraceCapture::CTraceCapture() : m_path(TempPath(L"trace.log"))
{
    StartTracing(TRUE, m_path.c_str(), 4);
}

CTraceCapture::~CTraceCapture()
{
    StopTracing(0);
}

std::string CTraceCapture::Text() const
{
    // The log closes its held file shortly after the last line; reading
    // with shared access works either way.
    std::vector<BYTE> bytes = ReadBytes(m_path);
    return std::string(bytes.begin(), bytes.end());
}
