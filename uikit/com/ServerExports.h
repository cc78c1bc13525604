// The bodies of the two class-object exports every library of the product
// has (DllGetClassObject, DllCanUnloadNow), with their traces, over the
// module's class table. A library's export names its own set-up and the
// fixed sites its failures are reported at; the rest is here.
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

// The whole body of a library's DllGetClassObject: `enter` (the library's
// own set-up on entry from a client), then TracedGetClassObject. Every
// exception is trapped and traced at `trap` (the export's own place) and
// answered CLASS_E_CLASSNOTAVAILABLE.
HRESULT ExportGetClassObject(const TraceSite &trap, void (*enter)(), REFCLSID clsid, REFIID iid,
                             void **out, const TraceSite &site) noexcept;
// The whole body of a library's DllCanUnloadNow: TracedCanUnloadNow with
// every exception trapped and traced at `trap`, answered S_FALSE.
HRESULT ExportCanUnloadNow(const TraceSite &trap, size_t (*sweep)(),
                           const TraceSite &site) noexcept;

} // namespace fx
