// The file writer: takes the backlog of traced lines and appends them to
// their log file in the ANSI code page (TraceFileAccess.cpp), holding the
// file open in held mode (TraceHeldClose.cpp).
//
// No file work happens under the trace lock. The thread whose line finds
// the writer free writes the backlog itself; a thread that finds it busy
// leaves its line to the writing thread, which looks again before it goes.
// In the wide build (the libraries that run inside the shell), a thread
// never waits on the file: when another program holds the log, or the log
// is on a network drive that may not answer, the backlog goes to a thread
// pool worker, which holds a reference on the module while it is pending
// and lets go of it only when its callback returns
// (FreeLibraryWhenCallbackReturns), so no callback runs into an unloaded
// module.
#include "TraceWriter.h"

#include "CriticalSection.h"
#include "UniqueHandle.h"

#include <atomic>
#include <new>
#include <string>

namespace tracelog
{

namespace
{
// Lines waiting for the writer, with the file they go to: the name in force
// when they were traced, so lines traced before a restart on another file
// still go to the old one. Consecutive lines of one mode merge into one
// piece. Names and texts live in one character buffer (each name followed
// by a null), so that a batch handed back and forth between the queue and
// the writer keeps its memory: no line allocates once the buffers grew.
struct BacklogPiece
{
    PieceKind kind = PieceKind::Text;
    bool held = false;
    bool slow = false; // the file is on a network drive: written by a worker thread
    size_t file = 0;   // offset of the file name
    size_t text = 0;   // offset and length of the text
    size_t length = 0;
};

struct Batch
{
    std::vector<BacklogPiece> pieces;
    tstring chars;

    LPCTSTR File(const BacklogPiece &piece) const { return chars.c_str() + piece.file; }
    LPCTSTR Text(const BacklogPiece &piece) const { return chars.data() + piece.text; }
    void Clear() noexcept
    {
        pieces.clear();
        chars.clear();
    }
    // Starts a piece for `file`, naming it anew unless the last piece has
    // the same name. May throw std::bad_alloc.
    BacklogPiece &Add(PieceKind kind, bool held, bool slow, LPCTSTR file)
    {
        BacklogPiece piece;
        piece.kind = kind;
        piece.held = held;
        piece.slow = slow;
        if (!pieces.empty() && _tcscmp(File(pieces.back()), file) == 0)
            piece.file = pieces.back().file;
        else
        {
            piece.file = chars.size();
            chars.append(file);
            chars.push_back(0);
        }
        piece.text = chars.size();
        pieces.push_back(piece);
        return pieces.back();
    }
};

// Guarded by the trace lock.
struct Backlog
{
    Batch queued;
    Batch writing;              // the writer's, guarded by the writer lock
    bool workerPending = false; // a worker thread owns the backlog until it is empty
    // Whether `queued` holds pieces, also read without the lock: a thread
    // that let go of the writer looks at it instead of taking the trace lock
    // once more for every line. Set under the lock before the queuing
    // thread tries the writer, read after the writing thread let go of it,
    // both interlocked, so one of the two always sees the other's line.
    std::atomic<bool> nonEmpty{false};

