#pragma once
// What `orvane options` does in the Options window: the choices of --set,
// read from the command line and played at the add-in's page as a person
// would make them, and the page's options read back for --get; and the
// window itself on the desktop.

#include <string>
#include <vector>

#include "host/model/OptionsDialog.h"

namespace host {

struct OptionSetting {
  std::string name;   // "days", "city", ...
  std::string value;  // as given
};

class OptionsScript {
 public:
  // Takes one NAME=VALUE; false with the problem in one line (naming the
  // option) for an unknown name or a value the option cannot take.
  bool Add(const std::string& nameValue, std::string* problem);
  const std::vector<OptionSetting>& Settings() const { return settings_; }

 private:
  std::vector<OptionSetting> settings_;
};

// Opens the dialog's pages headless and plays the script at the add-in's
// page (null: no changes), presses Apply, and with get reads every option
// into lines. The exit status; a failure is put in one line into *failure
// and nothing is applied.
int PlayOptions(OptionsDialog& dialog, const OptionsScript* script, bool get, std::vector<std::string>* lines,
                std::string* failure);

}  // namespace host
