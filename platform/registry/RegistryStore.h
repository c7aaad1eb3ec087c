#pragma once
// The registry's storage: keys and values in registry.db of the profile
// (SQLite in WAL mode). Registry.cpp and RegFile.cpp build the Win32
// functions and the .reg text on top of it.
//
// Every read or write happens inside a Transaction, which also holds the
// store's lock, so one connection may serve several threads. Failures throw
// RegistryError with the Win32 code the caller should answer with.

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/com/WinTypes.h"
#include "platform/fs/BusyWait.h"
#include "platform/fs/FileWatch.h"

struct sqlite3;
struct sqlite3_stmt;

namespace registry {

// The row id of a key. Ids are never reused, so a handle to a deleted key
// cannot silently come to name a newer key.
using KeyId = std::int64_t;

struct RootKey {
  KeyId id;
  const char* name;       // "HKEY_CURRENT_USER"
  const char* shortName;  // "HKCU"
};
inline constexpr KeyId kClassesRootId = 1;
inline constexpr KeyId kCurrentUserId = 2;
inline constexpr KeyId kLocalMachineId = 3;
inline constexpr RootKey kRootKeys[] = {
    {kClassesRootId, "HKEY_CLASSES_ROOT", "HKCR"},
    {kCurrentUserId, "HKEY_CURRENT_USER", "HKCU"},
    {kLocalMachineId, "HKEY_LOCAL_MACHINE", "HKLM"},
};

// Windows' own limits: a key name of 255 characters, 512 levels of keys.
inline constexpr std::size_t kMaxKeyNameLength = 255;
inline constexpr std::size_t kMaxKeyDepth = 512;

// Splits a path relative to a key into its parts (UTF-8). False when the
// path breaks the rules of Registry.h (empty part, name too long, too deep).
bool SplitKeyPath(std::string_view path, std::vector<std::string_view>* parts);

// Splits "HKCU\\Software" or "HKEY_CURRENT_USER\\Software" (root names in any
// case) into the root's id and the rest; false for an unknown root.
bool SplitRootPath(std::string_view path, KeyId* root, std::string_view* rest);

// REG_SZ data is kept as Windows keeps it: UTF-16 little-endian.
std::vector<BYTE> Utf16ToStored(std::u16string_view text);
std::u16string StoredToUtf16(const std::vector<BYTE>& data);  // an odd last byte is dropped

struct StoredValue {
  std::string name;  // UTF-8, as first written; "" is the default value
  DWORD type = 0;  // REG_NONE
  std::vector<BYTE> data;
};

struct StoredKey {
  KeyId id;
  std::string name;  // UTF-8, as first written
};

class RegistryStore {
 public:
  // The store of the current profile (profile::File("registry.db")), opened
  // on first use. A different ORVANE_HOME, or a file removed or replaced
  // since, opens the file that is there now. Throws RegistryError.
  static std::shared_ptr<RegistryStore> ForCurrentProfile();

  explicit RegistryStore(std::filesystem::path file);
  ~RegistryStore();
  RegistryStore(const RegistryStore&) = delete;
  RegistryStore& operator=(const RegistryStore&) = delete;

  const std::filesystem::path& File() const { return file_; }

  // A number that changes whenever the store may have changed since it was
  // last answered: a write of this store's own, a commit through any other
  // connection or process. Stamps of different stores never agree. Throws
  // RegistryError.
  std::uint64_t ChangeStamp();

  // The connection's prepared statements, kept for reuse, one per text (a
  // literal, known by its address). The registry is read dozens of times for
  // every date a filter holds; preparing each statement anew cost more than
  // running it.
  class StatementCache {
   public:
    StatementCache() = default;
    ~StatementCache();
    StatementCache(const StatementCache&) = delete;
    StatementCache& operator=(const StatementCache&) = delete;

    // The statement for sql on db, prepared on first use; null while the
    // kept one is in use (the caller then prepares one of its own).
    sqlite3_stmt* Take(sqlite3* db, const char* sql);
    // Back into the cache, reset by the caller.
    void Give(const char* sql, sqlite3_stmt* stmt);
    // Finalizes every statement (before the connection closes).
    void Clear();
    // Drops the statements without finalizing them: their connection came
    // from a parent process and is not ours to touch.
    void Abandon();

