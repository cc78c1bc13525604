// The shell tests' trace profile and the data object that plays the
// shell's selection.
#include "ShellTestSupport.h"

#include <shlobj.h>

#include <cstring>

#include "Trace.h"

// The handlers start the log themselves; in the tests it reads a key of its own.
TraceProfile g_traceProfile = {L"Software\\Veltrac\\FerrovaneShellTest", L"FerrovaneShellTest.log",
                               false, false};

std::wstring WindowsPathOf(const char *path)
{
    std::wstring windows = L"Z:";
    for (const char *c = path; *c; ++c)
        windows += *c == '/' ? L'\\' : static_cast<wchar_t>(*c);
    return windows;
}

STDMETHODIMP CDropObject::QueryInterface(REFIID iid, void **out)
{
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDataObject))
    {
        *out = static_cast<IDataObject *>(this);
        AddRef();
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP CDropObject::GetData(FORMATETC *format, STGMEDIUM *medium)
{
    if (format->cfFormat != CF_HDROP) return DV_E_FORMATETC;
    std::wstring list;
    for (const std::wstring &name : m_names)
        list += name + L'\0';
    list += L'\0';
    SIZE_T bytes = sizeof(DROPFILES) + list.size() * sizeof(wchar_t);
    HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
    auto *drop = static_cast<DROPFILES *>(::GlobalLock(block));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    std::memcpy(drop + 1, list.data(), list.size() * sizeof(wchar_t));
    ::GlobalUnlock(block);
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = block;
    medium->pUnkForRelease = nullptr;
    ++m_served;
    return S_OK;
}
