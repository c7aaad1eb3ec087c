#pragma once
// Before any command works on the profile: its two databases must be
// databases. A registry or a store that is something else (a half-copied
// backup, a file another program wrote over) would otherwise read as empty:
// the host would load no add-in, or write a new calendar beside the user's,
// and say nothing.

#include <optional>
#include <string>

namespace host {

// One line saying which file is damaged and what to do; none when both are
// sound (or not there yet: they are made on first use).
std::optional<std::string> CheckProfileDatabases();

}  // namespace host
