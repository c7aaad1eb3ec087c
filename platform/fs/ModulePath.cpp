#include "platform/fs/ModulePath.h"

#include <dlfcn.h>

#include <system_error>

namespace fs_module {

std::filesystem::path ModulePathOf(const void* addressInModule) {
  Dl_info info{};
  if (dladdr(addressInModule, &info) == 0 || info.dli_fname == nullptr) return {};
  std::error_code error;
  std::filesystem::path path = std::filesystem::canonical(info.dli_fname, error);
  return error ? std::filesystem::path(info.dli_fname) : path;
}

}  // namespace fs_module
