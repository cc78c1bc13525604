// The library's activation context: windows the library creates use
// version 6 of the common controls (and themes) whatever the host process
// uses. The application object creates the context from the library's own
// manifest and installs it here; sheets and pages are created inside it.
#pragma once

#include <windows.h>

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
