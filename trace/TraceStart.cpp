// Starting and stopping the log: registry settings under the deliverable's
// key, the log file's place, the START and STOP banners, and the accessors
// of the configured level word and file name.
#include "TraceInternal.h"

#include "CriticalSection.h"
#include "UniqueHandle.h"
#include "WinFormat.h"

#include <cstring>

using namespace tracelog;

namespace
{
bool HasFolderPart(LPCTSTR name) noexcept
{
    return _tcspbrk(name, _T(":\\/")) != nullptr;
}

// The registry's text of a REG_SZ or REG_EXPAND_SZ value (the latter expanded
// with the environment into `count` characters, unexpanded when that fails).
bool ReadPathValue(HKEY key, LPCTSTR name, DWORD maxBytes, LPTSTR out, size_t count)
{
    TCHAR raw[TRACE_FILE_NAME_CHARS + 1] = {};
    DWORD type = 0, size = maxBytes;
    if (RegQueryValueEx(key, name, nullptr, &type, reinterpret_cast<BYTE *>(raw), &size) !=
        ERROR_SUCCESS)
        return false;
    size_t chars = size / sizeof(TCHAR);
    raw[chars < TRACE_FILE_NAME_CHARS ? chars : static_cast<size_t>(TRACE_FILE_NAME_CHARS)] = 0;
    if (type == REG_SZ)
    {
        CopyText(out, count, raw);
        return true;
    }
    if (type != REG_EXPAND_SZ) return false;
    DWORD n = ExpandEnvironmentStrings(raw, out, static_cast<DWORD>(count));
    if (n == 0 || n > count) CopyText(out, count, raw);
    return true;
}

bool ReadDesktopFolder(LPTSTR out, size_t count)
{
    fx::unique_hkey key;
    if (RegOpenKeyEx(HKEY_CURRENT_USER,
                     _T("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders"), 0,
                     KEY_READ, key.put()) != ERROR_SUCCESS)
        return false;
    TCHAR folder[MAX_PATH] = {};
    if (!ReadPathValue(key.get(), _T("Desktop"), MAX_PATH * sizeof(TCHAR), folder, MAX_PATH) ||
        !folder[0])
        return false;
    CopyText(out, count, folder);
    size_t n = _tcslen(out);
    if (n + 1 < count) out[n++] = _T('\\'), out[n] = 0;
    return true;
}

DWORD FileSizeAfterStart(LPCTSTR name)
{
    fx::unique_file file(CreateFile(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH,
                                    nullptr));
    if (!file) return 0;
    DWORD size = GetFileSize(file.get(), nullptr);
    return size == INVALID_FILE_SIZE ? 0 : size;
}

void AllocateLocationSlots()
{
    TraceState &s = g_state;
    if (s.slotsTried) return;
    s.pathSlot = TlsAlloc();
    s.lineSlot = TlsAlloc();
    s.slotsTried = true;
}

// The START banner. Its facts (module, versions, processor) are read before
// the trace lock is taken; the lines go out like any other.
void WriteStartBanner()
{
    TraceState &s = g_state;
    TCHAR module[MAX_PATH];
    tstring version = ExecutableVersion();
    TCHAR restart[_countof(s.restartText)];
    DWORD level = GetTraceLevel();
    if (ModulePath(module, MAX_PATH))
        FormatText(restart, _countof(restart),
                   _T("START Logging [%lX] From [%s] Version [%s] to [%s]"), level, module,
                   version.c_str(), GetTraceFileName());
    else
        FormatText(restart, _countof(restart),
                   _T("START Logging [%lX] From <unknown> Version [%s] to [%s]"), level,
                   version.c_str(), GetTraceFileName());
    tstring product = ProductName(), windows = WindowsVersionText(),
            processor = ProcessorText(g_traceProfile.processorFromRegistry);
    {
        fx::CSingleLock lock(TraceLock());
        CopyText(s.restartText, _countof(s.restartText), restart);
    }
    Trace(TRACE_BANNER, _T("%s"), restart);
    Trace(TRACE_BANNER, _T("  %s %s (Processor %s) (Locale System %8.8X User %8.8X Thread %8.8X)"),
          product.c_str(), windows.c_str(), processor.c_str(), GetSystemDefaultLCID(),
          GetUserDefaultLCID(), GetThreadLocale());
}
} // namespace

namespace tracelog
{
void PlaceLogFile(LPTSTR fileName, LPCTSTR desktop, LPCTSTR defaultName)
{
    if (fileName[0] && HasFolderPart(fileName)) return;
    TCHAR placed[TRACE_FILE_NAME_CHARS];
    LPCTSTR name = fileName[0] ? fileName : defaultName;
    FormatText(placed, TRACE_FILE_NAME_CHARS, _T("%s%s"), desktop ? desktop : _T(""), name);
    CopyText(fileName, TRACE_FILE_NAME_CHARS, placed);
}
} // namespace tracelog

