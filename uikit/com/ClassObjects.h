// The class objects of a library. Each DLL names its creatable classes in
// one explicit class table (a row per class: CLSID, class name, ProgID,
// create function, registrar); one generic class factory serves every row,
// and registration walks the rows in table order. The class objects are
// never entered in COM's class table: a library loaded into another
// program (the shell) is reached only through DllGetClassObject, and its
// unload leaves nothing registered behind.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include <memory>
#include <string>
#include <vector>

#include "CriticalSection.h"

namespace fx
{

class COleObjectFactoryExEx;

// One creatable class of a class table.
struct ClassTableRow
{
    using CreateFunction = HRESULT (*)(REFIID iid, void **out);
    // Writes (registering) or removes the class's registry entries through
    // the registration steps of its class object; FALSE when the class fails.
    using Registrar = BOOL (*)(COleObjectFactoryExEx &classObject, BOOL registering);

    const CLSID &clsid;
    const char *className; // as traces show it ("CTaskel")
    const wchar_t *progId;
    CreateFunction create;
    Registrar registrar; // null: the class writes nothing
};

// The generic class factory: the class object of one row. A client's
// references only tell whether it holds the object (the object lives as
// long as its table).
class COleObjectFactoryExEx : public IClassFactory
{
  public:
    explicit COleObjectFactoryExEx(const ClassTableRow &row) noexcept : m_row(row) {}
    virtual ~COleObjectFactoryExEx() = default;
    COleObjectFactoryExEx(const COleObjectFactoryExEx &) = delete;
    COleObjectFactoryExEx &operator=(const COleObjectFactoryExEx &) = delete;

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID iid, void **out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    // IClassFactory
    STDMETHODIMP CreateInstance(IUnknown *outer, REFIID iid, void **out) override;
    STDMETHODIMP LockServer(BOOL lock) override;

    // The row's registrar (registering or removing); TRUE without one.
    BOOL UpdateRegistry(BOOL registering);

    // Registration steps for the registrars (OleObjectFactoryExEx.cpp). They
    // address the class's CLSID and ProgID, create the keys they write into
    // and work below HKEY_LOCAL_MACHINE\SOFTWARE\Classes.
    BOOL UpdateRegistryEx(BOOL registering, const wchar_t *typeName, bool approved);
    // The framework's dispatch-object entries alone, below the machine's classes:
    // the ProgID and CLSID type names when absent, the ProgID's CLSID, the
    // CLSID's ProgID and the short server path always; unregistering
    // removes each key only while it has no subkeys, then its empty parents.
    BOOL UpdateDispatchEntries(BOOL registering, const wchar_t *typeName);
    // One more entry below the machine's CLSID\{clsid} (for example
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

    const CLSID &ClassId() const noexcept { return m_row.clsid; }
    const char *ClassName() const noexcept { return m_row.className; }
    const wchar_t *ProgId() const noexcept { return m_row.progId; }
    std::wstring ClassIdText() const;
    // True while a client holds it.
    bool IsInUse() const noexcept { return m_refs > 0; }

  private:
    const ClassTableRow &m_row;
    LONG m_refs = 0;
};

// A library's class objects, one per row of its class table, in table
// order. The rows must outlive the table (a static array).
class CClassTable
{
  public:
    template <size_t N> explicit CClassTable(const ClassTableRow (&rows)[N]) : CClassTable(rows, N)
    {
    }
    CClassTable(const ClassTableRow *rows, size_t count);
    CClassTable(const CClassTable &) = delete;
    CClassTable &operator=(const CClassTable &) = delete;

    // The class object of `clsid` asked for `iid`; CLASS_E_CLASSNOTAVAILABLE
    // for a class that is not in the table.
    HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void **out) noexcept;
    // True while a client holds one of the class objects.
    bool IsInUse() const noexcept;
    // Every class's registration (register or unregister) in table order,
    // under the table's lock; the first class that fails ends the walk.
    // S_OK, or SELFREG_E_CLASS when a class failed.
    HRESULT UpdateRegistries(bool registering) noexcept;

  private:
    std::vector<std::unique_ptr<COleObjectFactoryExEx>> m_objects;
    CCriticalSection m_lock;
};

// The class table of the module: the library's DllMain installs its own
// (null: none); the entry points and the module's unload rule use it.
void SetModuleClassTable(CClassTable *table) noexcept;
CClassTable *ModuleClassTable() noexcept;
// The module table's class object; CLASS_E_CLASSNOTAVAILABLE without a
// table or for a class it does not name.
HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void **out) noexcept;
// The module table's registration walk; S_OK without a table.
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
// class object of the module's table; otherwise S_FALSE.
HRESULT CanUnloadNow() noexcept;

} // namespace fx
