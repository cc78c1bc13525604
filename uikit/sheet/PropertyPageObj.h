// CPropertyPageObj: what hands a page of ours to a property sheet another
// component owns (the shell's Properties, or a running sheet of another
// library) and keeps it alive until that sheet lets it go. Every page that
// may be handed out owns one. The sheet's uses of the page are counted in
// `UsedCount` (the counter PSP_USEREFPARENT points at; where the platform
// leaves that counter untouched, the page callback counts instead). Page
// objects that were added to a sheet stay in a process-wide registry; the
// sweep (run before the library may unload) releases the owners of those
// whose sheet has destroyed the page.
#pragma once

#include "ComObject.h"
#include "PropertyPageExEx.h"

#include <prsht.h>

#include <functional>

class CPropertyPageObj : public IPageCallbackSink
{
  public:
    // `owner` is the page; `releaseOwner` drops the owner's initial
    // reference (which belongs to the page object once the page was added).
    CPropertyPageObj(CPropertyPageExEx &owner, std::function<void()> releaseOwner,
                     bool useCallback = true);
    virtual ~CPropertyPageObj();
    CPropertyPageObj(const CPropertyPageObj &) = delete;
    CPropertyPageObj &operator=(const CPropertyPageObj &) = delete;

    // Creates the page handle from the owner's description and hands it to
    // `addPage`: S_OK when the sheet took it, E_FAIL when it refused (the
    // handle is destroyed), E_OUTOFMEMORY when no handle could be made.
    HRESULT AddPage(LPFNADDPROPSHEETPAGE addPage, LPARAM lParam);

    LONG UsedCount() const
    {
        const LONG callbackUses = m_callbackUses;
        return static_cast<LONG>(m_usedCount) > callbackUses ? static_cast<LONG>(m_usedCount)
                                                             : callbackUses;
    }
    bool IsRegistered() const;
    CPropertyPageExEx &Owner() const { return m_owner; }
    // Drops the owner's reference (the sweep's last step).
    void ReleaseOwner();

    void OnPageCallback(CPropertyPageExEx &page, UINT message) override;

  private:
    CPropertyPageExEx &m_owner;
    std::function<void()> m_releaseOwner;
    bool m_useCallback;
    UINT m_usedCount = 0;
    volatile LONG m_callbackUses = 0; // changed with interlocked operations
    bool m_ownerReleased = false;
    fx::CModuleLock m_moduleLock;
};

// Releases every registered page object whose sheet no longer uses its
// page (used count 0 or less), last registered first; returns how many.
size_t SweepUnusedPageObjects();
size_t RegisteredPageObjectCount();
