// Elapsed-time prefix: absolute counter or tick readings, or the time since
// the previous timed line, with restart and nested timing scopes.
#include "TraceInternal.h"

#include "WinFormat.h"

namespace tracelog
{

namespace
{
ElapsedState g_elapsed;

bool AllSet(DWORD level, DWORD bits) noexcept
{
    return (level & bits) == bits;
}

void ResetBase(ElapsedState &s, DWORD tickNow, LONGLONG counterNow) noexcept
{
    s.lastTick = s.scopeTick = tickNow;
    s.lastCounter = counterNow;
}
} // namespace

ElapsedState &ModuleElapsedState() noexcept
{
    return g_elapsed;
}

size_t FormatElapsedPrefix(TCHAR *out, size_t count, DWORD level, ElapsedState &s, DWORD tickNow,
                           LONGLONG counterNow) noexcept
{
    const DWORD relative = TRACE_ELAPSED | TRACE_RELATIVE;
    if (!s.initialised)
    {
        ResetBase(s, tickNow, counterNow);
    }
    else
    {
        if (AllSet(level, relative | TRACE_RESTART))
        {
            ResetBase(s, tickNow, counterNow);
            s.depth = 0;
        }
        if (AllSet(level, relative | TRACE_POP) && s.depth > 0)
        {
            --s.depth;
            s.scopeTick = s.stackScopeTick[s.depth];
            s.lastTick = s.stackLastTick[s.depth];
            s.lastCounter = s.stackLastCounter[s.depth];
        }
    }

    size_t n = 0;
    if (!(level & TRACE_RELATIVE))
    {
        if (s.hasCounter)
            n = FormatText(out, count, _T("[%12.12I64d] "), counterNow);
        else
            n = FormatText(out, count, _T("[%u] "), tickNow);
    }
    else
    {
        TCHAR figure[64];
        if (s.hasCounter && s.frequency > 0)
            FormatText(figure, 64, _T("[%4.10f] "),
                       static_cast<double>(counterNow - s.lastCounter) /
                           static_cast<double>(s.frequency));
        else
            FormatText(figure, 64, _T("[%6.6u (%6.6u)] "), tickNow - s.lastTick,
                       tickNow - s.scopeTick);
        s.lastCounter = counterNow;
        s.lastTick = tickNow;
        n = FormatText(out, count, _T("%*s%s"), s.depth * 2, _T(""), figure);
    }
    s.initialised = true;

    if (AllSet(level, relative | TRACE_PUSH) && s.depth < static_cast<int>(ELAPSED_MAX_DEPTH))
    {
        s.stackScopeTick[s.depth] = s.scopeTick;
        s.stackLastTick[s.depth] = s.lastTick;
        s.stackLastCounter[s.depth] = s.lastCounter;
        ++s.depth;
    }
    return n;
}

size_t ElapsedPrefixNow(TCHAR *out, size_t count, DWORD level) noexcept
{
    ElapsedState &s = g_elapsed;
    if (!s.initialised)
    {
        LARGE_INTEGER f;
        s.hasCounter = QueryPerformanceFrequency(&f) && f.QuadPart > 0;
        s.frequency = s.hasCounter ? f.QuadPart : 0;
    }
    DWORD tick = GetTickCount();
    LARGE_INTEGER counter;
    counter.QuadPart = 0;
    if (s.hasCounter && !QueryPerformanceCounter(&counter)) counter.QuadPart = s.lastCounter;
    return FormatElapsedPrefix(out, count, level, s, tick, counter.QuadPart);
}

} // namespace tracelog
