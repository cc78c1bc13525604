// Captures of this process's trace log, for the suites that link the wide
// trace log: each sends the log to a fresh file in the test folder while it
// lives and stops tracing at its end.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// The log without line prefixes at `level`; Lines() returns the lines
// written since the capture began.
class CTraceLines
{
  public:
    explicit CTraceLines(DWORD level = 3);
    ~CTraceLines();
    CTraceLines(const CTraceLines &) = delete;
    CTraceLines &operator=(const CTraceLines &) = delete;

    std::vector<std::wstring> Lines() const;
    // Lines that contain `part`.
    std::vector<std::wstring> With(const wchar_t *part) const;
    bool Has(const std::wstring &line) const;

  private:
    std::wstring m_path;
    DWORD m_start = 0;
};

// The log at level 4 with its usual prefixes; Text() returns the whole file
// so far, banner included.
class CTraceCapture
{
  public:
    CTraceCapture();
    ~CTraceCapture();
    CTraceCapture(const CTraceCapture &) = delete;
    CTraceCapture &operator=(const CTraceCapture &) = delete;

    std::string Text() const;

  private:
    std::wstring m_path;
};
