#pragma once
// Before any command works on the profile: the folder must be its user's
// alone, and its two databases must be usable. A registry or a store that
// is something else (a half-copied backup, a file another program wrote
// over) would otherwise read as empty: the host would load no add-in, or
// write a new calendar beside the user's, and say nothing.
//
// A file that cannot be read is not always damaged: it may be locked by
// another program, read-only, or on a full disk. Each is told apart, with
// the advice that fits it; moving a file aside is advised only for a
// damaged one, as it loses what the other troubles would give back.

#include <optional>
#include <string>

namespace host {

// One line saying what is wrong and what to do; none when the profile is
// sound (its databases may not be there yet: they are made on first use).
// A profile made earlier with wider modes is made private, and this is said
// on standard error.
std::optional<std::string> CheckProfile();

}  // namespace host
