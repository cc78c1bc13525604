// Running sheets under a driving timer, and window pictures.
#include "SheetTestSupport.h"

#include "PropertySheetExEx.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace
{
std::function<void(HWND)> g_during;
CPropertySheetExEx *g_sheet = nullptr;
int g_ticks = 0;

void CALLBACK Drive(HWND, UINT, UINT_PTR id, DWORD)
{
    HWND window = g_sheet ? g_sheet->Window() : nullptr;
    if (!window || !::IsWindowVisible(window))
    {
        if (++g_ticks > 200) ::KillTimer(nullptr, id);
        return;
    }
    ::KillTimer(nullptr, id);
    PumpFor(100);
    if (g_during) g_during(window);
    if (::IsWindow(window) && ::SendMessageW(window, PSM_GETCURRENTPAGEHWND, 0, 0))
        ::PostMessageW(window, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
}
} // namespace

INT_PTR RunSheet(CPropertySheetExEx &sheet, const std::function<void(HWND)> &during)
{
    g_during = during;
    g_sheet = &sheet;
    g_ticks = 0;
    ::SetTimer(nullptr, 0, 50, Drive);
    const INT_PTR result = sheet.DoModal();
    g_sheet = nullptr;
    g_during = nullptr;
    return result;
}

std::wstring BuildFolder()
{
    wchar_t buffer[MAX_PATH] = {};
    if (::GetEnvironmentVariableW(L"FERROVANE_BUILD_DIR", buffer, MAX_PATH))
    {
        std::wstring path = buffer;
        if (!path.empty() && path[0] == L'/')
        {
            for (wchar_t &c : path)
                if (c == L'/') c = L'\\';
            path = L"Z:" + path;
        }
        return path + L"\\";
    }
    ::GetTempPathW(MAX_PATH, buffer);
    return buffer;
}

namespace
{
// A PNG file without a compression library: deflate's stored blocks.
uint32_t Crc32(const uint8_t *data, size_t size, uint32_t crc = 0)
{
    crc = ~crc;
    for (size_t i = 0; i < size; ++i)
    {
        crc ^= data[i];
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void PutBig(std::vector<uint8_t> &out, uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<uint8_t>(value >> shift));
}

void Chunk(std::vector<uint8_t> &out, const char *type, const std::vector<uint8_t> &data)
{
    PutBig(out, static_cast<uint32_t>(data.size()));
    std::vector<uint8_t> body(type, type + 4);
    body.insert(body.end(), data.begin(), data.end());
    out.insert(out.end(), body.begin(), body.end());
    PutBig(out, Crc32(body.data(), body.size()));
}

std::vector<uint8_t> EncodePng(int width, int height, const std::vector<uint8_t> &rgbRows)
{
    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> header;
    PutBig(header, static_cast<uint32_t>(width));
    PutBig(header, static_cast<uint32_t>(height));
    header.insert(header.end(), {8, 2, 0, 0, 0}); // 8-bit RGB
    Chunk(png, "IHDR", header);

    std::vector<uint8_t> z = {0x78, 0x01};
    uint32_t a = 1, b = 0;
    for (size_t at = 0; at < rgbRows.size() || at == 0;)
    {
        const size_t size = std::min<size_t>(65535, rgbRows.size() - at);
        const bool last = at + size >= rgbRows.size();
        z.push_back(last ? 1 : 0);
        z.push_back(static_cast<uint8_t>(size));
        z.push_back(static_cast<uint8_t>(size >> 8));
        z.push_back(static_cast<uint8_t>(~size));
        z.push_back(static_cast<uint8_t>(~size >> 8));
        for (size_t i = at; i < at + size; ++i)
        {
            z.push_back(rgbRows[i]);
            a = (a + rgbRows[i]) % 65521;
            b = (b + a) % 65521;
        }
        at += size;
        if (last) break;
    }
    PutBig(z, (b << 16) | a);
    Chunk(png, "IDAT", z);
    Chunk(png, "IEND", {});
    return png;
}
} // namespace

bool SaveWindowPicture(HWND window, const std::wstring &path)
{
    RECT rect;
    if (!::GetWindowRect(window, &rect)) return false;
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void *bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    ::GdiFlush();
    const size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~size_t(3);
    std::vector<uint8_t> rows;
    rows.reserve((static_cast<size_t>(width) * 3 + 1) * static_cast<size_t>(height));
    const auto *pixels = static_cast<const uint8_t *>(bits);
    for (int y = 0; y < height; ++y)
    {
        rows.push_back(0); // no filter
        const uint8_t *row = pixels + stride * static_cast<size_t>(y);
        for (int x = 0; x < width; ++x)
            rows.insert(rows.end(), {row[x * 3 + 2], row[x * 3 + 1], row[x * 3]});
    }
    ::SelectObject(memory, previous);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);

    const std::vector<uint8_t> png = EncodePng(width, height, rows);
    HANDLE out = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (out == INVALID_HANDLE_VALUE) return false;
    DWORD done = 0;
    const bool written =
        ::WriteFile(out, png.data(), static_cast<DWORD>(png.size()), &done, nullptr) &&
        done == png.size();
    ::CloseHandle(out);
    return written;
}
