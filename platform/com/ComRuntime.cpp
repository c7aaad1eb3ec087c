#include "platform/com/ComRuntime.h"

#include <dlfcn.h>

#include <map>
#include <mutex>
#include <string>

#include "platform/registry/Registry.h"
#include "platform/text/TextConvert.h"
#include "platform/xml/XmlDom.h"

namespace {

struct LoadedModule {
  void* handle;
  DllGetClassObjectFunction getClassObject;
  DllCanUnloadNowFunction canUnloadNow;
};

// The modules this process loaded, by path.
std::mutex g_modulesMutex;
std::map<std::string, LoadedModule>& Modules() {
  static auto* modules = new std::map<std::string, LoadedModule>();
  return *modules;
}

HRESULT LoadModule(const std::string& path, LoadedModule* out) {
  std::lock_guard lock(g_modulesMutex);
  auto& modules = Modules();
  if (auto found = modules.find(path); found != modules.end()) {
    *out = found->second;
    return S_OK;
  }
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) return CO_E_DLLNOTFOUND;
  LoadedModule module{handle,
                      reinterpret_cast<DllGetClassObjectFunction>(dlsym(handle, "DllGetClassObject")),
                      reinterpret_cast<DllCanUnloadNowFunction>(dlsym(handle, "DllCanUnloadNow"))};
  if (module.getClassObject == nullptr) {
    dlclose(handle);
    return CO_E_ERRORINDLL;
  }
  modules.emplace(path, module);
  *out = module;
  return S_OK;
}

}  // namespace

namespace {

struct RegisteredClass {
  CLSID clsid;
  IUnknown* factory;  // one reference, released when revoked
};

std::mutex g_registeredMutex;
std::map<DWORD, RegisteredClass>& RegisteredClasses() {
  static auto* classes = new std::map<DWORD, RegisteredClass>();  // outlives static destructors
  return *classes;
}
DWORD g_nextRegistration = 1;

}  // namespace

HRESULT CoRegisterClassObject(REFCLSID clsid, IUnknown* factory, DWORD, DWORD, DWORD* cookie) {
  if (factory == nullptr || cookie == nullptr) return E_INVALIDARG;
  std::lock_guard lock(g_registeredMutex);
  factory->AddRef();
  *cookie = g_nextRegistration++;
  RegisteredClasses().emplace(*cookie, RegisteredClass{clsid, factory});
  return S_OK;
}

HRESULT CoRevokeClassObject(DWORD cookie) {
  IUnknown* factory = nullptr;
  {
    std::lock_guard lock(g_registeredMutex);
    auto it = RegisteredClasses().find(cookie);
    if (it == RegisteredClasses().end()) return E_INVALIDARG;  // CO_E_OBJNOTREG in Windows
    factory = it->second.factory;
    RegisteredClasses().erase(it);
  }
  factory->Release();  // outside the lock: the factory may go and revoke others
  return S_OK;
}

HRESULT OleRun(IUnknown* object) { return object != nullptr ? S_OK : E_INVALIDARG; }

HRESULT CoInitialize(void*) { return S_OK; }
void CoUninitialize() {}

namespace {

// Classes the platform serves itself, as Windows' own libraries are
// registered on every machine: no registry entry is needed for them.
struct SystemClass {
  CLSID clsid;
  HRESULT (*getClassObject)(REFIID iid, void** object);
};
const SystemClass kSystemClasses[] = {
    {CLSID_DOMDocument, xml::GetDocumentClassObject},
};

}  // namespace

HRESULT CoGetClassObject(REFCLSID clsid, DWORD context, void*, REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  {
    std::unique_lock lock(g_registeredMutex);
    for (const auto& [cookie, registered] : RegisteredClasses()) {
      if (registered.clsid != clsid) continue;
      IUnknown* factory = registered.factory;
      factory->AddRef();
      lock.unlock();
      const HRESULT hr = factory->QueryInterface(iid, object);
      factory->Release();
      return hr;
    }
  }
  // After the program's own: a test may stand in for a system class.
  for (const SystemClass& system : kSystemClasses) {
    if (system.clsid == clsid) return system.getClassObject(iid, object);
  }
  if ((context & (CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER)) == 0) return REGDB_E_CLASSNOTREG;
  const std::string key = "CLSID\\" + GuidToString(clsid) + "\\InprocServer32";
  std::string path;
  if (registry::GetString(HKEY_CLASSES_ROOT, key.c_str(), nullptr, &path) != ERROR_SUCCESS ||
      path.empty()) {
    return REGDB_E_CLASSNOTREG;
  }
  LoadedModule module{};
  if (const HRESULT hr = LoadModule(path, &module); FAILED(hr)) return hr;
  return module.getClassObject(clsid, iid, object);
}

HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID iid,
                         void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (outer != nullptr && iid != IUnknown::kIID) return CLASS_E_NOAGGREGATION;
  IClassFactory* factory = nullptr;
  HRESULT hr = CoGetClassObject(clsid, context, nullptr, IClassFactory::kIID,
                                reinterpret_cast<void**>(&factory));
  if (FAILED(hr)) return hr;
  hr = factory->CreateInstance(outer, iid, object);
  factory->Release();
  return hr;
}

HRESULT CLSIDFromProgID(const char* progId, CLSID* clsid) {
  if (progId == nullptr || clsid == nullptr) return E_INVALIDARG;
  std::string name = progId;
  // A version-independent ProgID may name its current version instead of a
  // class; follow CurVer a few steps at most, against loops.
  for (int hops = 0; hops < 4 && !name.empty(); ++hops) {
    std::string text;
    if (registry::GetString(HKEY_CLASSES_ROOT, (name + "\\CLSID").c_str(), nullptr, &text) ==
        ERROR_SUCCESS) {
      return ParseGuid(text, clsid) ? S_OK : CO_E_CLASSSTRING;
    }
    std::string current;
    if (registry::GetString(HKEY_CLASSES_ROOT, (name + "\\CurVer").c_str(), nullptr, &current) !=
        ERROR_SUCCESS) {
      break;
    }
    name = current;
  }
  return CO_E_CLASSSTRING;
}

HRESULT CLSIDFromProgID(const char16_t* progId, CLSID* clsid) {
  if (progId == nullptr) return E_INVALIDARG;
  return CLSIDFromProgID(text::Utf16ToUtf8(progId).c_str(), clsid);
}

void CoFreeUnusedLibraries() {
  std::lock_guard lock(g_modulesMutex);
  auto& modules = Modules();
  for (auto it = modules.begin(); it != modules.end();) {
    const LoadedModule& module = it->second;
    if (module.canUnloadNow != nullptr && module.canUnloadNow() == S_OK) {
      dlclose(module.handle);
      it = modules.erase(it);
    } else {
      ++it;
    }
  }
}

namespace com {
int LoadedModuleCount() {
  std::lock_guard lock(g_modulesMutex);
  return static_cast<int>(Modules().size());
}
}  // namespace com
