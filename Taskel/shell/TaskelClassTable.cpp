// Taskel.dll's class table: its three creatable classes, each with its
// registrar. DllGetClassObject serves the rows, DllCanUnloadNow asks whether
// a client holds one, and registration walks them in this order (the order
// the registration traces "==> Register %hs %s" have always shown).
#include "TaskelRegister.h"

#include "TaskelClass.h"
#include "TaskelGuids.h"
#include "TaskelInfoTip.h"
#include "TaskelProp.h"

namespace
{
const fx::ClassTableRow kTaskelClasses[] = {
    {CLSID_TaskelProp, "CTaskelProp", L"Veltrac.TaskelProp", CTaskelProp::CreateInstance,
     UpdateTaskelPropRegistry},
    {CLSID_TaskelInfoTip, "CTaskelInfoTip", L"Veltrac.TaskelInfoTip",
     CTaskelInfoTip::CreateInstance, UpdateTaskelInfoTipRegistry},
    {CLSID_Taskel, "CTaskel", L"Veltrac.Taskel", CTaskel::CreateInstance,
     UpdateTaskelClassRegistry},
};
// The class objects, built when the library is loaded.
fx::CClassTable g_classTable(kTaskelClasses);
} // namespace

fx::CClassTable &TaskelClassTable()
{
    return g_classTable;
}

void InstallTaskelClassTable()
{
    fx::SetModuleClassTable(&TaskelClassTable());
}
