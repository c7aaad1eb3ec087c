// orvane dialog: one dialog of the add-in on its own, with the profile's
// settings, for trying it and for translators checking a language. Prints
// what the dialog returned; saves nothing.

#include <dlfcn.h>

#include <cstdio>
#include <string>
#include <vector>

#include "host/AddinLocation.h"
#include "host/CommandLine.h"
#include "host/ProfileHost.h"
#include "host/Commands.h"
#include "platform/ui/FrontEnd.h"

namespace {

constexpr const char* kHelp =
    "usage: orvane [--ui-language LCID] [--ui qt|terminal|headless] dialog NAME [--edit]\n"
    "Opens one dialog of the add-in with the profile's settings and prints what it\n"
    "returned: its fields after OK, one Name=value line each, or \"cancelled\".\n"
    "Nothing is saved.\n"
    "  NAME  daylight   the daylight-saving period\n"
    "        add-city   a new city (--edit: the current city corrected)\n"
    "A dialog needs a desktop (DISPLAY or WAYLAND_DISPLAY); with --ui headless it\n"
    "is pressed OK as soon as it shows, which prints the fields it opened with.";

constexpr const char* kNames[] = {"daylight", "add-city"};

using ShowDialog = int (*)(const char*, const char* const*, int, unsigned long,
                           void (*)(const char*, void*), void*);

void PrintLine(const char* utf8, void*) { std::printf("%s\n", utf8); }

int Show(const GlobalOptions& global, const std::string& name, std::vector<const char*> options);

}  // namespace

int RunDialog(const GlobalOptions& global, const Arguments& args) {
  std::string name;
  std::vector<const char*> options;
  for (const std::string& arg : args) {
    if (cli::IsHelp(arg)) {
      std::puts(kHelp);
      return 0;
    }
    if (name.empty() && arg[0] != '-') {
      name = arg;
    } else if (arg == "--edit") {
      options.push_back("--edit");
    } else {
      return cli::UnknownArgument("dialog", arg);
    }
  }
  bool known = false;
  for (const char* candidate : kNames) known = known || name == candidate;
  if (!known) return cli::UsageError("dialog", name.empty() ? "which dialog?" : "no dialog \"" + name + "\"");
  if (!options.empty() && name != "add-city") return cli::UsageError("dialog", "--edit is for add-city");

  return host::RunAsProfileHost("dialog", [&] { return Show(global, name, options); });
}

namespace {

int Show(const GlobalOptions& global, const std::string& name, std::vector<const char*> options) {
  // Nobody could answer a dialog on the terminal: say so instead of waiting.
  if (!ui::CurrentFrontEnd()->ShowsDialogs()) {
    return cli::Failure("the " + name +
                        " dialog needs a desktop, and none can be reached (DISPLAY, WAYLAND_DISPLAY)");
  }
  const std::filesystem::path module = host::FindAddinModule(global.office);
  if (module.empty()) return cli::Failure("the add-in module is missing: build or install it first");
  void* handle = dlopen(module.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) return cli::Failure(std::string("cannot load the add-in: ") + dlerror());
  const auto show = reinterpret_cast<ShowDialog>(dlsym(handle, "OrvaneShowDialog"));
  if (show == nullptr) {
    dlclose(handle);
    return cli::Failure("the add-in module cannot show dialogs on its own");
  }
  const int result = show(name.c_str(), options.data(), static_cast<int>(options.size()),
                          static_cast<unsigned long>(global.uiLanguage), &PrintLine, nullptr);
  // The module stays loaded: its windows' threads may still be ending.
  switch (result) {
    case 0:
      return 0;
    case 1:
      std::puts("cancelled");
      return 0;
    case 2:
      return cli::UsageError("dialog", "the add-in does not know that dialog");
    default:
      return cli::Failure("the " + name + " dialog could not be shown (is the resource library there?)");
  }
}

}  // namespace
