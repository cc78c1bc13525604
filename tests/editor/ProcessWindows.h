// Finding and driving the windows of another process, as a person (or a
// screen reader) would reach them: top-level windows of a process by class
// and caption, waiting for them to appear, and waiting for the process.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// The first visible top-level window of `process` with the class `className`
// whose caption is `caption` (empty: any), waiting up to `timeoutMs`.
HWND WaitForProcessWindow(DWORD process, const wchar_t *className, const std::wstring &caption,
                          DWORD timeoutMs);
// Whether `process` has any visible top-level window of that class and caption now.
bool HasProcessWindow(DWORD process, const wchar_t *className, const std::wstring &caption);
// A window's text through WM_GETTEXT (works across processes).
std::wstring WindowText(HWND window);

// ZELK.EXE beside the library under test, as a Windows path.
std::wstring EditLauncherPath();

// A file's bytes and last-write time: a write changes at least the time.
struct FileStamp
{
    std::vector<BYTE> bytes;
    FILETIME written{};
};
FileStamp StampOf(const std::wstring &path);
bool SameStamp(const FileStamp &a, const FileStamp &b);
