#include "platform/registry/RegistryStore.h"

#include <sqlite3.h>
#include <sys/stat.h>
#include <unicode/uchar.h>
#include <unicode/utf16.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <utility>

#include "platform/fs/PrivateFile.h"
#include "platform/fs/Profile.h"
#include "platform/registry/Registry.h"
#include "platform/registry/RegistryError.h"
#include "platform/text/CaseFold.h"
#include "platform/text/TextConvert.h"
#include "platform/threads/Thread.h"

namespace registry {
namespace {

constexpr const char* kCodePageKey = "SYSTEM\\CurrentControlSet\\Control\\Nls\\CodePage";

// The Win32 code a caller is answered with, so that it can tell the user the
// cause: a full disk or a read-only file is not mended as a damaged one is.
// SQLite reports a failed system call as an I/O error or as "cannot open";
// the errno behind it tells a full disk or a read-only one from the rest.
// Anything else means the file is not a registry we can read.
LONG Win32CodeOf(int rc, int systemError) {
  switch (rc & 0xff) {
    case SQLITE_NOMEM:
      return ERROR_OUTOFMEMORY;
    case SQLITE_FULL:
      return ERROR_DISK_FULL;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
      return ERROR_BUSY;
    case SQLITE_READONLY:
    case SQLITE_PERM:
      return ERROR_ACCESS_DENIED;
    case SQLITE_IOERR:
    case SQLITE_CANTOPEN:
      if (systemError == ENOSPC || systemError == EDQUOT) return ERROR_DISK_FULL;
      if (systemError == EROFS || systemError == EACCES || systemError == EPERM) return ERROR_ACCESS_DENIED;
      break;
    default:
      break;
  }
  return ERROR_BADDB;
}

[[noreturn]] void ThrowSqlite(sqlite3* db, int rc, const char* what) {
  // SQLite keeps the errno of a failed call made while a statement runs,
  // not of one made as it commits (its write-ahead log): then the errno the
  // call left is the one to go by.
  const int lastError = errno;
  int systemError = db != nullptr ? sqlite3_system_errno(db) : 0;
  if (systemError == 0) systemError = lastError;
  std::string message = std::string("registry.db: ") + what + ": " +
                        (db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
  throw RegistryError(Win32CodeOf(rc, systemError), message);
}

void Exec(sqlite3* db, const char* sql) {
  const int rc = sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
  if (rc != SQLITE_OK) ThrowSqlite(db, rc, sql);
}

// A statement of the connection's cache (RegistryStore::Cached): reset and
// unbound when done with, prepared again only when another use of the same
// text is still running.
class Statement {
 public:
  // Without a cache, prepared for this use only.
  Statement(RegistryStore::StatementCache* cache, sqlite3* db, const char* sql) : db_(db) {
    stmt_ = cache != nullptr ? cache->Take(db, sql) : nullptr;
    if (stmt_ != nullptr) {
      cache_ = cache;
      sql_ = sql;
      return;
    }
    const int rc = sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr);
    if (rc != SQLITE_OK) ThrowSqlite(db, rc, "prepare");
  }
  ~Statement() {
    if (cache_ == nullptr) {
      sqlite3_finalize(stmt_);
      return;
    }
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
    cache_->Give(sql_, stmt_);
  }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  Statement& Bind(int index, std::int64_t value) {
    Check(sqlite3_bind_int64(stmt_, index, value));
    return *this;
  }
  Statement& Bind(int index, std::string_view text) {
    Check(sqlite3_bind_text(stmt_, index, text.data(), static_cast<int>(text.size()),
                            SQLITE_TRANSIENT));
    return *this;
  }
  Statement& BindBlob(int index, const std::vector<BYTE>& data) {
    // A null pointer would bind SQL NULL, which the NOT NULL column refuses.
    if (data.empty()) {
      Check(sqlite3_bind_zeroblob(stmt_, index, 0));
    } else {
      Check(sqlite3_bind_blob(stmt_, index, data.data(), static_cast<int>(data.size()),
                              SQLITE_TRANSIENT));
    }
    return *this;
  }

  // True while there is a row.
  bool Step() {
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    ThrowSqlite(db_, rc, "step");
  }
  void Run() {
    while (Step()) {
    }
  }

  bool IsNull(int column) { return sqlite3_column_type(stmt_, column) == SQLITE_NULL; }
  std::int64_t Int(int column) { return sqlite3_column_int64(stmt_, column); }
  std::string Text(int column) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
    return text != nullptr ? std::string(text, sqlite3_column_bytes(stmt_, column)) : std::string();
  }
  std::vector<BYTE> Blob(int column) {
    const auto* data = static_cast<const BYTE*>(sqlite3_column_blob(stmt_, column));
    return data != nullptr ? std::vector<BYTE>(data, data + sqlite3_column_bytes(stmt_, column))
                           : std::vector<BYTE>();
  }

