#include "host/ProfileCheck.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "host/BusyWaitSetting.h"
#include "host/store/Sqlite.h"
#include "host/store/StoreError.h"
#include "platform/fs/Profile.h"

namespace host {

namespace {

std::string Advice(const std::filesystem::path& file, const StoreError& e) {
  const std::string name = file.string();
  switch (e.WhyFailed()) {
    case StoreError::Reason::kBusy:
      return name + " is locked by another program (" + e.what() + "), still " + BusyWaitText() +
             "; close the program that holds it, or try again when it is done (" + kBusyWaitVariable +
             " sets how many seconds to wait)";
    case StoreError::Reason::kNoAccess:
      return name + " cannot be used: it, or the profile folder, is read-only for you (" + e.what() +
             "); make both writable for you (chmod u+w), or use a profile of your own (--home DIR)";
    case StoreError::Reason::kDiskFull:
      return name + " cannot be used: the disk is full (" + e.what() +
             "); free some space and run again, the file itself is sound";
    case StoreError::Reason::kDamaged:
      return name + " cannot be read as a database (" + e.what() +
             "); move it aside to start afresh, or put back a copy from a backup";
    default:
      return name + " cannot be read (" + e.what() + "); check the disk, then run again";
  }
}

// Reads the file's schema, which a file that is no SQLite database (or
// whose first pages are damaged) cannot give, and takes the write lock for
// a moment, as opening the registry or the store does anyway: a write that
// another program holds is met here, waited for, and named, rather than in
// every later call.
std::optional<std::string> Check(const char* name) {
  const std::filesystem::path file = profile::File(name);
  std::error_code error;
  if (!std::filesystem::exists(file, error) || std::filesystem::file_size(file, error) == 0) return std::nullopt;
  try {
    sqlite::Database db(file);
    db.Exec("SELECT count(*) FROM sqlite_master");
    db.Exec("BEGIN IMMEDIATE");
    db.Exec("ROLLBACK");
    return std::nullopt;
  } catch (const StoreError& e) {
    return Advice(file, e);
  } catch (const std::exception& e) {
    return file.string() + " cannot be read (" + e.what() + ")";
  }
}

}  // namespace

std::optional<std::string> CheckProfile() {
  std::string note;
  if (auto problem = profile::MakePrivate(&note)) return problem;
  if (!note.empty()) std::fprintf(stderr, "orvane: %s\n", note.c_str());
  for (const char* name : {"registry.db", "outlook.db"}) {
    if (auto problem = Check(name)) return problem;
  }
  return std::nullopt;
}

}  // namespace host
