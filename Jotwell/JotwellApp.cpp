// The library's application object. Nothing of it runs inside DllMain but
// what is safe under the loader lock: the trace log, the activation context
// and the common controls are set up on the first call into the library, on
// the calling thread. OLE belongs to the host's thread (the shell and the
// command library have initialised it before they create our object), so
// the library neither initialises nor ends it.
#define TRACE_SOURCE "Jotwell\\Jotwell"
#include "JotwellApp.h"

#include "ActivationContext.h"
#include "ComMethod.h"
#include "Trace.h"

#include <commctrl.h>

#include <string>

TraceProfile g_traceProfile = {L"Software\\Veltrac\\Jotwell", L"Jotwell.log", false, true};

namespace
{
CJotwellApp g_app;

} // namespace

CJotwellApp &JotwellApp()
{
    return g_app;
}

void JotwellEnter()
{
    if (!g_app.EnsureInitialized()) StartTracing();
}

CJotwellApp::~CJotwellApp()
{
    if (m_initialized) Trace(2, L"CJotwellApp::~CJotwellApp");
    StopTracing(1);
}

bool CJotwellApp::EnsureInitialized()
{
    return m_initOnce.Run([this] { InitInstance(); });
}

// The pages the library hands out use version 6 of the common controls
// whatever the host uses: the library's own manifest (resource 2) gives the
// activation context they are created in.
void CJotwellApp::InitInstance()
{
    StartTracing();
    Trace(2, L"CJotwellApp::CJotwellApp");

    m_activation.Create(m_instance, TRACE_SITE_HERE());
    CActivationScope scope(LibraryActivationContext());
    INITCOMMONCONTROLSEX controls = {8, 0xFF};
    ::InitCommonControlsEx(&controls);
    m_initialized = true;
}

// Under the loader lock: the trace log lets go of its held file and slots
// first, then the library's own kernel objects.
void CJotwellApp::ProcessDetach()
{
    TraceProcessDetach();
    if (!m_initialized || m_exitTraced) return;
    m_exitTraced = true;
    m_activation.Release();
}
