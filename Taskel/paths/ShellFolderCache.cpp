// The shell-folder cache: a queue of folders, a worker thread that looks up
// disk labels and display names, and the maps it fills. The worker ends
// after a second without work. It holds a reference to the library of its
// code from its start to its very end (FreeLibraryAndExitThread) rather
// than the module lock: COM may free the library while the worker is still
// gathering (the apartment that loaded it ends with its Properties sheet),
// and the library then stays until the worker is gone.
// The worker uses only the system's own threads, locks and condition
// variables, nothing that keeps per-thread state in the library.
#define TRACE_SOURCE "UiKit\\ShellFolderCache"
#include "ShellFolderCache.h"

#include <shellapi.h>
#include <shlwapi.h>

#include <deque>
#include <map>

#include "ComObject.h"
#include "CriticalSection.h"
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
    Cache() { ::InitializeConditionVariable(&wake); }
    fx::CCriticalSection lock;
    CONDITION_VARIABLE wake;
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

// Never destroyed: in a program that links the cache (not the library) the
// worker may still run while the program's statics are destroyed.
Cache &TheCache()
{
    static Cache *cache = new Cache;
    return *cache;
}

// Enters the cache's lock for a scope; Unlock and Lock let go of it and
// take it again inside the scope (the lock is recursive, so the count must
// stay balanced).
class CCacheLock
{
  public:
    explicit CCacheLock(Cache &c) noexcept : m_cache(c) { m_cache.lock.Lock(); }
    ~CCacheLock()
    {
        if (m_held) m_cache.lock.Unlock();
    }
    CCacheLock(const CCacheLock &) = delete;
    CCacheLock &operator=(const CCacheLock &) = delete;
    void Unlock() noexcept
    {
        m_cache.lock.Unlock();
        m_held = false;
    }
    void Lock() noexcept
    {
        m_cache.lock.Lock();
        m_held = true;
    }

  private:
    Cache &m_cache;
    bool m_held = true;
};

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
        CCacheLock guard(c);
        for (;;)
        {
            if (!c.rootFilled)
            {
                c.working = true;
                DisplayNameFunction display = c.display;
                guard.Unlock();
                wchar_t desktop[MAX_PATH] = {};
                ::GetWindowsDirectoryW(desktop, MAX_PATH);
                std::wstring name;
                displayName(display, desktop, name);
                guard.Lock();
                c.rootFilled = true;
                c.working = false;
                continue;
            }
            if (c.queue.empty())
            {
                // Waits a second for work; a wake-up without work (spurious
                // or a refresh) waits again for the rest of it.
                const DWORD start = ::GetTickCount();
                DWORD waited = 0;
                while (c.queue.empty() && c.rootFilled && waited < 1000)
                {
                    ::SleepConditionVariableCS(&c.wake, c.lock.Native(), 1000 - waited);
                    waited = ::GetTickCount() - start;
                }
                if (c.queue.empty() && c.rootFilled) break;
                continue;
            }
            Key key = c.queue.front();
            c.queue.pop_front();
            c.working = true;
            VolumeLabelFunction volume = c.volume;
            DisplayNameFunction display = c.display;
            guard.Unlock();
            std::wstring value;
            bool ok = key.volume ? volume(key.path, value) : displayName(display, key.path, value);
            guard.Lock();
            if (ok) (key.volume ? c.labels : c.names)[Fold(key.path)] = value;
            c.working = false;
        }
        c.running = false;
    }
    catch (...)
    {
        Trace(2, L"*** Exception *** at %hs %d", TRACE_SOURCE, __LINE__);
        fx::CSingleLock guard(&c.lock);
        c.running = false;
        c.working = false;
    }
    if (SUCCEEDED(hrInit)) ::CoUninitialize();
}

DWORD WINAPI WorkerThread(void *library) noexcept
{
    Worker();
    // Nothing of the library runs after this call: it lets the library go
    // and ends the thread in the system's code.
    ::FreeLibraryAndExitThread(static_cast<HMODULE>(library), 0);
}

// Called with the lock held.
void EnsureWorker(Cache &c)
{
    if (c.running) return;
    HMODULE library = nullptr;
    if (!::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                              reinterpret_cast<LPCWSTR>(&WorkerThread), &library))
    {
        SetTraceLocation(TRACE_SOURCE, __LINE__);
        LogWinErr(2, ::GetLastError(), L"GetModuleHandleEx");
        return;
    }
    c.running = true;
    DWORD id = 0;
    HANDLE thread = ::CreateThread(nullptr, 0, WorkerThread, library, 0, &id);
    if (thread)
    {
        ::CloseHandle(thread);
        return;
    }
    SetTraceLocation(TRACE_SOURCE, __LINE__);
    LogWinErr(2, ::GetLastError(), L"CreateThread");
    c.running = false;
    // The caller runs in the library and holds it: this is not its last
    // reference.
    ::FreeLibrary(library);
}

void Enqueue(Cache &c, bool volume, const std::wstring &path)
{
    std::wstring key = (volume ? L"V" : L"F") + Fold(path);
    if (c.queued.count(key)) return;
    c.queued[key] = true;
    c.queue.push_back({volume, path});
    EnsureWorker(c);
    ::WakeConditionVariable(&c.wake);
}

} // namespace

void RegisterFolder(const std::wstring &folder)
{
    if (folder.empty() || PathIsURLW(folder.c_str())) return;
    Cache &c = TheCache();
    fx::CSingleLock guard(&c.lock);
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
    fx::CSingleLock guard(&c.lock);
    auto it = c.labels.find(Fold(root));
    if (it == c.labels.end()) return false;
    label = it->second;
    return true;
}

bool LookupDisplayName(const std::wstring &folder, std::wstring &name)
{
    Cache &c = TheCache();
    fx::CSingleLock guard(&c.lock);
    auto it = c.names.find(Fold(folder));
    if (it == c.names.end()) return false;
    name = it->second;
    return true;
}

bool IsComplete()
{
    Cache &c = TheCache();
    fx::CSingleLock guard(&c.lock);
    if (!c.rootFilled) EnsureWorker(c);
    return c.rootFilled && c.queue.empty() && !c.working;
}

void Refresh()
{
    Cache &c = TheCache();
    fx::CSingleLock guard(&c.lock);
    c.queue.clear();
    c.labels.clear();
    c.names.clear();
    c.queued.clear();
    c.rootFilled = false;
    EnsureWorker(c);
    ::WakeConditionVariable(&c.wake);
}

void SetGatherSeams(VolumeLabelFunction volume, DisplayNameFunction display)
{
    Cache &c = TheCache();
    fx::CSingleLock guard(&c.lock);
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
