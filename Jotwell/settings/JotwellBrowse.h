// The two browse dialogs of the settings page: the system's folder browser
// for the log's location and the save dialog for its file. Each request is
// a plain record, so tests can put a recording browser in front of the
// system's dialogs (SetJotwellBrowsers); the product always shows the real
// ones.
#pragma once

#include <windows.h>

#include <string>

struct JotwellFolderRequest
{
    std::wstring title;         // string 5114
    UINT flags = 0;             // BIF_* (0x51)
    std::wstring initialFolder; // preselected when it is an existing folder
};

struct JotwellFileRequest
{
    std::wstring title;       // string 5106
    std::wstring okText;      // "OK"
    std::wstring defaultExt;  // "log"
    std::wstring filter;      // "Log File" NUL "*.log" NUL NUL
    std::wstring initialPath; // location combined with the file name
    DWORD flags = 0;          // OFN_*
};

// True with the chosen folder or file; false when the user cancelled.
using JotwellFolderBrowser = bool (*)(HWND owner, const JotwellFolderRequest &request,
                                      std::wstring &chosen);
using JotwellFileBrowser = bool (*)(HWND owner, const JotwellFileRequest &request,
                                    std::wstring &chosen);

// The requests the page makes.
JotwellFolderRequest MakeFolderRequest(const std::wstring &location);
JotwellFileRequest MakeFileRequest(const std::wstring &location, const std::wstring &fileName);

bool BrowseForFolder(HWND owner, const JotwellFolderRequest &request, std::wstring &chosen);
bool BrowseForFile(HWND owner, const JotwellFileRequest &request, std::wstring &chosen);

// Null restores the system's dialogs.
void SetJotwellBrowsers(JotwellFolderBrowser folder, JotwellFileBrowser file);
