// Framework exceptions (see FxException.h).
#include "FxException.h"
#include "UniqueHandle.h"
#include "WinFormat.h"

#include <cwchar>

namespace fx
{

static BOOL CopyMessage(const std::wstring &text, wchar_t *buffer, UINT count) noexcept
{
    if (!buffer || count == 0) return FALSE;
    size_t n = text.size() < count - 1 ? text.size() : count - 1;
    wmemcpy(buffer, text.data(), n);
    buffer[n] = L'\0';
    return text.empty() ? FALSE : TRUE;
}

BOOL CException::GetErrorMessage(wchar_t *buffer, UINT count, UINT *helpContext) const noexcept
{
    if (helpContext) *helpContext = 0;
    return CopyMessage(m_message, buffer, count);
}

std::wstring CException::MessageText() const
{
    wchar_t buffer[1024];
    if (!GetErrorMessage(buffer, 1024)) return std::wstring();
    return buffer;
}

BOOL COleException::GetErrorMessage(wchar_t *buffer, UINT count, UINT *helpContext) const noexcept
{
    if (helpContext) *helpContext = 0;
    try
    {
        std::wstring text = SystemMessage(static_cast<DWORD>(m_sc));
        if (text.empty()) text = Format(L"Error 0x%8.8lX.", static_cast<unsigned long>(m_sc));
        return CopyMessage(text, buffer, count);
    }
    catch (...)
    {
        return CopyMessage(std::wstring(), buffer, count);
    }
}

void COleException::ThrowIfFailed(HRESULT hr)
{
    if (FAILED(hr)) throw COleException(hr);
}

std::wstring SystemMessage(DWORD code)
{
    wchar_t *raw = nullptr;
    DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                 FORMAT_MESSAGE_IGNORE_INSERTS,
                             nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                             reinterpret_cast<wchar_t *>(&raw), 0, nullptr);
    unique_hlocal owner(raw);
    if (n == 0 || !raw) return std::wstring();
    std::wstring text(raw, n);
    TrimTrailingLineBreaks(text);
    return text;
}

} // namespace fx
