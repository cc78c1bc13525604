// What a run does with a command file from the Internet (FileOrigin.h): an
// interactive run asks the user first, a silent or quiet one does not run it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "FileOrigin.h"
#include "TaskelParams.h"

// True when the switches make the run silent ("/s") or quiet ("/q"): no one
// is there to answer a question.
bool IsUnattendedRun(const SwitchSet &switches);

// The question's lines for a sources list longer than this end with a
// count of the rest.
constexpr size_t kForeignPromptSources = 10;

using ForeignTextLoader = std::wstring (*)(UINT id);
// The zone's name: "Internet", "Restricted sites" or "zone <n>".
std::wstring ZoneName(DWORD zone, ForeignTextLoader loadString);
// The question before a foreign command runs: the file, then one line per
// source as the info tip phrases it (at most kForeignPromptSources, then
// "and <n> more"), the target line where the action has one, the zone and
// the referrer (else the host) URL, and "Run this command?". Entries and
// URLs show escaped as in the info tip.
std::wstring ForeignRunPrompt(const std::wstring &path, uint32_t storedAction,
                              const std::vector<std::wstring> &sources, const std::wstring &target,
                              const FileOrigin &origin, ForeignTextLoader loadString);
