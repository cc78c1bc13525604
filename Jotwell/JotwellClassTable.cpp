// Jotwell.dll's class table: CJotwellProps, reached by its ProgID or CLSID
// (and through JotwellProperties), with its registrar.
#include "JotwellClassTable.h"

#include "JotwellProps.h"

namespace
{
const fx::ClassTableRow kJotwellClasses[] = {
    {CLSID_JotwellProps, "CJotwellProps", kJotwellProgId, CJotwellProps::CreateInstance,
     UpdateJotwellPropsRegistry},
};
// The class object, built when the library is loaded.
fx::CClassTable g_classTable(kJotwellClasses);
} // namespace

fx::CClassTable &JotwellClassTable()
{
    return g_classTable;
}

void InstallJotwellClassTable()
{
    fx::SetModuleClassTable(&JotwellClassTable());
}
