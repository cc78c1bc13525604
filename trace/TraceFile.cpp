// The file writer: opens the log with sharing-violation retries, appends a
// line in the ANSI code page, and keeps the file open in held mode until
// 100 ms after the last held line (a one-shot thread-pool wait on a
// semaphore that is never released, or a thread timer).
#include "TraceInternal.h"

#include "CriticalSection.h"
#include "UniqueHandle.h"

#include <string>

namespace tracelog
{

namespace
{
HANDLE OpenOnce(LPCTSTR name, DWORD share, bool writeThrough) noexcept
{
    DWORD flags = FILE_ATTRIBUTE_NORMAL | (writeThrough ? FILE_FLAG_WRITE_THROUGH : 0);
    return CreateFile(name, GENERIC_READ | GENERIC_WRITE, share, nullptr, OPEN_ALWAYS, flags,
                      nullptr);
}

// Opens the log for appending. Another writer holding the file without read
// sharing makes us wait: 50 more tries sharing reads, then 20 sharing writes
// too, 20 ms apart. Anything else gives up at once.
HANDLE OpenLog(LPCTSTR name, bool writeThrough, bool &writeShared) noexcept
{
    writeShared = false;
    HANDLE h = OpenOnce(name, FILE_SHARE_READ, writeThrough);
    for (DWORD i = 0; h == INVALID_HANDLE_VALUE && GetLastError() == ERROR_SHARING_VIOLATION; ++i)
    {
        if (i == OPEN_RETRIES_READ_SHARE + OPEN_RETRIES_READ_WRITE_SHARE) break;
        writeShared = i >= OPEN_RETRIES_READ_SHARE;
        Sleep(OPEN_RETRY_DELAY_MS);
        h = OpenOnce(name, writeShared ? FILE_SHARE_READ | FILE_SHARE_WRITE : FILE_SHARE_READ,
                     writeThrough);
    }
    return h;
}

bool WriteAtEnd(HANDLE h, bool seek, LPCTSTR text, size_t length) noexcept
{
    if (seek && SetFilePointer(h, 0, nullptr, FILE_END) == INVALID_SET_FILE_POINTER &&
        GetLastError() != NO_ERROR)
        return false;
    DWORD written = 0;
#ifdef UNICODE
    // The converted copy lives on the stack unless the line needs more room.
    // Plain ASCII, what nearly every line is, has the same bytes in every
    // ANSI code page: copied without asking the code page.
    char small[4096];
    if (length <= sizeof small)
    {
        size_t i = 0;
        for (; i < length && text[i] < 0x80; ++i)
            small[i] = static_cast<char>(text[i]);
        if (i == length)
            return length == 0 ||
                   WriteFile(h, small, static_cast<DWORD>(length), &written, nullptr) != FALSE;
    }
    int n = length ? WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(length), small,
                                         sizeof small, nullptr, nullptr)
                   : 0;
    if (n > 0) return WriteFile(h, small, static_cast<DWORD>(n), &written, nullptr) != FALSE;
    if (length == 0) return true;
    n = WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(length), nullptr, 0, nullptr,
                            nullptr);
    if (n <= 0) return false;
    try
    {
        std::string ansi(static_cast<size_t>(n), '\0');
        WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(length), &ansi[0], n, nullptr,
                            nullptr);
        return WriteFile(h, ansi.data(), static_cast<DWORD>(n), &written, nullptr) != FALSE;
    }
    catch (...)
    {
        return false;
    }
#else
    return length == 0 ||
           WriteFile(h, text, static_cast<DWORD>(length), &written, nullptr) != FALSE;
#endif
}

void CancelPendingClose() noexcept
{
    TraceState &s = g_state;
    ++s.closeGeneration;
    if (s.closeWait)
    {
        // Non-blocking: a callback already running waits for the lock we
        // hold and then sees that its generation is stale. It counts itself
        // out when it ends; a wait that will never call back is counted out
        // here.
        if (UnregisterWait(s.closeWait) || GetLastError() != ERROR_IO_PENDING)
            InterlockedDecrement(&s.closesInFlight);
        s.closeWait = nullptr;
    }
    if (s.closeTimer)
    {
        KillTimer(nullptr, s.closeTimer);
        s.closeTimer = 0;
    }
}

bool ArmClose(DWORD delay) noexcept;

// True while the process ends (ExitProcess detaching the modules), when no
// other thread runs any more.
bool ProcessEnding() noexcept
{
    using Query = BOOLEAN(NTAPI *)();
    HMODULE ntdll = GetModuleHandle(_T("ntdll.dll"));
    FARPROC proc = ntdll ? GetProcAddress(ntdll, "RtlDllShutdownInProgress") : nullptr;
    return proc && reinterpret_cast<Query>(reinterpret_cast<void (*)()>(proc))();
}

