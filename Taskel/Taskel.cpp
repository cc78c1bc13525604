// Taskel.dll's entry: DllMain, the six exported command functions, the run
// that answers with its result and the preview (the UTF-16 ones and their
// ANSI twins), each inside the boundary
// traps that keep every exception inside the library.
#define TRACE_SOURCE "Taskel\\Taskel"
#define TASKEL_BUILDING_LIBRARY
#include "TaskelExports.h"

#include "ComMethod.h"
#include "TaskelApp.h"
#include "TaskelExecRun.h"
#include "TaskelFlows.h"
#include "TaskelMessage.h"
#include "TaskelParams.h"
#include "TaskelPath.h"
#include "TaskelPreviewFlow.h"
#include "TaskelRegister.h"
#include "TaskelTraceSites.h"
#include "Trace.h"
#include "UniqueHandle.h"

#include <type_traits>

namespace
{

// The trap of an exported command function: what it throws is traced at
// `site`, and a framework exception's message is shown to the caller.
template <class Body> void TrapExport(const TraceSite &site, HWND owner, Body &&body) noexcept
{
    fx::ComMethod(site, std::forward<Body>(body), E_UNEXPECTED, 2, ShowExceptionTo(owner));
}

// The wide copy of an ANSI parameter string (active code page), in COM task
// memory for the length of the call; null stays null.
class CWideParams
{
  public:
    explicit CWideParams(LPCSTR text)
    {
        if (!text) return;
        int bytes = lstrlenA(text);
        m_text.reset(::CoTaskMemAlloc((bytes + 1) * sizeof(wchar_t)));
        if (!m_text) throw fx::CMemoryException();
        wchar_t *wide = static_cast<wchar_t *>(m_text.get());
        int length = ::MultiByteToWideChar(CP_ACP, 0, text, bytes, wide, bytes + 1);
        wide[length > 0 ? length : 0] = L'\0';
    }
    LPCWSTR get() const { return static_cast<LPCWSTR>(m_text.get()); }

  private:
    fx::unique_cotaskmem m_text;
};

} // namespace

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
    {
        ::DisableThreadLibraryCalls(instance);
        TaskelApp().SetInstance(instance);
        SetTaskelResourceModule(instance);
        // The library's layers meet here: the command class runs through the
        // runner, and the class table of the shell integration serves the
        // library's class objects and their registration.
        InstallShellRunner();
        InstallTaskelClassTable();
    }
    else if (reason == DLL_PROCESS_DETACH)
    {
        TaskelApp().ProcessDetach();
    }
    return TRUE;
}

namespace
{
using EditorFlow = void (*)(HWND, const std::wstring &, const ParamList &);

// The common frame of New and Edit: context help, the parameters, the
// command name normalised (New forces the extension) and handed to the
// flow, the display preferences saved back. `step` and `body` are the
// sites of the flow's trap and of the trap around it all.
void RunEditorEntry(HWND owner, LPCWSTR params, bool forceExtension, EditorFlow flow,
                    const TraceSite &step, const TraceSite &body)
{
    TrapExport(body, owner, [&] {
        COleCallScope ole;
        TaskelEnsureInitialized();
        CMainWindowScope mainWindow(owner);
        LoadDisplayPreferences();
        TaskelApp().InitHelp();
        ParsedParameters parsed = ParseParameters(params);
        TrapExport(step, owner, [&] {
            flow(owner, NormalizeCommandPath(parsed.commandFile, true, forceExtension),
                 parsed.params);
        });
        SaveDisplayPreferences();
    });
    // The caller (the launcher) may end as soon as this returns.
    FlushTrace();
}
} // namespace

extern "C" void WINAPI NewCommandW(HWND owner, HINSTANCE, LPCWSTR params, int)
{
    RunEditorEntry(owner, params, true, NewCommandFlow, sites::kNewStep, sites::kNewBody);
}