 private:
  void Check(int rc) {
    if (rc != SQLITE_OK) ThrowSqlite(db_, rc, "bind");
  }

  sqlite3* db_;
  sqlite3_stmt* stmt_ = nullptr;
  RegistryStore::StatementCache* cache_ = nullptr;
  const char* sql_ = nullptr;
};

// Stamps are drawn from one counter for every store of the process, so a
// stamp never names the state of two different stores.
std::atomic<std::uint64_t> g_lastStamp{0};

std::uint64_t NewStamp() { return ++g_lastStamp; }

// Names match without regard to case. Simple case folding keeps one letter
// one letter, as Windows' own comparison does: "STRASSE" is not "Straße".
std::string FoldName(std::string_view name) { return text::FoldCase(name); }

StoredValue ReadValue(Statement& row) {
  return StoredValue{row.Text(0), static_cast<DWORD>(row.Int(1)), row.Blob(2)};
}

// A connection is never carried into a child process: SQLite's locks belong
// to the process, so the child opens its own and leaves the parent's alone.
// The old one stays reachable here rather than being closed under the parent.
std::vector<sqlite3*>& AbandonedConnections() {
  static auto* abandoned = new std::vector<sqlite3*>();
  return *abandoned;
}

}  // namespace

bool SplitKeyPath(std::string_view path, std::vector<std::string_view>* parts) {
  parts->clear();
  if (!path.empty() && path.back() == '\\') path.remove_suffix(1);
  if (path.empty()) return true;
  for (;;) {
    const std::size_t end = path.find('\\');
    const std::string_view part = path.substr(0, end);
    if (part.empty() || text::Utf8ToUtf16(part).size() > kMaxKeyNameLength) return false;
    parts->push_back(part);
    if (parts->size() > kMaxKeyDepth) return false;
    if (end == std::string_view::npos) return true;
    path.remove_prefix(end + 1);
  }
}

bool SplitRootPath(std::string_view path, KeyId* root, std::string_view* rest) {
  const std::size_t end = path.find('\\');
  const std::string_view head = path.substr(0, end);
  for (const RootKey& r : kRootKeys) {
    if (FoldName(head) == FoldName(r.name) || FoldName(head) == FoldName(r.shortName)) {
      *root = r.id;
      *rest = end == std::string_view::npos ? std::string_view() : path.substr(end + 1);
      return true;
    }
  }
  return false;
}

std::vector<BYTE> Utf16ToStored(std::u16string_view text) {
  std::vector<BYTE> data;
  data.reserve(text.size() * 2);
  for (char16_t c : text) {
    data.push_back(static_cast<BYTE>(c & 0xff));
    data.push_back(static_cast<BYTE>(c >> 8));
  }
  return data;
}

std::u16string StoredToUtf16(const std::vector<BYTE>& data) {
  std::u16string text;
  text.reserve(data.size() / 2);
  for (std::size_t i = 0; i + 1 < data.size(); i += 2) {
    text.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
  }
  return text;
}

std::shared_ptr<RegistryStore> RegistryStore::ForCurrentProfile() {
  static std::mutex mutex;
  static std::shared_ptr<RegistryStore> current;
  // Every registry call comes here: the folder is made only when a store is
  // opened, not on each call.
  const std::filesystem::path file = profile::PathOf("registry.db");
  std::lock_guard<std::mutex> lock(mutex);
  if (current == nullptr || current->file_ != file || !current->IsStillOnDisk()) {
    // The registry names the modules every class is loaded from: one in a
    // folder that someone else owns or may write into is not trusted.
    const std::filesystem::path folder = profile::Directory();
    if (auto problem = profile::CheckOwnership(folder)) throw RegistryError(ERROR_ACCESS_DENIED, *problem);
    current = std::make_shared<RegistryStore>(folder / "registry.db");
  }
  return current;
}

RegistryStore::RegistryStore(std::filesystem::path file) : file_(std::move(file)) {
  Open();
  ApplyAnsiCodePage();
}

