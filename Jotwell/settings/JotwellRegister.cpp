// Self-registration of CJotwellProps, all below the machine's classes
// (HKLM\SOFTWARE\Classes): the dispatch object's entries, the maker's
// component category as an implemented category, the category's
// description (only where the system keeps a category list) and the
// apartment threading model. The class is reached only by its ProgID or
// CLSID: no shell handler key, no Approved entry, no elevation.
#define TRACE_SOURCE "Jotwell\\JotwellProps"
#include "JotwellProps.h"

#include "RegKey.h"
#include "Trace.h"

namespace
{
const wchar_t kTypeName[] = L"Trace Logging";
const wchar_t kMakerCategory[] = L"{21556C40-465F-11D2-B3A2-00600831FF5A}";
const wchar_t kMakerName[] = L"Veltrac";
} // namespace

BOOL UpdateJotwellPropsRegistry(fx::COleObjectFactoryExEx &classObject, BOOL registering)
{
    const std::wstring implemented = std::wstring(L"Implemented Categories\\") + kMakerCategory;
    if (!registering)
    {
        Trace(2, L"==> Unregister %hs %s", classObject.ClassName(),
              classObject.ClassIdText().c_str());
        // The category key stays: other classes of the maker use it.
        if (!classObject.UpdateDispatchEntries(FALSE, kTypeName)) return FALSE;
        return classObject.UpdateClassEntry(FALSE, implemented);
    }

    Trace(2, L"==> Register %hs %s", classObject.ClassName(), classObject.ClassIdText().c_str());
    if (!classObject.UpdateDispatchEntries(TRUE, kTypeName)) return FALSE;
    if (!classObject.UpdateClassEntry(TRUE, implemented)) return FALSE;

    fx::CRegKey categories(HKEY_LOCAL_MACHINE, fx::MachineClassesKey(L"Component Categories").c_str(),
                           false, false);
    if (categories.IsOpen())
    {
        fx::CRegKey category(categories.Handle(), kMakerCategory, false, true);
        fx::CRegString(category.Handle(), L"409", true).Write(kMakerName);
    }

    fx::CRegKey server(
        HKEY_LOCAL_MACHINE,
        fx::MachineClassesKey(L"CLSID\\" + classObject.ClassIdText() + L"\\InProcServer32").c_str(),
        false, false);
    fx::CRegString(server.Handle(), L"ThreadingModel", true, L"Apartment").Write();
    return TRUE;
}
