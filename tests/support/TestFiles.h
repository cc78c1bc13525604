// Files and folders of the tests: one scratch folder per test process,
// fresh folders and trees inside it, whole-file reads and writes, and text
// split into lines (TestLines.h adds the lines of files such as logs).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// %TEMP%\ferrovane-tests-<pid> (no trailing backslash), made at first use;
// removed at the end of a run in which every test passed.
std::wstring TestFolder();
// The file `name` in the test folder, deleted if it was there.
std::wstring TempPath(const wchar_t *name);
// An empty folder <test folder>\<name>\ (with trailing backslash).
std::wstring FreshFolder(const std::wstring &name);
// Creates the folder `path` and the folders on the way; returns `path`.
std::wstring MakeFolder(const std::wstring &path);
// Deletes a folder with everything in it, read-only files and paths over
// MAX_PATH included. Junctions and symbolic links are removed, never
// followed, so nothing outside the folder is touched.
void RemoveTree(const std::wstring &path);

bool Exists(const std::wstring &path);
// Sets the file's last-write time one hour back, so that a later write,
// which stamps it with the time now, shows in the time without waiting for
// the clock to move on; whether it was set.
bool SetWriteTimeBack(const std::wstring &path);
// The file's bytes; empty when it cannot be read. Files another process
// holds open for writing (logs) are read too.
std::vector<BYTE> ReadBytes(const std::wstring &path);
std::string ReadText(const std::wstring &path);
// Writes the file whole, replacing it; a failure fails the test.
void WriteBytes(const std::wstring &path, const std::vector<BYTE> &bytes);
// Writes `text` to `path`, creating the folders on the way.
void WriteText(const std::wstring &path, const std::string &text = "data");

// The text's lines without their "\r\n"; a last piece without a line break
// counts.
std::vector<std::string> SplitLines(const std::string &text);
std::string Narrow(const std::wstring &text);

// The running test's name.
std::wstring CurrentTestName();

// A fresh folder per test case in the test folder, removed with everything
// in it afterwards.
class CTempTree
{
  public:
    CTempTree();
    ~CTempTree();
    CTempTree(const CTempTree &) = delete;
    CTempTree &operator=(const CTempTree &) = delete;

    const std::wstring &Root() const { return m_root; }
    // Root-relative entries: "a\\" is a folder, "a\\x.txt" an empty file
    // (parents made).
    void Add(const std::vector<std::wstring> &entries) const;
    std::wstring Path(const std::wstring &relative) const { return m_root + L"\\" + relative; }

  private:
    std::wstring m_root;
};

// Removes the test folder; TestMain calls it after a run without failures.
void RemoveTestFolder();
