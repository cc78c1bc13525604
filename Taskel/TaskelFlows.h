// The three flows behind the exported command functions: run one command
// file, create a new command through the wizard, edit one in the sheet.
#pragma once

#include "TaskelParams.h"

void RunCommandFlow(HWND owner, const std::wstring &path, const SwitchSet &switches);
void NewCommandFlow(HWND owner, const std::wstring &path, const ParamList &params);
void EditCommandFlow(HWND owner, const std::wstring &path, const ParamList &params);
