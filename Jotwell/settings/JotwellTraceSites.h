// The fixed places of the Jotwell library in the trace log: where a caught
// exception is reported with a source name and number that log readers and
// their tools expect. Each number is part of the log text, not a line of
// this file or of the file that traces there; code that traces at one of
// these places names its constant (TRACE_CATCH_SITE(level, site)).
#pragma once

#include "Trace.h"

namespace sites
{

// The settings page ("Jotwell\JotwellPage").
constexpr TraceSite kJotwellExchange{"Jotwell\\JotwellPage", 117};     // loading the controls
constexpr TraceSite kJotwellBrowseFolder{"Jotwell\\JotwellPage", 594}; // the folder browser

} // namespace sites
