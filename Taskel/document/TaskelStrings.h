// The library's texts: string-table entries of the module that holds the
// library's resources, loaded by number.
#pragma once

#include <windows.h>

#include <string>

// Module whose string table the library's texts come from (the library).
void SetTaskelResourceModule(HINSTANCE module);
std::wstring LoadTaskelString(UINT id);

// The string `id` with every "%1" in it replaced by `arg`.
std::wstring FormatTaskelString(UINT id, const std::wstring &arg);
