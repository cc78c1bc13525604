// Reading a module's own version resource.
#include "VersionInfo.h"

#include <cwchar>
#include <vector>

namespace
{
std::vector<BYTE> VersionData(HMODULE module)
{
    wchar_t path[MAX_PATH * 2] = {};
    if (!::GetModuleFileNameW(module, path, MAX_PATH * 2)) return {};
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(path, &ignored);
    if (!size) return {};
    std::vector<BYTE> data(size);
    if (!::GetFileVersionInfoW(path, 0, size, data.data())) return {};
    return data;
}
} // namespace

std::wstring ModuleFileVersion(HMODULE module)
{
    std::vector<BYTE> data = VersionData(module);
    VS_FIXEDFILEINFO *info = nullptr;
    UINT length = 0;
    if (data.empty() ||
        !::VerQueryValueW(data.data(), L"\\", reinterpret_cast<void **>(&info), &length) || !info)
        return {};
    wchar_t text[64];
    std::swprintf(text, 64, L"%u.%u.%u.%u", HIWORD(info->dwFileVersionMS),
                  LOWORD(info->dwFileVersionMS), HIWORD(info->dwFileVersionLS),
                  LOWORD(info->dwFileVersionLS));
    return text;
}

std::wstring ModuleVersionString(HMODULE module, const wchar_t *name)
{
    std::vector<BYTE> data = VersionData(module);
    if (data.empty()) return {};
    struct Translation
    {
        WORD language;
        WORD codePage;
    } *translations = nullptr;
    UINT length = 0;
    if (!::VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation",
                          reinterpret_cast<void **>(&translations), &length) ||
        length < sizeof(Translation))
        return {};
    wchar_t query[128];
    std::swprintf(query, 128, L"\\StringFileInfo\\%04x%04x\\%ls", translations[0].language,
                  translations[0].codePage, name);
    wchar_t *value = nullptr;
    if (!::VerQueryValueW(data.data(), query, reinterpret_cast<void **>(&value), &length) ||
        !value || !length)
        return {};
    return std::wstring(value, wcsnlen(value, length));
}
