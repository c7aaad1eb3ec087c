#include "platform/com/ServerRegistration.h"

#include <dlfcn.h>

#include "platform/com/Unknown.h"

namespace com {

HRESULT RegisterServerModule(const std::string& path, bool unregister, std::string* error) {
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    if (error != nullptr) *error = dlerror();
    return CO_E_DLLNOTFOUND;
  }
  const char* entry = unregister ? "DllUnregisterServer" : "DllRegisterServer";
  auto function = reinterpret_cast<DllRegisterServerFunction>(dlsym(handle, entry));
  HRESULT hr = CO_E_ERRORINDLL;
  if (function != nullptr) {
    hr = function();
  } else if (error != nullptr) {
    *error = std::string(path) + " has no " + entry;
  }
  dlclose(handle);
  return hr;
}

}  // namespace com
