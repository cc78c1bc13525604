// The preview flow: the plan of one command file shown in the preview
// window, or written as a CSV file for scripts ("/csv:<file>").
#pragma once

#include <windows.h>

#include <string>

#include "TaskelParams.h"

// The CSV file a preview request names ("/csv:<path>", any case), or empty.
std::wstring PreviewCsvPath(const ParamList &params);

// Shows the plan of the command file `path` in the preview window, whose
// Run button runs it through the run flow; with "/csv:<file>" writes the
// plan there instead, without any window or message. Returns S_OK or the
// failure: no such file, not a command file, the CSV file not written.
HRESULT PreviewCommandFlow(HWND owner, const std::wstring &path, const ParamList &params);
