// The ways to the command page: the edit flow's (CTaskelPropPage bound to
// the command file and loaded into the flow's command object) and the
// shell's (the page loads a command of its own). A file the user
// may not write (read-only attribute) gives a read-only page, which accepts
// Apply without writing instead of failing every save.
#define TRACE_SOURCE "Taskel\\TaskelPropPage"
#include "CommandPage.h"

#include <new>

#include "ShellDisplayPrefs.h"
#include "ShellFolderCache.h"
#include "TaskelPropPage.h"
#include "Trace.h"

namespace
{
bool IsReadOnlyFile(const std::wstring &path)
{
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
}

// A change of the display preferences gathers the shell-folder information
// anew; the page's timer waits for it.
void FollowDisplayPrefs()
{
    SetShellDisplayPrefsChanged(shellfolders::Refresh);
}
} // namespace

HRESULT CreateCommandPage(const std::wstring &path, CTaskel &command, bool readOnly,
                          std::unique_ptr<CPropertyPageExEx> &page)
{
    page.reset();
    if (path.empty()) return E_UNEXPECTED;
    readOnly = readOnly || IsReadOnlyFile(path);
    FollowDisplayPrefs();
    auto commandPage = std::make_unique<CTaskelPropPage>();
    commandPage->SetFileName(path);
    HRESULT hr = S_OK;
    RETURN_IF_FAILED(2, hr = commandPage->Load(&command, readOnly));
    page = std::move(commandPage);
    return hr;
}

HRESULT OpenCommandPage(const std::wstring &path, std::unique_ptr<CTaskelPropPage> &page,
                        bool &created)
{
    page.reset();
    created = false;
    FollowDisplayPrefs();
    auto commandPage = std::unique_ptr<CTaskelPropPage>(new (std::nothrow) CTaskelPropPage);
    if (!commandPage) return E_OUTOFMEMORY;
    created = true;
    commandPage->SetFileName(path);
    HRESULT hr = S_OK;
    RETURN_IF_FAILED(2, hr = commandPage->Load(nullptr, IsReadOnlyFile(path)));
    page = std::move(commandPage);
    return hr;
}
