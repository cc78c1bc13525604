// The diagnostic trace log carried by every deliverable.
//
// Code anywhere calls Trace with a level word (low byte = level, higher bits
// = line options) and a printf-style format with the Microsoft conventions.
// StartTracing reads the deliverable's registry settings and decides the
// configured level word and the log file; StopTracing ends logging.
//
// The writer is compiled twice from the same sources: wide (trace_w, for the
// libraries and ZELKadmin.EXE) and narrow (trace_a, for ZELK.EXE, built
// without UNICODE). Both use the TCHAR names below.
#pragma once

#include <windows.h>
#include <tchar.h>

namespace fx
{
class CException;
}

// What differs between the deliverables that carry a copy of the log. Each
// deliverable defines `g_traceProfile` once.
struct TraceProfile
{
    LPCTSTR registryKey;        // under HKEY_CURRENT_USER, e.g. "Software\Veltrac\Ferrovane"
    LPCTSTR defaultFileName;    // placed on the Desktop, e.g. "Ferrovane.log"
    bool expandTokens;          // date/time tokens in the file name
    bool processorFromRegistry; // processor description from the registry first
};
extern TraceProfile g_traceProfile;

// Level word bits.
enum : DWORD
{
    TRACE_LEVEL_MASK = 0x000000FF,
    TRACE_MILLISECONDS = 0x00000100,  // with TRACE_STAMP_OPTIONS
    TRACE_COUNTER = 0x00000200,       // with TRACE_STAMP_OPTIONS
    TRACE_STAMP_OPTIONS = 0x00001000, // stamp even without identifiers; admits the two above
    TRACE_STAMP = 0x00002000,         // stamp even without identifiers
    TRACE_NO_PREFIX = 0x00004000,     // no identifier prefix, no stamp unless 0x1000/0x2000
    TRACE_HELD = 0x00008000,          // held file, no debugger output
    TRACE_ELAPSED = 0x00010000,       // elapsed-time prefix
    TRACE_RELATIVE = 0x00020000,      // with TRACE_ELAPSED: time since the previous timed line
    TRACE_RESTART = 0x00040000,       // with ELAPSED|RELATIVE: restart the base first
    TRACE_PUSH = 0x00100000,          // with ELAPSED|RELATIVE: open a timing scope after printing
    TRACE_POP = 0x00200000,           // with ELAPSED|RELATIVE: close the innermost scope first
    TRACE_BANNER = 0x00003001,        // START and STOP banners
};

// Writes one line when the level admits it. A null format writes only the
// prefixes. Always returns TRUE; never changes the thread's last-error value.
BOOL Trace(DWORD level, LPCTSTR format, ...);
BOOL IsTraceEnabled(DWORD level);

#ifdef UNICODE
// Trace a system error code / COM result with its text and the caller's
// text; the code is returned unchanged so check and trace are one expression.
DWORD LogWinErr(DWORD level, DWORD code, LPCWSTR format = nullptr, ...);
HRESULT LogComErr(DWORD level, HRESULT result, LPCWSTR format = nullptr, ...);
#endif

// Records the source file and line of the call whose result is traced next.
void SetTraceLocation(const char *sourcePath, int line);

// Each source file names itself in traces ("Taskel\\TaskelExec") by defining
// TRACE_SOURCE before it includes this header; otherwise __FILE__ is used.
#ifndef TRACE_SOURCE
#define TRACE_SOURCE __FILE__
#endif
#define TRACE_HERE() SetTraceLocation(TRACE_SOURCE, __LINE__)

#ifdef UNICODE
// A call whose failure matters: location, the call, then its result traced.
// The _NAMED forms add the call's name to the line ("=> StgOpenStorage").
#define TRACE_HR(level, expr) (TRACE_HERE(), LogComErr((level), (expr)))
#define TRACE_NAMED(level, name, expr) (TRACE_HERE(), LogComErr((level), (expr), (name)))
#define TRACE_WIN(level, expr) (TRACE_HERE(), LogWinErr((level), (expr)))
// A failed call's result traced and returned.
#define RETURN_IF_FAILED(level, expr)                                                              \
    do                                                                                             \
    {                                                                                              \
        HRESULT hrTraced_ = TRACE_HR(level, expr);                                                 \
        if (FAILED(hrTraced_)) return hrTraced_;                                                   \
    } while (0)
