// Command files for the tests, written with the library's own command
// object and command file code (for suites that link the command document).
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

struct CommandSpec
{
    uint32_t editorAction; // 1 Move, 2 Copy, 3 Rename, 4 Delete, ...
    uint32_t options;
    std::vector<std::wstring> sources;
    std::wstring target;
};
// Saves the command as a new command file (replacing one that is there).
HRESULT WriteCommandFile(const std::wstring &path, const CommandSpec &spec);
// The same with a new command's default options; throws when it fails.
void WriteCommandFile(const std::wstring &path, unsigned editorAction,
                      const std::vector<std::wstring> &sources, const std::wstring &target);
