// Clipboard text and CSV files of the preview.
#define TRACE_SOURCE "Taskel\\PreviewExport"
#include "PreviewExport.h"

#include <commdlg.h>

#include <vector>

#include "PreviewResources.h"
#include "TaskelStrings.h"
#include "Trace.h"
#include "UniqueHandle.h"

namespace
{
// The clipboard is shared by every program: another one may hold it for a
// moment, so opening it is tried a few times.
bool OpenClipboardPatiently(HWND owner)
{
    for (int attempt = 0; attempt < 10; ++attempt)
    {
        if (::OpenClipboard(owner)) return true;
        ::Sleep(20);
    }
    return false;
}

struct ClipboardScope
{
    ~ClipboardScope() { ::CloseClipboard(); }
};

std::wstring FolderOf(const std::wstring &path)
{
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring(L".") : path.substr(0, slash);
}
} // namespace

DWORD CopyTextToClipboard(HWND owner, const std::wstring &text)
{
    const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    fx::unique_hglobal memory(::GlobalAlloc(GMEM_MOVEABLE, bytes));
    if (!memory) return ::GetLastError();
    void *target = ::GlobalLock(memory.get());
    if (!target) return ::GetLastError();
    memcpy(target, text.c_str(), bytes);
    ::GlobalUnlock(memory.get());
    if (!OpenClipboardPatiently(owner)) return ::GetLastError();
    ClipboardScope scope;
    if (!::EmptyClipboard()) return ::GetLastError();
    if (!::SetClipboardData(CF_UNICODETEXT, memory.get())) return ::GetLastError();
    memory.release(); // the clipboard owns it now
    return 0;
}

DWORD WriteFileWhole(const std::wstring &path, const std::string &bytes)
{
    wchar_t temp[MAX_PATH + 1] = {};
    if (!::GetTempFileNameW(FolderOf(path).c_str(), L"fvp", 0, temp)) return ::GetLastError();
    DWORD error = 0;
    {
        fx::unique_file file(::CreateFileW(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                           FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) error = ::GetLastError();
        size_t written = 0;
        while (!error && written < bytes.size())
        {
            const size_t left = bytes.size() - written;
            const DWORD chunk = left > (1u << 20) ? (1u << 20) : static_cast<DWORD>(left);
            DWORD done = 0;
            if (!::WriteFile(file.get(), bytes.data() + written, chunk, &done, nullptr) || !done)
                error = ::GetLastError() ? ::GetLastError() : ERROR_WRITE_FAULT;
            written += done;
        }
        if (!error && !::FlushFileBuffers(file.get())) error = ::GetLastError();
    }
    if (!error &&
        !::MoveFileExW(temp, path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        error = ::GetLastError();
    if (error)
    {
        ::DeleteFileW(temp);
        TRACE_HERE();
        LogWinErr(2, error, L"Save [%s]", path.c_str());
    }
    return error;
}

std::wstring SystemErrorText(DWORD error)
{
    wchar_t *buffer = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<LPWSTR>(&buffer), 0, nullptr);
    fx::unique_hlocal owner(buffer);
    std::wstring text = length && buffer ? std::wstring(buffer, length) : std::wstring();
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' '))
        text.pop_back();
    if (text.empty()) text = L"Error " + std::to_wstring(error);
    return text;
}

bool AskCsvPath(HWND owner, const std::wstring &suggested, std::wstring &path)
{
    std::wstring filter = LoadTaskelString(IDS_PREVIEW_CSV_FILTER);
    for (wchar_t &c : filter)
        if (c == L'|') c = L'\0';
    filter.push_back(L'\0');
    const std::wstring title = LoadTaskelString(IDS_PREVIEW_SAVE_TITLE);
    std::vector<wchar_t> file(32768, L'\0');
    suggested.copy(file.data(), file.size() - 1);
    OPENFILENAMEW ofn = {};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrTitle = title.c_str();
    ofn.lpstrDefExt = L"csv";
    ofn.Flags = OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY |
                OFN_NOREADONLYRETURN | OFN_DONTADDTORECENT;
    if (!::GetSaveFileNameW(&ofn))
    {
        const DWORD error = ::CommDlgExtendedError();
        if (error) Trace(2, L"  GetSaveFileName [%8.8lX]", static_cast<unsigned long>(error));
        return false;
    }
    path = file.data();
    return true;
}

std::wstring SuggestedCsvName(const std::wstring &name)
{
    std::wstring base = name;
    const size_t slash = base.find_last_of(L"\\/");
    if (slash != std::wstring::npos) base.erase(0, slash + 1);
    const size_t dot = base.find_last_of(L'.');
    if (dot != std::wstring::npos && dot > 0) base.erase(dot);
    std::wstring clean;
    for (wchar_t c : base)
        if (c >= 32 && !wcschr(L"<>:\"/\\|?*", c)) clean += c;
    while (!clean.empty() && (clean.back() == L' ' || clean.back() == L'.'))
        clean.pop_back();
    if (clean.empty()) clean = L"Preview";
    return clean + L".csv";
}