    void NoteQueue() noexcept { nonEmpty.store(!queued.pieces.empty()); }
};

// Never destroyed: lines traced from other modules' or objects' destructors
// at the end must not meet a destroyed vector. Its memory is given back at
// unload, after which lines no longer go through it.
Backlog &TheBacklog() noexcept
{
    alignas(Backlog) static unsigned char storage[sizeof(Backlog)];
    static Backlog *backlog = new (storage) Backlog;
    return *backlog;
}

enum class Written
{
    Done,
    HandOver // this thread may not wait for the file: a worker writes it
};

// Writes one piece of the backlog. Writer lock held.
Written WritePiece(const Batch &batch, const BacklogPiece &piece, bool mayWait) noexcept
{
    LPCTSTR name = batch.File(piece);
    LPCTSTR text = batch.Text(piece);
    TraceState &s = g_state;
    if (piece.kind == PieceKind::CloseHeld)
    {
        CloseHeldHandle();
        return Written::Done;
    }
    if (piece.slow && Unloading()) return Written::Done; // a network wait under the loader lock
    if (piece.slow && !mayWait) return Written::HandOver;
    if (piece.kind == PieceKind::Truncate)
    {
        CloseHeldHandle();
        fx::unique_file file(CreateFile(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                                        nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH, nullptr));
        return Written::Done;
    }

    const bool held = piece.held && !Unloading();
    if (!held || _tcscmp(name, s.heldName) != 0) CloseHeldHandle();
    if (!held)
    {
        HANDLE h = INVALID_HANDLE_VALUE;
        bool writeShared = false;
        Opened opened = OpenLog(name, true, mayWait, h, writeShared);
        if (opened == Opened::Contended) return Written::HandOver;
        fx::unique_file file(h);
        if (file) WriteAtEnd(file.get(), true, text, piece.length);
        return Written::Done;
    }

    const bool fresh = s.heldFile == INVALID_HANDLE_VALUE;
    if (fresh)
    {
        Opened opened = OpenLog(name, false, mayWait, s.heldFile, s.heldWriteShared);
        if (opened == Opened::Contended) return Written::HandOver;
        if (opened == Opened::No) return Written::Done;
        CopyText(s.heldName, TRACE_FILE_NAME_CHARS, name);
    }
    WriteHeldText(fresh, text, piece.length);
    return Written::Done;
}

#ifdef UNICODE
void CALLBACK WorkerCallback(PTP_CALLBACK_INSTANCE instance, PVOID context) noexcept;
#endif

// Hands the backlog to a worker thread. Trace lock held. False when no
// worker could be started.
bool StartWorker() noexcept
{
#ifdef UNICODE
    Backlog &b = TheBacklog();
    if (b.workerPending) return true;
    if (Unloading()) return false;
    HMODULE module = TakeModuleReference();
    if (!module) return false;
    if (!TrySubmitThreadpoolCallback(WorkerCallback, module, nullptr))
    {
        FreeLibrary(module);
        return false;
    }
    b.workerPending = true;
    return true;
#else
    return false;
#endif
}

// Writes the backlog until it is empty, or until a piece this thread may not
// wait for went to a worker (true). Writer lock held.
bool WriteBacklog(bool mayWait) noexcept
{
    Backlog &b = TheBacklog();
    Batch &batch = b.writing;
    for (;;)
    {
        batch.Clear();
        {
            fx::CSingleLock lock(TraceLock());
            if (b.queued.pieces.empty()) return false;
            std::swap(batch.pieces, b.queued.pieces);
            std::swap(batch.chars, b.queued.chars);
            b.NoteQueue();
        }
        for (size_t i = 0; i < batch.pieces.size(); ++i)
        {
            if (WritePiece(batch, batch.pieces[i], mayWait) == Written::Done) continue;
            fx::CSingleLock lock(TraceLock());
            try
            {
                // Back in front of what came in meanwhile, for the worker.
                Batch rest;
                for (size_t j = i; j < batch.pieces.size(); ++j)
                {
                    const BacklogPiece &piece = batch.pieces[j];
                    rest.Add(piece.kind, piece.held, piece.slow, batch.File(piece)).length =
                        piece.length;
                    rest.chars.append(batch.Text(piece), piece.length);
                }
                for (const BacklogPiece &piece : b.queued.pieces)
                {
                    rest.Add(piece.kind, piece.held, piece.slow, b.queued.File(piece)).length =
                        piece.length;
                    rest.chars.append(b.queued.Text(piece), piece.length);
                }
                std::swap(rest.pieces, b.queued.pieces);
                std::swap(rest.chars, b.queued.chars);
                b.NoteQueue();
            }
            catch (...)
            {
                return true;
            }
            if (StartWorker()) return true;
            // No worker: this thread waits after all.
            mayWait = true;
            break;
        }
    }
}

#ifdef UNICODE
void CALLBACK WorkerCallback(PTP_CALLBACK_INSTANCE instance, PVOID context) noexcept
{
    Backlog &b = TheBacklog();
    fx::LastErrorKeeper lastError;
    for (;;)
    {
        {
            fx::CSingleLock writer(WriterLock());
            WriteBacklog(true);
        }
        fx::CSingleLock lock(TraceLock());
        if (b.queued.pieces.empty() || Unloading())
        {
            b.workerPending = false;
            break;
        }
    }
    FreeLibraryWhenCallbackReturns(instance, static_cast<HMODULE>(context));
}
#endif

// A line traced while the module leaves: written at once with one attempt
// and no held file, or lost, and nothing allocated. Trace lock held.
void WriteNowAtUnload(LPCTSTR text, size_t length) noexcept
{
    TraceState &s = g_state;
    fx::CCriticalSection *writer = WriterLock();
    if (writer && !writer->TryLock()) return;
    CloseHeldHandle();
    if (text && !s.slowFile)
    {
        fx::unique_file file(OpenOnce(s.fileName, FILE_SHARE_READ, true));
        if (file) WriteAtEnd(file.get(), true, text, length);
    }
    if (writer) writer->Unlock();
}

// Whether this thread holds the trace lock (a caller tracing under it):
// the backlog then waits for the next line traced outside it.
bool TraceLockHeldHere() noexcept
{
    fx::CCriticalSection *lock = TraceLock();
    return lock && static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(lock->Native()->OwningThread)) ==
                       GetCurrentThreadId();
}
} // namespace

