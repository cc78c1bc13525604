// CJotwellApp, the library's application object ("Jotwell"): its own trace
// log (Software\Veltrac\Jotwell), its profile ("Veltrac"/"Jotwell"), the
// activation context of its manifest and the common controls, for the life
// of the library in its host process.
#pragma once

#include <windows.h>

#include "ActivationContext.h"
#include "InitOnce.h"

class CJotwellApp
{
  public:
    CJotwellApp() = default;
    ~CJotwellApp();
    CJotwellApp(const CJotwellApp &) = delete;
    CJotwellApp &operator=(const CJotwellApp &) = delete;

    // Runs the initialisation once per process on the calling thread; true
    // when this call ran it.
    bool EnsureInitialized();
    // The library leaves the process, under the loader lock.
    void ProcessDetach();

    HINSTANCE Instance() const { return m_instance; }
    void SetInstance(HINSTANCE instance) { m_instance = instance; }
    const wchar_t *AppName() const { return L"Jotwell"; }
    const wchar_t *CompanyKey() const { return L"Veltrac"; }
    const wchar_t *ProfileName() const { return L"Jotwell"; }

  private:
    void InitInstance();

    HINSTANCE m_instance = nullptr;
    CLibraryActivationContext m_activation;
    bool m_initialized = false;
    bool m_exitTraced = false;
    fx::CInitOnce m_initOnce;
};

CJotwellApp &JotwellApp();

// Every entry from outside (the COM entry points, the export, the shell
// extension): the initialisation above on the first entry, and on later
// ones the trace settings read again so a changed level takes effect.
void JotwellEnter();
