// The path describer: splits a resolved path into its disk or share, the
// folders on the way, the named folder and the file part, and joins their
// phrases.
#include "PathDescriber.h"

#include <shlwapi.h>

#include <vector>

#include "RtfMarkup.h"

namespace
{

bool HasWild(const std::wstring &s)
{
    return s.find_first_of(L"*?") != std::wstring::npos;
}

std::vector<std::wstring> Components(const std::wstring &path)
{
    std::vector<std::wstring> parts;
    size_t start = 0;
    while (start <= path.size())
    {
        size_t end = path.find(L'\\', start);
        if (end == std::wstring::npos) end = path.size();
        if (end > start) parts.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

class Phrases
{
  public:
    explicit Phrases(const DescribeContext &c) : m_c(c) {}
    bool ok = true;
    std::wstring Get(unsigned number, const std::wstring &a1 = {}, const std::wstring &a2 = {})
    {
        return GetId(m_c.firstPhrase + number, a1, a2);
    }
    std::wstring GetId(UINT id, const std::wstring &a1 = {}, const std::wstring &a2 = {})
    {
        std::wstring format = m_c.loadString ? m_c.loadString(id) : std::wstring();
        if (format.empty()) ok = false;
        return FormatPhrase(format, a1, a2);
    }

  private:
    const DescribeContext &m_c;
};

std::wstring FileItem(Phrases &p, const std::wstring &name)
{
    if (name == L"*" || name == L"*.*") return p.Get(PHRASE_ALL_FILES);
    if (HasWild(name))
    {
        const wchar_t *ext = PathFindExtensionW(name.c_str());
        std::wstring stem = name.substr(0, static_cast<size_t>(ext - name.c_str()));
        if (stem == L"*" && *ext && !HasWild(ext))
            return p.Get(PHRASE_EXTENSION, EscapeRtfText(ext));
        return p.Get(PHRASE_PATTERN, EscapeRtfText(name));
    }
    return p.Get(PHRASE_FILE, EscapeRtfText(name));
}

} // namespace

std::wstring FormatPhrase(const std::wstring &format, const std::wstring &arg1,
                          const std::wstring &arg2)
{
    std::wstring out;
    for (size_t i = 0; i < format.size(); ++i)
    {
        if (format[i] == L'%' && i + 1 < format.size() &&
            (format[i + 1] == L'1' || format[i + 1] == L'2'))
        {
            out += format[i + 1] == L'1' ? arg1 : arg2;
            ++i;
        }
        else
            out += format[i];
    }
    return out;
}

bool DescribePath(const std::wstring &path, const std::wstring &rename,
                  const DescribeContext &context, std::wstring &markup)
{
    Phrases p(context);
    std::wstring text;
    if (PathIsURLW(path.c_str()))
    {
        markup = p.Get(PHRASE_URL, EscapeRtfText(path));
        return p.ok;
    }

    // The place the path starts from: a disk or a share on a computer.
    std::wstring place;
    std::wstring rest;
    if (path.size() >= 2 && path[1] == L':' && iswalpha(path[0]) &&
        (path.size() == 2 || path[2] == L'\\'))
    {
        std::wstring drive = path.substr(0, 2);
        std::wstring label;
        if (context.volumeLabel && context.volumeLabel(drive + L"\\", label) && !label.empty())
            place = p.Get(PHRASE_DRIVE_LABEL, EscapeRtfText(label), drive);
        else
            place = p.Get(PHRASE_DRIVE, drive);
        rest = path.size() > 3 ? path.substr(3) : std::wstring();
    }
    else if (path.size() > 2 && path[0] == L'\\' && path[1] == L'\\')
    {
        std::vector<std::wstring> parts = Components(path.substr(2));
        if (parts.empty()) return false;
        if (parts.size() == 1)
        {
            markup = p.Get(PHRASE_COMPUTER, EscapeRtfText(parts[0]));
            return p.ok;
        }
        place = p.Get(PHRASE_SHARE, EscapeRtfText(parts[1]), EscapeRtfText(parts[0]));
        size_t skip = 2 + parts[0].size() + 1 + parts[1].size();
        rest = path.size() > skip + 1 ? path.substr(skip + 1) : std::wstring();
    }
    else
        return false;

    const bool onDisk = path[0] != L'\\';
    const bool folderSpec = rest.empty() || rest.back() == L'\\';
    std::vector<std::wstring> parts = Components(rest);

    if (parts.empty())
    {
        // The disk or share itself.
        markup = onDisk ? p.Get(PHRASE_WHOLE_DISK, place) : place;
        return p.ok;
    }

    std::wstring item;
    size_t folders = parts.size();
    if (!folderSpec)
    {
        item = FileItem(p, parts.back());
        --folders;
    }
    // The innermost folder by its display name, the ones above it as a path.
    if (folders > 0)
    {
        std::wstring folderPath = path.substr(0, path.size() - rest.size());
        for (size_t i = 0; i < folders; ++i)
            folderPath += (i ? L"\\" : L"") + parts[i];
        std::wstring name = parts[folders - 1];
        std::wstring shown;
        if (context.displayName && context.displayName(folderPath, shown) && !shown.empty())
            name = shown;
        std::wstring folder = p.Get(PHRASE_FOLDER, EscapeRtfText(name));
        item = item.empty() ? folder : p.Get(PHRASE_IN, item, folder);
        if (folders > 1)
        {
            std::wstring between;
            for (size_t i = 0; i + 1 < folders; ++i)
                between += (i ? L"\\" : L"") + parts[i];
            item = p.Get(PHRASE_IN, item, p.Get(PHRASE_FOLDER_PATH, EscapeRtfText(between)));
        }
    }
    text = onDisk ? p.Get(PHRASE_ON_DISK, item, place) : p.Get(PHRASE_ON_SHARE, item, place);

    if (!rename.empty() && !folderSpec)
    {
        UINT id = HasWild(rename) ? context.renamedByPattern : context.renamedTo;
        if (id) text = p.GetId(id, text, EscapeRtfText(rename));
    }
    markup = text;
    return p.ok;
}