void QueueTraceText(LPCTSTR text, size_t length, bool held) noexcept
{
    TraceState &s = g_state;
    if (!s.fileName[0]) return;
    if (Unloading()) return WriteNowAtUnload(text, length);
    Backlog &b = TheBacklog();
    Batch &q = b.queued;
    if (q.chars.size() + length > BACKLOG_MAX_CHARS) return;
    try
    {
        // The last piece's text ends the buffer: a line of the same mode
        // for the same file joins it.
        if (!q.pieces.empty())
        {
            BacklogPiece &last = q.pieces.back();
            if (last.kind == PieceKind::Text && last.held == held &&
                _tcscmp(q.File(last), s.fileName) == 0)
            {
                q.chars.append(text, length);
                last.length += length;
                return;
            }
        }
        q.chars.reserve(q.chars.size() + _tcslen(s.fileName) + 1 + length);
        q.Add(PieceKind::Text, held, s.slowFile, s.fileName).length = length;
        q.chars.append(text, length);
    }
    catch (...)
    {
    }
    b.NoteQueue();
}

void QueueFileStep(PieceKind kind) noexcept
{
    TraceState &s = g_state;
    if (Unloading())
    {
        if (kind == PieceKind::CloseHeld) WriteNowAtUnload(nullptr, 0);
        return;
    }
    Backlog &b = TheBacklog();
    try
    {
        b.queued.Add(kind, false, s.slowFile, s.fileName);
    }
    catch (...)
    {
    }
    b.NoteQueue();
}

void DrainBacklog() noexcept
{
    Backlog &b = TheBacklog();
    fx::CCriticalSection *writer = WriterLock();
    if (!writer || !b.nonEmpty.load() || Unloading() || TraceLockHeldHere()) return;
    for (;;)
    {
        {
            fx::CSingleLock lock(TraceLock());
            if (b.queued.pieces.empty() || b.workerPending) return;
        }
        // A thread that holds the writer looks at the backlog again after
        // it lets go, so a line left here is written by it.
        if (!writer->TryLock()) return;
        bool handedOver = WriteBacklog(false);
        writer->Unlock();
        if (handedOver) return;
    }
}

