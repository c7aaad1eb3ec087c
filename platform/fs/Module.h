#pragma once
// Loading modules by path and finding a module's file and resources, as
// LoadLibrary, FreeLibrary and GetModuleFileName do.

#include <string>

#include "platform/com/WinTypes.h"
#include "platform/ui/ResourceTable.h"

struct ModuleRecord;
using HMODULE = ModuleRecord*;
using HINSTANCE = HMODULE;

// Null when the file cannot be loaded. A module loaded twice is counted
// twice and needs two FreeLibrary calls.
HMODULE LoadLibrary(const char* path);
HMODULE LoadLibrary(const char16_t* path);
BOOL FreeLibrary(HMODULE module);

// The module's path in the caller's character set; characters written
// without the terminator, 0 on failure. Cut to fit, always terminated.
DWORD GetModuleFileName(HMODULE module, char* buffer, DWORD size);
DWORD GetModuleFileName(HMODULE module, char16_t* buffer, DWORD size);

namespace fs_module {

// The handle of the calling module itself, for its own resources: pass an
// address inside the module and the module's own table. The handle lives as
// long as the module and is never freed.
HMODULE SelfModule(const void* addressInModule, const ResourceTable* ownResources);

// The resources of a module, or null when it has none.
const ResourceTable* ResourcesOf(HMODULE module);
std::string PathOf(HMODULE module);

}  // namespace fs_module
