// Date and time tokens in log file names ("Trace %yyyy-%MM-%dd.log"): the
// name is split into literal and token parts, longest tokens first, and each
// token is replaced by the local time in the user's locale.
#include "TraceInternal.h"

namespace tracelog
{

namespace
{
struct TokenRow
{
    LPCTSTR token;
    bool date;
};
const TokenRow TOKENS[] = {
    {_T("%dddd"), true}, {_T("%ddd"), true}, {_T("%dd"), true},  {_T("%d"), true},
    {_T("%MMMM"), true}, {_T("%MMM"), true}, {_T("%MM"), true},  {_T("%M"), true},
    {_T("%yyyy"), true}, {_T("%yy"), true},  {_T("%y"), true},   {_T("%gg"), true},
    {_T("%hh"), false},  {_T("%h"), false},  {_T("%HH"), false}, {_T("%H"), false},
    {_T("%mm"), false},  {_T("%m"), false},  {_T("%ss"), false}, {_T("%s"), false},
    {_T("%tt"), false},  {_T("%t"), false},
};
} // namespace

std::vector<NamePart> SplitLogFileTokens(const tstring &name)
{
    std::vector<NamePart> parts(1);
    parts[0].text = name;
    for (const TokenRow &row : TOKENS)
    {
        const tstring token = row.token;
        for (size_t i = 0; i < parts.size(); ++i)
        {
            if (parts[i].token) continue;
            size_t at = parts[i].text.find(token);
            if (at == tstring::npos) continue;
            NamePart found, rest;
            found.text = token;
            found.token = true;
            found.date = row.date;
            rest.text = parts[i].text.substr(at + token.size());
            parts[i].text.erase(at);
            // The rest goes right after the token and is scanned next.
            parts.insert(parts.begin() + static_cast<std::ptrdiff_t>(i) + 1, {found, rest});
            ++i;
        }
    }
    return parts;
}

void JoinLogFileParts(const std::vector<NamePart> &parts, const SYSTEMTIME &time, LPTSTR out,
                      size_t count)
{
    if (!out || count == 0) return;
    size_t n = 0;
    for (const NamePart &part : parts)
    {
        TCHAR value[50] = {};
        LPCTSTR text = part.text.c_str();
        if (part.token)
        {
            LPCTSTR picture = text + 1;
            if (part.date)
                GetDateFormat(LOCALE_USER_DEFAULT, 0, &time, picture, value, 50);
            else
                GetTimeFormat(LOCALE_USER_DEFAULT, 0, &time, picture, value, 50);
            text = value;
        }
        for (; *text && n + 1 < count; ++text)
            out[n++] = *text;
    }
    out[n] = 0;
}

} // namespace tracelog

void ExpandLogFileTokens(LPTSTR fileName)
{
    using namespace tracelog;
    if (!fileName) return;
    try
    {
        std::vector<NamePart> parts = SplitLogFileTokens(fileName);
        if (parts.size() == 1) return; // no token: the name stays as it is
        SYSTEMTIME now;
        GetLocalTime(&now);
        JoinLogFileParts(parts, now, fileName, TRACE_FILE_NAME_CHARS);
    }
    catch (...)
    {
    }
}
