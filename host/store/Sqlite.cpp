#include "host/store/Sqlite.h"

#include <sqlite3.h>

#include <cerrno>
#include <cstring>

#include "host/store/StoreError.h"
#include "platform/fs/PrivateFile.h"

namespace host::sqlite {
namespace {

// What a failure says about the file, so that the user is told the cause and
// the advice that fits it: a full disk is not mended by moving the file aside.
// SQLite reports a failed system call as an I/O error or as "cannot open";
// the errno behind it tells a full disk or a read-only one from the rest.
StoreError::Reason ReasonOf(int rc, int systemError) {
  switch (rc & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
      return StoreError::Reason::kBusy;
    case SQLITE_FULL:
      return StoreError::Reason::kDiskFull;
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_AUTH:
      return StoreError::Reason::kNoAccess;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
      return StoreError::Reason::kDamaged;
    case SQLITE_IOERR:
    case SQLITE_CANTOPEN:
      if (systemError == ENOSPC || systemError == EDQUOT) return StoreError::Reason::kDiskFull;
      if (systemError == EROFS || systemError == EACCES || systemError == EPERM) {
        return StoreError::Reason::kNoAccess;
      }
      break;
    default:
      break;
  }
  return StoreError::Reason::kFailed;
}

}  // namespace

Statement::Statement(Database& db, const char* sql) : db_(db), stmt_(db.Cached(sql)) {}

Statement::Statement(Database& db, const std::string& sql)
    : db_(db), stmt_(db.Prepare(sql, 0)), owned_(true) {}

Statement::~Statement() {
  if (owned_) {
    sqlite3_finalize(stmt_);
    return;
  }
  sqlite3_reset(stmt_);
  sqlite3_clear_bindings(stmt_);
}

Statement& Statement::Bind(int index, std::int64_t value) {
  const int rc = sqlite3_bind_int64(stmt_, index, value);
  if (rc != SQLITE_OK) db_.Fail(rc, "bind");
  return *this;
}

Statement& Statement::Bind(int index, double value) {
  const int rc = sqlite3_bind_double(stmt_, index, value);
  if (rc != SQLITE_OK) db_.Fail(rc, "bind");
  return *this;
}

Statement& Statement::Bind(int index, std::string_view text) {
  // A null pointer would bind NULL, which the NOT NULL columns refuse.
  const int rc = sqlite3_bind_text64(stmt_, index, text.empty() ? "" : text.data(), text.size(),
                                     SQLITE_TRANSIENT, SQLITE_UTF8);
  if (rc != SQLITE_OK) db_.Fail(rc, "bind");
  return *this;
}

Statement& Statement::BindNull(int index) {
  const int rc = sqlite3_bind_null(stmt_, index);
  if (rc != SQLITE_OK) db_.Fail(rc, "bind");
  return *this;
}

bool Statement::Step() {
  const int rc = sqlite3_step(stmt_);
  if (rc == SQLITE_ROW) return true;
  if (rc == SQLITE_DONE) return false;
  db_.Fail(rc, "step");
}

void Statement::Run() {
  while (Step()) {
  }
}

bool Statement::IsNull(int column) const {
  return sqlite3_column_type(stmt_, column) == SQLITE_NULL;
}

std::int64_t Statement::Int(int column) const { return sqlite3_column_int64(stmt_, column); }

double Statement::Real(int column) const { return sqlite3_column_double(stmt_, column); }

std::string Statement::Text(int column) const {
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
  return text != nullptr
             ? std::string(text, static_cast<std::size_t>(sqlite3_column_bytes(stmt_, column)))
             : std::string();
}

std::string Statement::Blob(int column) const {
  const auto* data = static_cast<const char*>(sqlite3_column_blob(stmt_, column));
  return data != nullptr
             ? std::string(data, static_cast<std::size_t>(sqlite3_column_bytes(stmt_, column)))
             : std::string();
}

Database::Database(const std::filesystem::path& file) : name_(file.filename().string()) {
  files::CreatePrivateFile(file);
  const int rc = sqlite3_open_v2(
      file.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
      nullptr);
  if (rc != SQLITE_OK) {
    const int lastError = errno;
    int systemError = db_ != nullptr ? sqlite3_system_errno(db_) : 0;
    if (systemError == 0) systemError = lastError;
    sqlite3_close(db_);
    db_ = nullptr;
    throw StoreError(ReasonOf(rc, systemError),
                     name_ + ": cannot open " + file.string() + ": " + sqlite3_errstr(rc));
  }
  try {
    sqlite3_busy_handler(db_, files::BusyWait::SqliteBusyHandler, &busy_);
    // WAL lets readers in other processes go on while one writes;
    // synchronous=NORMAL makes each commit survive the death of the
    // process (not of the machine) without a flush per commit.
    Exec("PRAGMA journal_mode=WAL");
    Exec("PRAGMA synchronous=NORMAL");
    // Properties go with their item, and no property can outlive it.
    Exec("PRAGMA foreign_keys=ON");
    // A checkpoint copies the log into the database and flushes both to
    // disk; every few hundred one-item saves it was a tenth of a fill's
    // time. Each commit is as durable with fewer, larger checkpoints: it is
    // whole in the log before the call returns. Far fewer cost again: a log
    // of tens of megabytes is new file space on every write, and deleting
    // it at the end took as long as a checkpoint.
    Exec("PRAGMA wal_autocheckpoint=3000");
  } catch (...) {
    sqlite3_close_v2(db_);
    throw;
  }
}

Database::~Database() {
  if (db_ == nullptr) return;
  for (auto& [sql, stmt] : cache_) sqlite3_finalize(stmt);
  sqlite3_close_v2(db_);
}

void Database::Abandon() {
  // Deliberately leaked: closing would release the parent's locks.
  cache_.clear();
  db_ = nullptr;
}

void Database::Exec(const char* sql) {
  const int rc = sqlite3_exec(db_, sql, nullptr, nullptr, nullptr);
  if (rc != SQLITE_OK) Fail(rc, sql);
}

std::int64_t Database::LastInsertId() const { return sqlite3_last_insert_rowid(db_); }

bool Database::IsReadOnly() const { return sqlite3_db_readonly(db_, "main") == 1; }

bool Database::TryBeginWrite() {
  sqlite3_busy_handler(db_, nullptr, nullptr);
  const int rc = sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
  sqlite3_busy_handler(db_, files::BusyWait::SqliteBusyHandler, &busy_);
  if (rc == SQLITE_OK) return true;
  if ((rc & 0xff) == SQLITE_BUSY) return false;
  Fail(rc, "BEGIN IMMEDIATE");
}

void Database::Fail(int rc, const char* what) const {
  // SQLite keeps the errno of a failed call made while a statement runs,
  // not of one made as it commits (its write-ahead log): then the errno the
  // call left is the one to go by.
  const int lastError = errno;
  int systemError = db_ != nullptr ? sqlite3_system_errno(db_) : 0;
  if (systemError == 0) systemError = lastError;
  std::string message = name_ + ": " + what + ": " + (db_ != nullptr ? sqlite3_errmsg(db_) : sqlite3_errstr(rc));
  // SQLite's own words for a failed write do not say which.
  if ((rc & 0xff) == SQLITE_IOERR && systemError != 0) message += std::string(" (") + std::strerror(systemError) + ")";
  throw StoreError(ReasonOf(rc, systemError), message);
}

sqlite3_stmt* Database::Cached(const char* sql) {
  const auto found = cache_.find(sql);
  if (found != cache_.end()) return found->second;
  sqlite3_stmt* stmt = Prepare(sql, SQLITE_PREPARE_PERSISTENT);
  cache_.emplace(sql, stmt);
  return stmt;
}

sqlite3_stmt* Database::Prepare(const std::string& sql, unsigned flags) {
  sqlite3_stmt* stmt = nullptr;
  const int rc = sqlite3_prepare_v3(db_, sql.c_str(), -1, flags, &stmt, nullptr);
  if (rc != SQLITE_OK) Fail(rc, "prepare");
  return stmt;
}

Transaction::Transaction(Database& db, Mode mode) : db_(db) {
  if (mode == Mode::kBegun) return;
  // Kept statements rather than Exec: a save is a transaction of its own,
  // and parsing these texts anew each time cost as much as a small insert.
  Statement begin(db_, mode == Mode::kWrite ? "BEGIN IMMEDIATE" : "BEGIN");
  begin.Run();
}

Transaction::~Transaction() {
  if (!open_) return;
  try {
    Statement rollback(db_, "ROLLBACK");
    rollback.Run();
  } catch (...) {
    // Nothing left to do: SQLite rolls back on its own when it cannot.
  }
}

void Transaction::Commit() {
  Statement commit(db_, "COMMIT");
  commit.Run();
  open_ = false;
}

}  // namespace host::sqlite
