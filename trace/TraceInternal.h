// Shared state and building blocks of the trace log. The pure pieces (level
// rules, prefix formatting from given numbers, token splitting, the Desktop
// placement) are plain functions so tests can call them directly.
#pragma once

#include "Trace.h"

#include <string>
#include <vector>

namespace fx
{
class CCriticalSection;
}

namespace tracelog
{

using tstring = std::basic_string<TCHAR>;

// Open retries while another handle holds the file without write sharing.
enum : DWORD
{
    OPEN_RETRIES_READ_SHARE = 50,
    OPEN_RETRIES_READ_WRITE_SHARE = 20,
    OPEN_RETRY_DELAY_MS = 20,
    HELD_CLOSE_DELAY_MS = 100,
    ELAPSED_MAX_DEPTH = 99,
};

// Process-wide state of this copy of the trace log. Guarded by the trace lock.
struct TraceState
{
    DWORD level = 0;
    TCHAR fileName[TRACE_FILE_NAME_CHARS] = {};
    HANDLE heldFile = INVALID_HANDLE_VALUE;
    bool heldWriteShared = false;     // held handle was opened sharing writes
    HANDLE closeWait = nullptr;       // pending thread-pool wait
    UINT_PTR closeTimer = 0;          // pending thread timer (fallback)
    DWORD closeGeneration = 0;        // tells a stale close callback from the current one
    DWORD lastHeldTick = 0;           // tick of the last held-mode write
    HANDLE closeEvent = nullptr;      // semaphore that is never released
    volatile LONG closesInFlight = 0; // armed close waits whose callback may still run
    bool unloading = false;           // the module is leaving: no held file, no new wait
    DWORD pathSlot = 0;
    DWORD lineSlot = 0;
    bool slotsTried = false;
    LONGLONG stampFrequency = 0; // 0 = not read yet, -1 = no counter
    TCHAR restartText[TRACE_LINE_CHARS / 8] = {};
};
extern TraceState g_state;

// The module's recursive trace lock; null before static initialisation and
// after unload, when the operations run without locking.
fx::CCriticalSection *TraceLock() noexcept;

// Level word rules.
inline DWORD LineLevelWord(DWORD line, DWORD configured) noexcept
{
    return line | (configured & 0xFF00);
}
inline bool LevelAdmits(DWORD line, DWORD configured) noexcept
{
    return (line & TRACE_LEVEL_MASK) <= (configured & TRACE_LEVEL_MASK);
}
inline bool WantsIdentifiers(DWORD level) noexcept
{
    return !(level & TRACE_NO_PREFIX);
}
inline bool WantsStamp(DWORD level) noexcept
{
    return !(level & TRACE_NO_PREFIX) || (level & (TRACE_STAMP_OPTIONS | TRACE_STAMP));
}
bool WantsMilliseconds(DWORD level) noexcept;
bool WantsCounter(DWORD level) noexcept;

// Prefix pieces; each returns the characters written (always terminated).
size_t FormatIdentifierPrefix(TCHAR *out, size_t count, DWORD session, DWORD process,
                              DWORD thread) noexcept;
// `frequency` <= 0 or a null counter omits the counter figure.
size_t FormatTimeStamp(TCHAR *out, size_t count, DWORD level, const SYSTEMTIME &time,
                       const LARGE_INTEGER *counter, LONGLONG frequency) noexcept;

// Elapsed-time state: tick and counter readings and a stack of scopes.
struct ElapsedState
{
    bool initialised = false;
    bool hasCounter = false;
    LONGLONG frequency = 0;
    DWORD lastTick = 0;
    DWORD scopeTick = 0;
    LONGLONG lastCounter = 0;
    int depth = 0;
    DWORD stackScopeTick[ELAPSED_MAX_DEPTH] = {};
    DWORD stackLastTick[ELAPSED_MAX_DEPTH] = {};
    LONGLONG stackLastCounter[ELAPSED_MAX_DEPTH] = {};
};
// Builds the prefix for `level` from readings taken now and updates `state`.
// On the first call `hasCounter` and `frequency` must already be filled in.
size_t FormatElapsedPrefix(TCHAR *out, size_t count, DWORD level, ElapsedState &state,
                           DWORD tickNow, LONGLONG counterNow) noexcept;
// The same with the clocks read now, on the module's own state.
size_t ElapsedPrefixNow(TCHAR *out, size_t count, DWORD level) noexcept;
ElapsedState &ModuleElapsedState() noexcept;

// File writer: appends `length` characters of `text`; `held` keeps the file
// open for the next held line. Never fails its caller.
void WriteTraceText(LPCTSTR text, size_t length, bool held) noexcept;
// Closes the held file handle and cancels its pending close.
void CloseHeldFile() noexcept;
// The module leaves the process: closes the held file, waits (bounded) for
// a close callback that is already running, so it never meets a deleted
// lock or unmapped code, and frees the thread-local location slots. Later
// lines are written in normal mode. Call without holding the trace lock.
void ReleaseAtUnload() noexcept;

// Date/time tokens of log file names.
struct NamePart
{
    tstring text;
    bool token = false; // text is a token with its "%"
    bool date = false;  // token of the date group
};
std::vector<NamePart> SplitLogFileTokens(const tstring &name);
// Joins the parts into `out` (count characters), replacing tokens by `time`
// formatted with the user default locale; cut at the buffer's end.
void JoinLogFileParts(const std::vector<NamePart> &parts, const SYSTEMTIME &time, LPTSTR out,
                      size_t count);

// Where a configured name goes: used unchanged when it names a folder or a
// drive, otherwise into `desktop` (with its trailing "\"), or relative to the
// current directory when there is no Desktop folder.
void PlaceLogFile(LPTSTR fileName, LPCTSTR desktop, LPCTSTR defaultName);
inline bool BannerDue(bool truncate, bool wasEmpty, DWORD oldLevel, DWORD newLevel) noexcept
{
    return truncate || wasEmpty || (oldLevel & TRACE_LEVEL_MASK) != (newLevel & TRACE_LEVEL_MASK);
}

// Machine and module facts for the banners.
bool ModulePath(TCHAR *out, size_t count) noexcept; // the module carrying this copy
tstring FileVersionText(LPCTSTR path);              // "%u.%u.%u.%u", empty when none or 0
tstring ExecutableVersion();
tstring ProductName();
tstring WindowsVersionText();
tstring ProcessorText(bool fromRegistry);
tstring ProcessorTypeName(DWORD processorType);

// Copies at most count - 1 characters and terminates.
void CopyText(LPTSTR out, size_t count, LPCTSTR text) noexcept;
// printf into a buffer, cut and terminated; returns the characters written.
size_t FormatText(TCHAR *out, size_t count, LPCTSTR format, ...) noexcept;

} // namespace tracelog
