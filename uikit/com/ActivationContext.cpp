// The library's activation context, its scope and its owner.
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

std::wstring ModuleFileName(HMODULE module)
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;)
    {
        const DWORD length =
            ::GetModuleFileNameW(module, &path[0], static_cast<DWORD>(path.size()));
        if (length == 0) return std::wstring();
        if (length < path.size())
        {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

void CLibraryActivationContext::Create(HMODULE module, const TraceSite &site)
{
    Release();
    const std::wstring modulePath = ModuleFileName(module);
    ACTCTXW context = {};
    context.cbSize = sizeof(context);
    context.dwFlags = ACTCTX_FLAG_HMODULE_VALID | ACTCTX_FLAG_RESOURCE_NAME_VALID;
    context.hModule = module;
    context.lpResourceName = ISOLATIONAWARE_MANIFEST_RESOURCE_ID;
    context.lpSource = modulePath.c_str();
    m_context = ::CreateActCtxW(&context);
    if (m_context == INVALID_HANDLE_VALUE)
    {
        SetTraceLocation(site);
        LogWinErr(2, ::GetLastError(), L"CreateActCtx");
    }
    SetLibraryActivationContext(m_context);
}

void CLibraryActivationContext::Release()
{
    if (m_context == INVALID_HANDLE_VALUE) return;
    SetLibraryActivationContext(nullptr);
    ::ReleaseActCtx(m_context);
    m_context = INVALID_HANDLE_VALUE;
}
