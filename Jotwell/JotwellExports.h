// The export of Jotwell.dll beside the COM entry points: the settings
// object created without the registry. Hosts that load the library
// themselves find it with GetProcAddress(library, "JotwellProperties").
#pragma once

#include <windows.h>
#include <unknwn.h>

// E_POINTER for a null `out`; otherwise the object's IUnknown in `*out`.
extern "C" HRESULT WINAPI JotwellProperties(IUnknown **out);
using JotwellPropertiesFunction = HRESULT(WINAPI *)(IUnknown **out);
