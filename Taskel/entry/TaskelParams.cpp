// Parameter grammar of the exported command functions, the run dispatcher
// and the effect of the run switches on a command's options.
#define TRACE_SOURCE "Taskel\\TaskelParams"
#include "TaskelParams.h"

#include "NoCase.h"
#include "TaskelOptions.h"
#include "TaskelPath.h"
#include "Trace.h"

#include <cwctype>

namespace
{

const wchar_t SPACE_MARK = L'\x0001';

bool IsBlank(wchar_t c)
{
    return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n' || c == L'\v' || c == L'\f';
}

std::wstring Trimmed(const std::wstring &text)
{
    size_t first = 0, last = text.size();
    while (first < last && IsBlank(text[first]))
        ++first;
    while (last > first && IsBlank(text[last - 1]))
        --last;
    return text.substr(first, last - first);
}

void AddOnce(SwitchSet &set, const wchar_t *name)
{
    if (!HasSwitch(set, name)) set.push_back(name);
}

void Remove(SwitchSet &set, const wchar_t *name)
{
    for (auto it = set.begin(); it != set.end();)
        it = EqualNoCase(*it, name) ? set.erase(it) : it + 1;
}

// One row of the switch table: the parameters it accepts, what it adds and
// what it removes.
struct SwitchRule
{
    const wchar_t *names[2];
    const wchar_t *added;
    const wchar_t *removed[3];
};

const SwitchRule SWITCH_RULES[] = {
    {{L"/s", L"/s+"}, L"/s+", {L"/s-", L"/q+", L"/q-"}},
    {{L"/s-", nullptr}, L"/s-", {L"/s+", L"/q+", L"/q-"}},
    {{L"/q", L"/q+"}, L"/q+", {L"/q-", L"/s+", L"/s-"}},
    {{L"/q-", nullptr}, L"/q-", {L"/q+", L"/s+", L"/s-"}},
    {{L"/t", L"/t+"}, L"/t+", {L"/t-", nullptr, nullptr}},
    {{L"/t-", nullptr}, L"/t-", {L"/t+", nullptr, nullptr}},
    {{L"/ne", L"/ne+"}, L"/ne+", {L"/ne-", nullptr, nullptr}},
    {{L"/ne-", nullptr}, L"/ne-", {L"/ne+", nullptr, nullptr}},
    {{L"/v", L"/v+"}, L"/v+", {L"/v-", nullptr, nullptr}},
    {{L"/v-", nullptr}, L"/v-", {L"/v+", nullptr, nullptr}},
};

// "/esc" followed by a decimal number N from 1 to 4 gives escape bit N.
DWORD EscapeBit(const std::wstring &sw)
{
    if (!StartsWithNoCase(sw, L"/esc")) return 0;
    std::wstring digits = sw.substr(4);
    if (digits.empty() || digits.size() > 9) return 0;
    for (wchar_t c : digits)
        if (c < L'0' || c > L'9') return 0;
    int n = _wtoi(digits.c_str());
    return n >= 1 && n <= 4 ? OPT_ESCAPE_1 << (n - 1) : 0;
}

} // namespace

ParsedParameters ParseParameters(LPCWSTR text)
{
    std::wstring copy = L" ";
    copy += text ? text : L"";
    for (size_t i = 1; i < copy.size(); ++i)
        if (copy[i] == L' ') copy[i] = SPACE_MARK;

    // Pieces between quotes: even positions lie outside, odd ones inside.
    std::vector<std::wstring> pieces;
    size_t start = 0;
    for (;;)
    {
        size_t quote = copy.find(L'"', start);
        pieces.push_back(Trimmed(copy.substr(start, quote - start)));
        if (quote == std::wstring::npos) break;
        start = quote + 1;
    }

    ParsedParameters result;
    for (size_t i = 0; i < pieces.size(); ++i)
    {
        std::wstring piece = pieces[i];
        for (wchar_t &c : piece)
            if (c == SPACE_MARK) c = L' ';
        piece = Trimmed(piece);
        if (i % 2 == 1)
        {
            result.params.push_back(piece);
            continue;
        }
        size_t pos = 0;
        while (pos < piece.size())
        {
            size_t space = piece.find(L' ', pos);
            if (space == std::wstring::npos) space = piece.size();
            std::wstring token = Trimmed(piece.substr(pos, space - pos));
            if (!token.empty()) result.params.push_back(token);
            pos = space + 1;
        }
    }

    for (std::wstring &param : result.params)
    {
        if (param.size() >= 2 && param.front() == L'"' && param.back() == L'"')
            param = param.substr(1, param.size() - 2);
        if (!param.empty() && param[0] == L'-') param[0] = L'/';
    }

    if (IsTraceEnabled(3))
    {
        Trace(3, L"CmdLine [%s]", text ? text : L"");
        for (const std::wstring &param : result.params)
            Trace(3, L"   Parm [%s]", param.c_str());
    }

    for (const std::wstring &param : result.params)
        if (param.empty() || param[0] != L'/')
        {
            result.commandFile = param;
            break;
        }
    return result;
}

