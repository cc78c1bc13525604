// The process-wide class-object list (filled in by the COM object layer).
#include "ClassObjects.h"

namespace fx
{
void RegisterAllClassObjects() {}
void RevokeAllClassObjects() {}
} // namespace fx
