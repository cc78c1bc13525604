// The question and the decisions of a run of a command file from the
// Internet.
#include "ForeignRun.h"

#include "NoCase.h"
#include "ShownText.h"
#include "TaskelOptions.h"
#include "resource.h"

namespace
{

// One entry or URL on a line of its own: long ones are cut.
constexpr size_t kMaxShownEntry = 260;

std::wstring WithArgument(const std::wstring &text, const std::wstring &arg)
{
    std::wstring result = text;
    for (size_t at = result.find(L"%1"); at != std::wstring::npos; at = result.find(L"%1", at))
    {
        result.replace(at, 2, arg);
        at += arg.size();
    }
    return result;
}

// "\r\nto " is the info tip's line break and phrase; on a line of its own
// the phrase stands without the break.
std::wstring TrimmedLeadingBreaks(std::wstring text)
{
    while (!text.empty() && (text[0] == L'\r' || text[0] == L'\n'))
        text.erase(0, 1);
    return text;
}

} // namespace

bool IsUnattendedRun(const SwitchSet &switches)
{
    for (const std::wstring &s : switches)
        if (EqualNoCase(s, L"/s+") || EqualNoCase(s, L"/q+")) return true;
    return false;
}

std::wstring ZoneName(DWORD zone, ForeignTextLoader loadString)
{
    if (zone == kZoneInternet) return loadString(IDS_ZONE_INTERNET);
    if (zone == kZoneRestricted) return loadString(IDS_ZONE_RESTRICTED);
    return WithArgument(loadString(IDS_ZONE_OTHER), std::to_wstring(zone));
}

std::wstring ForeignRunPrompt(const std::wstring &path, uint32_t storedAction,
                              const std::vector<std::wstring> &sources, const std::wstring &target,
                              const FileOrigin &origin, ForeignTextLoader loadString)
{
    std::wstring text = WithArgument(loadString(IDS_FOREIGN_PROMPT), ShownText(path, 1024));
    const UINT phraseId = ActionPhraseId(storedAction);
    const std::wstring phrase = phraseId ? loadString(phraseId) : std::wstring();
    size_t count = 0;
    while (count < sources.size() && !sources[count].empty())
        ++count;
    const size_t shown = count < kForeignPromptSources ? count : kForeignPromptSources;
    for (size_t i = 0; i < shown; ++i)
        text += L"\r\n" + phrase + ShownText(sources[i], kMaxShownEntry);
    if (count > shown)
        text +=
            L"\r\n" + WithArgument(loadString(IDS_FOREIGN_MORE), std::to_wstring(count - shown));
    if (storedAction != ACTION_DELETE && storedAction != ACTION_RENAME && !target.empty())
        text += L"\r\n" + TrimmedLeadingBreaks(loadString(IDS_INFOTIP_TO)) +
                ShownText(target, kMaxShownEntry);
    text +=
        L"\r\n\r\n" + WithArgument(loadString(IDS_FOREIGN_ZONE), ZoneName(origin.zone, loadString));
    const std::wstring &url = origin.referrerUrl.empty() ? origin.hostUrl : origin.referrerUrl;
    if (!url.empty())
        text +=
            L"\r\n" + WithArgument(loadString(IDS_FOREIGN_FROM), ShownText(url, kMaxShownEntry));
    return text + L"\r\n\r\n" + loadString(IDS_FOREIGN_QUESTION);
}
