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
fx::CCriticalSection *g_lock = nullptr;   // zero before any constructor runs
fx::CCriticalSection *g_writer = nullptr; // the same

// Appends to a buffer of `count` characters, cut at count - 1 and always
// terminated: the prefixes of every line are put together with it instead
// of a printf call per piece.
class LineText
{
  public:
    LineText(TCHAR *out, size_t count) noexcept : m_out(out), m_count(count)
    {
        if (m_count) m_out[0] = 0;
    }
    void Skip(size_t n) noexcept { m_n += n; } // characters already written at the end
    void Char(TCHAR c) noexcept
    {
        if (m_n + 1 >= m_count) return;
        m_out[m_n++] = c;
        m_out[m_n] = 0;
    }
    // An unsigned number with at least `digits` digits, zero-padded, in
    // base 10 or 16 (capital letters): "%N.Nu" and "%N.NlX".
    void Number(unsigned long value, unsigned digits, unsigned base) noexcept
    {
        TCHAR reversed[16];
        unsigned n = 0;
        do
        {
            unsigned digit = static_cast<unsigned>(value % base);
            reversed[n++] = static_cast<TCHAR>(digit < 10 ? _T('0') + digit : _T('A') + digit - 10);
            value /= base;
        } while (value);
        while (n < digits && n < 16)
            reversed[n++] = _T('0');
        while (n)
            Char(reversed[--n]);
    }
    size_t Length() const noexcept { return m_n; }

  private:
    TCHAR *m_out;
    size_t m_count;
    size_t m_n = 0;
};

// Creates the trace and writer locks at static initialisation and deletes
// them at unload; lines traced later go to the file without locking.
class CTraceLockOwner
{
  public:
    CTraceLockOwner() noexcept
    {
        g_lock = &m_lock;
        g_writer = &m_writer;
    }
    ~CTraceLockOwner()
    {
        ReleaseAtUnload();
        g_writer = nullptr;
        g_lock = nullptr;
    }

