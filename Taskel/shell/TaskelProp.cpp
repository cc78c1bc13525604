// CTaskelProp: Initialize collects the selection from the shell's data
// object. The command and preferences pages come with the editor; until
// then AddPages offers no page.
#define TRACE_SOURCE "Taskel\\TaskelProp"
#include "TaskelProp.h"

#include <shellapi.h>

#include "FxException.h"
#include "TaskelInfoTip.h"
#include "Trace.h"

std::vector<std::wstring> DroppedFiles(IDataObject *dataObject)
{
    std::vector<std::wstring> files;
    if (!dataObject) return files;
    FORMATETC format = {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium = {};
    if (FAILED(dataObject->GetData(&format, &medium))) return files;
    if (HDROP drop = static_cast<HDROP>(::GlobalLock(medium.hGlobal)))
    {
        UINT count = ::DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
        for (UINT i = 0; i < count; ++i)
        {
            wchar_t name[MAX_PATH] = L"";
            if (::DragQueryFileW(drop, i, name, MAX_PATH)) files.emplace_back(name);
        }
        ::GlobalUnlock(medium.hGlobal);
    }
    ::ReleaseStgMedium(&medium);
    return files;
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
    return fx::CreateComObject<CTaskelProp>(iid, out);
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
    try
    {
        StartTracingAtEntry();
        Trace(
            4,
            L"ShellExtInit::Initialize FolderId [%8.8lX], DataObject [%8.8lX], ProgIdKey [%8.8lX]",
            static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(folder)),
            static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(dataObject)),
            static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(progIdKey)));
        Owner()->Initialize(dataObject);
    }
    TRACE_CATCH_ALL(2)
    return S_OK;
}

STDMETHODIMP CTaskelProp::XShellPropSheetExt::AddPages(LPFNSVADDPROPSHEETPAGE, LPARAM lParam)
{
    try
    {
        StartTracingAtEntry();
        Trace(3, L"ShellPropSheetExt::AddPages Lparam [%8.8lX] [%lu]",
              static_cast<unsigned long>(lParam), static_cast<unsigned long>(lParam));
    }
    TRACE_CATCH_ALL(2)
    return E_NOTIMPL;
}

STDMETHODIMP CTaskelProp::XShellPropSheetExt::ReplacePage(EXPPS, LPFNSVADDPROPSHEETPAGE, LPARAM)
{
    return E_NOTIMPL;
}