// Runs when the held file has been idle for a while: closes it, or waits on
// for the rest of the 100 ms when a later held line came in meanwhile.
void HeldFileIdle(DWORD generation) noexcept
{
    fx::CSingleLock lock(TraceLock());
    fx::LastErrorKeeper lastError;
    TraceState &s = g_state;
    if (generation != s.closeGeneration) return;
    CancelPendingClose();
    DWORD idle = GetTickCount() - s.lastHeldTick;
    if (s.heldFile != INVALID_HANDLE_VALUE && idle < HELD_CLOSE_DELAY_MS &&
        ArmClose(HELD_CLOSE_DELAY_MS - idle))
        return;
    if (s.heldFile != INVALID_HANDLE_VALUE) CloseHandle(s.heldFile);
    s.heldFile = INVALID_HANDLE_VALUE;
}

#ifdef UNICODE
void CALLBACK CloseWaitCallback(PVOID context, BOOLEAN) noexcept
{
    HeldFileIdle(static_cast<DWORD>(reinterpret_cast<UINT_PTR>(context)));
    InterlockedDecrement(&g_state.closesInFlight); // last: the unload may go on now
}
#endif

void CALLBACK CloseTimerProc(HWND, UINT, UINT_PTR, DWORD) noexcept
{
    HeldFileIdle(g_state.closeGeneration);
}

// Schedules HeldFileIdle after `delay` ms: a one-shot thread-pool wait on
// the close event (wide build), or a thread timer served by the message loop
// of the writing thread.
bool ArmClose(DWORD delay) noexcept
{
    TraceState &s = g_state;
#ifdef UNICODE
    if (s.closeEvent)
    {
        PVOID context = reinterpret_cast<PVOID>(static_cast<UINT_PTR>(s.closeGeneration));
        InterlockedIncrement(&s.closesInFlight);
        if (RegisterWaitForSingleObject(&s.closeWait, s.closeEvent, CloseWaitCallback, context,
                                        delay, WT_EXECUTEONLYONCE | WT_EXECUTELONGFUNCTION))
            return true;
        InterlockedDecrement(&s.closesInFlight);
        s.closeWait = nullptr;
    }
#endif
    s.closeTimer = SetTimer(nullptr, 0, delay, CloseTimerProc);
    return s.closeTimer != 0;
}
} // namespace

void CloseHeldFile() noexcept
{
    fx::CSingleLock lock(TraceLock());
    fx::LastErrorKeeper lastError;
    TraceState &s = g_state;
    CancelPendingClose();
    if (s.heldFile != INVALID_HANDLE_VALUE) CloseHandle(s.heldFile);
    s.heldFile = INVALID_HANDLE_VALUE;
}

void ReleaseAtUnload() noexcept
{
    TraceState &s = g_state;
    {
        fx::CSingleLock lock(TraceLock());
        s.unloading = true;
        CloseHeldFile();
    }
    // A callback that already started needs the lock we just left; it is
    // short. At process end the pool's threads are gone and nothing runs.
    if (!ProcessEnding())
        for (int waited = 0; s.closesInFlight > 0 && waited < 1000; ++waited)
            Sleep(1);
    if (s.slotsTried)
    {
        if (s.pathSlot != TLS_OUT_OF_INDEXES) TlsFree(s.pathSlot);
        if (s.lineSlot != TLS_OUT_OF_INDEXES) TlsFree(s.lineSlot);
    }
    // Marked as tried and unavailable: nothing allocates or uses them again.
    s.pathSlot = s.lineSlot = TLS_OUT_OF_INDEXES;
    s.slotsTried = true;
}

void WriteTraceText(LPCTSTR text, size_t length, bool held) noexcept
{
    fx::CSingleLock lock(TraceLock());
    fx::LastErrorKeeper lastError;
    TraceState &s = g_state;
    if (!s.fileName[0]) return;

    if (!held)
    {
        CloseHeldFile();
        bool writeShared = false;
        fx::unique_file file(OpenLog(s.fileName, true, writeShared));
        if (file) WriteAtEnd(file.get(), true, text, length);
        return;
    }

    if (s.unloading)
    {
        // No close may be armed once the module is leaving.
        bool writeShared = false;
        fx::unique_file file(OpenLog(s.fileName, true, writeShared));
        if (file) WriteAtEnd(file.get(), true, text, length);
        return;
    }

    bool reused = s.heldFile != INVALID_HANDLE_VALUE;
    if (!reused)
    {
        s.heldFile = OpenLog(s.fileName, false, s.heldWriteShared);
        if (s.heldFile == INVALID_HANDLE_VALUE) return;
    }
    // A held handle that shares no writing stays at the end of the file once
    // it got there, so only its first line needs the seek.
    WriteAtEnd(s.heldFile, !reused || s.heldWriteShared, text, length);
    s.lastHeldTick = GetTickCount();
    // A close already pending re-checks the idle time when it runs, so a
    // burst re-arms it about once per 100 ms instead of once per line.
    if (s.closeWait || s.closeTimer) return;
    if (!ArmClose(HELD_CLOSE_DELAY_MS))
    {
        CloseHandle(s.heldFile);
        s.heldFile = INVALID_HANDLE_VALUE;
    }
}

} // namespace tracelog

void TraceProcessDetach()
{
    tracelog::ReleaseAtUnload();
}
