// Line assembly: the gate, the identifier prefix and the date/time stamp,
// and Trace itself, which puts a line together and hands it to the writer.
#include "TraceInternal.h"

#include "CriticalSection.h"
#include "UniqueHandle.h"
#include "WinFormat.h"

#include <cstdio>
#include <cstring>

namespace tracelog
{

TraceState g_state;

namespace
{
fx::CCriticalSection *g_lock = nullptr; // zero before any constructor runs

// Creates the trace lock at static initialisation and deletes it at unload,
// after the pending close of the held file is done with it.
class CTraceLockOwner
{
  public:
    CTraceLockOwner() noexcept { g_lock = &m_lock; }
    ~CTraceLockOwner()
    {
        ReleaseAtUnload();
        g_lock = nullptr;
    }

  private:
    fx::CCriticalSection m_lock;
};
CTraceLockOwner g_lockOwner;

// The stamp's date and time texts change once a second; formatting them
// through the locale for every line of a burst would dominate its cost.
struct StampCache
{
    WORD year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0xFFFF;
    TCHAR text[64] = {};
    size_t length = 0;
};
StampCache g_stampCache;

size_t DateTimeText(TCHAR *out, size_t count, const SYSTEMTIME &t) noexcept
{
    StampCache &c = g_stampCache;
    if (c.second != t.wSecond || c.minute != t.wMinute || c.hour != t.wHour || c.day != t.wDay ||
        c.month != t.wMonth || c.year != t.wYear)
    {
        TCHAR date[32] = {}, time[32] = {};
        GetDateFormat(LOCALE_USER_DEFAULT, 0, &t, _T("yyyy'/'MM'/'dd"), date, 32);
        GetTimeFormat(LOCALE_USER_DEFAULT, 0, &t, _T("HH':'mm':'ss"), time, 32);
        c.length = (FormatText(c.text, 64, _T("%s %s"), date, time));
        c.year = t.wYear, c.month = t.wMonth, c.day = t.wDay;
        c.hour = t.wHour, c.minute = t.wMinute, c.second = t.wSecond;
    }
    CopyText(out, count, c.text);
    return c.length < count ? c.length : count - 1;
}
} // namespace

fx::CCriticalSection *TraceLock() noexcept
{
    return g_lock;
}

size_t FormatText(TCHAR *out, size_t count, LPCTSTR format, ...) noexcept
{
    va_list args;
    va_start(args, format);
    int n = fx::FormatInto(out, count, format, args);
    va_end(args);
    return static_cast<size_t>(n);
}

void CopyText(LPTSTR out, size_t count, LPCTSTR text) noexcept
{
    if (!out || count == 0) return;
    size_t n = 0;
    if (text)
        for (; n + 1 < count && text[n]; ++n)
            out[n] = text[n];
    out[n] = 0;
}

#ifdef UNICODE
bool WantsMilliseconds(DWORD level) noexcept
{
    return (level & (TRACE_STAMP_OPTIONS | TRACE_MILLISECONDS)) ==
           (TRACE_STAMP_OPTIONS | TRACE_MILLISECONDS);
}
bool WantsCounter(DWORD level) noexcept
{
    return (level & (TRACE_STAMP_OPTIONS | TRACE_COUNTER)) == (TRACE_STAMP_OPTIONS | TRACE_COUNTER);
}
#else
// The narrow writer has milliseconds with either option bit and no counter.
bool WantsMilliseconds(DWORD level) noexcept
{
    return (level & (TRACE_STAMP_OPTIONS | TRACE_MILLISECONDS)) ==
               (TRACE_STAMP_OPTIONS | TRACE_MILLISECONDS) ||
           (level & (TRACE_STAMP_OPTIONS | TRACE_COUNTER)) == (TRACE_STAMP_OPTIONS | TRACE_COUNTER);
}
bool WantsCounter(DWORD) noexcept
{
    return false;
}
#endif

size_t FormatIdentifierPrefix(TCHAR *out, size_t count, DWORD session, DWORD process,
                              DWORD thread) noexcept
{
#ifdef UNICODE
    return (FormatText(out, count, L"[%2.2u %4.4u %4.4u] ", session, process, thread));
#else
    (void)session;
    return (FormatText(out, count, "[%6.6lX %6.6lX] ", process & 0xFFFFFFul, thread & 0xFFFFFFul));
#endif
}

size_t FormatTimeStamp(TCHAR *out, size_t count, DWORD level, const SYSTEMTIME &time,
                       const LARGE_INTEGER *counter, LONGLONG frequency) noexcept
{
    size_t n = DateTimeText(out, count, time);
    if (WantsMilliseconds(level))
        n += FormatText(out + n, count - n, _T(".%3.3u"), time.wMilliseconds);
    if (WantsCounter(level) && counter && frequency > 0)
    {
        // (counter * 1000000 / frequency) % 1000000 without the overflow of
        // the product: only the remainder within the second is scaled.
        LONGLONG c = counter->QuadPart;
        unsigned seconds = static_cast<unsigned>(c / frequency);
        unsigned micro = static_cast<unsigned>((c % frequency) * 1000000 / frequency);
        n += FormatText(out + n, count - n, _T(" (%6.6u.%6.6u)"), seconds, micro);
    }
    n += FormatText(out + n, count - n, _T(" "));
    return n;
}

} // namespace tracelog

