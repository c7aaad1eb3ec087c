#include "platform/fs/Module.h"

#include <dlfcn.h>

#include <cstring>
#include <mutex>
#include <new>

#include "platform/fs/ModulePath.h"
#include "platform/text/TextConvert.h"

struct ModuleRecord {
  void* handle;  // from dlopen; null for a module's own record
  std::string path;
  const ResourceTable* resources;
};

namespace {

const ResourceTable* ReadTable(void* handle) {
  auto function = reinterpret_cast<ResourceTableFunction>(dlsym(handle, kResourceTableSymbol));
  const ResourceTable* table = function != nullptr ? function() : nullptr;
  return table != nullptr && table->version == ResourceTable::kVersion ? table : nullptr;
}

template <typename Char>
DWORD CopyOut(const std::basic_string<Char>& text, Char* buffer, DWORD size) {
  if (buffer == nullptr || size == 0) return 0;
  const DWORD n = static_cast<DWORD>(std::min<std::size_t>(text.size(), size - 1));
  std::memcpy(buffer, text.data(), n * sizeof(Char));
  buffer[n] = 0;
  return n;
}

}  // namespace

HMODULE LoadLibrary(const char* path) {
  if (path == nullptr) return nullptr;
  return LoadLibrary(text::AnsiToUtf16(path).c_str());
}

HMODULE LoadLibrary(const char16_t* path) {
  if (path == nullptr) return nullptr;
  const std::string file = text::Utf16ToUtf8(path);
  void* handle = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) return nullptr;
  auto* record = new (std::nothrow) ModuleRecord{handle, file, ReadTable(handle)};
  if (record == nullptr) dlclose(handle);
  return record;
}

BOOL FreeLibrary(HMODULE module) {
  if (module == nullptr || module->handle == nullptr) return FALSE;
  dlclose(module->handle);
  delete module;
  return TRUE;
}

DWORD GetModuleFileName(HMODULE module, char* buffer, DWORD size) {
  return module == nullptr ? 0 : CopyOut(text::Utf8ToAnsi(module->path), buffer, size);
}

DWORD GetModuleFileName(HMODULE module, char16_t* buffer, DWORD size) {
  return module == nullptr ? 0 : CopyOut(text::Utf8ToUtf16(module->path), buffer, size);
}

namespace fs_module {

HMODULE SelfModule(const void* addressInModule, const ResourceTable* ownResources) {
  return new (std::nothrow)
      ModuleRecord{nullptr, ModulePathOf(addressInModule).string(), ownResources};
}

const ResourceTable* ResourcesOf(HMODULE module) {
  return module != nullptr ? module->resources : nullptr;
}

std::string PathOf(HMODULE module) { return module != nullptr ? module->path : std::string(); }

}  // namespace fs_module
