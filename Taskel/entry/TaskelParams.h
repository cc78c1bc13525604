// The parameter string of the exported command functions: the parser that
// splits it into parameters, the run dispatcher that walks switches and
// command file names with one switch set, and the effect of a switch set on
// a command's option word. Plain functions; the exports and the run flow
// call them.
#pragma once

#include <windows.h>

#include "TaskelTraceLevels.h"

#include <functional>
#include <string>
#include <vector>

using ParamList = std::vector<std::wstring>;

// The normalised run switches of one run request, in the order they were
// added; each normalised switch is present at most once (case-insensitive).
using SwitchSet = std::vector<std::wstring>;

struct ParsedParameters
{
    ParamList params;
    std::wstring commandFile; // first parameter not beginning with "/", or empty
};

// Splits a parameter string (null counts as empty) into parameters: quoted
// pieces stay whole, unquoted pieces split at spaces, "-" as the first
// character becomes "/". Traces "CmdLine" and each "Parm" at level 3.
ParsedParameters ParseParameters(LPCWSTR text);

// Case-insensitive membership and joining of switch sets.
bool HasSwitch(const SwitchSet &set, const wchar_t *name);
std::wstring JoinParams(const ParamList &params);

// Updates the switch set (and the administrator flag) for one switch
// parameter, as the run dispatcher does.
void ApplySwitchParameter(SwitchSet &set, bool &admin, const std::wstring &param);

// Hand-off of one command file to the run flow: normalised path and the
// switch set current at that file; returns the run's result.
using RunFlowFn = std::function<HRESULT(const std::wstring &path, const SwitchSet &switches)>;

// Walks the parameters in order with one switch set for the whole call and
// hands every command file name, normalised with the default extension
// added, to `runFlow`. Returns S_OK when every run succeeded, else the
// result of the first that failed.
HRESULT DispatchRun(const ParamList &params, const RunFlowFn &runFlow);

// The effect of a switch set on a freshly loaded command's options ("/s",
// "/q", "/ne", "/t", "/v", then "/esc"). `levels` is changed only by "/v+"
// and "/v-"; otherwise it keeps what it holds.
DWORD ApplyRunSwitches(DWORD options, const SwitchSet &switches, VerboseTraceLevels &levels);
