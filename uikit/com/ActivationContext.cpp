// The library's activation context and its scope.
#include "ActivationContext.h"

namespace
{
HANDLE g_context = nullptr;
}

void SetLibraryActivationContext(HANDLE context)
{
    g_context = context == INVALID_HANDLE_VALUE ? nullptr : context;
}

HANDLE LibraryActivationContext()
{
    return g_context;
}

CActivationScope::CActivationScope(HANDLE context)
{
    if (context && context != INVALID_HANDLE_VALUE && !::ActivateActCtx(context, &m_cookie))
        m_cookie = 0;
}

CActivationScope::~CActivationScope()
{
    if (m_cookie) ::DeactivateActCtx(0, m_cookie);
}
