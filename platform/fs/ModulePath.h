#pragma once
// The file a loaded module (shared library or program) was loaded from.

#include <filesystem>

namespace fs_module {

// The absolute path of the module that holds the given code address; empty
// when it cannot be told.
std::filesystem::path ModulePathOf(const void* addressInModule);

}  // namespace fs_module
