#pragma once
// The systemd user unit that keeps `orvane start --stay` running: started
// at login, started again after a failure (not after a clean exit), its
// output in the journal.

#include <filesystem>
#include <string>
#include <vector>

namespace host {

inline constexpr const char* kServiceName = "orvane.service";

// Where the unit lives: $XDG_CONFIG_HOME/systemd/user, else
// ~/.config/systemd/user.
std::filesystem::path ServiceUnitFile();

// The unit's text for running `command` (the program and its words, the
// program's path absolute).
std::string ServiceUnitText(const std::vector<std::string>& command);

// One word of an ExecStart line, quoted so that systemd reads it back as
// it is (specifiers and variables included).
std::string ExecWord(const std::string& word);

}  // namespace host
