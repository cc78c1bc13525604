// Helpers of the engine tests: directory trees in a temp folder and a
// trace capture without line prefixes (tests/support), and short forms for
// the engine's lists.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "TaskelExec.h"
#include "TestFiles.h"
#include "TestTrace.h"

// `text` with every occurrence of "<R>" replaced by `root`.
std::wstring R(const std::wstring &root, const std::wstring &text);
std::vector<std::wstring> R(const std::wstring &root, const std::vector<std::wstring> &texts);
