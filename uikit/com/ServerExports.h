// The bodies of the two class-object exports every library of the product
// has (DllGetClassObject, DllCanUnloadNow), with their traces, over the
// module's class table. A library's export does its own set-up, then calls
// these with the fixed site its failures are reported at.
#pragma once

#include <windows.h>

#include "Trace.h"

namespace fx
{

// The class object from the module's class table; a failure is traced as
// "DllGetClassObject" at `site`.
HRESULT TracedGetClassObject(REFCLSID clsid, REFIID iid, void **out, const TraceSite &site);

// Runs `sweep` first (a library that hands pages to foreign sheets releases
// the page objects no sheet uses any more; null: nothing to release), then
// answers whether the library may unload (S_OK) or not (S_FALSE, also after
// a failure, which is traced as "DllCanUnloadNow" at `site`).
HRESULT TracedCanUnloadNow(size_t (*sweep)(), const TraceSite &site);

} // namespace fx
