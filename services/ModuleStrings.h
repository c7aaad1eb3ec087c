#pragma once
// The module's own string table, independent of the resource library: the
// few fixed texts the module needs before (or without) a resource library.
// It is also what the module serves as resources while no resource library
// is loaded.

#include "services/Flavour.h"
#include "platform/ui/ResourceTable.h"

// The module's own resources (its string table).
const ResourceTable* ModuleResources();

// The text of string id in the module's character set; empty when the
// module has no such string.
tstring ModuleString(unsigned id);
