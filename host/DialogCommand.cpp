// orvane dialog: one dialog of the add-in on its own, with the profile's
// settings, for trying it and for translators checking a language. Prints
// what the dialog returned. Which dialogs there are is the add-in module's to
// say: the command asks it. A dialog that saves its choice into the settings
// (the location) says so by its result; the calendar then follows the saved
// settings, which only the add-in can bring about, from inside the host: the
// command starts the host as Outlook, and the add-in rewrites its
// appointments at start-up.

#include <dlfcn.h>

#include <cstdio>
#include <exception>
#include <sstream>
#include <string>
#include <vector>

#include "host/AddinLocation.h"
#include "host/CommandLine.h"
#include "host/Commands.h"
#include "host/ProfileHost.h"
#include "host/run/OutlookProcess.h"
#include "platform/ui/FrontEnd.h"

namespace {

constexpr const char* kUsage = "usage: orvane [--ui-language LCID] [--ui qt|terminal|headless] dialog NAME [OPTION...]";

constexpr const char* kHelpAfter =
    "Opens one dialog of the add-in with the profile's settings and prints what it\n"
    "returned: its fields after OK, one Name=value line each, or \"cancelled\".\n"
    "Nothing is saved, but by the location dialog: after OK it saves the city\n"
    "chosen (and the city files, when cities were added, edited or removed) and\n"
    "starts the host as Outlook, so that the add-in rewrites the prayer\n"
    "appointments from now on for the new place.\n"
    "A dialog needs a desktop (DISPLAY or WAYLAND_DISPLAY); with --ui headless it\n"
    "is pressed OK as soon as it shows, which prints the fields it opened with.";

using ShowDialog = int (*)(const char*, const char* const*, int, unsigned long, void (*)(const char*, void*), void*);

void PrintLine(const char* utf8, void*) { std::printf("%s\n", utf8); }

// One dialog the module offers: name, the options it takes, description.
struct Offered {
  std::string name;
  std::vector<std::string> options;
  std::string description;
};

void CollectOffered(const char* line, void* context) {
  std::istringstream fields(line);
  Offered offered;
  std::string options;
  std::getline(fields, offered.name, '\t');
  std::getline(fields, options, '\t');
  std::getline(fields, offered.description);
  std::istringstream words(options);
  for (std::string word; words >> word;) offered.options.push_back(word);
  static_cast<std::vector<Offered>*>(context)->push_back(std::move(offered));
}

void PrintHelp(const std::vector<Offered>& offered) {
  std::puts(kUsage);
  std::puts(kHelpAfter);
  std::puts("Dialogs of the add-in:");
  for (const Offered& dialog : offered) {
    std::string options;
    for (const std::string& option : dialog.options) options += " [" + option + "]";
    std::printf("  %-24s %s\n", (dialog.name + options).c_str(), dialog.description.c_str());
  }
}

// The settings were saved with the appointments marked to be rewritten:
// the add-in does that when the host starts as Outlook.
int FollowSavedSettings(const GlobalOptions& global) {
  host::HostOptions options;
  options.office = global.office;
  options.uiLanguage = global.uiLanguage;
  options.storeOptions.userFieldsInFilters = global.userFieldsInFilters;
  try {
    host::OutlookProcess outlook(options);
    outlook.Start();
    const bool loaded = !outlook.Addins().Addins().empty();
    outlook.Stop();
    if (!loaded) {
      std::fprintf(stderr,
                   "orvane: saved; the add-in is not installed (orvane install), so the calendar follows "
                   "the new settings at its first start\n");
    }
  } catch (const std::exception& e) {
    return cli::Failure(std::string("saved, but the calendar could not follow yet (it will at the next start): ") +
                        e.what());
  }
  return 0;
}

}  // namespace

int RunDialog(const GlobalOptions& global, const Arguments& args) {
  const std::filesystem::path module = host::FindAddinModule(global.office);
  if (module.empty()) return cli::Failure("the add-in module is missing: build or install it first");
  void* handle = dlopen(module.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) return cli::Failure(std::string("cannot load the add-in: ") + dlerror());
  const auto show = reinterpret_cast<ShowDialog>(dlsym(handle, "OrvaneShowDialog"));
  if (show == nullptr) {
    dlclose(handle);
    return cli::Failure("the add-in module cannot show dialogs on its own");
  }
  // The module stays loaded: its windows' threads may still be ending.
  std::vector<Offered> offered;
  show(nullptr, nullptr, 0, 0, &CollectOffered, &offered);

  std::string name;
  std::vector<const char*> options;
  for (const std::string& arg : args) {
    if (cli::IsHelp(arg)) {
      PrintHelp(offered);
      return 0;
    }
    if (name.empty() && arg[0] != '-') {
      name = arg;
    } else if (arg[0] == '-') {
      options.push_back(arg.c_str());
    } else {
      return cli::UnknownArgument("dialog", arg);
    }
  }
  const Offered* dialog = nullptr;
  for (const Offered& candidate : offered) {
    if (candidate.name == name) dialog = &candidate;
  }
  if (dialog == nullptr) return cli::UsageError("dialog", name.empty() ? "which dialog?" : "no dialog \"" + name + "\"");
  for (const char* option : options) {
    bool taken = false;
    for (const std::string& candidate : dialog->options) taken = taken || candidate == option;
    if (!taken) return cli::UsageError("dialog", "\"" + std::string(option) + "\" is not an option of the " + name + " dialog");
  }

  return host::RunAsProfileHost("dialog", [&] {
    // Nobody could answer a dialog on the terminal: say so instead of waiting.
    if (!ui::CurrentFrontEnd()->ShowsDialogs()) {
      return cli::Failure("the " + name +
                          " dialog needs a desktop, and none can be reached (DISPLAY, WAYLAND_DISPLAY)");
    }
    const int result = show(name.c_str(), options.data(), static_cast<int>(options.size()),
                            static_cast<unsigned long>(global.uiLanguage), &PrintLine, nullptr);
    switch (result) {
      case 0:
        return 0;
      case 4:
        return FollowSavedSettings(global);
      case 1:
        std::puts("cancelled");
        return 0;
      case 2:
        return cli::UsageError("dialog", "the add-in does not know that dialog");
      default:
        return cli::Failure("the " + name + " dialog could not be shown (is the resource library there?)");
    }
  });
}
