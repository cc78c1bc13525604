// The three flows behind the exported command functions: run one command
// file, create a new command through the wizard, edit one in the sheet.
#pragma once

#include "TaskelClass.h"
#include "TaskelParams.h"

class CTaskel;
class WizardState;

// Where the new-command flow puts the new file: the given path's folder and
// name without extension (a path ending in a backslash: that folder, no
// name); an empty path: the current directory (see NewCommandStartFolder),
// no name, and the wizard asks for the location.
struct NewCommandTarget
{
    std::wstring folder;
    std::wstring name;
    bool withLocation = false;
};
NewCommandTarget SplitNewCommandPath(const std::wstring &path);
// The folder a new command without a path starts in: the current
// directory, unless that is the program's own folder (a shortcut's working
// folder, where a user's file does not belong and may not be written) or
// unknown; then the remembered "New Command Path" when it is an existing
// folder (`rememberedExists`), else the user's documents folder.
std::wstring NewCommandStartFolder(const std::wstring &current, const std::wstring &programFolder,
                                   const std::wstring &remembered, bool rememberedExists,
                                   const std::wstring &documents);
// The command file the wizard's state names: folder and name, normalised
// with the command file extension forced.
std::wstring NewCommandFilePath(const WizardState &state);

// Runs the command file `path` with the switch set of its run request.
// Without `command` a command object is made through the class factory for
// this file and released at the end. Returns what the run came to: S_OK
// done, E_ABORT cancelled or not run by the user's choice, E_FAIL failed,
// or the failure that found no command file or could not read it. The run
// log ends with a summary line of the result.
HRESULT RunCommandFlow(HWND owner, const std::wstring &path, const SwitchSet &switches,
                       CTaskel *command = nullptr);
// A run's result as RunCommandFlow returns it.
HRESULT RunResultCode(RunResult result);
void NewCommandFlow(HWND owner, const std::wstring &path, const ParamList &params);
void EditCommandFlow(HWND owner, const std::wstring &path, const ParamList &params);
// The edit sheet's caption: "<name> - Ferrovane" (the file name without
// folder and extension).
std::wstring EditSheetCaption(const std::wstring &path);

// False, after telling the user (message 3069 with the path), when there is
// no command file at `path`.
bool CheckCommandFileExists(HWND owner, const std::wstring &path);
