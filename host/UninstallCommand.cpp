// orvane uninstall: takes the add-in off the profile as its uninstaller
// does. The host offers Outlook's application class meanwhile, so that the
// module's DeleteOutlookItems can start "Outlook" and remove the tool bar
// and every item the add-in wrote; then the module unregisters itself and
// leaves Outlook's list of add-ins.

#include <dlfcn.h>

#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>

#include "host/AddinLocation.h"
#include "host/CommandLine.h"
#include "host/ProfileHost.h"
#include "host/Commands.h"
#include "host/run/OutlookClass.h"
#include "platform/com/ComRuntime.h"
#include "platform/com/ServerRegistration.h"
#include "platform/registry/Registry.h"

namespace {

constexpr const char* kHelp =
    "usage: orvane [--office 10|11] uninstall\n"
    "Takes the add-in of Outlook XP (10) or 2003 (11, the default) off the\n"
    "profile: its tool bar, every appointment and reminder it wrote (in the\n"
    "calendar and in Deleted Items) and its settings go, through the module's\n"
    "own DeleteOutlookItems; then the module is unregistered and leaves\n"
    "Outlook's list of add-ins. The user's own items stay. Running it again\n"
    "finds nothing and succeeds.";

constexpr const char* kAddinsKey = "Software\\Microsoft\\Office\\Outlook\\AddIns\\";

const char* AddinProgId(int office) {
  return office == 10 ? "OrvaneXP.OutlookXPPrayer" : "Orvane2003.Outlook2003Prayer";
}

// The module registered for that Office version; else the one beside the
// program, which can still clean up after a half-done uninstall.
std::filesystem::path AddinModule(int office) {
  CLSID clsid{};
  std::string module;
  if (SUCCEEDED(CLSIDFromProgID(AddinProgId(office), &clsid)) &&
      registry::GetString(HKEY_CLASSES_ROOT, ("CLSID\\" + GuidToString(clsid) + "\\InprocServer32").c_str(), nullptr,
                          &module) == ERROR_SUCCESS &&
      std::filesystem::exists(module)) {
    return module;
  }
  return host::FindAddinModule(office);
}

using DeleteOutlookItemsFunction = HRESULT (*)(void*);

int Uninstall(const GlobalOptions& global);

}  // namespace

int RunUninstall(const GlobalOptions& global, const Arguments& args) {
  for (const std::string& arg : args) {
    if (cli::IsHelp(arg)) {
      std::puts(kHelp);
      return 0;
    }
    return cli::UnknownArgument("uninstall", arg);
  }
  return host::RunAsProfileHost("uninstall", [&] { return Uninstall(global); });
}

namespace {

int Uninstall(const GlobalOptions& global) {
  const std::filesystem::path module = AddinModule(global.office);
  if (module.empty()) return cli::Failure("cannot find the add-in module for Office " + std::to_string(global.office));

  host::HostOptions options;
  options.office = global.office;
  options.uiLanguage = global.uiLanguage;
  options.embedding = true;
  options.storeOptions.userFieldsInFilters = global.userFieldsInFilters;
  try {
    {
      host::OutlookClassRegistration outlook(options);
      void* handle = dlopen(module.c_str(), RTLD_NOW | RTLD_LOCAL);
      if (handle == nullptr) return cli::Failure("cannot load " + module.string() + ": " + dlerror());
      auto clean = reinterpret_cast<DeleteOutlookItemsFunction>(dlsym(handle, "DeleteOutlookItems"));
      if (clean == nullptr) {
        dlclose(handle);
        return cli::Failure(module.string() + " has no DeleteOutlookItems");
      }
      clean(nullptr);  // always S_OK: what failed is in its trace log
      dlclose(handle);
    }
    std::string error;
    const HRESULT hr = com::RegisterServerModule(module.string(), true, &error);
    if (FAILED(hr)) return cli::Failure("unregistering " + module.string() + " failed" + (error.empty() ? "" : ": " + error));
    const std::string entry = std::string(kAddinsKey) + AddinProgId(global.office);
    const LONG removed = RegDeleteTree(HKEY_CURRENT_USER, entry.c_str());
    if (removed != ERROR_SUCCESS && removed != ERROR_FILE_NOT_FOUND) {
      return cli::Failure("the add-in could not be taken out of Outlook's list of add-ins");
    }
  } catch (const std::exception& e) {
    return cli::Failure(e.what());
  }
  std::printf("Uninstalled %s\n", module.string().c_str());
  return 0;
}

}  // namespace
