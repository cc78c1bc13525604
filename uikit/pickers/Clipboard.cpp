// The clipboard as the editor uses it: text and file lists of paths.
#define TRACE_SOURCE "UiKit\\Clipboard"
#include "Clipboard.h"

#include <shlobj.h>

#include "Trace.h"

namespace
{

// Opens the clipboard for the time of one operation; another program may
// hold it for a moment, so a few tries are made.
class ClipboardLock
{
  public:
    explicit ClipboardLock(HWND owner)
    {
        for (int i = 0; i < 5 && !m_open; ++i)
        {
            m_open = ::OpenClipboard(owner) != FALSE;
            if (!m_open) ::Sleep(20);
        }
    }
    ~ClipboardLock()
    {
        if (m_open) ::CloseClipboard();
    }
    bool IsOpen() const { return m_open; }

  private:
    bool m_open = false;
};

HGLOBAL CopyToGlobal(const void *data, size_t size)
{
    HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, size);
    if (!block) return nullptr;
    void *p = ::GlobalLock(block);
    if (!p)
    {
        ::GlobalFree(block);
        return nullptr;
    }
    memcpy(p, data, size);
    ::GlobalUnlock(block);
    return block;
}

UINT VerbatimFormat()
{
    static const UINT format = ::RegisterClipboardFormatW(CClipboard::VerbatimFormatName());
    return format;
}

// The text of a clipboard block of UTF-16 text (bounded by the block).
bool ReadText(UINT format, std::wstring &text)
{
    HANDLE data = ::GetClipboardData(format);
    if (!data) return false;
    const wchar_t *p = static_cast<const wchar_t *>(::GlobalLock(data));
    if (!p) return false;
    text.assign(p, wcsnlen(p, ::GlobalSize(data) / sizeof(wchar_t)));
    ::GlobalUnlock(data);
    return true;
}

void SplitLines(const std::wstring &text, std::vector<std::wstring> &lines)
{
    size_t start = 0;
    while (start < text.size())
    {
        size_t end = text.find_first_of(L"\r\n", start);
        if (end == std::wstring::npos) end = text.size();
        if (end > start) lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
}

bool Put(UINT format, HGLOBAL block)
{
    if (!block) return false;
    if (::SetClipboardData(format, block)) return true;
    ::GlobalFree(block);
    return false;
}

} // namespace

bool CClipboard::SetPaths(HWND owner, const std::vector<std::wstring> &texts,
                          const std::vector<std::wstring> &files)
{
    ClipboardLock lock(owner);
    if (!lock.IsOpen() || !::EmptyClipboard()) return false;
    bool ok = true;
    if (!texts.empty())
    {
        std::wstring text;
        for (size_t i = 0; i < texts.size(); ++i)
            text += (i ? L"\r\n" : L"") + texts[i];
        const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
        ok = Put(CF_UNICODETEXT, CopyToGlobal(text.c_str(), bytes));
        // The same lines once more, in the format only this library reads:
        // a paste of them gives back exactly what was copied.
        if (ok && VerbatimFormat()) ok = Put(VerbatimFormat(), CopyToGlobal(text.c_str(), bytes));
    }
    if (ok && !files.empty())
    {
        std::vector<BYTE> drop(sizeof(DROPFILES));
        DROPFILES header{};
        header.pFiles = sizeof(DROPFILES);
        header.fWide = TRUE;
        memcpy(drop.data(), &header, sizeof(header));
        for (const std::wstring &f : files)
        {
            const BYTE *p = reinterpret_cast<const BYTE *>(f.c_str());
            drop.insert(drop.end(), p, p + (f.size() + 1) * sizeof(wchar_t));
        }
        drop.insert(drop.end(), sizeof(wchar_t), 0);
        ok = Put(CF_HDROP, CopyToGlobal(drop.data(), drop.size()));
    }
    return ok;
}

const wchar_t *CClipboard::VerbatimFormatName()
{
    return L"Ferrovane Path Specifications";
}

bool CClipboard::GetPaths(HWND owner, std::vector<std::wstring> &paths, bool &hasText)
{
    bool verbatim = false;
    return GetPaths(owner, paths, hasText, verbatim);
}

bool CClipboard::GetPaths(HWND owner, std::vector<std::wstring> &paths, bool &hasText,
                          bool &verbatim)
{
    paths.clear();
    hasText = false;
    verbatim = false;
    ClipboardLock lock(owner);
    if (!lock.IsOpen()) return false;
    std::wstring text;
    hasText = ReadText(CF_UNICODETEXT, text);
    std::wstring kept;
    if (VerbatimFormat() && ReadText(VerbatimFormat(), kept))
    {
        SplitLines(kept, paths);
        verbatim = !paths.empty();
        if (verbatim) return true;
    }
    if (HANDLE drop = ::GetClipboardData(CF_HDROP))
    {
        HDROP files = static_cast<HDROP>(drop);
        UINT count = ::DragQueryFileW(files, 0xFFFFFFFF, nullptr, 0);
        for (UINT i = 0; i < count; ++i)
        {
            UINT length = ::DragQueryFileW(files, i, nullptr, 0);
            std::wstring path(length + 1, L'\0');
            ::DragQueryFileW(files, i, &path[0], length + 1);
            path.resize(length);
            paths.push_back(path);
        }
        if (!paths.empty()) return true;
    }
    SplitLines(text, paths);
    return true;
}
