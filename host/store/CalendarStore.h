#pragma once
// The host's mail store: the Calendar and Deleted Items folders of
// outlook.db in the profile (SQLite, WAL), their appointment items with
// their user properties, each folder's user fields, and Outlook's queries
// over them (Restrict, Find and FindNext). The object model wraps this; the
// iCalendar mirror follows it through the change count.
//
// A save that returns has committed: it survives the death of the process.
// A process killed in the middle of a batch leaves each item whole or
// absent. Several processes may use one store at once. Every method may
// throw StoreError; the query methods also throw FilterError.

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "host/store/Appointment.h"
#include "host/store/Filter.h"
#include "host/store/FilterFields.h"
#include "host/store/FindCursor.h"
#include "host/store/StoreError.h"
#include "host/store/StoreOptions.h"
#include "host/store/WriteBurst.h"

namespace host {

namespace sqlite {
class Database;
class Transaction;
class Statement;
}  // namespace sqlite

enum class DeleteOutcome {
  kMovedToDeletedItems,  // the item was in the Calendar
  kRemoved,              // the item was in Deleted Items: gone for good
};

class CalendarStore : public std::enable_shared_from_this<CalendarStore> {
 public:
  // The store of the current profile (profile::File("outlook.db")), opened
  // on first use with the process's options. A different ORVANE_HOME, or a
  // file removed or replaced since, opens the file that is there now.
  static std::shared_ptr<CalendarStore> ForCurrentProfile();
  // The options of every store ForCurrentProfile opens, the current one
  // included (the host sets them from its command line).
  static void SetProcessOptions(const StoreOptions& options);
  // Lets go of the current store, which closes when nobody else holds it:
  // the last close moves the log into outlook.db, so that the file alone
  // holds the calendar (a backup of it, or a user moving it aside). The
  // host calls it before it exits.
  static void CloseCurrent();

  static std::shared_ptr<CalendarStore> Open(std::filesystem::path file,
                                             const StoreOptions& options = {});
  ~CalendarStore();
  CalendarStore(const CalendarStore&) = delete;
  CalendarStore& operator=(const CalendarStore&) = delete;

  const std::filesystem::path& File() const { return file_; }
  // The store's identity, made when the file is made and kept in it: a new
  // store, one put in the place of another, or a file emptied to nothing
  // (made again on opening) has a new one; a copy of the file has the same.
  // What a program learnt about a store (how far it filled the calendar)
  // holds only while the identity is the one it learnt it with.
  std::string Identity();
  StoreOptions Options();
  void SetOptions(const StoreOptions& options);

  // Items. A new item (id 0) goes into its folder with a new id and uid,
  // written back into it; a saved one is rewritten in place, keeping its
  // uid and its folder (only Delete moves items). The item's fields and
  // properties are checked first: a date that is no date (NaN, out of
  // range), two properties of one name, a value that does not fit its type
  // throw kInvalidItem and store nothing. A saved item that is gone throws
  // kNotFound.
  void Save(Appointment& item);
  // All or nothing, in one transaction: the fast way to save many.
  void SaveAll(std::vector<Appointment>& items);
  std::optional<Appointment> Load(ItemId id);
  // From the Calendar to Deleted Items; from Deleted Items for good. Throws
  // kNotFound for an item that is gone.
  DeleteOutcome Delete(ItemId id);
  // In the folder's order: the order of first saving.
  std::vector<ItemId> List(FolderKind folder);
  // Every item of the folder, whole, in its order, read at one moment: what
  // the mirror writes after a change.
  std::vector<Appointment> LoadFolder(FolderKind folder);
  std::size_t Count(FolderKind folder);

  // Adds a user field to the folder's fields, which makes the user property
  // of that name usable in the folder's filters. False when it was already
  // there with that type; kConflict when it is there with another type;
  // kInvalidItem for a name that a filter could not write ("", "[", "]").
  bool AddFolderField(FolderKind folder, std::string_view name, PropertyType type);
  bool HasFolderField(FolderKind folder, std::string_view name);
  std::vector<FolderField> FolderFields(FolderKind folder);

