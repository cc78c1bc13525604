// Command files as whole documents: a command object of the command class,
// a command file opened read-only for loading, and a new command file
// written through storage persistence.
#pragma once

#include <windows.h>
#include <ocidl.h>

#include <string>

#include "ComPtr.h"
#include "TaskelClass.h"
#include "TaskelFile.h"

// A command object made by the command class's create function (the one
// its class object calls, so the document needs no class table: the editor
// and the tools use it without the library); `object` is the object behind
// `dispatch` and lives as long as it is held.
HRESULT CreateCommandObject(fx::ComPtr<IDispatch> &dispatch, CTaskel *&object);

// Opens the container on `path` read-only and hands out it and its storage.
HRESULT OpenCommandStorage(const std::wstring &path, fx::ComPtr<ITaskelFile> &file,
                           fx::ComPtr<IStorage> &storage);

// Opens `path` read-only and loads `command` from its storage.
HRESULT LoadCommandFile(const std::wstring &path, CTaskel &command);

// Creates the command file `path` (failing with the system's file-exists
// code when there is one) and saves `command` into it: storage save, hand
// off, commit, save completed. The file is let go once written; a failure
// after its creation deletes it again.
HRESULT SaveNewCommandFile(const std::wstring &path, CTaskel &command);