RegistryStore::~RegistryStore() {
  // A connection inherited from a parent process is not ours to close.
  if (db_ != nullptr && pid_ == static_cast<pid_t>(GetCurrentProcessId())) {
    statements_.Clear();
    sqlite3_close_v2(db_);
  } else {
    statements_.Abandon();
  }
}

RegistryStore::StatementCache::~StatementCache() {
  // The store clears or abandons the cache before its connection goes; what
  // is left here belongs to a connection that is already gone.
  entries_.clear();
}

sqlite3_stmt* RegistryStore::StatementCache::Take(sqlite3* db, const char* sql) {
  if (db != db_) {
    // A new connection: statements of the old one are not usable on it.
    Abandon();
    db_ = db;
  }
  const auto found = entries_.find(sql);
  if (found != entries_.end()) {
    if (found->second.inUse) return nullptr;
    found->second.inUse = true;
    return found->second.stmt;
  }
  sqlite3_stmt* stmt = nullptr;
  const int rc = sqlite3_prepare_v3(db, sql, -1, SQLITE_PREPARE_PERSISTENT, &stmt, nullptr);
  if (rc != SQLITE_OK) ThrowSqlite(db, rc, "prepare");
  entries_.emplace(sql, Entry{stmt, true});
  return stmt;
}

void RegistryStore::StatementCache::Give(const char* sql, sqlite3_stmt* stmt) {
  const auto found = entries_.find(sql);
  if (found != entries_.end() && found->second.stmt == stmt) {
    found->second.inUse = false;
  } else {
    sqlite3_finalize(stmt);  // from a connection the cache has let go of since
  }
}

void RegistryStore::StatementCache::Clear() {
  for (auto& [sql, entry] : entries_) sqlite3_finalize(entry.stmt);
  entries_.clear();
  db_ = nullptr;
}

void RegistryStore::StatementCache::Abandon() {
  entries_.clear();
  db_ = nullptr;
}

std::uint64_t RegistryStore::ChangeStamp() {
  std::lock_guard<std::mutex> lock(mutex_);
  UseOwnConnection();
  return StampLocked();
}

std::uint64_t RegistryStore::StampLocked() {
  // Asked a dozen times for every filter the add-in builds: while neither
  // the file nor its log was written, no commit can have come.
  if (stamp_ != 0 && !watch_->TouchedSince(files::FileWatch::Reader::kContent)) return stamp_;
  Statement version(&statements_, db_, "PRAGMA data_version");
  if (!version.Step()) ThrowSqlite(db_, SQLITE_ERROR, "data_version");
  const std::int64_t seen = version.Int(0);
  if (seen != dataVersion_ || stamp_ == 0) {
    dataVersion_ = seen;
    stamp_ = NewStamp();
  }
  return stamp_;
}