using namespace tracelog;

BOOL IsTraceEnabled(DWORD level)
{
    return g_state.fileName[0] != 0 && LevelAdmits(level, g_state.level);
}

namespace
{
// Room in front of the message for the stamp, the identifiers and the
// deepest indented elapsed-time prefix, so prefixes go in without moving it.
constexpr size_t PREFIX_ROOM = 320;

void AssembleAndWrite(DWORD level, LPCTSTR format, va_list args) noexcept
{
    TCHAR buffer[PREFIX_ROOM + TRACE_LINE_CHARS];
    TCHAR *message = buffer + PREFIX_ROOM;
    message[0] = 0;
    size_t length = 0;
    if (format)
    {
        fx::FormatInto(message, TRACE_LINE_CHARS, format, args);
        message[TRACE_LINE_CHARS - 3] = 0; // the body keeps at most 8189 characters
        length = _tcslen(message);
        message[length++] = _T('\r');
        message[length++] = _T('\n');
        message[length] = 0;
    }

    TCHAR *start = message;
    if (level & TRACE_ELAPSED)
    {
        TCHAR elapsed[PREFIX_ROOM];
        size_t n = ElapsedPrefixNow(elapsed, 256, level);
        start -= n;
        memcpy(start, elapsed, n * sizeof(TCHAR));
        if (!(level & TRACE_HELD)) OutputDebugString(elapsed);
    }
    if (!(level & TRACE_HELD)) OutputDebugString(format ? start : _T("\n"));

    TCHAR head[64];
    size_t headLength = 0;
    if (WantsStamp(level))
    {
        SYSTEMTIME now;
        GetLocalTime(&now);
        LARGE_INTEGER counter;
        bool haveCounter = false;
        if (WantsCounter(level))
        {
            if (g_state.stampFrequency == 0)
            {
                LARGE_INTEGER f;
                g_state.stampFrequency =
                    QueryPerformanceFrequency(&f) && f.QuadPart > 0 ? f.QuadPart : -1;
            }
            haveCounter = g_state.stampFrequency > 0 && QueryPerformanceCounter(&counter);
        }
        headLength = FormatTimeStamp(head, 64, level, now, haveCounter ? &counter : nullptr,
                                     g_state.stampFrequency);
    }
    if (WantsIdentifiers(level))
    {
        DWORD session = 0;
#ifdef UNICODE
        if (!ProcessIdToSessionId(GetCurrentProcessId(), &session)) session = 0;
#endif
        headLength += FormatIdentifierPrefix(head + headLength, 64 - headLength, session,
                                             GetCurrentProcessId(), GetCurrentThreadId());
    }
    start -= headLength;
    memcpy(start, head, headLength * sizeof(TCHAR));

    // The whole line keeps at most 8191 characters; prefixes push the end out.
    size_t total = static_cast<size_t>(message + length - start);
    if (total > TRACE_LINE_CHARS - 1) total = TRACE_LINE_CHARS - 1;
    WriteTraceText(start, total, (level & TRACE_HELD) != 0);
}
} // namespace

BOOL Trace(DWORD level, LPCTSTR format, ...)
{
    if (!IsTraceEnabled(level)) return TRUE;
    level = LineLevelWord(level, g_state.level);
    fx::CSingleLock lock(TraceLock());
    fx::LastErrorKeeper lastError;
    va_list args;
    va_start(args, format);
    AssembleAndWrite(level, format, args);
    va_end(args);
    return TRUE;
}
