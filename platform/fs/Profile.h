#pragma once
// Where a user's state lives: ORVANE_HOME, else $XDG_DATA_HOME/orvane, else
// ~/.local/share/orvane. The host's --home sets ORVANE_HOME for the whole
// process, so the add-in modules it loads see the same profile.

#include <filesystem>

namespace profile {

// The profile folder, created (with its parents) if missing.
std::filesystem::path Directory();

// A file of the profile, e.g. File("registry.db").
std::filesystem::path File(const char* name);

// Where File(name) is, without making the folder: for telling cheaply, on
// every use, whether the profile is still the one a file was opened in.
std::filesystem::path PathOf(const char* name);

}  // namespace profile
