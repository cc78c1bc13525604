// The parts of the file writer that its three sources share: the file calls
// (TraceFileAccess.cpp), the held file and its close (TraceHeldClose.cpp),
// and the backlog with its worker (TraceFile.cpp). Internal to the writer.
#pragma once

#include "TraceInternal.h"

namespace tracelog
{

inline bool Unloading() noexcept
{
    return g_state.unloading != 0;
}

// One attempt to open the log for reading and writing, creating it.
HANDLE OpenOnce(LPCTSTR name, DWORD share, bool writeThrough) noexcept;

enum class Opened
{
    Yes,
    No,       // gave up: the line is lost
    Contended // another handle holds the file and this thread may not wait
};

// Opens the log for appending. Another writer holding the file without read
// sharing makes us wait when `mayWait`: 50 more tries sharing reads, then 20
// sharing writes too, 20 ms apart. Anything else gives up at once.
Opened OpenLog(LPCTSTR name, bool writeThrough, bool mayWait, HANDLE &out,
               bool &writeShared) noexcept;

// Appends `length` characters in the ANSI code page, after a seek to the
// end when `seek`.
bool WriteAtEnd(HANDLE h, bool seek, LPCTSTR text, size_t length) noexcept;

// True while the process ends (ExitProcess detaching the modules), when no
// other thread runs any more.
bool ProcessEnding() noexcept;

#ifdef UNICODE
// A reference on the module carrying this code, for a callback that may run
// after its last other user let go of it.
HMODULE TakeModuleReference() noexcept;
#endif

// The held file; writer lock held for both. WriteHeldText appends to the
// open held file (seeking to the end first when it was just opened, `fresh`,
// or shares writing) and keeps it open until HELD_CLOSE_DELAY_MS after the
// last held write.
void CloseHeldHandle() noexcept;
void WriteHeldText(bool fresh, LPCTSTR text, size_t length) noexcept;

} // namespace tracelog
