// The shell library's version: a process-wide record filled by a probe of
// the already loaded SHELL32.DLL's DllGetVersion export.
#pragma once

#include <windows.h>
#include <shlwapi.h>

namespace fx
{

// The process-wide record: size 20, all zero until a probe fills it.
const DLLVERSIONINFO &ShellVersion() noexcept;

// Asks SHELL32.DLL (when loaded and exporting DllGetVersion) to fill the
// record and traces "ShellVersion %u.%u.%u" at level 2; without the export
// the record keeps zeros. Returns the record.
const DLLVERSIONINFO &ProbeShellVersion() noexcept;

} // namespace fx
