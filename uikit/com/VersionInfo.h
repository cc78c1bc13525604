// A module's version resource: its file version as "a.b.c.d" and its
// standard string entries ("LegalCopyright", "ProductName", ...).
#pragma once

#include <windows.h>

#include <string>

std::wstring ModuleFileVersion(HMODULE module);
// The entry of the first translation the resource lists; empty when missing.
std::wstring ModuleVersionString(HMODULE module, const wchar_t *name);
