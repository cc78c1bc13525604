// Helpers of the shell tests: registry reads, temporary folders and files,
// command files written through the command object and its container.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

std::wstring TempFolder(); // a fresh folder per test executable run
std::wstring MakeFolder(const std::wstring &path);
void WriteBytes(const std::wstring &path, const std::vector<BYTE> &bytes);
std::string ReadText(const std::wstring &path);

bool KeyExists(HKEY root, const std::wstring &path);
// The string value `name` (null: default value); `present` tells whether
// it exists as REG_SZ or REG_EXPAND_SZ.
std::wstring RegText(HKEY root, const std::wstring &path, const wchar_t *name = nullptr,
                     bool *present = nullptr);
// The DWORD value, or `missing` when there is none.
DWORD RegDword(HKEY root, const std::wstring &path, const wchar_t *name, DWORD missing = 0xDEAD);
void DeleteTree(HKEY root, const std::wstring &path);

// A command file of `editorAction` (1 Move, 2 Copy, 3 Rename, 4 Delete,
// ...) with its sources and target, saved through the command object and
// the command file container. Needs taskel_core.
void WriteCommandFile(const std::wstring &path, unsigned editorAction,
                      const std::vector<std::wstring> &sources, const std::wstring &target);
