// The module's entry points. Nothing thrown inside may leave through them.

#include <string>

#include "addin/ClassTable.h"
#include "services/Flavour.h"
#include "services/ResourceLibrary.h"
#include "services/TraceLog.h"
#include "addin/Uninstall.h"
#include "platform/com/ComObject.h"
#include "platform/com/Registrar.h"
#include "platform/com/TypeLibRegistration.h"
#include "platform/fs/ModulePath.h"

#define ORVANE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

const com::TypeLibInterface kInterfaces[] = {
    {IPrayerCalculator::kIID, "IPrayerCalculator"},
    {IPrayerCalculator2::kIID, "IPrayerCalculator2"},
};

const com::TypeLibDescription kTypeLib = {
    flavour::kLibid, 1, 0, "ORVANELib", flavour::kTypeLibHelp, kInterfaces,
};

std::string ThisModulePath() {
  return fs_module::ModulePathOf(reinterpret_cast<const void*>(&ThisModulePath)).string();
}

}  // namespace

ORVANE_EXPORT HRESULT DllGetClassObject(REFCLSID clsid, REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  try {
    CTraceLog::Instance().Setup();
    // Without the resource library nothing the add-in shows could be shown.
    if (const HRESULT hr = LoadResourceLibrary(); FAILED(hr)) return hr;
    for (const ServedClass& served : ServedClasses()) {
      if (served.clsid == clsid) return served.getClassFactory(iid, object);
    }
    return CLASS_E_CLASSNOTAVAILABLE;
  } catch (...) {
    return E_UNEXPECTED;
  }
}

ORVANE_EXPORT HRESULT DllCanUnloadNow() {
  if (com::ModuleLockCount() != 0) return S_FALSE;
  FreeResourceLibrary();
  return S_OK;
}

ORVANE_EXPORT HRESULT DllRegisterServer() {
  try {
    const std::string path = ThisModulePath();
    if (path.empty()) return E_UNEXPECTED;
    const com::RegistrarReplacement replacements[] = {{"MODULE", path}};
    for (const ServedClass& served : ServedClasses()) {
      const HRESULT hr = com::RunRegistryScript(served.registryScript, replacements, true);
      if (FAILED(hr)) return hr;
    }
    return com::RegisterTypeLib(kTypeLib, path);
  } catch (...) {
    return E_UNEXPECTED;
  }
}

ORVANE_EXPORT HRESULT DllUnregisterServer() {
  try {
    const com::RegistrarReplacement replacements[] = {{"MODULE", ThisModulePath()}};
    for (const ServedClass& served : ServedClasses()) {
      com::RunRegistryScript(served.registryScript, replacements, false);
    }
    com::UnRegisterTypeLib(kTypeLib);
  } catch (...) {
  }
  return S_OK;
}

// The uninstaller's clean-up; the argument (a window handle on Windows) is
// not used.
ORVANE_EXPORT HRESULT DeleteOutlookItems(void*) {
  try {
    CTraceLog::Instance().Setup();
    return DeleteOutlookItemsNow();
  } catch (...) {
    return S_OK;
  }
}
