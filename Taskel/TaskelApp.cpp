// The library's application object: once-per-process initialisation on the
// first entry into the library, OLE for the length of an exported call,
// what the unload releases, and context help set-up.
//
// Nothing here runs inside DllMain except what is safe under the loader
// lock: OLE, COM, window and registry work need other libraries and may
// wait on other threads. So initialisation runs on the first call into the
// library (an export or DllGetClassObject), on the calling thread. The
// library never enters COM's class table and never initialises OLE on a
// thread it does not own for the call, so an unload has nothing of COM to
// undo: process detach only traces and frees the library's own memory and
// kernel objects, and the trace log releases its slots and its pending
// close of the held file (TraceProcessDetach); page objects whose sheet has
// let their pages go are released as DllCanUnloadNow would.
#define TRACE_SOURCE "Taskel\\Taskel"
#include "TaskelApp.h"

#include "ActivationContext.h"
#include "ComMethod.h"
#include "ContextHelp.h"
#include "PropertyPageObj.h"
#include "ShellDisplayPrefs.h"
#include "TaskelMessage.h"
#include "TaskelSecurity.h"
#include "TaskelTraceSites.h"
#include "Trace.h"

#include <commctrl.h>
#include <ole2.h>
#include <shlwapi.h>
#include <uxtheme.h>

TraceProfile g_traceProfile = {L"Software\\Veltrac\\Ferrovane", L"Ferrovane.log", true, true};

namespace
{

CTaskelApp g_app;

bool IsWindows6OrLater()
{
    return LOBYTE(LOWORD(::GetVersion())) >= 6;
}

bool FileExists(const std::wstring &path)
{
    DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

} // namespace

CTaskelApp &TaskelApp()
{
    return g_app;
}

void TaskelEnsureInitialized()
{
    g_app.EnsureInitialized();
}

void TaskelEnterFromShell()
{
    if (!g_app.EnsureInitialized()) StartTracing();
}

// An apartment the thread already has (RPC_E_CHANGED_MODE) is left as it is.
COleCallScope::COleCallScope() noexcept : m_initialized(SUCCEEDED(::OleInitialize(nullptr))) {}

COleCallScope::~COleCallScope()
{
    if (m_initialized) ::OleUninitialize();
}

// The editor's display preferences live in the application profile,
// HKEY_CURRENT_USER\Software\Veltrac\Ferrovane.
void LoadDisplayPreferences()
{
    LoadShellDisplayPrefs(HKEY_CURRENT_USER, g_traceProfile.registryKey);
}

void SaveDisplayPreferences()
{
    SaveShellDisplayPrefs(HKEY_CURRENT_USER, g_traceProfile.registryKey);
}

// Construction runs at library load under the loader lock: names only.
CTaskelApp::CTaskelApp() = default;

CTaskelApp::~CTaskelApp()
{
    m_help.reset();
    StopTracing(4);
}

bool CTaskelApp::EnsureInitialized()
{
    return m_initOnce.Run([this] { InitInstance(); });
}

void CTaskelApp::InitInstance()
{
    m_companyKey = L"Veltrac";
    m_profileName = L"Ferrovane";

    StartTracing();
    if (IsTraceEnabled(1)) Trace(4, L"CTaskelApp::InitInstance");

    InitCommonControlsInContext();
    CContextHelp::SetPopupTraceSite(sites::kHelpPopup);

    if (IsTraceEnabled(1))
    {
        ::IsThemeActive();
        Trace(2, L"  AdminUser [%u] CanRegister [%u]", IsAdministratorsMember() ? 1u : 0u, 1u);
    }
    LoadDisplayPreferences();
    m_initialized = true;
}

// Windows the library creates use version 6 common controls and themes
// whatever the host process uses: the library's own manifest (resource 2)
// gives the activation context they are created in.
void CTaskelApp::InitCommonControlsInContext()
{
    m_activation.Create(m_instance, TRACE_SITE_HERE());
    CActivationScope scope(m_activation.Handle());
    INITCOMMONCONTROLSEX controls = {8, 0x1FF};
    ::InitCommonControlsEx(&controls);
}

// The library leaves the process: on an unload (the host's FreeLibrary after
// DllCanUnloadNow answered S_OK) or at process end. Under the loader lock,
// so only the trace line and the library's own memory and kernel objects.
void CTaskelApp::ProcessDetach()
{
    // First the trace log: no held file and no close wait may outlive the
    // library, so the last lines go straight to the file.
    TraceProcessDetach();
    // Pages whose sheet has let them go but that no unload query released
    // yet (the host ends without asking): release them now. Pages a sheet
    // still shows are left to the ending process.
    SweepUnusedPageObjects();
    if (!m_initialized || m_exitTraced) return;
    m_exitTraced = true;
    if (IsTraceEnabled(1)) Trace(4, L"CTaskelApp::ExitInstance");
    m_help.reset();
    CContextHelp::SetHelpFile(std::wstring(), std::wstring());
    m_activation.Release();
}

void CTaskelApp::InitHelp()
{
    if (m_help) return;
    std::wstring modulePath = ModuleFileName(m_instance);
    if (!IsWindows6OrLater())
    {
        size_t dot = ::PathFindExtensionW(modulePath.c_str()) - modulePath.c_str();
        if (FileExists(modulePath.substr(0, dot) + L".hlp")) return;
    }

    size_t slash = modulePath.find_last_of(L'\\');
    std::wstring helpFile = FindHelpFile(
        slash == std::wstring::npos ? std::wstring() : modulePath.substr(0, slash + 1), L"Taskel");
    if (helpFile.empty())
    {
        m_help.reset();
        m_helpFilePath.clear();
        CContextHelp::SetHelpFile(std::wstring(), std::wstring());
        return;
    }
    m_helpFilePath = helpFile;
    m_help.reset(new HelpObject{helpFile, L"TextPopups.txt"});
    CContextHelp::SetHelpFile(helpFile, L"TextPopups.txt");
}
