// The property-sheet handler's Initialize: the selection comes from the
// data object's file-drop format, in the shell's order.
#include <gtest/gtest.h>

#include <shlobj.h>

#include "ComPtr.h"
#include "TaskelProp.h"

namespace
{

// A data object offering only CF_HDROP with the given names.
class CDropObject : public IDataObject
{
  public:
    explicit CDropObject(const std::vector<std::wstring> &names) : m_names(names) {}
    STDMETHODIMP QueryInterface(REFIID iid, void **out) override
    {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDataObject))
        {
            *out = this;
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++m_refs; }
    STDMETHODIMP_(ULONG) Release() override { return --m_refs; }
    STDMETHODIMP GetData(FORMATETC *format, STGMEDIUM *medium) override
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
        memcpy(drop + 1, list.data(), list.size() * sizeof(wchar_t));
        ::GlobalUnlock(block);
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = block;
        medium->pUnkForRelease = nullptr;
        ++m_served;
        return S_OK;
    }
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

TEST(PropHandler, InitializeKeepsTheSelectionInOrder)
{
    CTaskelProp *prop = new CTaskelProp;
    prop->ExternalAddRef();
    fx::ComPtr<IShellExtInit> init;
    ASSERT_EQ(prop->ExternalQueryInterface(IID_IShellExtInit, init.put_void()), S_OK);
    prop->ExternalRelease();
    fx::ComPtr<IShellPropSheetExt> sheet;
    ASSERT_EQ(init.query(IID_IShellPropSheetExt, sheet), S_OK);

    // Names past 260 characters are cut as the shell's own buffers cut them.
    std::wstring longName = L"C:\\" + std::wstring(300, L'n') + L".Taskel";
    CDropObject drop({L"C:\\b.Taskel", L"C:\\a.Taskel", longName});
    EXPECT_EQ(init->Initialize(nullptr, &drop, nullptr), S_OK);
    EXPECT_EQ(drop.m_refs, 1u); // used, not kept
    ASSERT_EQ(prop->Files().size(), 3u);
    EXPECT_EQ(prop->Files()[0], L"C:\\b.Taskel");
    EXPECT_EQ(prop->Files()[1], L"C:\\a.Taskel");
    EXPECT_EQ(prop->Files()[2], longName.substr(0, MAX_PATH - 1));

    // A second Initialize starts over; none at all is fine too.
    EXPECT_EQ(init->Initialize(nullptr, nullptr, nullptr), S_OK);
    EXPECT_TRUE(prop->Files().empty());
    EXPECT_EQ(sheet->AddPages(nullptr, 0), E_NOTIMPL);
    EXPECT_EQ(sheet->ReplacePage(0, nullptr, 0), E_NOTIMPL);
}

} // namespace