void RegistryStore::Open() {
  files::CreatePrivateFile(file_);
  sqlite3* db = nullptr;
  const int rc =
      sqlite3_open_v2(file_.c_str(), &db,
                      SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
  if (rc != SQLITE_OK) {
    const int lastError = errno;
    int systemError = db != nullptr ? sqlite3_system_errno(db) : 0;
    if (systemError == 0) systemError = lastError;
    sqlite3_close(db);
    throw RegistryError(Win32CodeOf(rc, systemError),
                        "registry.db: cannot open " + file_.string() + ": " + sqlite3_errstr(rc));
  }
  try {
    sqlite3_busy_handler(db, files::BusyWait::SqliteBusyHandler, &busy_);
    // WAL lets readers in other processes go on while one writes;
    // synchronous=NORMAL makes each commit survive the death of the process
    // (not of the machine) without a flush per write.
    Exec(db, "PRAGMA journal_mode=WAL");
    Exec(db, "PRAGMA synchronous=NORMAL");
    Exec(db, "BEGIN IMMEDIATE");
    // AUTOINCREMENT: ids of deleted keys are never handed out again, which is
    // what lets a stale handle answer ERROR_KEY_DELETED.
    Exec(db,
         "CREATE TABLE IF NOT EXISTS reg_keys("
         " id INTEGER PRIMARY KEY AUTOINCREMENT,"
         " parent INTEGER,"
         " name TEXT NOT NULL,"
         " folded TEXT NOT NULL,"
         " depth INTEGER NOT NULL,"
         " UNIQUE(parent, folded));"
         "CREATE TABLE IF NOT EXISTS reg_values("
         " key INTEGER NOT NULL,"
         " name TEXT NOT NULL,"
         " folded TEXT NOT NULL,"
         " type INTEGER NOT NULL,"
         " data BLOB NOT NULL,"
         " PRIMARY KEY(key, folded)) WITHOUT ROWID;");
    for (const RootKey& root : kRootKeys) {
      Statement insert(nullptr, db,
                       "INSERT OR IGNORE INTO reg_keys(id, parent, name, folded, depth)"
                       " VALUES(?1, NULL, ?2, ?3, 0)");
      insert.Bind(1, root.id).Bind(2, root.name).Bind(3, FoldName(root.name)).Run();
    }
    Exec(db, "COMMIT");
  } catch (...) {
    sqlite3_close_v2(db);  // also rolls back
    throw;
  }
  struct stat st {};
  if (stat(file_.c_str(), &st) == 0) {
    device_ = st.st_dev;
    inode_ = st.st_ino;
  }
  db_ = db;
  pid_ = static_cast<pid_t>(GetCurrentProcessId());
  WatchFiles();
}

void RegistryStore::WatchFiles() {
  std::filesystem::path log = file_;
  log += "-wal";
  watch_ = std::make_unique<files::FileWatch>(std::vector<std::filesystem::path>{file_, log});
}

void RegistryStore::UseOwnConnection() {
  if (pid_ == static_cast<pid_t>(GetCurrentProcessId())) return;
  AbandonedConnections().push_back(db_);
  statements_.Abandon();
  db_ = nullptr;
  dataVersion_ = -1;
  Open();
}

bool RegistryStore::IsStillOnDisk() {
  // Every registry call asks; a file deleted or replaced under its name
  // changes the old one's link count, which the watch hears.
  if (!watch_->TouchedSince(files::FileWatch::Reader::kPresence)) return true;
  struct stat st {};
  return stat(file_.c_str(), &st) == 0 && st.st_dev == device_ && st.st_ino == inode_;
}

// Windows keeps the ANSI code page under HKLM; a profile that says otherwise
// than the default is obeyed from its first use on. A missing or unknown
// value leaves the code page as it is.
void RegistryStore::ApplyAnsiCodePage() {
  Transaction txn(*this, Transaction::Mode::kRead);
  const std::optional<KeyId> key = txn.FindPath(kLocalMachineId, kCodePageKey);
  if (!key) return;
  const std::optional<StoredValue> value = txn.GetValue(*key, "ACP");
  if (!value || value->type != REG_SZ) return;
  std::u16string digits = StoredToUtf16(value->data);
  digits.resize(std::char_traits<char16_t>::length(digits.c_str()));
  const std::string ascii = text::Utf16ToUtf8(digits);
  int codePage = 0;
  const auto [end, ec] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), codePage);
  if (ec == std::errc() && end == ascii.data() + ascii.size() && codePage > 0) {
    text::SetAnsiCodePage(codePage);
  }
}

RegistryStore::Transaction::Transaction(RegistryStore& store, Mode mode)
    : lock_(store.mutex_), store_(store), db_(nullptr), cache_(&store.statements_) {
  store.UseOwnConnection();
  db_ = store.db_;
  write_ = mode == Mode::kWrite;
  if (write_) {
    store.reads_ = ReadCache{};
    Db();
    return;
  }
  // A read begins in SQLite only when it asks what the cache cannot tell.
  const std::uint64_t stamp = store.StampLocked();
  if (store.reads_.stamp != stamp) {
    store.reads_ = ReadCache{};
    store.reads_.stamp = stamp;
  }
}

void RegistryStore::Transaction::Writes() {
  // Whatever the transaction was opened for, what reads found is stale now.
  if (write_) return;
  write_ = true;
  store_.reads_ = ReadCache{};
}

sqlite3* RegistryStore::Transaction::Db() {
  if (!begun_) {
    // IMMEDIATE for writes: a read lock that later asks to write can fail at
    // once with SQLITE_BUSY, without waiting for the other writer.
    Statement begin(cache_, db_, write_ ? "BEGIN IMMEDIATE" : "BEGIN");
    begin.Run();
    begun_ = true;
    active_ = true;
  }
  return db_;
}

RegistryStore::Transaction::~Transaction() {
  // A write, committed or not, may have changed what readers see; the stamp
  // moves on rather than trusting that it did not.
  if (write_) store_.stamp_ = NewStamp();
  if (!active_) return;
  try {
    Statement rollback(cache_, db_, "ROLLBACK");
    rollback.Run();
  } catch (...) {
    // Nothing left to do: SQLite rolls back on its own when it cannot.
  }
}

