// The library's activation context: windows the library creates use
// version 6 of the common controls (and themes) whatever the host process
// uses. The application object creates the context from the library's own
// manifest and installs it here; sheets and pages are created inside it.
#pragma once

#include <windows.h>

#include <string>

#include "Trace.h"

// The full path of `module`'s file (empty when the system gives none).
std::wstring ModuleFileName(HMODULE module);

// Null (or INVALID_HANDLE_VALUE) means none: windows use the caller's.
void SetLibraryActivationContext(HANDLE context);
HANDLE LibraryActivationContext();

// Activates a context for a scope (none: nothing happens).
class CActivationScope
{
  public:
    explicit CActivationScope(HANDLE context = LibraryActivationContext());
    ~CActivationScope();
    CActivationScope(const CActivationScope &) = delete;
    CActivationScope &operator=(const CActivationScope &) = delete;

  private:
    ULONG_PTR m_cookie = 0;
};

// The library's own activation context while it lives: made from the
// manifest resource of the library's module (ISOLATIONAWARE_MANIFEST_
// RESOURCE_ID) and installed as the library's. A context that cannot be
// made is traced ("CreateActCtx") at `site`; windows then use the caller's.
class CLibraryActivationContext
{
  public:
    CLibraryActivationContext() = default;
    ~CLibraryActivationContext() { Release(); }
    CLibraryActivationContext(const CLibraryActivationContext &) = delete;
    CLibraryActivationContext &operator=(const CLibraryActivationContext &) = delete;

    void Create(HMODULE module, const TraceSite &site);
    // Uninstalls and releases the context (again: nothing happens).
    void Release();
    HANDLE Handle() const { return m_context; }

  private:
    HANDLE m_context = INVALID_HANDLE_VALUE;
};
