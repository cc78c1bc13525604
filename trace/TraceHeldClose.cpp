// The held file: in held mode the log stays open between lines and is closed
// 100 ms after the last held line. In the wide build the close is a thread
// pool timer that holds a reference on the module while it is pending and
// lets go of it only when its callback returns; the narrow build, which runs
// in the launcher alone, uses a thread timer of the writing thread.
#include "TraceWriter.h"

#include "CriticalSection.h"
#include "UniqueHandle.h"

namespace tracelog
{

void CloseHeldHandle() noexcept
{
    TraceState &s = g_state;
    if (s.heldFile != INVALID_HANDLE_VALUE) CloseHandle(s.heldFile);
    s.heldFile = INVALID_HANDLE_VALUE;
}

namespace
{
#ifdef UNICODE
void SetTimerDue(PTP_TIMER timer, DWORD delayMs) noexcept
{
    ULARGE_INTEGER relative;
    relative.QuadPart = static_cast<ULONGLONG>(-static_cast<LONGLONG>(delayMs) * 10000);
    FILETIME due;
    due.dwLowDateTime = relative.LowPart;
    due.dwHighDateTime = relative.HighPart;
    SetThreadpoolTimer(timer, &due, 0, 0);
}

void CALLBACK CloseTimerCallback(PTP_CALLBACK_INSTANCE instance, PVOID, PTP_TIMER timer) noexcept
{
    HMODULE module = nullptr;
    {
        fx::CSingleLock writer(WriterLock());
        fx::LastErrorKeeper lastError;
        TraceState &s = g_state;
        DWORD idle = GetTickCount() - s.lastHeldTick;
        if (s.heldFile != INVALID_HANDLE_VALUE && idle < HELD_CLOSE_DELAY_MS && !Unloading())
        {
            // A later held line came in: wait on for the rest of the 100 ms,
            // keeping the reference.
            SetTimerDue(timer, HELD_CLOSE_DELAY_MS - idle);
            return;
        }
        CloseHeldHandle();
        s.closeArmed = false;
        module = s.closeModule;
        s.closeModule = nullptr;
    }
    // Lines that came in while this callback held the writer.
    DrainBacklog();
    if (module) FreeLibraryWhenCallbackReturns(instance, module);
}

// Schedules the close of the held file `delay` ms from now. Writer lock held.
bool ArmClose(DWORD delay) noexcept
{
    TraceState &s = g_state;
    if (!s.closeTimerObject)
        s.closeTimerObject = CreateThreadpoolTimer(CloseTimerCallback, nullptr, nullptr);
    if (!s.closeTimerObject) return false;
    s.closeModule = TakeModuleReference();
    if (!s.closeModule) return false;
    s.closeArmed = true;
    SetTimerDue(s.closeTimerObject, delay);
    return true;
}
#else
bool ArmClose(DWORD delay) noexcept;

// A thread timer runs on the thread that set it, and only that thread can
// kill it: the timer kills its own id first thing, and a timer that is no
// longer the current one (re-armed on another thread) does nothing more.
void CALLBACK CloseTimerProc(HWND, UINT, UINT_PTR id, DWORD) noexcept
{
    KillTimer(nullptr, id);
    {
        fx::CSingleLock writer(WriterLock());
        fx::LastErrorKeeper lastError;
        TraceState &s = g_state;
        if (id != s.closeTimer || s.closeTimerThread != GetCurrentThreadId()) return;
        s.closeTimer = 0;
        s.closeArmed = false;
        DWORD idle = GetTickCount() - s.lastHeldTick;
        if (s.heldFile != INVALID_HANDLE_VALUE && idle < HELD_CLOSE_DELAY_MS &&
            ArmClose(HELD_CLOSE_DELAY_MS - idle))
            return;
        CloseHeldHandle();
    }
    DrainBacklog();
}

// The narrow build runs in the launcher alone: a thread timer served by the
// message loop of the writing thread.
bool ArmClose(DWORD delay) noexcept
{
    TraceState &s = g_state;
    s.closeTimer = SetTimer(nullptr, 0, delay, CloseTimerProc);
    if (!s.closeTimer) return false;
    s.closeTimerThread = GetCurrentThreadId();
    s.closeArmTick = GetTickCount();
    s.closeArmed = true;
    return true;
}
#endif

// Whether the armed close will still come. A thread timer of a thread that
// no longer serves its messages (or has ended) never fires; one a second
// overdue is taken as lost and armed again.
bool CloseStillComing() noexcept
{
    TraceState &s = g_state;
    if (!s.closeArmed) return false;
#ifndef UNICODE
    if (s.closeTimerThread != GetCurrentThreadId() &&
        GetTickCount() - s.closeArmTick > HELD_CLOSE_DELAY_MS + 1000)
    {
        s.closeArmed = false;
        s.closeTimer = 0;
        return false;
    }
#endif
    return true;
}
} // namespace

void WriteHeldText(bool fresh, LPCTSTR text, size_t length) noexcept
{
    TraceState &s = g_state;
    // A held handle that shares no writing stays at the end of the file once
    // it got there, so only its first write needs the seek.
    WriteAtEnd(s.heldFile, fresh || s.heldWriteShared, text, length);
    s.lastHeldTick = GetTickCount();
    // A close already pending re-checks the idle time when it runs, so a
    // burst re-arms it about once per 100 ms instead of once per line.
    if (CloseStillComing()) return;
    if (!ArmClose(HELD_CLOSE_DELAY_MS)) CloseHeldHandle();
}

void CloseHeldFile() noexcept
{
    fx::CSingleLock writer(WriterLock());
    fx::LastErrorKeeper lastError;
    CloseHeldHandle();
}

} // namespace tracelog