void RegistryStore::Transaction::Commit() {
  if (active_) {
    Statement commit(cache_, db_, "COMMIT");
    commit.Run();
  }
  active_ = false;
}

bool RegistryStore::Transaction::KeyExists(KeyId id) {
  if (!write_) {
    if (const auto kept = store_.reads_.keys.find(id); kept != store_.reads_.keys.end()) return kept->second;
  }
  Statement query(cache_, Db(), "SELECT 1 FROM reg_keys WHERE id = ?1");
  const bool exists = query.Bind(1, id).Step();
  if (!write_) store_.reads_.keys.emplace(id, exists);
  return exists;
}

void RegistryStore::Transaction::RequireKey(KeyId id) {
  if (!KeyExists(id)) throw RegistryError(ERROR_KEY_DELETED, "the key has been deleted");
}

std::optional<KeyId> RegistryStore::Transaction::FindChild(KeyId parent,
                                                           const std::string& folded) {
  if (!write_) {
    const auto kept = store_.reads_.children.find({parent, folded});
    if (kept != store_.reads_.children.end()) return kept->second;
  }
  Statement query(cache_, Db(), "SELECT id FROM reg_keys WHERE parent = ?1 AND folded = ?2");
  std::optional<KeyId> child;
  if (query.Bind(1, parent).Bind(2, folded).Step()) child = query.Int(0);
  if (!write_) store_.reads_.children.emplace(std::make_pair(parent, folded), child);
  return child;
}

std::optional<KeyId> RegistryStore::Transaction::FindPath(KeyId from, std::string_view path) {
  std::vector<std::string_view> parts;
  if (!SplitKeyPath(path, &parts)) {
    throw RegistryError(ERROR_INVALID_PARAMETER, "malformed key path");
  }
  KeyId id = from;
  for (std::string_view part : parts) {
    const std::optional<KeyId> child = FindChild(id, FoldName(part));
    if (!child) return std::nullopt;
    id = *child;
  }
  return id;
}

KeyId RegistryStore::Transaction::CreatePath(KeyId from, std::string_view path, bool* created) {
  Writes();
  std::vector<std::string_view> parts;
  if (!SplitKeyPath(path, &parts)) {
    throw RegistryError(ERROR_INVALID_PARAMETER, "malformed key path");
  }
  Statement depthOf(cache_, Db(), "SELECT depth FROM reg_keys WHERE id = ?1");
  if (!depthOf.Bind(1, from).Step()) {
    throw RegistryError(ERROR_KEY_DELETED, "the key has been deleted");
  }
  std::int64_t depth = depthOf.Int(0);
  if (depth + static_cast<std::int64_t>(parts.size()) > static_cast<std::int64_t>(kMaxKeyDepth)) {
    throw RegistryError(ERROR_INVALID_PARAMETER, "key path too deep");
  }
  KeyId id = from;
  bool madeLast = false;
  for (std::string_view part : parts) {
    const std::string folded = FoldName(part);
    ++depth;
    if (const std::optional<KeyId> child = FindChild(id, folded)) {
      id = *child;
      madeLast = false;
      continue;
    }
    Statement insert(cache_, Db(),
                     "INSERT INTO reg_keys(parent, name, folded, depth) VALUES(?1, ?2, ?3, ?4)");
    insert.Bind(1, id).Bind(2, part).Bind(3, folded).Bind(4, depth).Run();
    id = sqlite3_last_insert_rowid(db_);
    madeLast = true;
  }
  if (created != nullptr) *created = madeLast;
  return id;
}

bool RegistryStore::Transaction::HasSubkeys(KeyId id) {
  Statement query(cache_, Db(), "SELECT 1 FROM reg_keys WHERE parent = ?1 LIMIT 1");
  return query.Bind(1, id).Step();
}

void RegistryStore::Transaction::DeleteSubtree(KeyId id, bool includingSelf) {
  Writes();
  // The values of the key itself go in both cases.
  Statement values(cache_, Db(),
                   "WITH RECURSIVE sub(id) AS (VALUES(?1)"
                   " UNION ALL SELECT k.id FROM reg_keys k JOIN sub ON k.parent = sub.id)"
                   " DELETE FROM reg_values WHERE key IN (SELECT id FROM sub)");
  values.Bind(1, id).Run();
  Statement keys(cache_, Db(),
                 "WITH RECURSIVE sub(id) AS (VALUES(?1)"
                 " UNION ALL SELECT k.id FROM reg_keys k JOIN sub ON k.parent = sub.id)"
                 " DELETE FROM reg_keys WHERE id IN (SELECT id FROM sub)"
                 " AND parent IS NOT NULL AND (?2 OR id <> ?1)");
  keys.Bind(1, id).Bind(2, includingSelf ? 1 : 0).Run();
}

