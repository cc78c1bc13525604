// The preview of the command page's command: its name, its base folder and
// whether it offers Run.
#include "PagePreview.h"

#include <shlwapi.h>

#include "TaskelClass.h"
#include "TaskelExecPath.h"

PreviewSource PagePreviewSource(const std::wstring &path, const ExecCommand &edited,
                                const FileOrigin &origin, PageRunner runner)
{
    PreviewSource source;
    source.name = ::PathFindFileNameW(path.c_str());
    source.command = edited;
    // Relative specifications resolve as in a run of the file.
    source.baseFolder = CTaskel::RunBaseFolder(execpath::ParentFolder(path));
    if (!IsForeignOrigin(origin)) source.run = std::move(runner);
    return source;
}
