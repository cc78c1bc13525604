// Captures of this process's trace log (see TestTrace.h).
#include "TestTrace.h"

#include "TestFiles.h"
#include "Trace.h"

namespace
{
std::wstring NewLogPath()
{
    static int counter = 0;
    return TempPath((L"trace" + std::to_wstring(++counter) + L".log").c_str());
}
} // namespace

CTraceLines::CTraceLines(DWORD level) : m_path(NewLogPath())
{
    m_start = StartTracing(TRUE, m_path.c_str(), TRACE_NO_PREFIX | level);
}

CTraceLines::~CTraceLines()
{
    StopTracing(0);
    ::DeleteFileW(m_path.c_str());
}

std::vector<std::wstring> CTraceLines::Lines() const
{
    std::vector<std::wstring> lines;
    std::string text = ReadText(m_path);
    text.erase(0, m_start < text.size() ? m_start : text.size());
    for (const std::string &line : SplitLines(text))
        lines.push_back(std::wstring(line.begin(), line.end()));
    return lines;
}

std::vector<std::wstring> CTraceLines::With(const wchar_t *part) const
{
    std::vector<std::wstring> lines;
    for (const std::wstring &line : Lines())
        if (line.find(part) != std::wstring::npos) lines.push_back(line);
    return lines;
}

bool CTraceLines::Has(const std::wstring &line) const
{
    for (const std::wstring &l : Lines())
        if (l == line) return true;
    return false;
}

CTraceCapture::CTraceCapture() : m_path(NewLogPath())
{
    StartTracing(TRUE, m_path.c_str(), 4);
}

CTraceCapture::~CTraceCapture()
{
    StopTracing(0);
    ::DeleteFileW(m_path.c_str());
}

std::string CTraceCapture::Text() const
{
    // The log closes its held file shortly after the last line; reading
    // with shared access works either way.
    return ReadText(m_path);
}
