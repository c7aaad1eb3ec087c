// orvane install: registers the add-in module of the chosen Office version in
// the profile's registry, through the module's own DllRegisterServer.

#include <cstdio>

#include "host/AddinLocation.h"
#include "host/CommandLine.h"
#include "host/run/FailureWords.h"
#include "host/Commands.h"
#include "platform/com/ServerRegistration.h"
#include "platform/fs/Profile.h"
#include "platform/registry/Registry.h"

namespace {

void PrintInstallHelp() {
  std::puts(
      "usage: orvane [--home DIR] install [--office 10|11]\n"
      "Registers the add-in module for Outlook XP (10) or 2003 (11, the default)\n"
      "in the profile's registry: its classes, ProgIDs and type library; and\n"
      "enters it in Outlook's list of add-ins to load at start-up (orvane start),\n"
      "in place of the other version's.");
}

constexpr const char* kAddinsKey = "Software\\Microsoft\\Office\\Outlook\\AddIns\\";

const char* AddinProgId(int office) {
  return office == 10 ? "OrvaneXP.OutlookXPPrayer" : "Orvane2003.Outlook2003Prayer";
}

// Outlook loads every add-in of its list; one calendar wants one of ours.
// The first failure's code, or ERROR_SUCCESS.
LONG EnterInAddinList(int office) {
  const std::string key = std::string(kAddinsKey) + AddinProgId(office);
  const LONG removed =
      RegDeleteTree(HKEY_CURRENT_USER, (std::string(kAddinsKey) + AddinProgId(office == 10 ? 11 : 10)).c_str());
  if (removed != ERROR_SUCCESS && removed != ERROR_FILE_NOT_FOUND) return removed;
  LONG result = registry::SetDword(HKEY_CURRENT_USER, key.c_str(), "LoadBehavior", 3);
  if (result == ERROR_SUCCESS) result = registry::SetString(HKEY_CURRENT_USER, key.c_str(), "FriendlyName", "Orvane");
  if (result == ERROR_SUCCESS) {
    result = registry::SetString(HKEY_CURRENT_USER, key.c_str(), "Description", "Prayer times in the calendar");
  }
  return result;
}

}  // namespace

int RunInstall(const GlobalOptions& global, const Arguments& args) {
  int office = global.office;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (cli::IsHelp(args[i])) {
      PrintInstallHelp();
      return 0;
    }
    if (args[i] == "--office" && i + 1 == args.size()) return cli::MissingValue("install", "--office", "10 or 11");
    if (args[i] == "--office") {
      const auto version = cli::ParseInteger(args[++i]);
      if (!version || (*version != 10 && *version != 11)) {
        return cli::UsageError("install", "--office takes 10 or 11, not \"" + args[i] + "\"");
      }
      office = static_cast<int>(*version);
    } else {
      return cli::UnknownArgument("install", args[i]);
    }
  }

  const std::filesystem::path module = host::FindAddinModule(office);
  if (module.empty()) {
    return cli::Failure("cannot find the add-in module for Office " + std::to_string(office) +
                        " (build it, or set ORVANE_ADDIN_DIR)");
  }
  std::string error;
  const HRESULT hr = com::RegisterServerModule(module.string(), false, &error);
  if (FAILED(hr)) {
    return cli::Failure("registering " + module.string() + " failed: " + host::FailureInWords(hr) +
                        (error.empty() ? "" : "; " + error));
  }
  if (const LONG entered = EnterInAddinList(office); entered != ERROR_SUCCESS) {
    return cli::Failure("the add-in could not be entered in Outlook's list of add-ins: " +
                        host::FailureInWords(HRESULT_FROM_WIN32(entered)));
  }
  std::printf("Registered %s in %s\n", module.string().c_str(),
              profile::File("registry.db").string().c_str());
  return 0;
}
