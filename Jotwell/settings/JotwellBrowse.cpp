// The settings page's folder browser and file dialog: the requests, the
// system's dialogs behind them, and the file dialog's remembered place.
#define TRACE_SOURCE "Jotwell\\JotwellPage"
#include "JotwellBrowse.h"

#include "FxException.h"

#include "JotwellSettings.h"
#include "JotwellStrings.h"
#include "Trace.h"
#include "UniqueHandle.h"
#include "resource.h"

#include <commdlg.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <cwchar>
#include <vector>

namespace
{
// Where the file dialog was last closed, in the library's profile.
const wchar_t kFilePlacement[] = L"FileDialogPlacement";

JotwellFolderBrowser g_folderBrowser = nullptr;
JotwellFileBrowser g_fileBrowser = nullptr;

int CALLBACK FolderCallback(HWND window, UINT message, LPARAM, LPARAM data)
{
    if (message == BFFM_INITIALIZED && data)
        ::SendMessageW(window, BFFM_SETSELECTIONW, TRUE, data);
    return 0;
}

// The dialog (the hook's parent) goes back where the user last left it,
// as long as that place is on a monitor.
void RestorePlacement(HWND dialog)
{
    const std::wstring text = ReadProfileString(kJotwellUiSection, kFilePlacement);
    int x = 0, y = 0;
    if (text.empty() || std::swscanf(text.c_str(), L"%d,%d", &x, &y) != 2) return;
    RECT rect;
    if (!::GetWindowRect(dialog, &rect)) return;
    RECT placed = {x, y, x + (rect.right - rect.left), y + (rect.bottom - rect.top)};
    if (!::MonitorFromRect(&placed, MONITOR_DEFAULTTONULL)) return;
    ::SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void SavePlacement(HWND dialog)
{
    RECT rect;
    if (!::GetWindowRect(dialog, &rect)) return;
    wchar_t text[32];
    std::swprintf(text, ARRAYSIZE(text), L"%ld,%ld", static_cast<long>(rect.left),
                  static_cast<long>(rect.top));
    WriteProfileString(kJotwellUiSection, kFilePlacement, text);
}

UINT_PTR CALLBACK FileHook(HWND child, UINT message, WPARAM, LPARAM lParam)
{
    try
    {
        HWND dialog = ::GetParent(child);
        if (message == WM_INITDIALOG)
        {
            const auto *ofn = reinterpret_cast<const OPENFILENAMEW *>(lParam);
            ::SetWindowLongPtrW(child, DWLP_USER, ofn ? static_cast<LONG_PTR>(ofn->lCustData) : 0);
        }
        else if (message == WM_NOTIFY &&
                 reinterpret_cast<const OFNOTIFYW *>(lParam)->hdr.code == CDN_INITDONE)
        {
            const auto *okText = reinterpret_cast<const wchar_t *>(
                ::GetWindowLongPtrW(child, DWLP_USER));
            if (okText)
                ::SendMessageW(dialog, CDM_SETCONTROLTEXT, IDOK,
                               reinterpret_cast<LPARAM>(okText));
            RestorePlacement(dialog);
        }
        else if (message == WM_DESTROY)
        {
            SavePlacement(dialog);
        }
    }
    TRACE_CATCH_ALL(2)
    return 0;
}
} // namespace

JotwellFolderRequest MakeFolderRequest(const std::wstring &location)
{
    JotwellFolderRequest request;
    request.title = LoadJotwellString(IDS_JOTWELL_FOLDER_TITLE);
    request.flags = BIF_RETURNONLYFSDIRS | BIF_EDITBOX | BIF_NEWDIALOGSTYLE;
    if (!location.empty() && ::PathIsDirectoryW(location.c_str())) request.initialFolder = location;
    return request;
}

JotwellFileRequest MakeFileRequest(const std::wstring &location, const std::wstring &fileName)
{
    JotwellFileRequest request;
    request.title = LoadJotwellString(IDS_JOTWELL_FILE_TITLE);
    request.okText = L"OK";
    request.defaultExt = L"log";
    request.filter = std::wstring(L"Log File\0*.log\0", 15) + L'\0';
    request.initialPath = CombinePath(location, fileName);
    // No overwrite prompt, no recent-documents entry, no test file.
    request.flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_DONTADDTORECENT |
                    OFN_NOTESTFILECREATE;
    return request;
}

bool BrowseForFolder(HWND owner, const JotwellFolderRequest &request, std::wstring &chosen)
{
    if (g_folderBrowser) return g_folderBrowser(owner, request, chosen);
    BROWSEINFOW info = {};
    info.hwndOwner = owner;
    info.lpszTitle = request.title.c_str();
    info.ulFlags = request.flags;
    if (!request.initialFolder.empty())
    {
        info.lpfn = FolderCallback;
        info.lParam = reinterpret_cast<LPARAM>(request.initialFolder.c_str());
    }
    PIDLIST_ABSOLUTE item = ::SHBrowseForFolderW(&info);
    if (!item) return false;
    wchar_t path[MAX_PATH] = L"";
    const bool ok = ::SHGetPathFromIDListW(item, path) != FALSE;
    ::CoTaskMemFree(item);
    if (ok) chosen = path;
    return ok;
}

bool BrowseForFile(HWND owner, const JotwellFileRequest &request, std::wstring &chosen)
{
    if (g_fileBrowser) return g_fileBrowser(owner, request, chosen);
    std::vector<wchar_t> file(32768, L'\0');
    request.initialPath.copy(file.data(), file.size() - 1);
    OPENFILENAMEW ofn = {};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = request.filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrTitle = request.title.c_str();
    ofn.lpstrDefExt = request.defaultExt.c_str();
    ofn.Flags = request.flags | OFN_ENABLEHOOK;
    ofn.lpfnHook = FileHook;
    ofn.lCustData = reinterpret_cast<LPARAM>(request.okText.c_str());
    if (!::GetSaveFileNameW(&ofn))
    {
        DWORD error = ::CommDlgExtendedError();
        if (error) Trace(2, L"  GetSaveFileName [%8.8lX]", static_cast<unsigned long>(error));
        return false;
    }
    chosen = file.data();
    return true;
}

void SetJotwellBrowsers(JotwellFolderBrowser folder, JotwellFileBrowser file)
{
    g_folderBrowser = folder;
    g_fileBrowser = file;
}
