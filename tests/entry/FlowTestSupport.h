// Helpers of the flow tests: folders and files under the test folder,
// command files written through the library's own persistence code, log
// lines, and registry values put back after a test (all in tests/support).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "TestCommandFiles.h"
#include "TestFiles.h"
#include "TestLines.h"
#include "TestRegistry.h"
