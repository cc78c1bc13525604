// Page objects: handing a page to a foreign sheet, counting the sheet's
// uses, and the registry with its sweep.
#define TRACE_SOURCE "MfcGui\\PropertyPageObj"
#include "PropertyPageObj.h"

#include "ActivationContext.h"
#include "CriticalSection.h"
#include "FxException.h"
#include "Trace.h"

#include <algorithm>
#include <vector>

namespace
{
// Where an exception while a released page is freed is reported. The
// number is part of the log text, not a line of this file.
constexpr TraceSite kReleaseSite{TRACE_SOURCE, 181};

fx::CCriticalSection &RegistryLock()
{
    static fx::CCriticalSection lock;
    return lock;
}

std::vector<CPropertyPageObj *> &Registry()
{
    static std::vector<CPropertyPageObj *> registry;
    return registry;
}

void Unregister(CPropertyPageObj *object)
{
    fx::CSingleLock lock(&RegistryLock());
    auto &registry = Registry();
    registry.erase(std::remove(registry.begin(), registry.end(), object), registry.end());
}

// Takes entry `index` out of the registry when its sheet no longer uses it
// (null otherwise).
CPropertyPageObj *TakeUnused(std::vector<CPropertyPageObj *> &registry, size_t index)
{
    if (index >= registry.size()) return nullptr;
    CPropertyPageObj *object = registry[index];
    if (object->UsedCount() > 0) return nullptr;
    registry.erase(registry.begin() + static_cast<std::ptrdiff_t>(index));
    return object;
}
} // namespace

CPropertyPageObj::CPropertyPageObj(CPropertyPageExEx &owner, std::function<void()> releaseOwner,
                                   bool useCallback)
    : m_owner(owner), m_releaseOwner(std::move(releaseOwner)), m_useCallback(useCallback)
{
    Trace(4, L"CPropertyPageObj::CPropertyPageObj");
}

CPropertyPageObj::~CPropertyPageObj()
{
    Unregister(this);
    if (!m_ownerReleased) m_owner.SetCallbackSink(nullptr);
    Trace(4, L"CPropertyPageObj::~CPropertyPageObj");
}

bool CPropertyPageObj::IsRegistered() const
{
    fx::CSingleLock lock(&RegistryLock());
    const auto &registry = Registry();
    return std::find(registry.begin(), registry.end(), this) != registry.end();
}

HRESULT CPropertyPageObj::AddPage(LPFNADDPROPSHEETPAGE addPage, LPARAM lParam)
{
    m_owner.SetCallbackSink(this);
    // The page's controls are created in this library's activation context
    // (version 6 common controls), whatever the sheet's process uses.
    m_owner.SetActivationContext(LibraryActivationContext());
    PROPSHEETPAGEW description = m_owner.Description();
    description.dwFlags |= PSP_USEREFPARENT;
    description.pcRefParent = &m_usedCount;
    if (!m_useCallback) description.dwFlags &= ~PSP_USECALLBACK;

    // The hand-over is one step under the registry lock: room is made
    // first, so that once the sheet took the page, entering it cannot fail,
    // and no other thread's page can take that room or sweep in between.
    // The sheet's add function only files the handle; it calls nothing of
    // ours that takes this lock on another thread.
    fx::CSingleLock lock(&RegistryLock());
    Registry().reserve(Registry().size() + 1);
    HPROPSHEETPAGE page = ::CreatePropertySheetPageW(&description);
    if (!page)
    {
        Trace(3, L"  Page [%hs] Not Created UsedCount [%lu]", m_owner.ClassName(),
              static_cast<ULONG>(UsedCount()));
        return E_OUTOFMEMORY;
    }
    Trace(4, L"  Page [%hs] Created UsedCount [%lu]", m_owner.ClassName(),
          static_cast<ULONG>(UsedCount()));
    if (!addPage || !addPage(page, lParam))
    {
        ::DestroyPropertySheetPage(page);
        Trace(3, L"  Page [%hs] Not Added UsedCount [%lu]", m_owner.ClassName(),
              static_cast<ULONG>(UsedCount()));
        return E_FAIL;
    }
    Registry().push_back(this);
    m_owner.SetRefParent(&m_usedCount);
    Trace(3, L"  Page [%hs] Added UsedCount [%lu]", m_owner.ClassName(),
          static_cast<ULONG>(UsedCount()));
    return S_OK;
}

// The callback keeps a count of its own: where the platform leaves the
// PSP_USEREFPARENT counter at 0 (Wine), the sheet's uses still show.
void CPropertyPageObj::OnPageCallback(CPropertyPageExEx &, UINT message)
{
    if (message == PSPCB_ADDREF)
        ::InterlockedIncrement(&m_callbackUses);
    else if (message == PSPCB_RELEASE && m_callbackUses > 0)
        ::InterlockedDecrement(&m_callbackUses);
}

void CPropertyPageObj::ReleaseOwner()
{
    // The owner may hold this object: touch nothing after the release.
    auto release = std::move(m_releaseOwner);
    m_releaseOwner = nullptr;
    m_ownerReleased = true;
    if (release) release();
}

size_t SweepUnusedPageObjects()
{
    fx::CSingleLock lock(&RegistryLock());
    auto &registry = Registry();
    size_t released = 0;
    for (size_t i = registry.size(); i-- > 0;)
    {
        CPropertyPageObj *object = nullptr;
        bool taken = false;
        try
        {
            object = TakeUnused(registry, i);
            taken = true;
        }
        TRACE_CATCH_ALL(2)
        // An exception while removing ends the walk; one while releasing
        // does not.
        if (!taken) break;
        if (!object) continue;
        try
        {
            Trace(3, L"  Releasing unused [%hs] [%d]", object->Owner().ClassName(), 1);
            ++released;
            object->ReleaseOwner();
        }
        TRACE_CATCH_SITE(2, kReleaseSite)
    }
    return released;
}

size_t RegisteredPageObjectCount()
{
    fx::CSingleLock lock(&RegistryLock());
    return Registry().size();
}
