// Jotwell.dll's class table: the one creatable class of the library.
#pragma once

#include "ClassObjects.h"

fx::CClassTable &JotwellClassTable();
// Makes the table the module's (DllMain, at load): DllGetClassObject serves
// it, DllCanUnloadNow asks it, and registration walks it.
void InstallJotwellClassTable();
