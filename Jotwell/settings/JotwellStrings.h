// The library's texts: string-table entries of the module that carries the
// settings page (Jotwell.dll, or a test program built with its resources).
#pragma once

#include <windows.h>

#include <string>

std::wstring LoadJotwellString(UINT id);
// `format` with every "%1" replaced by `insert`.
std::wstring FormatJotwellString(const std::wstring &format, const std::wstring &insert);
