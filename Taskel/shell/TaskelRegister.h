// Self-registration of the library's three classes: their class table with
// a registrar per class, and the file type's verb command lines.
#pragma once

#include <windows.h>

#include <string>

#include "ClassObjects.h"

// The registrars of the library's three classes (rows of its class table).
// The command document class: its class keys, the .Taskel file type, verbs,
// ShellNew, handler keys and the launchers' NoOpenWith entries.
BOOL UpdateTaskelClassRegistry(fx::COleObjectFactoryExEx &classObject, BOOL registering);
// The info-tip and property-sheet handlers: class keys, category, server.
BOOL UpdateTaskelInfoTipRegistry(fx::COleObjectFactoryExEx &classObject, BOOL registering);
BOOL UpdateTaskelPropRegistry(fx::COleObjectFactoryExEx &classObject, BOOL registering);

// The library's class table (TaskelClassTable.cpp), installed as the
// module's: DllGetClassObject serves it, DllCanUnloadNow asks it, and
// registration walks it.
fx::CClassTable &TaskelClassTable();
void InstallTaskelClassTable();

// The launcher command lines of the file type's verbs for a library in
// `libraryDir` (with or without a trailing backslash). The launcher path is
// quoted when it contains a space; `admin` names the elevated launcher.
struct TaskelVerbLines
{
    std::wstring run;      // "<launcher> /run "%1""
    std::wstring runQuiet; // "<launcher> /run /ne+ "%1""
    std::wstring edit;     // "<launcher> /edit "%1""
    std::wstring create;   // "<launcher> /new "%1""
    std::wstring preview;  // "<launcher> /preview "%1""
};
TaskelVerbLines BuildVerbLines(const std::wstring &libraryDir, bool admin);

// Whether the admin verbs and launcher are registered (Windows 6.0 and
// later). Tests replace the answer; null restores the system's.
using TaskelWindows6Function = bool (*)();
void SetTaskelWindows6Seam(TaskelWindows6Function windows6);
