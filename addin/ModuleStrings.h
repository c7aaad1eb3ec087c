#pragma once
// The module's own string table, independent of the resource library: the
// few fixed texts the module needs before (or without) a resource library.

#include "addin/Flavour.h"
#include "platform/com/WinTypes.h"

// The text of string id, or null when the module has no such string.
const tchar* ModuleString(unsigned id);
