// Helpers of the shell tests: registry reads, temporary folders and files,
// command files written through the command object and its container (all
// in tests/support).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "TestCommandFiles.h"
#include "TestFiles.h"
#include "TestRegistry.h"

// The test executable's folder, with a trailing backslash.
inline std::wstring TempFolder()
{
    return TestFolder() + L"\\";
}
