// The lines of text files such as logs, for the suites that read them as
// `Lines` (the trace tests have a `Lines` function of their own and use
// TestFiles.h alone).
#pragma once

#include <string>
#include <vector>

#include "TestFiles.h"

using Lines = std::vector<std::string>;

// The file's lines without line ends ("\n" or "\r\n"); none when it is
// missing.
Lines ReadLines(const std::wstring &path);
// The lines that contain `marker`, from the marker on.
Lines After(const Lines &lines, const std::string &marker);
