// CTaskelApp, the library's application object: OLE, the trace log, the
// library's activation context and common controls, the class objects and
// context help, for the life of the library in its host process.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

// Runs the application's initialisation once per process, on the calling
// thread. Every export and DllGetClassObject call it first.
void TaskelEnsureInitialized();

// The COM-level termination (class objects, preferences, OLE). It must not
// run under the loader lock, so DllCanUnloadNow calls it on its way to
// answering S_OK; at process exit it is left to the ending process.
void TaskelPrepareUnload();

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

    void EnsureInitialized();
    void PrepareUnload();
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

    static BOOL CALLBACK InitOnce(PINIT_ONCE, PVOID app, PVOID *);
    void InitInstance();
    void InitCommonControlsInContext();
    void TraceExitInstance();
    void ReleaseLoaderSafe();

    const wchar_t *m_appName = L"Ferrovane";
    const wchar_t *m_companyKey = nullptr;
    const wchar_t *m_profileName = nullptr;
    HINSTANCE m_instance = nullptr;
    HWND m_mainWindow = nullptr;
    HANDLE m_actCtx = INVALID_HANDLE_VALUE;
    DWORD m_initThread = 0;
    bool m_oleInitialized = false;
    bool m_initialized = false;
    bool m_exitTraced = false;
    bool m_comTerminated = false;
    INIT_ONCE m_initOnce = INIT_ONCE_STATIC_INIT;
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
