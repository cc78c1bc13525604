// CTaskelInfoTip: the shell's info-tip handler for command files. The shell
// loads the file through IPersistFile and asks IQueryInfo for the tooltip,
// which tells the command's action, its sources and, where the action has
// one, its target.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <cstdint>
#include <string>
#include <vector>

#include "ComObject.h"
#include "ComPtr.h"

class CTaskel;

// The tooltip of a command: the title line, the action's prefix and the
// sources joined by ", " up to the first empty one, then (except for
// Delete and Rename) the "to" line when the target is not empty. Texts come
// from `loadString` by their numbers (IDS_INFOTIP_* of resource.h). A
// `foreign` file (from the Internet, FileOrigin.h) gets a line after the
// title saying it asks before it runs; it comes first so no cut loses it.
// The file may come from anywhere, so the tip shows its sources and target
// as they are: a character that would not show, would break the line or
// would reorder the text around it (the C0 controls, DEL, the C1 controls,
// the separators U+2028 and U+2029, and the bidirectional controls U+061C,
// U+200E, U+200F, U+202A to U+202E and U+2066 to U+2069) shows as "<U+",
// four upper-case hexadecimal digits and ">", e.g. "<U+202E>". The tip
// holds at most kMaxInfoTipLength UTF-16 units: a longer one is cut after a
// whole character or escape and ends with the ellipsis U+2026.
constexpr size_t kMaxInfoTipLength = 1024;
using InfoTipStringLoader = std::wstring (*)(UINT id);
std::wstring InfoTipText(uint32_t storedAction, const std::vector<std::wstring> &sources,
                         const std::wstring &target, InfoTipStringLoader loadString,
                         bool foreign = false);

// Starts the trace log, or reads its settings again when it runs: every
// entry point of the handlers calls it.
void StartTracingAtEntry();

class CTaskelInfoTip : public fx::CComObject
{
  public:
    CTaskelInfoTip();

    static HRESULT CreateInstance(REFIID iid, void **out) noexcept;

    class XPersistFile : public fx::CInterfacePart<CTaskelInfoTip, IPersistFile>
    {
      public:
        using CInterfacePart::CInterfacePart;
        STDMETHODIMP GetClassID(CLSID *clsid) override;
        STDMETHODIMP IsDirty() override;
        STDMETHODIMP Load(LPCOLESTR fileName, DWORD mode) override;
        STDMETHODIMP Save(LPCOLESTR fileName, BOOL remember) override;
        STDMETHODIMP SaveCompleted(LPCOLESTR fileName) override;
        STDMETHODIMP GetCurFile(LPOLESTR *fileName) override;
    };

    class XQueryInfo : public fx::CInterfacePart<CTaskelInfoTip, IQueryInfo>
    {
      public:
        using CInterfacePart::CInterfacePart;
        STDMETHODIMP GetInfoTip(DWORD flags, WCHAR **text) override;
        STDMETHODIMP GetInfoFlags(DWORD *flags) override;
    };

  protected:
    ~CTaskelInfoTip() override;
    void *GetInterface(REFIID iid) noexcept override;

  private:
    HRESULT LoadFile(LPCOLESTR fileName);
    HRESULT GetCurFile(LPOLESTR *fileName);
    HRESULT GetInfoTip(WCHAR **text);

    fx::CModuleLock m_moduleLock;
    // The held command: the interface keeps the object alive.
    fx::ComPtr<IPersistStorage> m_commandStorage;
    CTaskel *m_command = nullptr;
    bool m_loaded = false;
    bool m_foreign = false;
    std::wstring m_fileName;

    XPersistFile m_xPersistFile{this};
    XQueryInfo m_xQueryInfo{this};
};
