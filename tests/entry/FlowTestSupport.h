// Helpers of the flow tests: folders and files under the temporary folder,
// command files written through the library's own persistence code, log
// lines, and registry values put back after a test.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

using Lines = std::vector<std::string>;

// The running test's name.
std::wstring CurrentTestName();
// An empty folder %TEMP%\flow-<pid>\<name>\ (with trailing backslash).
std::wstring FreshFolder(const std::wstring &name);
// Writes `text` to `path`, creating the folders on the way.
void WriteText(const std::wstring &path, const std::string &text = "data");
bool Exists(const std::wstring &path);
std::vector<BYTE> ReadBytes(const std::wstring &path);
void WriteBytes(const std::wstring &path, const std::vector<BYTE> &bytes);
// The file's lines without line ends; none when it is missing.
Lines ReadLines(const std::wstring &path);
// The lines that contain `marker`, from the marker on.
Lines After(const Lines &lines, const std::string &marker);
std::string Narrow(const std::wstring &text);

struct CommandSpec
{
    uint32_t editorAction;
    uint32_t options;
    std::vector<std::wstring> sources;
    std::wstring target;
};
// Saves the command as a new command file (replacing one that is there).
HRESULT WriteCommandFile(const std::wstring &path, const CommandSpec &spec);

// A registry value as it was, put back (or deleted again) at destruction.
class CSavedValue
{
  public:
    CSavedValue(HKEY root, const wchar_t *key, const wchar_t *name);
    ~CSavedValue();
    CSavedValue(const CSavedValue &) = delete;
    CSavedValue &operator=(const CSavedValue &) = delete;
    void SetString(const std::wstring &value);
    void SetDword(DWORD value);

  private:
    HKEY m_key = nullptr;
    std::wstring m_name;
    DWORD m_type = 0;
    bool m_present = false;
    std::vector<BYTE> m_data;
};
