// CJotwellProps: the library's creatable object (ProgID
// "Veltrac.JotwellPage"). A host describes through automation properties
// which trace-log configurations the page shall edit, then asks it, through
// the shell's property-sheet extension interfaces, to add the settings page
// to a sheet. The page is built from a snapshot of the properties.
#pragma once

#include <windows.h>
#include <oaidl.h>
#include <shlobj.h>

#include <string>

#include "ClassObjects.h"
#include "ComObject.h"
#include "JotwellDef.h"

// {4B0AFE47-4387-487D-8FEF-CE43F9E020FE}
extern const CLSID CLSID_JotwellProps;
extern const wchar_t kJotwellProgId[]; // "Veltrac.JotwellPage"

// The dispatch numbers of the properties (stable: hosts use them).
enum : DISPID
{
    DISPID_JOTWELL_APPTITLE = 1,
    DISPID_JOTWELL_ITEMCOUNT = 2,
    DISPID_JOTWELL_ITEMLOGLEVEL = 3,
    DISPID_JOTWELL_ITEMLOGNAME = 4,
    DISPID_JOTWELL_ITEMROOTKEY = 5,
    DISPID_JOTWELL_ITEMKEYNAME = 6,
    DISPID_JOTWELL_ITEMKEYNAMEALT = 7,
    DISPID_JOTWELL_ITEMTITLE = 8,
};

class CJotwellProps : public fx::CComObject
{
  public:
    CJotwellProps();

    static HRESULT CreateInstance(REFIID iid, void **out) noexcept;

    const std::wstring &AppTitle() const noexcept { return m_appTitle; }
    const CJotwellDefArray &Definitions() const noexcept { return m_defs; }

    // The properties as plain operations (the dispatch table calls them).
    // Item indexes start at 1; out of range reads give 0 or no text and
    // writes are ignored.
    void SetAppTitle(const std::wstring &title) { m_appTitle = title; }
    long ItemCount() const noexcept { return static_cast<long>(m_defs.size()); }
    void SetItemCount(long count);
    CJotwellDef *Item(long index) noexcept;

    class XDispatch : public fx::CInterfacePart<CJotwellProps, IDispatch>
    {
      public:
        using CInterfacePart::CInterfacePart;
        STDMETHODIMP GetTypeInfoCount(UINT *count) override;
        STDMETHODIMP GetTypeInfo(UINT index, LCID lcid, ITypeInfo **info) override;
        STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR *names, UINT count, LCID lcid,
                                   DISPID *ids) override;
        STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS *params,
                            VARIANT *result, EXCEPINFO *exception, UINT *argError) override;
    };

    class XShellExtInit : public fx::CInterfacePart<CJotwellProps, IShellExtInit>
    {
      public:
        using CInterfacePart::CInterfacePart;
        STDMETHODIMP Initialize(PCIDLIST_ABSOLUTE folder, IDataObject *dataObject,
                                HKEY progIdKey) override;
    };

    class XShellPropSheetExt : public fx::CInterfacePart<CJotwellProps, IShellPropSheetExt>
    {
      public:
        using CInterfacePart::CInterfacePart;
        STDMETHODIMP AddPages(LPFNSVADDPROPSHEETPAGE addPage, LPARAM lParam) override;
        STDMETHODIMP ReplacePage(EXPPS pageId, LPFNSVADDPROPSHEETPAGE replaceWith,
                                 LPARAM lParam) override;
    };

  protected:
    ~CJotwellProps() override;
    void *GetInterface(REFIID iid) noexcept override;
    void OnFinalRelease() noexcept override;

  private:
    HRESULT Invoke(DISPID id, WORD flags, DISPPARAMS *params, VARIANT *result, UINT *argError);
    HRESULT AddPages(LPFNSVADDPROPSHEETPAGE addPage, LPARAM lParam);

    fx::CModuleLock m_moduleLock;
    std::wstring m_appTitle;
    CJotwellDefArray m_defs;

    XDispatch m_xDispatch{this};
    XShellExtInit m_xShellExtInit{this};
    XShellPropSheetExt m_xShellPropSheetExt{this};
};

// The registrar of the class (a row of Jotwell.dll's class table): below
// HKEY_CLASSES_ROOT the ProgID, the maker's component category and the
// apartment threading model; no shell handler key, no Approved entry.
BOOL UpdateJotwellPropsRegistry(fx::COleObjectFactoryExEx &classObject, BOOL registering);
