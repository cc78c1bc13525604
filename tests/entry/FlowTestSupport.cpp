// Helpers of the flow tests (see FlowTestSupport.h).
#include "FlowTestSupport.h"

#include <gtest/gtest.h>

#include <shlobj.h>

#include <fstream>

#include "TaskelClass.h"
#include "TaskelCommandFile.h"
#include "Trace.h"

TraceProfile g_traceProfile = {L"Software\\Veltrac\\FerrovaneFlowTest", L"FerrovaneFlowTest.log",
                               false, false};

namespace
{
class OleEnvironment : public testing::Environment
{
  public:
    void SetUp() override { ::OleInitialize(nullptr); }
    void TearDown() override { ::OleUninitialize(); }
};
testing::Environment *const g_ole = testing::AddGlobalTestEnvironment(new OleEnvironment);

void RemoveTree(const std::wstring &folder)
{
    std::wstring from = folder;
    if (!from.empty() && from.back() == L'\\') from.pop_back();
    from.push_back(L'\0');
    SHFILEOPSTRUCTW op = {};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_NO_UI;
    ::SHFileOperationW(&op);
}
} // namespace

std::wstring CurrentTestName()
{
    std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    return std::wstring(name.begin(), name.end());
}

std::wstring FreshFolder(const std::wstring &name)
{
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    std::wstring folder =
        std::wstring(temp) + L"flow-" + std::to_wstring(::GetCurrentProcessId()) + L"\\" + name;
    RemoveTree(folder);
    ::SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
    return folder + L"\\";
}

void WriteText(const std::wstring &path, const std::string &text)
{
    std::wstring folder = path.substr(0, path.rfind(L'\\'));
    ::SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
    WriteBytes(path, std::vector<BYTE>(text.begin(), text.end()));
}

bool Exists(const std::wstring &path)
{
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<BYTE> ReadBytes(const std::wstring &path)
{
    std::ifstream in(path.c_str(), std::ios::binary);
    return std::vector<BYTE>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::wstring &path, const std::vector<BYTE> &bytes)
{
    std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char *>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

Lines ReadLines(const std::wstring &path)
{
    Lines lines;
    std::ifstream in(path.c_str());
    for (std::string line; std::getline(in, line);)
    {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

Lines After(const Lines &lines, const std::string &marker)
{
    Lines found;
    for (const std::string &line : lines)
    {
        size_t at = line.find(marker);
        if (at != std::string::npos) found.push_back(line.substr(at));
    }
    return found;
}

std::string Narrow(const std::wstring &text)
{
    int n = ::WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string narrow(n > 0 ? n - 1 : 0, '\0');
    if (n > 1) ::WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, &narrow[0], n, nullptr, nullptr);
    return narrow;
}

HRESULT WriteCommandFile(const std::wstring &path, const CommandSpec &spec)
{
    ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    ::DeleteFileW(path.c_str());
    fx::ComPtr<IDispatch> dispatch;
    CTaskel *command = nullptr;
    HRESULT hr = CreateCommandObject(dispatch, command);
    if (FAILED(hr)) return hr;
    command->SetAction(spec.editorAction);
    command->SetOptions(spec.options);
    for (size_t i = 0; i < spec.sources.size(); ++i)
        command->SetSource(static_cast<long>(i), spec.sources[i].c_str());
    command->SetTarget(spec.target);
    return SaveNewCommandFile(path, *command);
}

CSavedValue::CSavedValue(HKEY root, const wchar_t *key, const wchar_t *name) : m_name(name)
{
    ::RegCreateKeyExW(root, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &m_key, nullptr);
    DWORD size = 0;
    if (::RegQueryValueExW(m_key, name, nullptr, &m_type, nullptr, &size) == ERROR_SUCCESS)
    {
        m_data.resize(size);
        m_present = ::RegQueryValueExW(m_key, name, nullptr, &m_type, m_data.data(), &size) ==
                    ERROR_SUCCESS;
    }
}

CSavedValue::~CSavedValue()
{
    if (m_present)
        ::RegSetValueExW(m_key, m_name.c_str(), 0, m_type, m_data.data(),
                         static_cast<DWORD>(m_data.size()));
    else
        ::RegDeleteValueW(m_key, m_name.c_str());
    ::RegCloseKey(m_key);
}

void CSavedValue::SetString(const std::wstring &value)
{
    ::RegSetValueExW(m_key, m_name.c_str(), 0, REG_SZ,
                     reinterpret_cast<const BYTE *>(value.c_str()),
                     static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

void CSavedValue::SetDword(DWORD value)
{
    ::RegSetValueExW(m_key, m_name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE *>(&value),
                     sizeof(value));
}
