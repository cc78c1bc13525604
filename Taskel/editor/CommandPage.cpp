// The edit flow's way to the command page: CTaskelPropPage bound to the
// command file and loaded into the flow's command object. A file the user
// may not write (read-only attribute) gives a read-only page, which accepts
// Apply without writing instead of failing every save.
#define TRACE_SOURCE "Taskel\\TaskelPropPage"
#include "CommandPage.h"

#include "ShellDisplayPrefs.h"
#include "ShellFolderCache.h"
#include "TaskelPropPage.h"
#include "Trace.h"

HRESULT CreateCommandPage(const std::wstring &path, CTaskel &command, bool readOnly,
                          std::unique_ptr<CPropertyPageExEx> &page)
{
    page.reset();
    if (path.empty()) return E_UNEXPECTED;
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        readOnly = true;
    // A change of the display preferences gathers the shell-folder
    // information anew; the page's timer waits for it.
    SetShellDisplayPrefsChanged(shellfolders::Refresh);
    auto commandPage = std::make_unique<CTaskelPropPage>();
    commandPage->SetFileName(path);
    const HRESULT hr = commandPage->Load(&command, readOnly);
    if (FAILED(hr)) return hr;
    page = std::move(commandPage);
    return hr;
}
