// The bodies of the two class-object exports every library of the product
// has (DllGetClassObject, DllCanUnloadNow), with their traces. A library's
// export does its own set-up, then calls these with the source and line its
// failures are reported at.
#pragma once

#include <windows.h>

namespace fx
{

// The class object from the class-object list; a failure is traced as
// "DllGetClassObject" at `source`, `line`.
HRESULT TracedGetClassObject(REFCLSID clsid, REFIID iid, void **out, const char *source, int line);

// Runs `sweep` first (a library that hands pages to foreign sheets releases
// the page objects no sheet uses any more; null: nothing to release), then
// answers whether the library may unload (S_OK) or not (S_FALSE, also after
// a failure, which is traced as "DllCanUnloadNow" at `source`, `line`).
HRESULT TracedCanUnloadNow(size_t (*sweep)(), const char *source, int line);

} // namespace fx
