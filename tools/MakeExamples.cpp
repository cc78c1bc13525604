// MakeExamples: writes the example command files into a folder through the
// library's own command object and container, so they are exactly what the
// editor would save. Usage: MakeExamples <folder>
//
// Every example works on folders next to its command file (relative
// specifications resolve against the command file's folder).
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "TaskelClass.h"
#include "TaskelCommandFile.h"
#include "TaskelOptions.h"
#include "Trace.h"

TraceProfile g_traceProfile = {L"Software\\Veltrac\\Ferrovane", L"Ferrovane.log", true, true};

namespace
{

struct Example
{
    const wchar_t *name;
    uint32_t editorAction;
    uint32_t options;
    std::vector<std::wstring> sources;
    std::wstring target;
};

// Today's date as yyyy-MM-dd, for the folder the log backup goes to.
std::wstring Today()
{
    wchar_t date[32] = {};
    if (!::GetDateFormatW(LOCALE_INVARIANT, 0, nullptr, L"yyyy-MM-dd", date, 32)) return L"today";
    return date;
}

// Options are only those the action keeps (its option mask): a trial run
// or a silent run is asked for when running ("/t", "/s"), not stored.
std::vector<Example> Examples()
{
    return {
        {L"backup-logs.Taskel",
         EDIT_ACTION_COPY,
         OPT_NOCONFIRMATION | OPT_NOCONFIRMMKDIR | OPT_X_COMPLETE_SOUND,
         {L"logs\\*.log"},
         L"backup\\logs-" + Today()},
        {L"tidy-downloads.Taskel",
         EDIT_ACTION_MOVE,
         OPT_NOCONFIRMMKDIR | OPT_RENAMEONCOLLISION | OPT_X_COMPLETE_SOUND,
         {L"Downloads\\*.pdf"},
         L"Documents\\PDF"},
        {L"jpeg-to-jpg.Taskel",
         EDIT_ACTION_RENAME,
         OPT_NOCONFIRMATION,
         {L"photos\\*.jpeg>*.jpg"},
         L""},
        {L"clean-temp.Taskel",
         EDIT_ACTION_DELETE,
         OPT_NOCONFIRMATION | OPT_ALLOWUNDO,
         {L"temp\\*.tmp", L"temp\\*.bak"},
         L""},
        {L"archive-reports.Taskel",
         EDIT_ACTION_MOVERENAME,
         OPT_NOCONFIRMATION | OPT_NOCONFIRMMKDIR | OPT_X_COMPLETE_SOUND,
         {L"reports\\*.txt>*.old"},
         L"archive"},
    };
}

HRESULT WriteExample(const std::wstring &folder, const Example &example)
{
    std::wstring path = folder + L"\\" + example.name;
    ::DeleteFileW(path.c_str());
    fx::ComPtr<IDispatch> dispatch;
    CTaskel *command = nullptr;
    HRESULT hr = CreateCommandObject(dispatch, command);
    if (FAILED(hr)) return hr;
    command->SetAction(example.editorAction);
    command->SetOptions(example.options);
    for (size_t i = 0; i < example.sources.size(); ++i)
        command->SetSource(static_cast<long>(i), example.sources[i].c_str());
    command->SetTarget(example.target);
    return SaveNewCommandFile(path, *command);
}

} // namespace

int wmain(int argc, wchar_t **argv)
{
    if (argc != 2)
    {
        std::fputs("usage: MakeExamples <folder>\n", stderr);
        return 2;
    }
    std::wstring folder = argv[1];
    while (!folder.empty() && (folder.back() == L'\\' || folder.back() == L'/'))
        folder.pop_back();
    ::CreateDirectoryW(folder.c_str(), nullptr);

    HRESULT ole = ::OleInitialize(nullptr);
    int status = 0;
    for (const Example &example : Examples())
    {
        HRESULT hr = WriteExample(folder, example);
        std::printf("%ls\\%ls: %s (0x%08lX)\n", folder.c_str(), example.name,
                    SUCCEEDED(hr) ? "written" : "FAILED", static_cast<unsigned long>(hr));
        if (FAILED(hr)) status = 1;
    }
    if (SUCCEEDED(ole)) ::OleUninitialize();
    return status;
}
