// The process-wide class-object list: one class object per creatable class,
// built when the library loads, that answers DllGetClassObject and
// DllCanUnloadNow. The class objects are never entered in COM's class table:
// a library loaded into another program (the shell) is reached only through
// DllGetClassObject, and its unload leaves nothing registered behind.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include <string>

namespace fx
{

// A class object (class factory) of one creatable class. Instances are
// static objects that link themselves into the list at construction.
class COleObjectFactoryExEx : public IClassFactory
{
  public:
    using CreateFunction = HRESULT (*)(REFIID iid, void **out);

    COleObjectFactoryExEx(REFCLSID clsid, const char *className, bool singleUse,
                          const wchar_t *progId, CreateFunction create) noexcept;
    virtual ~COleObjectFactoryExEx();
    COleObjectFactoryExEx(const COleObjectFactoryExEx &) = delete;
    COleObjectFactoryExEx &operator=(const COleObjectFactoryExEx &) = delete;

    // IUnknown: the object is static; the count tells whether clients hold it.
    STDMETHODIMP QueryInterface(REFIID iid, void **out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    // IClassFactory
    STDMETHODIMP CreateInstance(IUnknown *outer, REFIID iid, void **out) override;
    STDMETHODIMP LockServer(BOOL lock) override;

    // Registration of the class in the registry: the classes override it, or
    // a layer above the class installs a registrar that does it.
    virtual BOOL UpdateRegistry(BOOL registering);
    using Registrar = BOOL (*)(COleObjectFactoryExEx &factory, BOOL registering);
    void SetRegistrar(Registrar registrar) noexcept { m_registrar = registrar; }

    // Registration steps for the overrides (OleObjectFactoryExEx.cpp). They
    // address the class's CLSID and ProgID, create the keys they write into
    // and work below HKEY_LOCAL_MACHINE\SOFTWARE\Classes.
    BOOL UpdateRegistryEx(BOOL registering, const wchar_t *typeName, bool approved);
    // The framework's dispatch-object entries alone, below HKEY_CLASSES_ROOT:
    // the ProgID and CLSID type names when absent, the ProgID's CLSID, the
    // CLSID's ProgID and the short server path always; unregistering
    // removes each key only while it has no subkeys, then its empty parents.
    BOOL UpdateDispatchEntries(BOOL registering, const wchar_t *typeName);
    // One more entry below HKEY_CLASSES_ROOT\CLSID\{clsid} (for example
    // "Implemented Categories\{catid}"): created with an empty default value
    // when absent, or removed by the same rules.
    BOOL UpdateClassEntry(BOOL registering, const std::wstring &subKey);
    void RegisterCategory(REFGUID category);
    void RegisterElevation(UINT resourceId);
    void RegisterLocalizedString(const wchar_t *text);
    void RegisterServerPath(const wchar_t *threadingModel, bool inProcess,
                            const wchar_t *handler = nullptr);
    void RegisterDefaultIcon(int icon, int openIcon);
    void RegisterPropertySheetHandler(REFCLSID handler, const wchar_t *name);
    void RegisterInfoTipHandler(REFCLSID handler);

    const CLSID &ClassId() const noexcept { return m_clsid; }
    const char *ClassName() const noexcept { return m_className; }
    const wchar_t *ProgId() const noexcept { return m_progId; }
    std::wstring ClassIdText() const;
    bool IsSingleUse() const noexcept { return m_singleUse; }
    // True while a client holds it.
    bool IsInUse() const noexcept { return m_refs > 0; }

    static COleObjectFactoryExEx *First() noexcept;
    COleObjectFactoryExEx *Next() const noexcept { return m_next; }

  private:
    CLSID m_clsid;
    const char *m_className;
    bool m_singleUse;
    const wchar_t *m_progId;
    CreateFunction m_create;
    Registrar m_registrar = nullptr;
    LONG m_refs = 0;
    COleObjectFactoryExEx *m_next = nullptr;
};

// The class object for `clsid` asked for `iid`; CLASS_E_CLASSNOTAVAILABLE
// when no class of the list has that identifier.
HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void **out) noexcept;

// Calls every class's registration (register or unregister) under the
// list's lock; the first class that fails ends the walk. S_OK, or
// SELFREG_E_CLASS when a class failed.
HRESULT UpdateAllRegistries(bool registering) noexcept;

// The path of the module that holds this code: as the system reports it,
// in long form (the reported one when that fails) and in short 8.3 form.
std::wstring ModulePath();
std::wstring ModuleLongPath();
std::wstring ModuleShortPath();
// A GUID in brace form.
std::wstring GuidText(REFGUID guid);

// True when no object holds a module lock ("can exit").
bool CanExitApp() noexcept;
// S_OK when nothing holds the module: no lock and no client holding a
// class object; otherwise S_FALSE.
HRESULT CanUnloadNow() noexcept;

} // namespace fx
