// The recording shell seam and the command helper of the runner tests.
#include "RunnerTestSupport.h"

#include "AniNotifyIcon.h"

namespace
{
CRecordingShell *g_shell = nullptr;

std::vector<std::wstring> Entries(const wchar_t *list)
{
    std::vector<std::wstring> entries;
    for (const wchar_t *p = list; p && *p; p += wcslen(p) + 1)
        entries.push_back(p);
    return entries;
}

int Record(SHFILEOPSTRUCTW *request)
{
    g_shell->requests.push_back(
        {request->wFunc, Entries(request->pFrom), Entries(request->pTo), request->fFlags});
    return g_shell->answer ? g_shell->answer(*request, g_shell->requests.size() - 1) : 0;
}

void Free(HANDLE)
{
    ++g_shell->freedMappings;
}

BOOL WINAPI AcceptNotify(DWORD, PNOTIFYICONDATAW)
{
    return TRUE;
}

const FileOperationSeam RECORDING = {Record, Free};
} // namespace

CRecordingShell::CRecordingShell()
{
    g_shell = this;
    SetFileOperationSeam(&RECORDING);
    SetNotifyIconSeam(AcceptNotify);
}

CRecordingShell::~CRecordingShell()
{
    SetFileOperationSeam(nullptr);
    SetNotifyIconSeam(nullptr);
    g_shell = nullptr;
}

ExecCommand Command(DWORD action, DWORD options, const std::vector<std::wstring> &sources,
                    const std::wstring &target)
{
    std::wstring list;
    for (const std::wstring &source : sources)
        list += source + L'\0';
    list += L'\0';
    return {action, options, list, target, OptionMask(action, 6, sources)};
}