bool HasSwitch(const SwitchSet &set, const wchar_t *name)
{
    for (const std::wstring &s : set)
        if (EqualNoCase(s, name)) return true;
    return false;
}

std::wstring JoinParams(const ParamList &params)
{
    std::wstring joined;
    for (const std::wstring &p : params)
    {
        if (!joined.empty()) joined += L' ';
        joined += p;
    }
    return joined;
}

void ApplySwitchParameter(SwitchSet &set, bool &admin, const std::wstring &param)
{
    if (EqualNoCase(param, L"/Admin"))
    {
        admin = true;
        return;
    }
    for (const SwitchRule &rule : SWITCH_RULES)
    {
        bool match = false;
        for (const wchar_t *name : rule.names)
            match = match || (name && EqualNoCase(param, name));
        if (!match) continue;
        for (const wchar_t *removed : rule.removed)
            if (removed) Remove(set, removed);
        AddOnce(set, rule.added);
        return;
    }
    set.push_back(param);
}

HRESULT DispatchRun(const ParamList &params, const RunFlowFn &runFlow)
{
    HRESULT first = S_OK;
    SwitchSet switches;
    bool admin = false;
    for (const std::wstring &param : params)
    {
        if (param.empty()) continue;
        if (param[0] == L'/' || param[0] == L'-')
        {
            std::wstring sw = param;
            sw[0] = L'/';
            ApplySwitchParameter(switches, admin, sw);
            continue;
        }
        if (admin) AddOnce(switches, L"/Admin");
        const HRESULT hr = runFlow(NormalizeCommandPath(param, true, false), switches);
        if (SUCCEEDED(first) && FAILED(hr)) first = hr;
    }
    return first;
}

DWORD ApplyRunSwitches(DWORD options, const SwitchSet &switches, VerboseTraceLevels &levels)
{
    const DWORD quietSet = OPT_NOERRORUI | OPT_NOCONFIRMMKDIR | OPT_NOCONFIRMATION | OPT_SILENT;
    const DWORD quietCleared = OPT_X_COMPLETE_SOUND | OPT_SIMPLEPROGRESS;

    if (HasSwitch(switches, L"/s+"))
        options = (options & ~quietCleared) | quietSet | OPT_X_NO_ANIMATION;
    else if (HasSwitch(switches, L"/s-"))
        options &= ~OPT_X_NO_ANIMATION;

    if (HasSwitch(switches, L"/q+"))
        options = (options & ~quietCleared) | quietSet;
    else if (HasSwitch(switches, L"/q-"))
        options |= OPT_X_COMPLETE_SOUND;

    if (HasSwitch(switches, L"/ne+"))
        options |= OPT_X_IGNORE_ERRORS | OPT_NOERRORUI;
    else if (HasSwitch(switches, L"/ne-"))
        options &= ~OPT_X_IGNORE_ERRORS;

    if (HasSwitch(switches, L"/t+"))
        options |= OPT_TRIAL_RUN;
    else if (HasSwitch(switches, L"/t-"))
        options &= ~OPT_TRIAL_RUN;

    if (HasSwitch(switches, L"/v+"))
    {
        // A trial run performs nothing, so its expansion is what is worth seeing.
        if (options & OPT_TRIAL_RUN)
            levels = {VERBOSE_TRACE_RAISED, OPERATION_TRACE_DEFAULT};
        else
            levels = {EXPANSION_TRACE_DEFAULT, VERBOSE_TRACE_RAISED};
    }
    else if (HasSwitch(switches, L"/v-"))
        levels = VerboseTraceLevels{};

    for (const std::wstring &sw : switches)
        options |= EscapeBit(sw);
    return options;
}