   private:
    struct Entry {
      sqlite3_stmt* stmt;
      bool inUse;
    };
    sqlite3* db_ = nullptr;
    std::unordered_map<const char*, Entry> entries_;
  };

  class Transaction {
   public:
    enum class Mode { kRead, kWrite };

    // A write transaction takes the database's write lock at once, waiting
    // for other processes up to the busy timeout.
    Transaction(RegistryStore& store, Mode mode);
    // Rolls back what was not committed; never throws.
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    void Commit();

    bool KeyExists(KeyId id);
    // Throws ERROR_KEY_DELETED when the key is gone.
    void RequireKey(KeyId id);
    // An empty path is the key itself. Throws ERROR_INVALID_PARAMETER for a
    // malformed path.
    std::optional<KeyId> FindPath(KeyId from, std::string_view path);
    // Creates every missing part; *created (may be null) tells whether the
    // last part was new.
    KeyId CreatePath(KeyId from, std::string_view path, bool* created);
    bool HasSubkeys(KeyId id);
    // Deletes every key and value under the key, and the key itself when
    // asked; a root key itself is never deleted.
    void DeleteSubtree(KeyId id, bool includingSelf);
    // "HKEY_CURRENT_USER\\Software\\X", with the names as stored.
    std::string FullPath(KeyId id);

    std::optional<StoredValue> GetValue(KeyId key, std::string_view name);
    void SetValue(KeyId key, std::string_view name, DWORD type, const std::vector<BYTE>& data);
    bool DeleteValue(KeyId key, std::string_view name);

    // In the order of their names, ignoring case.
    std::optional<StoredKey> SubkeyAt(KeyId key, DWORD index);
    std::optional<StoredValue> ValueAt(KeyId key, DWORD index);
    std::vector<StoredKey> Subkeys(KeyId key);
    std::vector<StoredValue> Values(KeyId key);

   private:
    std::optional<KeyId> FindChild(KeyId parent, const std::string& folded);
    // The connection, in the transaction: a read begins it on first need.
    sqlite3* Db();
    void Writes();  // before any change

    std::unique_lock<std::mutex> lock_;
    RegistryStore& store_;
    sqlite3* db_;
    StatementCache* cache_;
    bool write_ = false;
    bool begun_ = false;
    bool active_ = false;
  };

 private:
  // What reads found, kept while the change stamp stays what it was when
  // they were made: the add-in reads the same few settings for every day
  // it fills, each read a transaction of its own.
  struct ReadCache {
    std::uint64_t stamp = 0;
    std::map<KeyId, bool> keys;                                             // the key exists
    std::map<std::pair<KeyId, std::string>, std::optional<KeyId>> children;  // by folded name
    std::map<std::pair<KeyId, std::string>, std::optional<StoredValue>> values;
  };

  void Open();
  void UseOwnConnection();
  std::uint64_t StampLocked();  // ChangeStamp, mutex_ held
  void ApplyAnsiCodePage();
  bool IsStillOnDisk();
  void WatchFiles();

  std::filesystem::path file_;
  std::mutex mutex_;
  // While another program holds the file locked: how long each statement
  // waits before it fails with ERROR_BUSY.
  files::BusyWait busy_{"registry.db"};
  sqlite3* db_ = nullptr;
  StatementCache statements_;
  std::uint64_t stamp_ = 0;         // the store's current change stamp
  std::int64_t dataVersion_ = -1;   // SQLite's count of others' commits, when last read
  pid_t pid_ = 0;          // the process that opened db_
  dev_t device_ = 0;       // which file db_ opened, to notice it was replaced
  ino_t inode_ = 0;
  // The file and its log: while nothing touched them, the file is still
  // there and nobody committed, without asking the disk or SQLite.
  std::unique_ptr<files::FileWatch> watch_;
  ReadCache reads_;  // mutex_ held
};

}  // namespace registry
