// Self-registration of the class objects: the framework's dispatch-object
// entries with their register-if-absent and remove-while-empty rules, the
// Approved list, the component category, elevation, server path, default
// icon and shell handler keys, and the class table's registration walk.
#define TRACE_SOURCE "MfcUtil\\OleObjectFactoryExEx"
#include "ClassObjects.h"
#include "ActivationContext.h"

#include <comcat.h>
#include <olectl.h>

#include "ComMethod.h"
#include "ComPtr.h"
#include "CriticalSection.h"
#include "RegKey.h"
#include "Trace.h"
#include "WinFormat.h"

namespace fx
{

namespace
{

const wchar_t kClasses[] = L"SOFTWARE\\Classes";
const wchar_t kApproved[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved";
const wchar_t kInfoTipKey[] = L"{00021500-0000-0000-C000-000000000046}";
const wchar_t kMakerName[] = L"Veltrac";
const GUID CATID_Programmable = {
    0x40FC6ED5, 0x2438, 0x11CF, {0xA3, 0xDB, 0x08, 0x00, 0x36, 0xF1, 0x25, 0x02}};

// Where a failure of the component categories manager is reported: its
// creation and the class's implemented category. The numbers are part of
// the log text, not lines of this file.
constexpr TraceSite kCategoryManagerSite{TRACE_SOURCE, 131};
constexpr TraceSite kImplementedCategorySite{TRACE_SOURCE, 132};

// Any address inside this module.
void ModuleAnchor() {}

HMODULE ThisModule()
{
    HMODULE module = nullptr;
    ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                             GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         reinterpret_cast<LPCWSTR>(&ModuleAnchor), &module);
    return module;
}

// A path conversion (GetLongPathNameW, GetShortPathNameW); empty on failure.
std::wstring ConvertPath(DWORD(WINAPI *convert)(LPCWSTR, LPWSTR, DWORD), const std::wstring &path)
{
    DWORD needed = convert(path.c_str(), nullptr, 0);
    if (needed == 0) return std::wstring();
    std::wstring result(needed, L'\0');
    DWORD length = convert(path.c_str(), &result[0], needed);
    if (length == 0 || length >= needed) return std::wstring();
    result.resize(length);
    return result;
}

std::wstring QuotedWhenSpaced(const std::wstring &path)
{
    return path.find(L' ') == std::wstring::npos ? path : L"\"" + path + L"\"";
}

// A string value in a key below `root`, the key created when missing.
bool SetString(HKEY root, const std::wstring &subKey, const wchar_t *name, const wchar_t *text)
{
    CRegKey key(root, subKey.c_str(), false, true);
    return CRegString(key.Handle(), name, true).Write(text) == ERROR_SUCCESS;
}

// Register-if-absent: the default value is written only when there is none.
bool SetDefaultIfAbsent(const std::wstring &subKey, const wchar_t *text)
{
    CRegKey key(HKEY_LOCAL_MACHINE, MachineClassesKey(subKey).c_str(), false, true);
    if (!key.IsOpen()) return false;
    if (::RegQueryValueExW(key.Handle(), L"", nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS)
        return true;
    return CRegString(key.Handle(), nullptr, true).Write(text) == ERROR_SUCCESS;
}

bool HasSubkeys(const std::wstring &subKey)
{
    CRegKey key(HKEY_LOCAL_MACHINE, MachineClassesKey(subKey).c_str());
    if (!key.IsOpen()) return false;
    DWORD subkeys = 0;
    return ::RegQueryInfoKeyW(key.Handle(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                              nullptr, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
           subkeys > 0;
}

// Removes `subKey` of the machine's classes when it has no subkeys, then its parents while
// they have none; an absent key counts as removed.
bool RemoveWhileEmpty(std::wstring subKey)
{
    for (;;)
    {
        if (HasSubkeys(subKey)) return true;
        LONG result = ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, MachineClassesKey(subKey).c_str());
        if (result != ERROR_SUCCESS && result != ERROR_FILE_NOT_FOUND) return false;
        size_t slash = subKey.rfind(L'\\');
        if (slash == std::wstring::npos) return true;
        subKey.resize(slash);
    }
}

} // namespace

std::wstring GuidText(REFGUID guid)
{
    wchar_t text[40] = L"";
    ::StringFromGUID2(guid, text, ARRAYSIZE(text));
    return text;
}

std::wstring ModulePath()
{
    return ModuleFileName(ThisModule());
}

std::wstring ModuleLongPath()
{
    std::wstring path = ModulePath();
    std::wstring longPath = ConvertPath(::GetLongPathNameW, path);
    return longPath.empty() ? path : longPath;
}

std::wstring ModuleShortPath()
{
    std::wstring path = ModulePath();
    std::wstring shortPath = ConvertPath(::GetShortPathNameW, path);
    return shortPath.empty() ? path : shortPath;
}

std::wstring COleObjectFactoryExEx::ClassIdText() const
{
    return GuidText(ClassId());
}

BOOL COleObjectFactoryExEx::UpdateDispatchEntries(BOOL registering, const wchar_t *typeName)
{
    const std::wstring clsid = ClassIdText();
    const std::wstring classKey = L"CLSID\\" + clsid;
    const std::wstring progId = ProgId() ? ProgId() : L"";
    if (registering)
    {
        // The type names only when absent, the identifiers and the server
        // path always.
        const std::wstring shortPath = ModuleShortPath();
        bool written = true;
        if (!progId.empty())
        {
            written = SetDefaultIfAbsent(progId, typeName) && written;
            written = SetString(HKEY_LOCAL_MACHINE, MachineClassesKey(progId + L"\\CLSID"), nullptr, clsid.c_str()) &&
                      written;
        }
        written = SetDefaultIfAbsent(classKey, typeName) && written;
        if (!progId.empty())
            written =
                SetString(HKEY_LOCAL_MACHINE, MachineClassesKey(classKey + L"\\ProgID"), nullptr, progId.c_str()) &&
                written;
        written = SetString(HKEY_LOCAL_MACHINE, MachineClassesKey(classKey + L"\\InProcServer32"), nullptr,
                            shortPath.c_str()) &&
                  written;
        return written ? TRUE : FALSE;
    }

    bool removed = RemoveWhileEmpty(classKey + L"\\InProcServer32");
    if (!progId.empty())
    {
        removed = RemoveWhileEmpty(classKey + L"\\ProgID") && removed;
        removed = RemoveWhileEmpty(progId + L"\\CLSID") && removed;
        removed = RemoveWhileEmpty(progId) && removed;
    }
    removed = RemoveWhileEmpty(classKey) && removed;
    return removed ? TRUE : FALSE;
}

BOOL COleObjectFactoryExEx::UpdateClassEntry(BOOL registering, const std::wstring &subKey)
{
    const std::wstring key = L"CLSID\\" + ClassIdText() + L"\\" + subKey;
    if (registering) return SetDefaultIfAbsent(key, L"") ? TRUE : FALSE;
    return RemoveWhileEmpty(key) ? TRUE : FALSE;
}

BOOL COleObjectFactoryExEx::UpdateRegistryEx(BOOL registering, const wchar_t *typeName,
                                             bool approved)
{
    const std::wstring clsid = ClassIdText();
    const std::wstring classKey = L"CLSID\\" + clsid;
    const std::wstring progId = ProgId() ? ProgId() : L"";
    if (registering)
    {
        Trace(2, L"==> Register %hs %s", ClassName(), clsid.c_str());
        if (!UpdateDispatchEntries(TRUE, typeName)) return FALSE;
        if (approved)
        {
            CRegKey key(HKEY_LOCAL_MACHINE, kApproved, false, false);
            CRegString(key.Handle(), clsid.c_str(), true).Write(typeName);
        }
        return TRUE;
    }

    Trace(2, L"==> Unregister %hs %s", ClassName(), clsid.c_str());
    if (!UpdateDispatchEntries(FALSE, typeName)) return FALSE;

    CRegKey classes(HKEY_LOCAL_MACHINE, kClasses, false, false);
    CRegKey(classes.Handle(), classKey.c_str(), false, false).DeleteTree();
    if (!progId.empty()) CRegKey(classes.Handle(), progId.c_str(), false, false).DeleteTree();
    if (approved)
    {
        CRegKey key(HKEY_LOCAL_MACHINE, kApproved, false, false);
        CRegString(key.Handle(), clsid.c_str(), true).Delete();
    }
    return TRUE;
}

void COleObjectFactoryExEx::RegisterCategory(REFGUID category)
{
    CRegKey categories(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Classes\\Component Categories", false,
                       false);
    CRegKey key;
    if (categories.IsOpen() &&
        key.Open(categories.Handle(), GuidText(category).c_str(), false, true) == ERROR_SUCCESS)
        CRegString(key.Handle(), L"409", true).Write(kMakerName);

    ComPtr<ICatRegister> manager;
    HRESULT hr = ::CoCreateInstance(CLSID_StdComponentCategoriesMgr, nullptr, CLSCTX_INPROC_SERVER,
                                    IID_ICatRegister, manager.put_void());
    SetTraceLocation(kCategoryManagerSite);
    LogComErr(2, hr);
    if (SUCCEEDED(hr))
    {
        CATID implemented = category;
        hr = manager->RegisterClassImplCategories(ClassId(), 1, &implemented);
        SetTraceLocation(kImplementedCategorySite);
        LogComErr(2, hr);
    }

    if (IsEqualGUID(category, CATID_Programmable))
        CRegKey(HKEY_LOCAL_MACHINE,
                (std::wstring(kClasses) + L"\\CLSID\\" + ClassIdText() + L"\\Programmable").c_str(),
                false, true);
}

void COleObjectFactoryExEx::RegisterElevation(UINT resourceId)
{
    CRegKey key(HKEY_LOCAL_MACHINE,
                (std::wstring(kClasses) + L"\\CLSID\\" + ClassIdText() + L"\\Elevation").c_str(),
                false, true);
    CRegDWord(key.Handle(), L"Enabled", true, 1).Write();
    RegisterLocalizedString(Format(L"@%s,-%u", ModuleLongPath().c_str(), resourceId).c_str());
}

void COleObjectFactoryExEx::RegisterLocalizedString(const wchar_t *text)
{
    if (!text) return;
    SetString(HKEY_LOCAL_MACHINE, std::wstring(kClasses) + L"\\CLSID\\" + ClassIdText(),
              L"LocalizedString", text);
}

void COleObjectFactoryExEx::RegisterServerPath(const wchar_t *threadingModel, bool inProcess,
                                               const wchar_t *handler)
{
    const std::wstring classKey = std::wstring(kClasses) + L"\\CLSID\\" + ClassIdText();
    std::wstring path = ModulePath();
    std::wstring longPath = ConvertPath(::GetLongPathNameW, path);
    std::wstring server = longPath.empty() ? path : QuotedWhenSpaced(longPath);

    CRegKey key(HKEY_LOCAL_MACHINE,
                (classKey + (inProcess ? L"\\InProcServer32" : L"\\LocalServer32")).c_str(), false,
                true);
    CRegString(key.Handle(), nullptr, true).Write(server.c_str());
    CRegString(key.Handle(), L"ThreadingModel", true).Write(threadingModel);
    if (!inProcess)
        SetString(HKEY_LOCAL_MACHINE, classKey + L"\\InprocHandler32", nullptr,
                  handler ? handler : L"ole32.dll");
}

void COleObjectFactoryExEx::RegisterDefaultIcon(int icon, int openIcon)
{
    const std::wstring iconKey = std::wstring(kClasses) + L"\\" + ProgId() + L"\\DefaultIcon";
    const std::wstring path = ModuleLongPath();
    CRegKey key(HKEY_LOCAL_MACHINE, iconKey.c_str(), false, true);
    CRegString(key.Handle(), nullptr, true).Write(Format(L"%s,%-d", path.c_str(), -icon).c_str());
    if (openIcon != 0)
        CRegString(key.Handle(), L"OpenIcon", true)
            .Write(Format(L"%s,%-d", path.c_str(), -openIcon).c_str());
}

void COleObjectFactoryExEx::RegisterPropertySheetHandler(REFCLSID handler, const wchar_t *name)
{
    SetString(HKEY_LOCAL_MACHINE,
              std::wstring(kClasses) + L"\\" + ProgId() + L"\\shellex\\PropertySheetHandlers\\" +
                  (name ? name : L"Default"),
              nullptr, GuidText(handler).c_str());
}

void COleObjectFactoryExEx::RegisterInfoTipHandler(REFCLSID handler)
{
    SetString(HKEY_LOCAL_MACHINE,
              std::wstring(kClasses) + L"\\" + ProgId() + L"\\shellex\\" + kInfoTipKey, nullptr,
              GuidText(handler).c_str());
}

HRESULT CClassTable::UpdateRegistries(bool registering) noexcept
{
    return ComMethod(
        TRACE_SITE_HERE(),
        [&] {
            CSingleLock lock(&m_lock);
            for (const auto &object : m_objects)
                if (!object->UpdateRegistry(registering ? TRUE : FALSE)) return SELFREG_E_CLASS;
            return S_OK;
        },
        SELFREG_E_CLASS);
}

HRESULT UpdateAllRegistries(bool registering) noexcept
{
    CClassTable *table = ModuleClassTable();
    return table ? table->UpdateRegistries(registering) : S_OK;
}

} // namespace fx
