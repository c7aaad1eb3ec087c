#pragma once
// Where a user's state lives: ORVANE_HOME, else $XDG_DATA_HOME/orvane, else
// ~/.local/share/orvane, the home folder taken from HOME or, when that is
// unset or empty, from the password database. The host's --home sets
// ORVANE_HOME for the whole process, so the add-in modules it loads see the
// same profile.
//
// The profile holds a person's calendar and the registry that decides which
// module the host loads, so it is its user's alone: the folder is made 0700
// and the files in it 0600, and a folder that another user owns or may write
// into is not used at all (as ssh treats its own folder).

#include <filesystem>
#include <optional>
#include <string>

namespace profile {

// The profile folder, created (with its parents) if missing, the folder
// itself for its user only (0700). Throws std::runtime_error when no home
// folder can be found at all: a profile in some shared folder instead could
// be made first by anyone.
std::filesystem::path Directory();

// A file of the profile, e.g. File("registry.db").
std::filesystem::path File(const char* name);

// Where File(name) is, without making the folder: for telling cheaply, on
// every use, whether the profile is still the one a file was opened in.
std::filesystem::path PathOf(const char* name);

// The folder that a file an add-in makes for its user (the timetable page)
// is written into: the add-in's own folder when this user may write there,
// else the user's folder of that add-in in the profile (`userFolder`, such
// as "addin-xp"), made for the user alone if missing. An install shared by
// several users is theirs to read, not to write.
std::filesystem::path FolderToWrite(const std::filesystem::path& addinFolder, const char* userFolder);

// Before the profile is trusted: makes the folder if need be and checks that
// it is this user's alone. Answers one line saying why it must not be used
// (no home folder, owned by another user, writable by others, not a folder),
// or none. A folder made earlier with wider modes (readable by others) is
// made private, once, with what is inside it; *note then says so.
std::optional<std::string> MakePrivate(std::string* note);

// Whether the folder is safe to trust for this user: owned by them and
// writable by nobody else. One line saying why not, or none.
std::optional<std::string> CheckOwnership(const std::filesystem::path& folder);

}  // namespace profile