void ReadTraceSettings(LPTSTR fileName, DWORD &level)
{
    level &= 0xFFFF;
    if (!fileName[0] || level == 0)
    {
        fx::unique_hkey key;
        if (RegOpenKeyEx(HKEY_CURRENT_USER, g_traceProfile.registryKey, 0, KEY_READ, key.put()) ==
            ERROR_SUCCESS)
        {
            if (!fileName[0] &&
                !ReadPathValue(key.get(), _T("LogFile"), 520, fileName, TRACE_FILE_NAME_CHARS))
                fileName[0] = 0;
            DWORD value = 0, type = 0, size = sizeof value;
            if (level == 0 &&
                RegQueryValueEx(key.get(), _T("LogLevel"), nullptr, &type,
                                reinterpret_cast<BYTE *>(&value), &size) == ERROR_SUCCESS &&
                type == REG_DWORD)
                level = value & 0xFFFF;
        }
    }
    if ((level & TRACE_LEVEL_MASK) == 0) return;
    if (g_traceProfile.expandTokens) ExpandLogFileTokens(fileName);
    if (fileName[0] && HasFolderPart(fileName)) return;
    TCHAR desktop[MAX_PATH];
    PlaceLogFile(fileName, ReadDesktopFolder(desktop, MAX_PATH) ? desktop : nullptr,
                 g_traceProfile.defaultFileName);
}

// The registry, the Desktop folder and the drive of the log file are read
// before the trace lock is taken, and the file work happens after it is
// left: a slow registry or file never holds up the other threads' lines.
DWORD StartTracing(BOOL truncate, LPCTSTR fileName, DWORD level)
{
    fx::LastErrorKeeper lastError;
    TraceState &s = g_state;
    try
    {
        TCHAR name[TRACE_FILE_NAME_CHARS] = {};
        if (fileName && fileName[0]) CopyText(name, TRACE_FILE_NAME_CHARS, fileName);
        ReadTraceSettings(name, level);
        const bool enabled = (level & TRACE_LEVEL_MASK) != 0 && name[0];
        bool sameFile = false, slow = false;
        {
            fx::CSingleLock lock(TraceLock());
            sameFile = _tcscmp(name, s.fileName) == 0;
            slow = s.slowFile;
        }
        if (!sameFile) slow = enabled && IsSlowLogFile(name);

        bool banner = false;
        {
            fx::CSingleLock lock(TraceLock());
            AllocateLocationSlots();
            QueueFileStep(PieceKind::CloseHeld);
            const bool wasEmpty = s.fileName[0] == 0;
            const DWORD oldLevel = s.level;
            CopyText(s.fileName, TRACE_FILE_NAME_CHARS, name);
            s.slowFile = slow;
            s.level = level;
            if (enabled)
            {
                banner = BannerDue(truncate != FALSE, wasEmpty, oldLevel, level);
                if (truncate) QueueFileStep(PieceKind::Truncate);
            }
        }
        DrainBacklog();
        if (!enabled) return 0;
        if (banner) WriteStartBanner();
        // The size of a file on a share is not worth the wait.
        return slow ? 0 : FileSizeAfterStart(name);
    }
    catch (...)
    {
        return 0;
    }
}

void StopTracing(DWORD level)
{
    fx::LastErrorKeeper lastError;
    TraceState &s = g_state;
    try
    {
        if (IsTraceEnabled(level))
        {
            TCHAR module[MAX_PATH];
            if (ModulePath(module, MAX_PATH))
                Trace(TRACE_BANNER, _T("STOP Logging [%lX] From [%s]"), s.level, module);
            else
                Trace(TRACE_BANNER, _T("STOP Logging [%lX]"), s.level);
        }
    }
    catch (...)
    {
    }
    {
        fx::CSingleLock lock(TraceLock());
        QueueFileStep(PieceKind::CloseHeld);
        s.fileName[0] = 0;
        s.slowFile = false;
        s.level = 0;
    }
    // What a worker still has goes out before the caller (a process about
    // to end) goes on; at unload nothing waits.
    FlushBacklog(TRACE_FLUSH_MS);
}

void TraceRestartLine(DWORD level)
{
    TCHAR restart[_countof(g_state.restartText)];
    {
        fx::CSingleLock lock(TraceLock());
        CopyText(restart, _countof(restart), g_state.restartText);
    }
    if (restart[0]) Trace(level, _T("%s"), restart);
}

BOOL FlushTrace(DWORD timeoutMs)
{
    return FlushBacklog(timeoutMs) ? TRUE : FALSE;
}

LPCTSTR GetTraceFileName()
{
    return g_state.fileName;
}
DWORD GetTraceLevel()
{
    return g_state.level;
}

void SetTraceLevel(DWORD level)
{
    fx::CSingleLock lock(TraceLock());
    g_state.level = level;
}

void SetTraceFileName(LPCTSTR fileName)
{
    fx::LastErrorKeeper lastError;
    const bool slow = IsSlowLogFile(fileName);
    {
        fx::CSingleLock lock(TraceLock());
        QueueFileStep(PieceKind::CloseHeld);
        CopyText(g_state.fileName, TRACE_FILE_NAME_CHARS, fileName);
        g_state.slowFile = slow;
    }
    DrainBacklog();
}