std::string RegistryStore::Transaction::FullPath(KeyId id) {
  std::string path;
  for (std::optional<KeyId> at = id; at;) {
    Statement row(cache_, Db(), "SELECT parent, name FROM reg_keys WHERE id = ?1");
    if (!row.Bind(1, *at).Step()) {
      throw RegistryError(ERROR_KEY_DELETED, "the key has been deleted");
    }
    path = path.empty() ? row.Text(1) : row.Text(1) + "\\" + path;
    at = row.IsNull(0) ? std::nullopt : std::optional<KeyId>(row.Int(0));
  }
  return path;
}

std::optional<StoredValue> RegistryStore::Transaction::GetValue(KeyId key, std::string_view name) {
  std::string folded = FoldName(name);
  if (!write_) {
    const auto kept = store_.reads_.values.find({key, folded});
    if (kept != store_.reads_.values.end()) return kept->second;
  }
  Statement query(cache_, Db(), "SELECT name, type, data FROM reg_values WHERE key = ?1 AND folded = ?2");
  std::optional<StoredValue> value;
  if (query.Bind(1, key).Bind(2, folded).Step()) value = ReadValue(query);
  if (!write_) store_.reads_.values.emplace(std::make_pair(key, std::move(folded)), value);
  return value;
}

void RegistryStore::Transaction::SetValue(KeyId key, std::string_view name, DWORD type,
                                          const std::vector<BYTE>& data) {
  Writes();
  // A value keeps the spelling of its name from when it was first written.
  Statement upsert(cache_, Db(),
      "INSERT INTO reg_values(key, name, folded, type, data) VALUES(?1, ?2, ?3, ?4, ?5)"
      " ON CONFLICT(key, folded) DO UPDATE SET type = excluded.type,"
      " data = excluded.data");
  upsert.Bind(1, key).Bind(2, name).Bind(3, FoldName(name)).Bind(4, type).BindBlob(5, data).Run();
}

bool RegistryStore::Transaction::DeleteValue(KeyId key, std::string_view name) {
  Writes();
  Statement remove(cache_, Db(), "DELETE FROM reg_values WHERE key = ?1 AND folded = ?2");
  remove.Bind(1, key).Bind(2, FoldName(name)).Run();
  return sqlite3_changes(db_) > 0;
}

std::optional<StoredKey> RegistryStore::Transaction::SubkeyAt(KeyId key, DWORD index) {
  Statement query(cache_, Db(),
                  "SELECT id, name FROM reg_keys WHERE parent = ?1 ORDER BY folded"
                  " LIMIT 1 OFFSET ?2");
  if (!query.Bind(1, key).Bind(2, index).Step()) return std::nullopt;
  return StoredKey{query.Int(0), query.Text(1)};
}

std::optional<StoredValue> RegistryStore::Transaction::ValueAt(KeyId key, DWORD index) {
  Statement query(cache_, Db(),
                  "SELECT name, type, data FROM reg_values WHERE key = ?1 ORDER BY folded"
                  " LIMIT 1 OFFSET ?2");
  if (!query.Bind(1, key).Bind(2, index).Step()) return std::nullopt;
  return ReadValue(query);
}

std::vector<StoredKey> RegistryStore::Transaction::Subkeys(KeyId key) {
  Statement query(cache_, Db(), "SELECT id, name FROM reg_keys WHERE parent = ?1 ORDER BY folded");
  query.Bind(1, key);
  std::vector<StoredKey> keys;
  while (query.Step()) keys.push_back(StoredKey{query.Int(0), query.Text(1)});
  return keys;
}

std::vector<StoredValue> RegistryStore::Transaction::Values(KeyId key) {
  Statement query(cache_, Db(), "SELECT name, type, data FROM reg_values WHERE key = ?1 ORDER BY folded");
  query.Bind(1, key);
  std::vector<StoredValue> values;
  while (query.Step()) values.push_back(ReadValue(query));
  return values;
}

}  // namespace registry
