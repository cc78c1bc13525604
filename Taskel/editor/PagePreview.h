// What the command page's Preview... button shows: the command as the page
// holds it now (each edit on the page goes into the command at once, so
// unsaved changes are included), named after its file and resolved against
// the file's folder as a run of the file would be.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "FileOrigin.h"
#include "PreviewWindow.h"

// Runs the edited command with the usual dialogs, owned by `owner`.
using PageRunner = std::function<void(HWND owner)>;

// The preview of `edited`, the command of the file `path` as the page shows
// it. `runner` becomes the preview's Run button, except for a file from the
// Internet (`origin`): a run of such a file asks the user first, and that
// question belongs to the run flow above the editor, so the page offers no
// Run rather than one that would not ask.
PreviewSource PagePreviewSource(const std::wstring &path, const ExecCommand &edited,
                                const FileOrigin &origin, PageRunner runner);
