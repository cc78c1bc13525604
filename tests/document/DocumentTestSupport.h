// Helpers of the document tests: a temporary folder, whole-file reads and
// writes, and a captured trace log.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

std::wstring TempFolder(); // a fresh folder per test executable run
std::wstring TempPath(const wchar_t *name);
std::vector<BYTE> ReadBytes(const std::wstring &path);
void WriteBytes(const std::wstring &path, const std::vector<BYTE> &bytes);

// Sends the trace log at level 4 to a fresh file while it lives; Text()
// returns what was written so far.
class CTraceCapture
{
  public:
    CTraceCapture();
    ~CTraceCapture();
    std::string Text() const;

  private:
    std::wstring m_path;
};
