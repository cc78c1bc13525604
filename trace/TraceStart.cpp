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

void WriteStartBanner()
{
    TraceState &s = g_state;
    TCHAR module[MAX_PATH];
    tstring version = ExecutableVersion();
    if (ModulePath(module, MAX_PATH))
        FormatText(s.restartText, _countof(s.restartText),
                   _T("START Logging [%lX] From [%s] Version [%s] to [%s]"), s.level, module,
                   version.c_str(), s.fileName);
    else
        FormatText(s.restartText, _countof(s.restartText),
                   _T("START Logging [%lX] From <unknown> Version [%s] to [%s]"), s.level,
                   version.c_str(), s.fileName);
    Trace(TRACE_BANNER, _T("%s"), s.restartText);
    Trace(TRACE_BANNER, _T("  %s %s (Processor %s) (Locale System %8.8X User %8.8X Thread %8.8X)"),
          ProductName().c_str(), WindowsVersionText().c_str(),
          ProcessorText(g_traceProfile.processorFromRegistry).c_str(), GetSystemDefaultLCID(),
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

DWORD StartTracing(BOOL truncate, LPCTSTR fileName, DWORD level)
{
    fx::CSingleLock lock(TraceLock());
    fx::LastErrorKeeper lastError;
    TraceState &s = g_state;
    try
    {
        AllocateLocationSlots();
        CloseHeldFile();
        const bool wasEmpty = s.fileName[0] == 0;
        const DWORD oldLevel = s.level;
        if (!s.closeEvent) s.closeEvent = CreateSemaphore(nullptr, 0, 1, nullptr);

        s.fileName[0] = 0;
        if (fileName && fileName[0]) CopyText(s.fileName, TRACE_FILE_NAME_CHARS, fileName);
        ReadTraceSettings(s.fileName, level);
        s.level = level;
        if ((level & TRACE_LEVEL_MASK) == 0 || !s.fileName[0]) return 0;

        const bool banner = BannerDue(truncate != FALSE, wasEmpty, oldLevel, level);
        if (truncate)
        {
            fx::LastErrorKeeper keep;
            fx::unique_file file(CreateFile(
                s.fileName, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH, nullptr));
        }
        if (banner) WriteStartBanner();
        return FileSizeAfterStart(s.fileName);
    }
    catch (...)
    {
        return 0;
    }
}

void StopTracing(DWORD level)
{
    fx::CSingleLock lock(TraceLock());
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
    CloseHeldFile();
    if (s.closeEvent) CloseHandle(s.closeEvent);
    s.closeEvent = nullptr;
    s.fileName[0] = 0;
    s.level = 0;
}

void TraceRestartLine(DWORD level)
{
    fx::CSingleLock lock(TraceLock());
    if (g_state.restartText[0]) Trace(level, _T("%s"), g_state.restartText);
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
    fx::CSingleLock lock(TraceLock());
    CloseHeldFile();
    CopyText(g_state.fileName, TRACE_FILE_NAME_CHARS, fileName);
}
