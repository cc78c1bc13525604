// CTaskelProp: the shell's property-sheet handler for command files. The
// shell hands it the selected files (Initialize) and asks it for pages:
// one command page per command file, then the Preferences page. The pages
// belong to their page objects once the shell's sheet took them.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "ComObject.h"

class CTaskelProp : public fx::CComObject
{
  public:
    CTaskelProp();

    static HRESULT CreateInstance(REFIID iid, void **out) noexcept;

    // The selected files in the order the shell delivered them.
    const std::vector<std::wstring> &Files() const noexcept { return m_files; }

    class XShellExtInit : public fx::CInterfacePart<CTaskelProp, IShellExtInit>
    {
      public:
        using CInterfacePart::CInterfacePart;
        STDMETHODIMP Initialize(PCIDLIST_ABSOLUTE folder, IDataObject *dataObject,
                                HKEY progIdKey) override;
    };

    class XShellPropSheetExt : public fx::CInterfacePart<CTaskelProp, IShellPropSheetExt>
    {
      public:
        using CInterfacePart::CInterfacePart;
        STDMETHODIMP AddPages(LPFNSVADDPROPSHEETPAGE addPage, LPARAM lParam) override;
        STDMETHODIMP ReplacePage(EXPPS pageId, LPFNSVADDPROPSHEETPAGE replaceWith,
                                 LPARAM lParam) override;
    };

  protected:
    ~CTaskelProp() override;
    void *GetInterface(REFIID iid) noexcept override;
    void OnFinalRelease() noexcept override;

  private:
    void Initialize(IDataObject *dataObject);
    HRESULT AddPages(LPFNADDPROPSHEETPAGE addPage, LPARAM lParam);

    // The library must not unload under a handler the shell still holds;
    // the pages it hands out hold locks of their own.
    fx::CModuleLock m_moduleLock;
    std::vector<std::wstring> m_files;

    XShellExtInit m_xShellExtInit{this};
    XShellPropSheetExt m_xShellPropSheetExt{this};
};

// Hands the command page of the command file `name` (completed to a full
// command file path) to the sheet through `addPage`. `created` tells
// whether a page was made at all; a page that fails to load or that the
// sheet refuses is destroyed again.
HRESULT AddCommandPage(const std::wstring &name, LPFNADDPROPSHEETPAGE addPage, LPARAM lParam,
                       bool &created);
// Hands a new Preferences page to the sheet; destroyed again on failure.
HRESULT AddPreferencesPage(LPFNADDPROPSHEETPAGE addPage, LPARAM lParam);

// The file names of a data object's file-drop format (CF_HDROP), each cut
// at 260 characters; empty when the object carries none.
std::vector<std::wstring> DroppedFiles(IDataObject *dataObject);