  // Queries, in Outlook's filter language (Filter.h) with the folder's
  // fields. Restrict answers the matching items as they are now, in the
  // folder's order; items saved later do not join the answer. A filter with
  // a range on [Start] reads only that range through the store's index.
  Filter ParseFilter(FolderKind folder, std::string_view text);
  std::vector<ItemId> Restrict(FolderKind folder, std::string_view filter);
  // Find and FindNext: a cursor whose first Next() is Find's answer. The
  // filter is read now (FilterError); the items when Next() is called.
  FindCursor Find(FolderKind folder, std::string_view filter);
  // SQLite's plan for the items a Restrict would read, one step a line.
  std::string QueryPlan(FolderKind folder, std::string_view filter);

  // Changes of items (saves and deletes) committed by any process so far,
  // kept in the file. Listeners hear of this process's changes after each
  // commit, on the thread that made it, with the new count; they may use
  // the store.
  std::uint64_t ChangeCount();
  using ChangeListener = std::function<void(std::uint64_t changeCount)>;
  int AddChangeListener(ChangeListener listener);
  void RemoveChangeListener(int id);

  // The writes (saves, deletes, new folder fields) that failed for a cause
  // of the file (full disk, read-only, busy, damaged), not of the item: how
  // many, and the first of them. A program that made them must not end as
  // if its work were kept.
  struct FailedWrites {
    std::size_t count = 0;
    StoreError::Reason reason = StoreError::Reason::kFailed;
    std::string message;  // the first failure's
  };
  FailedWrites WriteFailures();

  // What is wrong with the file, if anything: SQLite's integrity check,
  // properties without an item, items in no known folder. Empty when sound.
  std::vector<std::string> CheckIntegrity();

 private:
  friend class FindCursor;

  CalendarStore(std::filesystem::path file, const StoreOptions& options);

  sqlite::Database& Db();  // the caller holds mutex_
  // BEGIN IMMEDIATE on Db(), keeping the file's lock for a burst of saves.
  sqlite::Transaction WriteTransaction();
  void GiveBackFileLock();  // on burst_'s thread, mutex_ held
  void CreateSchema();
  void Insert(Appointment& item);
  void Update(Appointment& item);
  void WriteProperties(ItemId id, const std::vector<UserProperty>& properties);
  std::uint64_t BumpChangeCount();
  std::uint64_t ReadChangeCount();  // mutex_ held, Db() opened
  void Notify(std::uint64_t changeCount);
  std::vector<FolderField> ReadFolderFields(FolderKind folder);
  // Steps through the items of the folder that may match the filter, with
  // an id above `after`, in the folder's order, until visit answers false.
  void Scan(FolderKind folder, const Filter& filter, ItemId after,
            const std::function<bool(const Appointment&)>& visit);
  std::optional<ItemId> NextMatch(FolderKind folder, const Filter& filter, ItemId after);
  bool IsStillOnDisk() const;
  // Runs a write, keeping count of those the file refused.
  template <typename Body>
  auto Writing(Body&& body) -> decltype(body());

  std::filesystem::path file_;
  std::mutex mutex_;
  std::unique_ptr<sqlite::Database> db_;
  pid_t pid_ = 0;     // the process that opened db_
  dev_t device_ = 0;  // which file db_ opened, to notice it was replaced
  ino_t inode_ = 0;
  StoreOptions options_;
  std::string identity_;  // as read from db_'s file
  std::mutex failuresMutex_;
  FailedWrites failedWrites_;  // failuresMutex_ held
  // Folder fields known to be in the file, by folder and folded name.
  std::map<std::pair<FolderKind, std::string>, FolderField> knownFields_;
  // The last whole folder loaded, by folder, with the change count it was
  // read at.
  std::map<FolderKind, std::pair<std::uint64_t, std::vector<Appointment>>> loaded_;
  std::map<int, ChangeListener> listeners_;
  int nextListener_ = 1;
  WriteBurst burst_;  // last: its thread uses the members above
};

}  // namespace host
