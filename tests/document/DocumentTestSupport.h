// Helpers of the document tests: the test folder, whole-file reads and
// writes and a captured trace log (all in tests/support).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "TestFiles.h"
#include "TestTrace.h"
