// Helpers of the engine tests: directory trees in a temp folder, a trace
// capture without line prefixes, and short forms for the engine's lists.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "TaskelExec.h"

// A fresh folder per test case (removed with everything in it afterwards).
class CTempTree
{
  public:
    CTempTree();
    ~CTempTree();
    CTempTree(const CTempTree &) = delete;
    CTempTree &operator=(const CTempTree &) = delete;

    const std::wstring &Root() const { return m_root; }
    // Root-relative entries: "a\\" is a folder, "a\\x.txt" a file (parents made).
    void Add(const std::vector<std::wstring> &entries) const;
    std::wstring Path(const std::wstring &relative) const { return m_root + L"\\" + relative; }

  private:
    std::wstring m_root;
};

bool Exists(const std::wstring &path);

// Sends the trace log, without prefixes, to a fresh file at `level` while
// it lives; Lines() returns the lines written since.
class CTraceLines
{
  public:
    explicit CTraceLines(DWORD level = 3);
    ~CTraceLines();
    std::vector<std::wstring> Lines() const;
    // Lines that contain `part`.
    std::vector<std::wstring> With(const wchar_t *part) const;
    bool Has(const std::wstring &line) const;

  private:
    std::wstring m_path;
    DWORD m_start = 0;
};

// `text` with every occurrence of "<R>" replaced by `root`.
std::wstring R(const std::wstring &root, const std::wstring &text);
std::vector<std::wstring> R(const std::wstring &root, const std::vector<std::wstring> &texts);