#define RETURN_IF_FAILED_NAMED(level, name, expr)                                                  \
    do                                                                                             \
    {                                                                                              \
        HRESULT hrTraced_ = TRACE_NAMED(level, name, expr);                                        \
        if (FAILED(hrTraced_)) return hrTraced_;                                                   \
    } while (0)
#endif

// A fixed place in the trace log: the source name and number a trace line
// shows where log readers and their tools expect them. The number is part
// of the log text, not a line of the file that declares the site; sites are
// declared once, as named constants, and the code that traces there names
// the constant.
struct TraceSite
{
    const char *source;
    int line;
};
inline void SetTraceLocation(const TraceSite &site)
{
    SetTraceLocation(site.source, site.line);
}

// The two catch shapes every boundary uses: framework exceptions through
// TraceException at `level`, anything else at level 2, both naming
// `source` and `line`. TRACE_CATCH_ALL names this file and line;
// TRACE_CATCH_SITE a fixed site.
#define TRACE_CATCH_ALL_IN(level, source, line)                                                    \
    catch (const fx::CException &e_)                                                               \
    {                                                                                              \
        TraceException((level), e_, (source), (line));                                             \
    }                                                                                              \
    catch (...)                                                                                    \
    {                                                                                              \
        Trace(2, _T("*** Exception *** at %hs %d"), (source), (line));                             \
    }
#define TRACE_CATCH_SITE(level, site) TRACE_CATCH_ALL_IN(level, (site).source, (site).line)
#define TRACE_CATCH_ALL_AT(level, line) TRACE_CATCH_ALL_IN(level, TRACE_SOURCE, line)
#define TRACE_CATCH_ALL(level) TRACE_CATCH_ALL_AT(level, __LINE__)

// "Exception [%hs] [%s] at %hs %d" for a caught framework exception.
void TraceException(DWORD level, const fx::CException &e, const char *sourcePath, int line);

// The module that carries this copy leaves the process (DllMain's process
// detach; the copy's own static clean-up calls it too): closes the held file
// and frees the thread-local location slots, waiting for nothing; later
// lines are written with one attempt, without holding the file.
void TraceProcessDetach();


// Start-up and configuration.
DWORD StartTracing(BOOL truncate = FALSE, LPCTSTR fileName = nullptr, DWORD level = 0);
void StopTracing(DWORD level);
void ReadTraceSettings(LPTSTR fileName /* 520 characters */, DWORD &level);
void ExpandLogFileTokens(LPTSTR fileName /* 520 characters */);

// The text the trace log keeps for a restart: the message of the last START
// banner ("START Logging [...] From [...] Version [...] to [...]"). A caller
// that restarts the log on another file without a new banner (a restart
// whose level byte is unchanged) traces it once more with TraceRestartLine,
// so the new file still tells which module, version and original log it
// continues. Writes nothing before the first banner.
void TraceRestartLine(DWORD level);

// Current state, for callers that need to compare or restore it.
LPCTSTR GetTraceFileName();
DWORD GetTraceLevel();
void SetTraceLevel(DWORD level);
void SetTraceFileName(LPCTSTR fileName);

enum : size_t
{
    TRACE_FILE_NAME_CHARS = 520,
    TRACE_LINE_CHARS = 8192,
    TRACE_FLUSH_MS = 2000, // what FlushTrace and StopTracing wait at most
};

// Waits until every line traced so far is in its file (a worker thread
// writes them while the file is held by another program or on a network
// drive), at most `timeoutMs`; TRUE when all are. Entry points call it
// before they return to a process that may end; StopTracing does too.
BOOL FlushTrace(DWORD timeoutMs = TRACE_FLUSH_MS);
