#pragma once
// The store's connection to SQLite: prepared statements kept for reuse,
// transactions that roll back unless committed, and SQLite's failures
// turned into StoreError. Only the store's own files include this.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <unordered_map>

#include "platform/fs/BusyWait.h"

struct sqlite3;
struct sqlite3_stmt;

namespace host::sqlite {

class Database;

// A statement of the database's cache, reset and unbound when this goes.
class Statement {
 public:
  // One of the database's kept statements: sql must be a literal.
  Statement(Database& db, const char* sql);
  // A statement of text built at run time, prepared for this use only.
  Statement(Database& db, const std::string& sql);
  ~Statement();
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  Statement& Bind(int index, std::int64_t value);
  Statement& Bind(int index, double value);
  Statement& Bind(int index, std::string_view text);
  Statement& BindNull(int index);

  // True while there is a row.
  bool Step();
  void Run();

  bool IsNull(int column) const;
  std::int64_t Int(int column) const;
  double Real(int column) const;
  std::string Text(int column) const;
  std::string Blob(int column) const;

 private:
  Database& db_;
  sqlite3_stmt* stmt_;
  bool owned_ = false;
};

class Database {
 public:
  // Opens (creating if need be) in WAL mode. While another program holds
  // the file locked, each statement waits as files::BusyWait says, then
  // fails as kBusy. Throws StoreError.
  explicit Database(const std::filesystem::path& file);
  // Finalizes and closes, unless the connection came from a parent process
  // (Abandon).
  ~Database();
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;

  void Exec(const char* sql);
  std::int64_t LastInsertId() const;
  // The file could be opened for reading only (its mode, its disk).
  bool IsReadOnly() const;
  // BEGIN IMMEDIATE without waiting: false when another connection holds
  // the lock it needs.
  bool TryBeginWrite();

  // Forgets the connection without closing it: after fork() the child must
  // not touch the locks the parent's connection holds.
  void Abandon();

  [[noreturn]] void Fail(int rc, const char* what) const;

 private:
  friend class Statement;
  sqlite3_stmt* Cached(const char* sql);
  sqlite3_stmt* Prepare(const std::string& sql, unsigned flags);

  std::string name_;  // for messages
  files::BusyWait busy_{name_};
  sqlite3* db_ = nullptr;
  // Keyed by the address of the statement's text: each is a literal.
  std::unordered_map<const char*, sqlite3_stmt*> cache_;
};

// BEGIN IMMEDIATE (a writer takes the write lock at once, waiting for other
// processes up to the busy timeout) or BEGIN; rolls back unless committed.
// kBegun takes on a write transaction the caller began (TryBeginWrite).
class Transaction {
 public:
  enum class Mode { kRead, kWrite, kBegun };
  Transaction(Database& db, Mode mode);
  ~Transaction();
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;

  void Commit();

 private:
  Database& db_;
  bool open_ = true;
};

}  // namespace host::sqlite
