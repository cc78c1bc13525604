// Helpers of the shell tests: registry reads, temporary folders and files,
// command files written through the command object and its container (all
// in tests/support).
#pragma once

#include <windows.h>
#include <objidl.h>

#include <string>
#include <vector>

#include "TestCommandFiles.h"
#include "TestFiles.h"
#include "TestLauncher.h"
#include "TestRegistry.h"

// A build path ("/work/.../Taskel.dll") as the Windows path Wine gives it.
std::wstring WindowsPathOf(const char *path);

// A data object offering only the file-drop format (CF_HDROP) with the
// given names, as the shell hands a selection to a handler. It lives on the
// stack: the count only shows whether a handler kept a reference.
class CDropObject : public IDataObject
{
  public:
    explicit CDropObject(const std::vector<std::wstring> &names) : m_names(names) {}
    virtual ~CDropObject() = default;
    STDMETHODIMP QueryInterface(REFIID iid, void **out) override;
    STDMETHODIMP_(ULONG) AddRef() override { return ++m_refs; }
    STDMETHODIMP_(ULONG) Release() override { return --m_refs; }
    STDMETHODIMP GetData(FORMATETC *format, STGMEDIUM *medium) override;
    STDMETHODIMP GetDataHere(FORMATETC *, STGMEDIUM *) override { return E_NOTIMPL; }
    STDMETHODIMP QueryGetData(FORMATETC *) override { return E_NOTIMPL; }
    STDMETHODIMP GetCanonicalFormatEtc(FORMATETC *, FORMATETC *) override { return E_NOTIMPL; }
    STDMETHODIMP SetData(FORMATETC *, STGMEDIUM *, BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP EnumFormatEtc(DWORD, IEnumFORMATETC **) override { return E_NOTIMPL; }
    STDMETHODIMP DAdvise(FORMATETC *, DWORD, IAdviseSink *, DWORD *) override { return E_NOTIMPL; }
    STDMETHODIMP DUnadvise(DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP EnumDAdvise(IEnumSTATDATA **) override { return E_NOTIMPL; }

    ULONG m_refs = 1;
    int m_served = 0;

  private:
    std::vector<std::wstring> m_names;
};
