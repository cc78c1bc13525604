// CJotwellProps: the object's life, its properties as plain operations,
// and the shell extension interfaces that add the settings page to a sheet.
// The dispatch table is in JotwellPropsDispatch.cpp.
#define TRACE_SOURCE "Jotwell\\JotwellProps"
#include "JotwellProps.h"

#include "ComMethod.h"
#include "JotwellPage.h"
#include "JotwellTraceSites.h"
#include "Trace.h"

#include <memory>
#include <new>

const CLSID CLSID_JotwellProps = {
    0x4B0AFE47, 0x4387, 0x487D, {0x8F, 0xEF, 0xCE, 0x43, 0xF9, 0xE0, 0x20, 0xFE}};
const wchar_t kJotwellProgId[] = L"Veltrac.JotwellPage";

CJotwellProps::CJotwellProps()
{
    Trace(3, L"CJotwellProps::CJotwellProps");
}

CJotwellProps::~CJotwellProps()
{
    Trace(3, L"CJotwellProps::~CJotwellProps");
}

void CJotwellProps::OnFinalRelease() noexcept
{
    Trace(3, L"CJotwellProps::OnFinalRelease");
    delete this;
}

HRESULT CJotwellProps::CreateInstance(REFIID iid, void **out) noexcept
{
    return fx::ComMethod(
        TRACE_SITE_HERE(), [&] { return fx::CreateComObject<CJotwellProps>(iid, out); }, E_FAIL);
}

void *CJotwellProps::GetInterface(REFIID iid) noexcept
{
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch))
        return static_cast<IDispatch *>(&m_xDispatch);
    if (IsEqualIID(iid, IID_IShellExtInit)) return static_cast<IShellExtInit *>(&m_xShellExtInit);
    if (IsEqualIID(iid, IID_IShellPropSheetExt))
        return static_cast<IShellPropSheetExt *>(&m_xShellPropSheetExt);
    return nullptr;
}

void CJotwellProps::SetItemCount(long count)
{
    if (count < 0) return;
    // Appended definitions are the defaults: HKEY_CURRENT_USER, no texts, level 0.
    m_defs.resize(static_cast<size_t>(count));
}

CJotwellDef *CJotwellProps::Item(long index) noexcept
{
    if (index < 1 || static_cast<size_t>(index) > m_defs.size()) return nullptr;
    return &m_defs[static_cast<size_t>(index) - 1];
}

STDMETHODIMP CJotwellProps::XShellExtInit::Initialize(PCIDLIST_ABSOLUTE, IDataObject *, HKEY)
{
    // The host is told S_OK whatever happens here.
    fx::ComMethod(TRACE_SITE_HERE(), [] {
        if ((GetTraceLevel() & TRACE_LEVEL_MASK) == 0 || !*GetTraceFileName()) StartTracing();
    });
    return S_OK;
}

STDMETHODIMP CJotwellProps::XShellPropSheetExt::AddPages(LPFNSVADDPROPSHEETPAGE addPage,
                                                         LPARAM lParam)
{
    return fx::ComMethod(
        sites::kAddPages, [&] { return Owner()->AddPages(addPage, lParam); }, E_FAIL);
}

// The page gets a copy of the title and the definitions: later property
// changes do not reach a page that was already added. Once the sheet took
// it, the page belongs to the sheet (its page object frees it); otherwise
// it is freed here.
HRESULT CJotwellProps::AddPages(LPFNSVADDPROPSHEETPAGE addPage, LPARAM lParam)
{
    Trace(3, L"CJotwellProps::AddPages Lparam [%8.8lX] [%lu]", static_cast<unsigned long>(lParam),
          static_cast<unsigned long>(lParam));
    std::unique_ptr<CJotwellPage> page(new (std::nothrow) CJotwellPage);
    if (!page) return E_FAIL;
    page->SetAppTitle(m_appTitle);
    page->Definitions().clear();
    page->Definitions().insert(page->Definitions().end(), m_defs.begin(), m_defs.end());
    const HRESULT hr = page->PageObject().AddPage(addPage, lParam);
    if (SUCCEEDED(hr)) page.release();
    return hr;
}

STDMETHODIMP CJotwellProps::XShellPropSheetExt::ReplacePage(EXPPS, LPFNSVADDPROPSHEETPAGE, LPARAM)
{
    return E_NOTIMPL;
}
