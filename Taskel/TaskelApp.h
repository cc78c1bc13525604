// CTaskelApp, the library's application object: the trace log, the
// library's activation context and common controls and context help, for
// the life of the library in its host process; OLE for an exported call.
#pragma once

#include <windows.h>

#include "ActivationContext.h"
#include "InitOnce.h"

#include <memory>
#include <string>

// Runs the application's initialisation once per process, on the calling
// thread: the trace log, the library's activation context and common
// controls, the display preferences. OLE belongs to the thread that calls
// in (COleCallScope), and the class objects are reached only through
// DllGetClassObject, never through COM's class table.
void TaskelEnsureInitialized();

// Entry from the shell (DllGetClassObject and the handlers): the
// initialisation above, and on every later entry the trace log's settings
// read again, so a changed level or file (or a new day of a dated name)
// takes effect without restarting the host.
void TaskelEnterFromShell();

// OLE for the calling thread for the length of one exported call: the
// launcher's thread (or any other caller's) is initialised on entry and
// uninitialised on the way out, on the same thread, so nothing is left for
// an unload to undo.
class COleCallScope
{
  public:
    COleCallScope() noexcept;
    ~COleCallScope();
    COleCallScope(const COleCallScope &) = delete;
    COleCallScope &operator=(const COleCallScope &) = delete;

  private:
    bool m_initialized;
};

// The UI component library's shell display preferences, kept in the
// application profile.
void LoadDisplayPreferences();
void SaveDisplayPreferences();

class CTaskelApp
{
  public:
    CTaskelApp();
    ~CTaskelApp();
    CTaskelApp(const CTaskelApp &) = delete;
    CTaskelApp &operator=(const CTaskelApp &) = delete;

    // True when this call ran the initialisation.
    bool EnsureInitialized();
    // The library leaves the process (unload or process end), under the
    // loader lock: only what needs no other library.
    void ProcessDetach();

    // Context help: prepared once by the first New or Edit call.
    void InitHelp();
    bool HasHelp() const { return m_help != nullptr; }
    const std::wstring &HelpFilePath() const { return m_helpFilePath; }

    // The window that owns the dialogs and message boxes of the current call.
    HWND MainWindow() const { return m_mainWindow; }
    void SetMainWindow(HWND window) { m_mainWindow = window; }

    HINSTANCE Instance() const { return m_instance; }
    void SetInstance(HINSTANCE instance) { m_instance = instance; }

    const wchar_t *AppName() const { return m_appName; }
    const wchar_t *CompanyKey() const { return m_companyKey; }
    const wchar_t *ProfileName() const { return m_profileName; }

  private:
    struct HelpObject
    {
        std::wstring helpFile;
        std::wstring popupFile;
    };

    void InitInstance();
    void InitCommonControlsInContext();

    const wchar_t *m_appName = L"Ferrovane";
    const wchar_t *m_companyKey = nullptr;
    const wchar_t *m_profileName = nullptr;
    HINSTANCE m_instance = nullptr;
    HWND m_mainWindow = nullptr;
    CLibraryActivationContext m_activation;
    bool m_initialized = false;
    bool m_exitTraced = false;
    fx::CInitOnce m_initOnce;
    std::unique_ptr<HelpObject> m_help;
    std::wstring m_helpFilePath;
};

CTaskelApp &TaskelApp();

// Sets the application's main window for the length of one exported call.
class CMainWindowScope
{
  public:
    explicit CMainWindowScope(HWND window) { TaskelApp().SetMainWindow(window); }
    ~CMainWindowScope() { TaskelApp().SetMainWindow(nullptr); }
    CMainWindowScope(const CMainWindowScope &) = delete;
    CMainWindowScope &operator=(const CMainWindowScope &) = delete;
};
