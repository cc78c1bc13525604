// The shell-folder cache: a queue of folders, a worker thread that looks up
// disk labels and display names, and the maps it fills. The worker ends
// after a second without work and holds the module while it runs.
#define TRACE_SOURCE "UiKit\\ShellFolderCache"
#include "ShellFolderCache.h"

#include <shellapi.h>
#include <shlwapi.h>

#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <thread>

#include "ComObject.h"
#include "NoCase.h"
#include "ShellFolderNames.h"
#include "FxException.h"
#include "Trace.h"

namespace shellfolders
{
namespace
{

bool SystemVolumeLabel(const std::wstring &root, std::wstring &label)
{
    wchar_t name[MAX_PATH + 1] = {};
    const UINT old = ::SetErrorMode(SEM_FAILCRITICALERRORS);
    BOOL ok = ::GetVolumeInformationW(root.c_str(), name, MAX_PATH + 1, nullptr, nullptr, nullptr,
                                      nullptr, 0);
    ::SetErrorMode(old);
    label = ok ? name : L"";
    return true;
}

bool SystemDisplayName(const std::wstring &folder, std::wstring &name)
{
    if (::GetFileAttributesW(folder.c_str()) == INVALID_FILE_ATTRIBUTES) return false;
    return WholePathDisplayName(folder, name);
}

struct Key
{
    bool volume;
    std::wstring path;
};

struct Cache
{
    std::mutex lock;
    std::condition_variable wake;
    std::deque<Key> queue;
    std::map<std::wstring, std::wstring> labels; // folded root -> label
    std::map<std::wstring, std::wstring> names;  // folded folder -> display name
    std::map<std::wstring, bool> queued;         // folded key -> queued or done
    bool rootFilled = false;
    bool working = false;
    bool running = false;
    VolumeLabelFunction volume = SystemVolumeLabel;
    DisplayNameFunction display = SystemDisplayName;
};

Cache &TheCache()
{
    static Cache *cache =
        new Cache; // lives to the end of the process; the worker may outlast statics
    return *cache;
}

std::wstring Fold(const std::wstring &s)
{
    std::wstring f = s;
    if (!f.empty()) ::CharUpperBuffW(&f[0], static_cast<DWORD>(f.size()));
    return f;
}

void Worker()
{
    Cache &c = TheCache();
    HRESULT hrInit = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    try
    {
        // The system's look-up keeps the last parent folder bound; it lives
        // inside the apartment.
        ShellFolderNames shellNames;
        auto displayName = [&](DisplayNameFunction display, const std::wstring &folder,
                               std::wstring &name) {
            return display == SystemDisplayName ? shellNames.Lookup(folder, name)
                                                : display(folder, name);
        };
        std::unique_lock<std::mutex> guard(c.lock);
        for (;;)
        {
            if (!c.rootFilled)
            {
                c.working = true;
                DisplayNameFunction display = c.display;
                guard.unlock();
                wchar_t desktop[MAX_PATH] = {};
                ::GetWindowsDirectoryW(desktop, MAX_PATH);
                std::wstring name;
                displayName(display, desktop, name);
                guard.lock();
                c.rootFilled = true;
                c.working = false;
                continue;
            }
            if (c.queue.empty())
            {
                if (!c.wake.wait_for(guard, std::chrono::seconds(1),
                                     [&] { return !c.queue.empty(); }))
                    break;
                continue;
            }
            Key key = c.queue.front();
            c.queue.pop_front();
            c.working = true;
            VolumeLabelFunction volume = c.volume;
            DisplayNameFunction display = c.display;
            guard.unlock();
            std::wstring value;
            bool ok = key.volume ? volume(key.path, value) : displayName(display, key.path, value);
            guard.lock();
            if (ok) (key.volume ? c.labels : c.names)[Fold(key.path)] = value;
            c.working = false;
        }
        c.running = false;
    }
    catch (...)
    {
        Trace(2, L"*** Exception *** at %hs %d", TRACE_SOURCE, __LINE__);
        std::lock_guard<std::mutex> guard(c.lock);
        c.running = false;
        c.working = false;
    }
    if (SUCCEEDED(hrInit)) ::CoUninitialize();
    fx::UnlockModule();
}

// Called with the lock held.
void EnsureWorker(Cache &c)
{
    if (c.running) return;
    c.running = true;
    fx::LockModule();
    try
    {
        std::thread(Worker).detach();
    }
    catch (...)
    {
        c.running = false;
        fx::UnlockModule();
        Trace(2, L"*** Exception *** at %hs %d", TRACE_SOURCE, __LINE__);
    }
}

void Enqueue(Cache &c, bool volume, const std::wstring &path)
{
    std::wstring key = (volume ? L"V" : L"F") + Fold(path);
    if (c.queued.count(key)) return;
    c.queued[key] = true;
    c.queue.push_back({volume, path});
    EnsureWorker(c);
    c.wake.notify_one();
}

} // namespace

void RegisterFolder(const std::wstring &folder)
{
    if (folder.empty() || PathIsURLW(folder.c_str())) return;
    Cache &c = TheCache();
    std::lock_guard<std::mutex> guard(c.lock);
    EnsureWorker(c);
    std::wstring path = folder;
    if (path.size() > 3 && path.back() == L'\\') path.pop_back();
    if (path.size() >= 2 && path[1] == L':')
        Enqueue(c, true, path.substr(0, 2) + L"\\");
    else if (path.size() > 2 && path[0] == L'\\' && path[1] == L'\\')
        return; // shares are described from their names; no look-up on the network
    if (path.size() > 3) Enqueue(c, false, path);
}

bool LookupVolumeLabel(const std::wstring &root, std::wstring &label)
{
    Cache &c = TheCache();
    std::lock_guard<std::mutex> guard(c.lock);
    auto it = c.labels.find(Fold(root));
    if (it == c.labels.end()) return false;
    label = it->second;
    return true;
}

bool LookupDisplayName(const std::wstring &folder, std::wstring &name)
{
    Cache &c = TheCache();
    std::lock_guard<std::mutex> guard(c.lock);
    auto it = c.names.find(Fold(folder));
    if (it == c.names.end()) return false;
    name = it->second;
    return true;
}

bool IsComplete()
{
    Cache &c = TheCache();
    std::lock_guard<std::mutex> guard(c.lock);
    if (!c.rootFilled) EnsureWorker(c);
    return c.rootFilled && c.queue.empty() && !c.working;
}

void Refresh()
{
    Cache &c = TheCache();
    std::lock_guard<std::mutex> guard(c.lock);
    c.queue.clear();
    c.labels.clear();
    c.names.clear();
    c.queued.clear();
    c.rootFilled = false;
    EnsureWorker(c);
    c.wake.notify_one();
}

void SetGatherSeams(VolumeLabelFunction volume, DisplayNameFunction display)
{
    Cache &c = TheCache();
    std::lock_guard<std::mutex> guard(c.lock);
    c.volume = volume ? volume : SystemVolumeLabel;
    c.display = display ? display : SystemDisplayName;
}

bool WaitComplete(DWORD timeoutMs)
{
    const DWORD start = ::GetTickCount();
    while (!IsComplete())
    {
        if (::GetTickCount() - start >= timeoutMs) return false;
        ::Sleep(5);
    }
    return true;
}

} // namespace shellfolders
