// CTaskelProp: Initialize collects the selection from the shell's data
// object; AddPages hands the shell a command page per selected command file
// and the Preferences page after them.
#define TRACE_SOURCE "Taskel\\TaskelProp"
#include "TaskelProp.h"

#include <shellapi.h>

#include <memory>

#include "CommandPage.h"
#include "ComMethod.h"
#include "ShellDisplayPrefs.h"
#include "TaskelInfoTip.h"
#include "TaskelPath.h"
#include "TaskelPreferences.h"
#include "TaskelPropPage.h"
#include "Trace.h"

std::vector<std::wstring> DroppedFiles(IDataObject *dataObject)
{
    std::vector<std::wstring> files;
    if (!dataObject) return files;
    FORMATETC format = {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    // The medium is the handler's to release, and stays unlocked and
    // released whatever happens while the names are copied.
    struct Medium
    {
        STGMEDIUM medium = {};
        void *locked = nullptr;
        ~Medium()
        {
            if (locked) ::GlobalUnlock(medium.hGlobal);
            ::ReleaseStgMedium(&medium);
        }
    };
    Medium data;
    if (FAILED(dataObject->GetData(&format, &data.medium))) return files;
    data.locked = ::GlobalLock(data.medium.hGlobal);
    if (HDROP drop = static_cast<HDROP>(data.locked))
    {
        UINT count = ::DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
        for (UINT i = 0; i < count; ++i)
        {
            wchar_t name[MAX_PATH] = L"";
            if (::DragQueryFileW(drop, i, name, MAX_PATH)) files.emplace_back(name);
        }
    }
    return files;
}

HRESULT AddCommandPage(const std::wstring &name, LPFNADDPROPSHEETPAGE addPage, LPARAM lParam,
                       bool &created)
{
    std::unique_ptr<CTaskelPropPage> page;
    RETURN_IF_FAILED(2, OpenCommandPage(NormalizeCommandPath(name, true, false), page, created));
    const HRESULT hr = page->PageObject().AddPage(addPage, lParam);
    // Added: the page belongs to its page object until the sweep.
    if (SUCCEEDED(hr)) page.release();
    return hr;
}

HRESULT AddPreferencesPage(LPFNADDPROPSHEETPAGE addPage, LPARAM lParam)
{
    auto page = std::make_unique<CTaskelPreferences>();
    const HRESULT hr = page->PageObject().AddPage(addPage, lParam);
    if (SUCCEEDED(hr)) page.release();
    return hr;
}

CTaskelProp::CTaskelProp()
{
    Trace(4, L"CTaskelProp::CTaskelProp");
}

CTaskelProp::~CTaskelProp()
{
    Trace(4, L"CTaskelProp::~CTaskelProp");
}

void CTaskelProp::OnFinalRelease() noexcept
{
    Trace(4, L"CTaskelProp::OnFinalRelease");
    delete this;
}

HRESULT CTaskelProp::CreateInstance(REFIID iid, void **out) noexcept
{
    return fx::ComMethod(TRACE_SITE_HERE(),
                         [&] { return fx::CreateComObject<CTaskelProp>(iid, out); });
}

void *CTaskelProp::GetInterface(REFIID iid) noexcept
{
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IShellExtInit))
        return static_cast<IShellExtInit *>(&m_xShellExtInit);
    if (IsEqualIID(iid, IID_IShellPropSheetExt))
        return static_cast<IShellPropSheetExt *>(&m_xShellPropSheetExt);
    return nullptr;
}

void CTaskelProp::Initialize(IDataObject *dataObject)
{
    m_files.clear();
    m_files = DroppedFiles(dataObject);
}

STDMETHODIMP CTaskelProp::XShellExtInit::Initialize(PCIDLIST_ABSOLUTE folder,
                                                    IDataObject *dataObject, HKEY progIdKey)
{
    // The shell is told S_OK whatever happens here.
    fx::ComMethod(TRACE_SITE_HERE(), [&] {
        StartTracingAtEntry();
        Trace(
            4,
            L"ShellExtInit::Initialize FolderId [%8.8lX], DataObject [%8.8lX], ProgIdKey [%8.8lX]",
            static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(folder)),
            static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(dataObject)),
            static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(progIdKey)));
        Owner()->Initialize(dataObject);
    });
    return S_OK;
}

// The first file decides whether the shell gets any page; a later file
// that cannot be shown is left out, and the Preferences page follows only
// when the last file that got a page succeeded. A selection without files
// adds nothing.
HRESULT CTaskelProp::AddPages(LPFNADDPROPSHEETPAGE addPage, LPARAM lParam)
{
    if (m_files.empty()) return E_FAIL;
    // The display preferences as the user last left them, in this or another
    // process (the library stays loaded in Explorer between sheets).
    LoadShellDisplayPrefs(HKEY_CURRENT_USER, g_traceProfile.registryKey);
    HRESULT outcome = S_OK;
    for (size_t i = 0; i < m_files.size(); ++i)
    {
        bool created = false;
        const HRESULT hr = AddCommandPage(m_files[i], addPage, lParam, created);
        if (i == 0 && !created) return E_FAIL;
        if (i == 0 && FAILED(hr)) return hr;
        if (created) outcome = hr;
    }
    if (SUCCEEDED(outcome)) outcome = AddPreferencesPage(addPage, lParam);
    return SUCCEEDED(outcome) ? 1 : outcome;
}

STDMETHODIMP CTaskelProp::XShellPropSheetExt::AddPages(LPFNSVADDPROPSHEETPAGE addPage,
                                                       LPARAM lParam)
{
    return fx::ComMethod(
        TRACE_SITE_HERE(),
        [&] {
            StartTracingAtEntry();
            Trace(3, L"ShellPropSheetExt::AddPages Lparam [%8.8lX] [%lu]",
                  static_cast<unsigned long>(lParam), static_cast<unsigned long>(lParam));
            return Owner()->AddPages(addPage, lParam);
        },
        E_FAIL);
}

STDMETHODIMP CTaskelProp::XShellPropSheetExt::ReplacePage(EXPPS, LPFNSVADDPROPSHEETPAGE, LPARAM)
{
    return E_NOTIMPL;
}
