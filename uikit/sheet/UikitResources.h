// Resource numbers the UI kit loads from the module that carries it (the
// library or a test program). The library's own numbers must not reuse them.
#pragma once

#define IDI_PROGRAM 101
#define IDS_WHATS_THIS 3010