namespace
{
// The frame of a run call: the parameters dispatched to the run flow, one
// command file after another. Returns S_OK when every run did its work,
// else the first failure (E_UNEXPECTED when the call itself failed).
HRESULT RunEntry(HWND owner, LPCWSTR params)
{
    HRESULT result = E_UNEXPECTED;
    TrapExport(sites::kRunBody, owner, [&] {
        COleCallScope ole;
        TaskelEnsureInitialized();
        CMainWindowScope mainWindow(owner);
        LoadDisplayPreferences();
        ParsedParameters parsed = ParseParameters(params);
        TrapExport(sites::kRunStep, owner, [&] {
            result = DispatchRun(parsed.params,
                                 [owner](const std::wstring &path, const SwitchSet &switches) {
                                     return RunCommandFlow(owner, path, switches);
                                 });
        });
    });
    FlushTrace();
    return result;
}
} // namespace

extern "C" void WINAPI RunCommandW(HWND owner, HINSTANCE, LPCWSTR params, int)
{
    RunEntry(owner, params);
}

extern "C" HRESULT WINAPI RunCommandExW(HWND owner, HINSTANCE, LPCWSTR params, int)
{
    return RunEntry(owner, params);
}

extern "C" void WINAPI EditCommandW(HWND owner, HINSTANCE, LPCWSTR params, int)
{
    RunEditorEntry(owner, params, false, EditCommandFlow, sites::kEditStep, sites::kEditBody);
}

extern "C" HRESULT WINAPI PreviewCommandW(HWND owner, HINSTANCE, LPCWSTR params, int)
{
    const HRESULT hr = fx::ComMethod(
        sites::kPreviewBody,
        [&]() -> HRESULT {
            COleCallScope ole;
            TaskelEnsureInitialized();
            CMainWindowScope mainWindow(owner);
            LoadDisplayPreferences();
            TaskelApp().InitHelp();
            ParsedParameters parsed = ParseParameters(params);
            const std::wstring path = NormalizeCommandPath(parsed.commandFile, true, false);
            return fx::ComMethod(
                sites::kPreviewStep, [&] { return PreviewCommandFlow(owner, path, parsed.params); },
                E_UNEXPECTED, 2, ShowExceptionTo(owner));
        },
        E_UNEXPECTED, 2, ShowExceptionTo(owner));
    FlushTrace();
    return hr;
}

namespace
{
// The ANSI twins: the parameter string converted to a wide copy for the
// length of the call to the wide function, whose result they return
// (E_UNEXPECTED when the conversion failed).
template <auto Wide>
auto CallWithWideParams(HWND owner, HINSTANCE instance, LPCSTR params, int show)
{
    using Result = decltype(Wide(owner, instance, nullptr, show));
    if constexpr (std::is_void_v<Result>)
    {
        TrapExport(TRACE_SITE_HERE(), owner, [&] {
            TaskelEnsureInitialized();
            CWideParams wide(params);
            Wide(owner, instance, wide.get(), show);
        });
    }
    else
    {
        Result result = E_UNEXPECTED;
        TrapExport(TRACE_SITE_HERE(), owner, [&] {
            TaskelEnsureInitialized();
            CWideParams wide(params);
            result = Wide(owner, instance, wide.get(), show);
        });
        return result;
    }
}
} // namespace

extern "C" void WINAPI NewCommand(HWND owner, HINSTANCE instance, LPCSTR params, int show)
{
    CallWithWideParams<NewCommandW>(owner, instance, params, show);
}

extern "C" void WINAPI EditCommand(HWND owner, HINSTANCE instance, LPCSTR params, int show)
{
    CallWithWideParams<EditCommandW>(owner, instance, params, show);
}

extern "C" void WINAPI RunCommand(HWND owner, HINSTANCE instance, LPCSTR params, int show)
{
    CallWithWideParams<RunCommandW>(owner, instance, params, show);
}

extern "C" HRESULT WINAPI RunCommandEx(HWND owner, HINSTANCE instance, LPCSTR params, int show)
{
    return CallWithWideParams<RunCommandExW>(owner, instance, params, show);
}

extern "C" HRESULT WINAPI PreviewCommand(HWND owner, HINSTANCE instance, LPCSTR params, int show)
{
    return CallWithWideParams<PreviewCommandW>(owner, instance, params, show);
}
