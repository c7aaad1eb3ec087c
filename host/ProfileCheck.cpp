#include "host/ProfileCheck.h"

#include <filesystem>
#include <system_error>

#include "host/store/Sqlite.h"
#include "host/store/StoreError.h"
#include "platform/fs/Profile.h"

namespace host {

namespace {

// Reads the file's schema, which a file that is no SQLite database (or
// whose first pages are damaged) cannot give.
std::optional<std::string> Check(const char* name) {
  const std::filesystem::path file = profile::File(name);
  std::error_code error;
  if (!std::filesystem::exists(file, error) || std::filesystem::file_size(file, error) == 0) return std::nullopt;
  try {
    sqlite::Database db(file);
    db.Exec("SELECT count(*) FROM sqlite_master");
    return std::nullopt;
  } catch (const std::exception& e) {
    return file.string() + " cannot be read as a database (" + e.what() +
           "); move it aside to start afresh, or put back a copy from a backup";
  }
}

}  // namespace

std::optional<std::string> CheckProfileDatabases() {
  for (const char* name : {"registry.db", "outlook.db"}) {
    if (auto problem = Check(name)) return problem;
  }
  return std::nullopt;
}

}  // namespace host
