// The one trap of a boundary that Windows or a client calls: a COM method,
// an export, a class object's creation, the body of any function that
// answers with a result code. The body runs inside the trap and nothing it
// throws crosses the boundary.
//
// A framework exception is traced with TraceException at `level`
// ("Exception [%hs] [%s] at %hs %d"), anything else at level 2 ("*** Exception
// *** at %hs %d"), both naming `site`; an exhausted heap is traced as the
// latter too and answers E_OUTOFMEMORY, every other exception `failure`.
// A boundary that also tells the user (an export of the command functions)
// passes `report`, which is called with the framework exception after it
// was traced. A body that returns nothing answers S_OK when it ends.
#pragma once

#include <windows.h>

#include <new>
#include <type_traits>
#include <utility>

#include "FxException.h"
#include "Trace.h"

// The trace site of the line it stands on, for traps without a fixed site.
#define TRACE_SITE_HERE() (TraceSite{TRACE_SOURCE, __LINE__})

namespace fx
{

// The report of a boundary that only traces.
struct TraceOnly
{
    void operator()(const CException &) const noexcept {}
};

template <class Body, class Report = TraceOnly>
HRESULT ComMethod(const TraceSite &site, Body &&body, HRESULT failure = E_UNEXPECTED,
                  DWORD level = 2, Report &&report = Report{}) noexcept
{
    try
    {
        if constexpr (std::is_void_v<decltype(body())>)
        {
            body();
            return S_OK;
        }
        else
            return body();
    }
    catch (const std::bad_alloc &)
    {
        Trace(2, _T("*** Exception *** at %hs %d"), site.source, site.line);
        return E_OUTOFMEMORY;
    }
    catch (const CException &e)
    {
        TraceException(level, e, site.source, site.line);
        try
        {
            report(e);
        }
        catch (...)
        {
            Trace(2, _T("*** Exception *** at %hs %d"), site.source, site.line);
        }
    }
    catch (...)
    {
        Trace(2, _T("*** Exception *** at %hs %d"), site.source, site.line);
    }
    return failure;
}

} // namespace fx