  private:
    fx::CCriticalSection m_lock;
    fx::CCriticalSection m_writer;
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

// The local time of a stamp. Converting the system clock to local time
// costs as much as writing a short line, and under some hosts reading the
// clock is a system call that costs nearly as much again. The local time of
// any moment within one second of the system clock is that second's local
// time (zone biases are whole minutes) plus the milliseconds into it, so
// the conversion runs once a second; and a line without milliseconds needs
// no clock read at all while the tick count (a plain memory read) says the
// second read last cannot have ended yet. The tick count runs at the
// clock's pace but may lag it by one timer interval (about 16 ms), so the
// reuse stops TICK_SLACK_MS short of the second's end by the tick count.
// Guarded by the trace lock.
constexpr DWORD TICK_SLACK_MS = 40;

struct LocalClock
{
    ULONGLONG secondStart = 0; // system time, 100 ns units
    ULONGLONG secondEnd = 0;
    SYSTEMTIME local = {};
    DWORD tickAtRead = 0; // the tick count just after the last clock read
    DWORD msLeft = 0;     // whole milliseconds of the second left at that read
};
LocalClock g_localClock;

// Returns the start of the second served (system time), 0 when the clock
// could not be converted and the local time came from GetLocalTime.
ULONGLONG LocalTimeNow(SYSTEMTIME &out, bool milliseconds) noexcept
{
    LocalClock &c = g_localClock;
    if (!milliseconds && c.msLeft > TICK_SLACK_MS &&
        GetTickCount() - c.tickAtRead < c.msLeft - TICK_SLACK_MS)
    {
        out = c.local;
        return c.secondStart;
    }
    FILETIME ft;
    GetSystemTimeAsFileTime(&ft);
    const ULONGLONG now = (static_cast<ULONGLONG>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
    if (now < c.secondStart || now >= c.secondEnd)
    {
        FILETIME localFt;
        if (!FileTimeToLocalFileTime(&ft, &localFt) || !FileTimeToSystemTime(&localFt, &c.local))
        {
            c.secondEnd = 0;
            c.msLeft = 0;
            GetLocalTime(&out);
            return 0;
        }
        c.secondStart = now - now % 10000000u;
        c.secondEnd = c.secondStart + 10000000u;
    }
    c.tickAtRead = GetTickCount();
    c.msLeft = static_cast<DWORD>((c.secondEnd - now) / 10000u);
    out = c.local;
    out.wMilliseconds = static_cast<WORD>(static_cast<DWORD>(now - c.secondStart) / 10000u);
    return c.secondStart;
}

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

fx::CCriticalSection *WriterLock() noexcept
{
    return g_writer;
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
    // What "[%2.2u %4.4u %4.4u] " (narrow: "[%6.6lX %6.6lX] " of the low 24
    // bits) prints, without a printf call per line.
    LineText t(out, count);
    t.Char(_T('['));
#ifdef UNICODE
    t.Number(session, 2, 10);
    t.Char(_T(' '));
    t.Number(process, 4, 10);
    t.Char(_T(' '));
    t.Number(thread, 4, 10);
#else
    (void)session;
    t.Number(process & 0xFFFFFFul, 6, 16);
    t.Char(' ');
    t.Number(thread & 0xFFFFFFul, 6, 16);
#endif
    t.Char(_T(']'));
    t.Char(_T(' '));
    return t.Length();
}

size_t FormatTimeStamp(TCHAR *out, size_t count, DWORD level, const SYSTEMTIME &time,
                       const LARGE_INTEGER *counter, LONGLONG frequency) noexcept
{
    LineText t(out, count);
    t.Skip(DateTimeText(out, count, time));
    if (WantsMilliseconds(level))
    {
        t.Char(_T('.')); // ".%3.3u"
        t.Number(time.wMilliseconds, 3, 10);
    }
    if (WantsCounter(level) && counter && frequency > 0)
    {
        // (counter * 1000000 / frequency) % 1000000 without the overflow of
        // the product: only the remainder within the second is scaled.
        LONGLONG c = counter->QuadPart;
        unsigned seconds = static_cast<unsigned>(c / frequency);
        unsigned micro = static_cast<unsigned>((c % frequency) * 1000000 / frequency);
        t.Char(_T(' ')); // " (%6.6u.%6.6u)"
        t.Char(_T('('));
        t.Number(seconds, 6, 10);
        t.Char(_T('.'));
        t.Number(micro, 6, 10);
        t.Char(_T(')'));
    }
    t.Char(_T(' '));
    return t.Length();
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

DWORD SessionOfProcess() noexcept
{
    DWORD session = 0;
#ifdef UNICODE
    if (!ProcessIdToSessionId(GetCurrentProcessId(), &session)) session = 0;
#endif
    return session;
}

// The stamp and identifier prefix of the last line that showed neither
// milliseconds nor a counter: the same for every such line of one thread
// within one second, so a burst puts it together once a second. Guarded
// by the trace lock.
struct HeadCache
{
    ULONGLONG second = 0; // start of the stamp's second, 0 without a stamp
    DWORD thread = 0;
    DWORD parts = 0; // HEAD_STAMP, HEAD_IDS
    TCHAR text[64] = {};
    size_t length = 0;
};
HeadCache g_headCache;
constexpr DWORD HEAD_STAMP = 1, HEAD_IDS = 2;

// The stamp and identifier prefix of a line of `level`: in `head` (64
// characters), or the cached one; returns its text and length.
LPCTSTR LineHead(DWORD level, TCHAR *head, size_t &length) noexcept
{
    length = 0;
    const DWORD parts =
        (WantsStamp(level) ? HEAD_STAMP : 0) | (WantsIdentifiers(level) ? HEAD_IDS : 0);
    if (!parts) return head;
    const DWORD thread = GetCurrentThreadId();
    const bool precise = (parts & HEAD_STAMP) && (WantsMilliseconds(level) || WantsCounter(level));
    SYSTEMTIME now = {};
    ULONGLONG second = 0;
    if (parts & HEAD_STAMP) second = LocalTimeNow(now, precise);
    // Only a head whose stamp came from the clock's cache is kept.
    const bool keep = !precise && (second != 0 || !(parts & HEAD_STAMP));
    HeadCache &c = g_headCache;
    if (keep && c.length && c.second == second && c.thread == thread && c.parts == parts)
    {
        length = c.length;
        return c.text;
    }
    if (parts & HEAD_STAMP)
    {
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
        length = FormatTimeStamp(head, 64, level, now, haveCounter ? &counter : nullptr,
                                 g_state.stampFrequency);
    }
    if (parts & HEAD_IDS)
    {
        // The process's session never changes: asked once.
        static DWORD session = SessionOfProcess();
        length += FormatIdentifierPrefix(head + length, 64 - length, session, GetCurrentProcessId(),
                                         thread);
    }
    if (keep)
    {
        CopyText(c.text, 64, head);
        c.length = length;
        c.second = second;
        c.thread = thread;
        c.parts = parts;
    }
    return head;
}

struct LineBuffer
{
    TCHAR chars[PREFIX_ROOM + TRACE_LINE_CHARS];
};

// Puts the line together in `buffer`; returns where it starts and its length.
LPCTSTR AssembleLine(DWORD level, LPCTSTR format, va_list args, LineBuffer &buffer,
                     size_t &total) noexcept
{
    TCHAR *message = buffer.chars + PREFIX_ROOM;
    message[0] = 0;
    size_t length = 0;
    if (format)
    {
        length = FormatMessageText(message, TRACE_LINE_CHARS, format, args);
        // The body keeps at most 8189 characters.
        if (length > TRACE_LINE_CHARS - 3) length = TRACE_LINE_CHARS - 3;
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
    LPCTSTR headText = LineHead(level, head, headLength);
    start -= headLength;
    memcpy(start, headText, headLength * sizeof(TCHAR));

    // The whole line keeps at most 8191 characters; prefixes push the end out.
    total = static_cast<size_t>(message + length - start);
    if (total > TRACE_LINE_CHARS - 1) total = TRACE_LINE_CHARS - 1;
    return start;
}
} // namespace

BOOL Trace(DWORD level, LPCTSTR format, ...)
{
    if (!IsTraceEnabled(level)) return TRUE;
    level = LineLevelWord(level, g_state.level);
    fx::LastErrorKeeper lastError;
    LineBuffer buffer;
    LPCTSTR line = nullptr;
    size_t length = 0;
    bool claimed = false;
    {
        fx::CSingleLock lock(TraceLock());
        va_list args;
        va_start(args, format);
        line = AssembleLine(level, format, args, buffer, length);
        va_end(args);
        // A held line on its way to the open held file skips the backlog
        // when nothing waits there; anything else is queued.
        const bool held = (level & TRACE_HELD) != 0;
        claimed = held && g_state.fileName[0] && ClaimWriterForHeldLine();
        if (!claimed) QueueTraceText(line, length, held);
    }
    // The file work, outside the trace lock.
    if (claimed) WriteClaimedHeldLine(line, length);
    DrainBacklog();
    return TRUE;
}
