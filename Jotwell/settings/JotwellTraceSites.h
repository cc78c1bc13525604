// The fixed places of Jotwell.dll in the trace log: where a failure or a
// caught exception is reported with a source name and number that log
// readers and their tools expect. Each number is part of the log text, not
// a line of this file or of the file that traces there; code that traces at
// one of these places names its constant (SetTraceLocation(site),
// TRACE_CATCH_SITE(level, site), fx::ComMethod(site, ...)).
#pragma once

#include "Trace.h"

namespace sites
{

// The library's entry points ("Jotwell\Jotwell").
constexpr TraceSite kGetClassObject{"Jotwell\\Jotwell", 99}; // DllGetClassObject failed
constexpr TraceSite kCanUnloadNow{"Jotwell\\Jotwell", 118};  // DllCanUnloadNow failed
constexpr TraceSite kRegister{"Jotwell\\Jotwell", 140};      // DllRegisterServer's exception
constexpr TraceSite kUnregister{"Jotwell\\Jotwell", 162};    // DllUnregisterServer's exception

// The object that hands the page to a sheet ("Jotwell\JotwellProps").
constexpr TraceSite kAddPages{"Jotwell\\JotwellProps", 164}; // AddPages' exception

// The settings page ("Jotwell\JotwellPage").
constexpr TraceSite kPageExchange{"Jotwell\\JotwellPage", 117}; // loading the page's controls
constexpr TraceSite kBrowseFolder{"Jotwell\\JotwellPage", 594}; // the folder browser

} // namespace sites
