// The process-wide class-object list: one class object per creatable class,
// registered with COM while the library's application runs and answering
// DllGetClassObject / DllCanUnloadNow.
#pragma once

namespace fx
{
// Registers / revokes every class object of the list with the running
// process (CoRegisterClassObject); both are harmless when called twice.
void RegisterAllClassObjects();
void RevokeAllClassObjects();
} // namespace fx