bool ClaimWriterForHeldLine() noexcept
{
    TraceState &s = g_state;
    if (s.slowFile || Unloading()) return false;
    const Backlog &b = TheBacklog();
    if (!b.queued.pieces.empty() || b.workerPending) return false;
    // A caller tracing under the trace lock leaves its line to the backlog,
    // as DrainBacklog does: no file work under the trace lock.
    fx::CCriticalSection *lock = TraceLock();
    fx::CCriticalSection *writer = WriterLock();
    if (!lock || !writer || lock->Native()->RecursionCount != 1) return false;
    // Never waits, so taking it inside the trace lock cannot deadlock with a
    // writer that takes the trace lock inside the writer lock.
    if (!writer->TryLock()) return false;
    // With the backlog empty and no writer busy, every change of the file
    // name (each queues the release of the held file first) has been
    // written: an open held file is the current name's.
    if (s.heldFile != INVALID_HANDLE_VALUE && writer->Native()->RecursionCount == 1) return true;
    writer->Unlock();
    return false;
}

void WriteClaimedHeldLine(LPCTSTR text, size_t length) noexcept
{
    WriteHeldText(false, text, length);
    WriterLock()->Unlock();
}

bool FlushBacklog(DWORD timeoutMs) noexcept
{
    Backlog &b = TheBacklog();
    const DWORD start = GetTickCount();
    for (;;)
    {
        if (Unloading() || TraceLockHeldHere()) return false;
        DrainBacklog();
        {
            fx::CSingleLock lock(TraceLock());
            if (b.queued.pieces.empty() && !b.workerPending) break;
        }
        if (GetTickCount() - start >= timeoutMs) return false;
        Sleep(5);
    }
    // A writer still busy with the last piece.
    fx::CCriticalSection *writer = WriterLock();
    for (;;)
    {
        if (!writer || writer->TryLock()) break;
        if (GetTickCount() - start >= timeoutMs) return false;
        Sleep(5);
    }
    writer->Unlock();
    return true;
}

void ReleaseAtUnload() noexcept
{
    TraceState &s = g_state;
    InterlockedExchange(&s.unloading, 1);
    const bool ending = ProcessEnding();
    // At process end a writer may have been stopped holding its lock; the
    // ending process closes the handle then.
    fx::CCriticalSection *writer = WriterLock();
    if (writer && writer->TryLock())
    {
        CloseHeldHandle();
        // An armed close holds a reference on the module, so it is only
        // still armed when the process ends: its timer is left to the end.
        if (!s.closeArmed && !ending && s.closeTimerObject)
        {
#ifdef UNICODE
            CloseThreadpoolTimer(s.closeTimerObject);
#endif
            s.closeTimerObject = nullptr;
        }
        writer->Unlock();
    }
    // Lines no longer go through the backlog: its memory goes back now.
    fx::CCriticalSection *lock = TraceLock();
    if (lock && lock->TryLock())
    {
        Backlog &b = TheBacklog();
        Batch().pieces.swap(b.queued.pieces);
        tstring().swap(b.queued.chars);
        b.NoteQueue();
        if (writer && writer->TryLock())
        {
            Batch().pieces.swap(b.writing.pieces);
            tstring().swap(b.writing.chars);
            writer->Unlock();
        }
        lock->Unlock();
    }
    if (s.slotsTried)
    {
        if (s.pathSlot != TLS_OUT_OF_INDEXES) TlsFree(s.pathSlot);
        if (s.lineSlot != TLS_OUT_OF_INDEXES) TlsFree(s.lineSlot);
    }
    // Marked as tried and unavailable: nothing allocates or uses them again.
    s.pathSlot = s.lineSlot = TLS_OUT_OF_INDEXES;
    s.slotsTried = true;
}

} // namespace tracelog

void TraceProcessDetach()
{
    tracelog::ReleaseAtUnload();
}
