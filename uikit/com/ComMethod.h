// The one body shape of a COM method (and of any other boundary that
// answers with a result code): the body runs inside a trap, and nothing it
// throws crosses into COM. Out of memory becomes E_OUTOFMEMORY; a framework
// exception is traced ("Exception [%hs] [%s] at %hs %d") and any other
// exception traced ("*** Exception *** at %hs %d"), both at `site`, and the
// method answers `failure`.
#pragma once

#include <windows.h>

#include <new>

#include "FxException.h"
#include "Trace.h"

// The trace site of the line it stands on, for traps without a fixed site.
#define TRACE_SITE_HERE() (TraceSite{TRACE_SOURCE, __LINE__})

namespace fx
{

template <class Body>
HRESULT ComMethod(const TraceSite &site, Body &&body, HRESULT failure = E_UNEXPECTED,
                  DWORD level = 2) noexcept
{
    try
    {
        return body();
    }
    catch (const std::bad_alloc &)
    {
        return E_OUTOFMEMORY;
    }
    TRACE_CATCH_SITE(level, site)
    return failure;
}

} // namespace fx
