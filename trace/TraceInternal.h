// Shared state and building blocks of the trace log. The pure pieces (level
// rules, prefix formatting from given numbers, token splitting, the Desktop
// placement) are plain functions so tests can call them directly.
#pragma once

#include "Trace.h"

#include <cstdarg>
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
    // Characters the backlog may hold while its writer waits (a log file
    // that another program holds, or one on a slow share); later lines are
    // dropped until it is written.
    BACKLOG_MAX_CHARS = 1024 * 1024,
};

// What the writer does with one piece of the backlog.
enum class PieceKind
{
    Text,      // append the text; `held` keeps the file open afterwards
    Truncate,  // empty the file (StartTracing with truncate)
    CloseHeld, // let go of the held file
};

// Process-wide state of this copy of the trace log. The configuration is
// guarded by the trace lock, which is only ever held for memory work. The
// file handle and its pending close belong to the writer and are guarded by
// the writer lock; no file is opened or written under the trace lock. Plain
// data only, so that it is set up before any constructor runs and still
// there after the last destructor.
struct TraceState
{
    // Guarded by the trace lock.
    DWORD level = 0;
    TCHAR fileName[TRACE_FILE_NAME_CHARS] = {};
    bool slowFile = false; // fileName is on a network drive or share
    DWORD pathSlot = 0;
    DWORD lineSlot = 0;
    bool slotsTried = false;
    LONGLONG stampFrequency = 0; // 0 = not read yet, -1 = no counter
    TCHAR restartText[TRACE_LINE_CHARS / 8] = {};
    // Set first thing at unload: no retries, no worker, no armed close.
    volatile LONG unloading = 0;

    // Guarded by the writer lock.
    HANDLE heldFile = INVALID_HANDLE_VALUE;
    TCHAR heldName[TRACE_FILE_NAME_CHARS] = {}; // the file heldFile has open
    bool heldWriteShared = false;               // held handle was opened sharing writes
    DWORD lastHeldTick = 0;                     // tick of the last held-mode write
    bool closeArmed = false;                    // a close of the held file is scheduled
    HMODULE closeModule = nullptr;              // reference the armed pool timer holds (wide build)
    PTP_TIMER closeTimerObject = nullptr;
    UINT_PTR closeTimer = 0;    // thread timer of the narrow build
    DWORD closeTimerThread = 0; // the thread that set it, the only one that may kill it
    DWORD closeArmTick = 0;
};
extern TraceState g_state;

// The module's recursive trace lock; null before static initialisation and
// after unload, when the operations run without locking.
fx::CCriticalSection *TraceLock() noexcept;
// The lock of the file writer, taken after the trace lock is left (or with
// the trace lock taken inside it, never the other way round).
fx::CCriticalSection *WriterLock() noexcept;

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

// The file writer. QueueTraceText adds a line for the current file to the
// backlog (call with the trace lock held); QueueFileStep adds a truncation
// or the release of the held file. DrainBacklog writes the backlog on the
// calling thread (call without the trace lock), unless another thread is
// writing it, which then writes the new lines too. In the wide build a
// thread that meets a file another program holds, or a file on a network
// drive, hands the backlog to a worker thread instead of waiting: a trace
// call costs the calling thread a local write at most. Never fails its
// caller.
void QueueTraceText(LPCTSTR text, size_t length, bool held) noexcept;
void QueueFileStep(PieceKind kind) noexcept;
void DrainBacklog() noexcept;
// The short way of a held line past the backlog (call with the trace lock
// held): when nothing waits in the backlog, the held file is open and the
// writer is free, this thread takes the writer and true is returned. The
// line is then written with WriteClaimedHeldLine once the trace lock is
// left, which lets go of the writer; lines that other threads trace
// meanwhile queue behind it, for DrainBacklog.
bool ClaimWriterForHeldLine() noexcept;
void WriteClaimedHeldLine(LPCTSTR text, size_t length) noexcept;
// Waits until the backlog is written and the worker is done, at most
// `timeoutMs`; true when it is. The held file stays held.
bool FlushBacklog(DWORD timeoutMs) noexcept;
// Lets go of the held file now (on the calling thread).
void CloseHeldFile() noexcept;
// Whether a log file name is on a network drive or share (wide build).
bool IsSlowLogFile(LPCTSTR name) noexcept;
// The module leaves the process, under the loader lock: closes the held
// file unless a writer holds it, and frees the thread-local location slots.
// Waits for nothing: a pending close or worker holds a reference on the
// module, so the module only leaves with one pending when the process
// ends. Later lines are written with one attempt and no held file.
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

// A line's message: printf with the Microsoft conventions into `out`, cut
// at count - 1 characters and terminated, as fx::FormatInto prints it;
// returns the characters before the first null.
size_t FormatMessageText(TCHAR *out, size_t count, LPCTSTR format, va_list args) noexcept;

// Copies at most count - 1 characters and terminates.
void CopyText(LPTSTR out, size_t count, LPCTSTR text) noexcept;
// printf into a buffer, cut and terminated; returns the characters written.
size_t FormatText(TCHAR *out, size_t count, LPCTSTR format, ...) noexcept;

} // namespace tracelog
