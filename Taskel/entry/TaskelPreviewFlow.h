// The preview flow: the plan of one command file written as a CSV file for
// scripts ("/csv:<file>").
#pragma once

#include <windows.h>

#include <string>

#include "TaskelParams.h"

// The CSV file a preview request names ("/csv:<path>", any case), or empty.
std::wstring PreviewCsvPath(const ParamList &params);

// Writes `bytes` to `path` whole or not at all: a new file beside it, then
// moved over the old one.
HRESULT WriteFileWhole(const std::wstring &path, const std::string &bytes);

// Writes the plan of the command file `path` to the "/csv:<file>" of
// `params`, without any window or message. Returns S_OK or the failure: no
// CSV file named (E_INVALIDARG), no such file, not a command file, the CSV
// file not written.
HRESULT PreviewCommandFlow(HWND owner, const std::wstring &path, const ParamList &params);
