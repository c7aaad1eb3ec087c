#include "host/store/CalendarStore.h"

#include <sys/stat.h>
#include <unistd.h>

#include <utility>

#include "host/store/DateSeconds.h"
#include "host/store/FilterError.h"
#include "host/store/ItemCheck.h"
#include "host/store/Sqlite.h"
#include "host/store/StoreError.h"
#include "platform/fs/Profile.h"
#include "platform/text/CaseFold.h"
#include "platform/threads/Thread.h"

namespace host {
namespace {

// The file's layout. A file of a later layout is refused rather than
// misread. Layout 1 kept the change count in a table of its own; 2 keeps it
// beside the items' id sequence (kChangeCountRow).
constexpr int kSchemaVersion = 2;

// The change count is a row of sqlite_sequence, under a name no table can
// have here: every insert writes that page anyway for the AUTOINCREMENT
// id, so counting the change costs a one-item save no page of its own
// (it was one page in eight of every commit). SQLite looks its rows up by
// table name and leaves other rows alone.
#define CHANGE_COUNT_ROW "'change count'"

// The store's identity, made with the file: 32 hexadecimal digits, as
// Outlook's store ids are written. A table of its own, which hosts that do
// not know it leave alone, so the layout stays what it was.
#define STORE_IDENTITY                                    \
  "CREATE TABLE store_identity(id TEXT NOT NULL);"        \
  "INSERT INTO store_identity(id) VALUES(upper(hex(randomblob(16))));"

// start_key is Start in whole seconds (DateSeconds.h): unlike the DATE it
// orders as time does, so the index answers ranges of Start exactly.
// AUTOINCREMENT: an id is never handed out twice, so a stale id cannot come
// to name a newer item.
constexpr const char* kSchema =
    "CREATE TABLE items("
    " id INTEGER PRIMARY KEY AUTOINCREMENT,"
    " uid TEXT NOT NULL UNIQUE,"
    " folder INTEGER NOT NULL,"
    " start REAL NOT NULL,"
    " start_key INTEGER NOT NULL,"
    " end REAL NOT NULL,"
    " subject TEXT NOT NULL,"
    " body TEXT NOT NULL,"
    " busy_status INTEGER NOT NULL,"
    " reminder_set INTEGER NOT NULL,"
    " reminder_minutes INTEGER NOT NULL,"
    " reminder_play_sound INTEGER NOT NULL,"
    " reminder_sound_file TEXT NOT NULL);"
    "CREATE INDEX items_folder_start ON items(folder, start_key);"
    "CREATE TABLE item_properties("
    " item INTEGER NOT NULL REFERENCES items(id) ON DELETE CASCADE,"
    " position INTEGER NOT NULL,"
    " name TEXT NOT NULL,"
    " folded TEXT NOT NULL,"
    " type INTEGER NOT NULL,"
    " number REAL,"
    " text TEXT,"
    " PRIMARY KEY(item, position),"
    " UNIQUE(item, folded)) WITHOUT ROWID;"
    "CREATE TABLE folder_fields("
    " folder INTEGER NOT NULL,"
    " name TEXT NOT NULL,"
    " folded TEXT NOT NULL,"
    " type INTEGER NOT NULL,"
    " PRIMARY KEY(folder, folded)) WITHOUT ROWID;"
    "INSERT INTO sqlite_sequence(name, seq) VALUES(" CHANGE_COUNT_ROW ", 0);"
    STORE_IDENTITY;

// Layout 1 to 2: the count moves, its table goes.
constexpr const char* kMoveChangeCount =
    "INSERT INTO sqlite_sequence(name, seq)"
    " SELECT " CHANGE_COUNT_ROW ", value FROM counters WHERE name = 'changes';"
    "DROP TABLE counters;";

constexpr const char* kAddIdentity = STORE_IDENTITY;
#undef STORE_IDENTITY
constexpr const char* kHasIdentity = "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = 'store_identity'";
constexpr const char* kReadIdentity = "SELECT id FROM store_identity LIMIT 1";

constexpr const char* kReadChangeCount = "SELECT seq FROM sqlite_sequence WHERE name = " CHANGE_COUNT_ROW;
constexpr const char* kWriteChangeCount = "UPDATE sqlite_sequence SET seq = ?1 WHERE name = " CHANGE_COUNT_ROW;
#undef CHANGE_COUNT_ROW

// Items with their properties, one row per property (or one row with NULL
// property columns for an item without any), ordered by item.
#define ITEM_COLUMNS                                                                         \
  "SELECT i.id, i.uid, i.folder, i.start, i.end, i.subject, i.body, i.busy_status,"         \
  " i.reminder_set, i.reminder_minutes, i.reminder_play_sound, i.reminder_sound_file,"       \
  " p.name, p.type, p.number, p.text"                                                        \
  " FROM items i LEFT JOIN item_properties p ON p.item = i.id"

constexpr const char* kLoadItem = ITEM_COLUMNS " WHERE i.id = ?1 ORDER BY p.position";
constexpr const char* kScanFolder =
    ITEM_COLUMNS " WHERE i.folder = ?1 AND i.id > ?2 ORDER BY i.id, p.position";
constexpr const char* kScanRange = ITEM_COLUMNS
    " WHERE i.folder = ?1 AND i.id > ?2 AND i.start_key BETWEEN ?3 AND ?4"
    " ORDER BY i.id, p.position";
#undef ITEM_COLUMNS

constexpr const char* kInsertItem =
    "INSERT INTO items(uid, folder, start, start_key, end, subject, body, busy_status,"
    " reminder_set, reminder_minutes, reminder_play_sound, reminder_sound_file)"
    " VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12)";
constexpr const char* kUpdateItem =
    "UPDATE items SET start = ?3, start_key = ?4, end = ?5, subject = ?6, body = ?7,"
    " busy_status = ?8, reminder_set = ?9, reminder_minutes = ?10, reminder_play_sound = ?11,"
    " reminder_sound_file = ?12 WHERE id = ?1 RETURNING uid, folder";

// The process's options and its current store, shared by ForCurrentProfile
// and SetProcessOptions.
struct ProcessState {
  std::mutex mutex;
  StoreOptions options;
  std::shared_ptr<CalendarStore> current;
};

ProcessState& Process() {
  static auto* state = new ProcessState();
  return *state;
}

// RFC 4122 version 4 text from 16 random bytes.
std::string UuidText(const std::string& bytes) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string text;
  for (std::size_t i = 0; i < 16; ++i) {
    auto b = static_cast<unsigned char>(i < bytes.size() ? bytes[i] : 0);
    if (i == 6) b = static_cast<unsigned char>((b & 0x0F) | 0x40);
    if (i == 8) b = static_cast<unsigned char>((b & 0x3F) | 0x80);
    if (i == 4 || i == 6 || i == 8 || i == 10) text.push_back('-');
    text.push_back(kHex[b >> 4]);
    text.push_back(kHex[b & 0x0F]);
  }
  return text;
}

void BindFields(sqlite::Statement& s, const Appointment& item) {
  s.Bind(3, item.start)
      .Bind(4, SecondsFromDate(item.start))
      .Bind(5, item.end)
      .Bind(6, item.subject)
      .Bind(7, item.body)
      .Bind(8, static_cast<std::int64_t>(item.busyStatus))
      .Bind(9, static_cast<std::int64_t>(item.reminderSet ? 1 : 0))
      .Bind(10, static_cast<std::int64_t>(item.reminderMinutesBeforeStart))
      .Bind(11, static_cast<std::int64_t>(item.reminderPlaySound ? 1 : 0))
      .Bind(12, item.reminderSoundFile);
}

[[noreturn]] void Corrupt(ItemId id, const char* what) {
  throw StoreError(StoreError::Reason::kFailed,
                   "outlook.db: item " + std::to_string(id) + " " + what);
}

Appointment ReadItem(const sqlite::Statement& row) {
  Appointment item;
  item.id = row.Int(0);
  item.uid = row.Text(1);
  const std::int64_t folder = row.Int(2);
  if (!IsKnownFolder(static_cast<int>(folder))) Corrupt(item.id, "is in an unknown folder");
  item.folder = static_cast<FolderKind>(folder);
  item.start = row.Real(3);
  item.end = row.Real(4);
  item.subject = row.Text(5);
  item.body = row.Text(6);
  item.busyStatus = static_cast<long>(row.Int(7));
  item.reminderSet = row.Int(8) != 0;
  item.reminderMinutesBeforeStart = static_cast<long>(row.Int(9));
  item.reminderPlaySound = row.Int(10) != 0;
  item.reminderSoundFile = row.Text(11);
  return item;
}

UserProperty ReadProperty(ItemId id, const sqlite::Statement& row) {
  UserProperty property;
  property.name = row.Text(12);
  const std::int64_t type = row.Int(13);
  if (!IsKnownPropertyType(static_cast<int>(type))) {
    Corrupt(id, "has a user property of an unknown type");
  }
  property.type = static_cast<PropertyType>(type);
  if (property.type == PropertyType::kText) {
    property.value = row.Text(15);
  } else {
    property.value = row.Real(14);
  }
  return property;
}

// Reads the rows of the statement (ITEM_COLUMNS) item by item until visit
// answers false or the rows end.
void ReadItems(sqlite::Statement& rows, const std::function<bool(const Appointment&)>& visit) {
  bool more = rows.Step();
  while (more) {
    Appointment item = ReadItem(rows);
    do {
      if (!rows.IsNull(12)) item.userProperties.push_back(ReadProperty(item.id, rows));
      more = rows.Step();
    } while (more && rows.Int(0) == item.id);
    if (!visit(item)) return;
  }
}

}  // namespace

std::shared_ptr<CalendarStore> CalendarStore::ForCurrentProfile() {
  ProcessState& process = Process();
  std::filesystem::path file = profile::File("outlook.db");
  std::lock_guard<std::mutex> lock(process.mutex);
  if (process.current == nullptr || process.current->file_ != file ||
      !process.current->IsStillOnDisk()) {
    process.current = Open(std::move(file), process.options);
  }
  return process.current;
}

void CalendarStore::SetProcessOptions(const StoreOptions& options) {
  ProcessState& process = Process();
  std::lock_guard<std::mutex> lock(process.mutex);
  process.options = options;
  if (process.current != nullptr) process.current->SetOptions(options);
}

void CalendarStore::CloseCurrent() {
  std::shared_ptr<CalendarStore> last;
  ProcessState& process = Process();
  {
    std::lock_guard<std::mutex> lock(process.mutex);
    last.swap(process.current);
  }
  // Closed here, outside the lock, when this was the last holder.
}

std::shared_ptr<CalendarStore> CalendarStore::Open(std::filesystem::path file,
                                                   const StoreOptions& options) {
  // The constructor is private; make_shared cannot reach it.
  return std::shared_ptr<CalendarStore>(new CalendarStore(std::move(file), options));
}

CalendarStore::CalendarStore(std::filesystem::path file, const StoreOptions& options)
    : file_(std::move(file)), options_(options), burst_(mutex_, [this] { GiveBackFileLock(); }) {
  std::lock_guard<std::mutex> lock(mutex_);
  Db();
}

CalendarStore::~CalendarStore() {
  // A connection inherited from a parent process is not ours to close.
  if (db_ != nullptr && pid_ != static_cast<pid_t>(GetCurrentProcessId())) db_->Abandon();
}

sqlite::Database& CalendarStore::Db() {
  if (db_ != nullptr && pid_ == static_cast<pid_t>(GetCurrentProcessId())) return *db_;
  // A connection is never carried into a child process: SQLite's locks
  // belong to the process, so the child opens its own and leaves the
  // parent's alone.
  if (db_ != nullptr) {
    db_->Abandon();
    db_.reset();
  }
  db_ = std::make_unique<sqlite::Database>(file_);
  pid_ = static_cast<pid_t>(GetCurrentProcessId());
  knownFields_.clear();  // another connection may be another file
  loaded_.clear();
  identity_.clear();
  try {
    CreateSchema();
  } catch (...) {
    db_.reset();
    throw;
  }
  struct stat st {};
  if (stat(file_.c_str(), &st) == 0) {
    device_ = st.st_dev;
    inode_ = st.st_ino;
  }
  return *db_;
}

sqlite::Transaction CalendarStore::WriteTransaction() {
  sqlite::Database& db = Db();
  if (burst_.BeforeWrite()) {
    db.Exec("PRAGMA locking_mode=EXCLUSIVE");
    if (db.TryBeginWrite()) return sqlite::Transaction(db, sqlite::Transaction::Mode::kBegun);
    // In WAL mode every connection that has read the file keeps a share
    // of its lock: with another one open, saves take turns as usual. The
    // refused attempt leaves this connection a lock that keeps new readers
    // out whatever its mode, until it closes: a new one takes its place.
    burst_.Refused();
    db_.reset();
    return sqlite::Transaction(Db(), sqlite::Transaction::Mode::kWrite);
  }
  return sqlite::Transaction(db, sqlite::Transaction::Mode::kWrite);
}

void CalendarStore::GiveBackFileLock() {
  // Not a connection of another process, nor one already gone.
  if (db_ == nullptr || pid_ != static_cast<pid_t>(GetCurrentProcessId())) return;
  try {
    // In WAL mode the exclusive lock goes at the end of the connection's
    // next write transaction; an empty one writes nothing.
    db_->Exec("PRAGMA locking_mode=NORMAL");
    db_->Exec("BEGIN IMMEDIATE; COMMIT");
  } catch (const std::exception&) {
    // Then the next save or query gives it back.
  }
}

void CalendarStore::CreateSchema() {
  sqlite::Transaction txn(*db_, sqlite::Transaction::Mode::kWrite);
  std::int64_t version = 0;
  {
    sqlite::Statement query(*db_, "PRAGMA user_version");
    if (query.Step()) version = query.Int(0);
  }
  if (version > kSchemaVersion) {
    throw StoreError(StoreError::Reason::kFailed,
                     "outlook.db: written by a later version of the host (layout " +
                         std::to_string(version) + ")");
  }
  bool identified = false;
  {
    sqlite::Statement query(*db_, kHasIdentity);
    identified = query.Step();
  }
  // The usual case: nothing to write. A read-only file is read as it is.
  if (version == kSchemaVersion && (identified || db_->IsReadOnly())) return;
  if (version == 0) {
    db_->Exec(kSchema);
  } else {
    if (version == 1) db_->Exec(kMoveChangeCount);
    // A store from before identities were kept gets one now: what was
    // learnt about it earlier cannot be known to be about this file.
    if (!identified) db_->Exec(kAddIdentity);
  }
  db_->Exec(("PRAGMA user_version = " + std::to_string(kSchemaVersion)).c_str());
  txn.Commit();
}

std::string CalendarStore::Identity() {
  std::lock_guard<std::mutex> lock(mutex_);
  Db();
  if (identity_.empty()) {
    sqlite::Statement query(*db_, kReadIdentity);
    if (query.Step()) identity_ = query.Text(0);
  }
  return identity_;
}

bool CalendarStore::IsStillOnDisk() const {
  struct stat st {};
  return stat(file_.c_str(), &st) == 0 && st.st_dev == device_ && st.st_ino == inode_;
}

StoreOptions CalendarStore::Options() {
  std::lock_guard<std::mutex> lock(mutex_);
  return options_;
}

void CalendarStore::SetOptions(const StoreOptions& options) {
  std::lock_guard<std::mutex> lock(mutex_);
  options_ = options;
}

template <typename Body>
auto CalendarStore::Writing(Body&& body) -> decltype(body()) {
  try {
    return body();
  } catch (const StoreError& e) {
    const StoreError::Reason reason = e.WhyFailed();
    if (reason != StoreError::Reason::kNotFound && reason != StoreError::Reason::kInvalidItem &&
        reason != StoreError::Reason::kConflict) {
      // Its own lock: a write may fail with the store's mutex held.
      std::lock_guard<std::mutex> lock(failuresMutex_);
      if (failedWrites_.count++ == 0) {
        failedWrites_.reason = reason;
        failedWrites_.message = e.what();
      }
    }
    throw;
  }
}

CalendarStore::FailedWrites CalendarStore::WriteFailures() {
  std::lock_guard<std::mutex> lock(failuresMutex_);
  return failedWrites_;
}

void CalendarStore::Save(Appointment& item) {
  std::vector<Appointment> one{std::move(item)};
  try {
    SaveAll(one);
  } catch (...) {
    item = std::move(one.front());
    throw;
  }
  item = std::move(one.front());
}

void CalendarStore::SaveAll(std::vector<Appointment>& items) {
  for (const Appointment& item : items) {
    if (item.id < 0) {
      throw StoreError(StoreError::Reason::kInvalidItem, "an item id cannot be negative");
    }
    CheckItem(item);
  }
  if (items.empty()) return;
  // Work on copies: the caller's items learn their ids only once committed.
  std::vector<Appointment> saved = items;
  const std::uint64_t changes = Writing([&] {
    std::lock_guard<std::mutex> lock(mutex_);
    sqlite::Transaction txn = WriteTransaction();
    for (Appointment& item : saved) {
      if (item.id == 0) {
        Insert(item);
      } else {
        Update(item);
      }
    }
    const std::uint64_t count = BumpChangeCount();
    txn.Commit();
    return count;
  });
  items = std::move(saved);
  Notify(changes);
}

void CalendarStore::Insert(Appointment& item) {
  std::string uid;
  {
    sqlite::Statement random(*db_, "SELECT randomblob(16)");
    random.Step();
    uid = UuidText(random.Blob(0));
  }
  sqlite::Statement insert(*db_, kInsertItem);
  insert.Bind(1, uid).Bind(2, static_cast<std::int64_t>(item.folder));
  BindFields(insert, item);
  insert.Run();
  item.id = db_->LastInsertId();
  item.uid = std::move(uid);
  WriteProperties(item.id, item.userProperties);
}

void CalendarStore::Update(Appointment& item) {
  {
    sqlite::Statement update(*db_, kUpdateItem);
    update.Bind(1, item.id);
    BindFields(update, item);
    if (!update.Step()) {
      throw StoreError(StoreError::Reason::kNotFound,
                       "item " + std::to_string(item.id) + " is no longer in the store");
    }
    item.uid = update.Text(0);
    item.folder = static_cast<FolderKind>(update.Int(1));
    update.Run();
  }
  sqlite::Statement clear(*db_, "DELETE FROM item_properties WHERE item = ?1");
  clear.Bind(1, item.id).Run();
  WriteProperties(item.id, item.userProperties);
}

void CalendarStore::WriteProperties(ItemId id, const std::vector<UserProperty>& properties) {
  std::int64_t position = 0;
  for (const UserProperty& property : properties) {
    sqlite::Statement insert(*db_,
                             "INSERT INTO item_properties(item, position, name, folded, type,"
                             " number, text) VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7)");
    insert.Bind(1, id)
        .Bind(2, position++)
        .Bind(3, property.name)
        .Bind(4, text::FoldCase(property.name))
        .Bind(5, static_cast<std::int64_t>(property.type));
    if (const auto* text = std::get_if<std::string>(&property.value)) {
      insert.BindNull(6).Bind(7, *text);
    } else {
      insert.Bind(6, std::get<double>(property.value)).BindNull(7);
    }
    insert.Run();
  }
}

std::uint64_t CalendarStore::BumpChangeCount() {
  // Read, then written, inside the caller's write transaction: nobody else
  // can write in between. (An UPDATE with RETURNING costs a statement
  // journal on every save.)
  std::int64_t value = 0;
  {
    sqlite::Statement read(*db_, kReadChangeCount);
    if (!read.Step()) {
      throw StoreError(StoreError::Reason::kFailed, "outlook.db: the change count is missing");
    }
    value = read.Int(0) + 1;
  }
  sqlite::Statement bump(*db_, kWriteChangeCount);
  bump.Bind(1, value).Run();
  return static_cast<std::uint64_t>(value);
}

void CalendarStore::Notify(std::uint64_t changeCount) {
  std::vector<ChangeListener> listeners;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const auto& [id, listener] : listeners_) listeners.push_back(listener);
  }
  for (const ChangeListener& listener : listeners) listener(changeCount);
}

std::optional<Appointment> CalendarStore::Load(ItemId id) {
  std::lock_guard<std::mutex> lock(mutex_);
  sqlite::Transaction txn(Db(), sqlite::Transaction::Mode::kRead);
  std::optional<Appointment> found;
  sqlite::Statement rows(*db_, kLoadItem);
  rows.Bind(1, id);
  ReadItems(rows, [&](const Appointment& item) {
    found = item;
    return false;
  });
  return found;
}

DeleteOutcome CalendarStore::Delete(ItemId id) {
  DeleteOutcome outcome = DeleteOutcome::kRemoved;
  const std::uint64_t changes = Writing([&] {
    std::lock_guard<std::mutex> lock(mutex_);
    sqlite::Transaction txn = WriteTransaction();
    bool moved = false;
    {
      sqlite::Statement move(
          *db_, "UPDATE items SET folder = ?2 WHERE id = ?1 AND folder = ?3 RETURNING id");
      moved = move.Bind(1, id)
                  .Bind(2, static_cast<std::int64_t>(FolderKind::kDeletedItems))
                  .Bind(3, static_cast<std::int64_t>(FolderKind::kCalendar))
                  .Step();
      move.Run();
    }
    if (moved) {
      outcome = DeleteOutcome::kMovedToDeletedItems;
    } else {
      sqlite::Statement remove(*db_, "DELETE FROM items WHERE id = ?1 RETURNING id");
      if (!remove.Bind(1, id).Step()) {
        throw StoreError(StoreError::Reason::kNotFound,
                         "item " + std::to_string(id) + " is no longer in the store");
      }
      remove.Run();
    }
    const std::uint64_t count = BumpChangeCount();
    txn.Commit();
    return count;
  });
  Notify(changes);
  return outcome;
}

std::vector<ItemId> CalendarStore::List(FolderKind folder) {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<ItemId> ids;
  sqlite::Statement rows(Db(), "SELECT id FROM items WHERE folder = ?1 ORDER BY id");
  rows.Bind(1, static_cast<std::int64_t>(folder));
  while (rows.Step()) ids.push_back(rows.Int(0));
  return ids;
}

std::vector<Appointment> CalendarStore::LoadFolder(FolderKind folder) {
  std::lock_guard<std::mutex> lock(mutex_);
  sqlite::Transaction txn(Db(), sqlite::Transaction::Mode::kRead);
  // After a change the mirror and the reminder schedule each load the whole
  // calendar, one right after the other: the second takes the first's copy,
  // the change count, read in the same snapshot, saying nothing changed.
  const std::uint64_t changes = ReadChangeCount();
  if (const auto kept = loaded_.find(folder); kept != loaded_.end() && kept->second.first == changes) {
    return kept->second.second;
  }
  std::vector<Appointment> items;
  sqlite::Statement rows(*db_, kScanFolder);
  rows.Bind(1, static_cast<std::int64_t>(folder)).Bind(2, static_cast<std::int64_t>(0));
  ReadItems(rows, [&](const Appointment& item) {
    items.push_back(item);
    return true;
  });
  loaded_[folder] = {changes, items};
  return items;
}

std::size_t CalendarStore::Count(FolderKind folder) {
  std::lock_guard<std::mutex> lock(mutex_);
  sqlite::Statement count(Db(), "SELECT count(*) FROM items WHERE folder = ?1");
  count.Bind(1, static_cast<std::int64_t>(folder)).Step();
  return static_cast<std::size_t>(count.Int(0));
}

bool CalendarStore::AddFolderField(FolderKind folder, std::string_view name, PropertyType type) {
  CheckFieldName(name);
  if (!IsKnownFolder(static_cast<int>(folder)) || !IsKnownPropertyType(static_cast<int>(type))) {
    throw StoreError(StoreError::Reason::kInvalidItem, "unknown folder or field type");
  }
  const std::string folded = text::FoldCase(name);
  auto conflict = [&] {
    return StoreError(StoreError::Reason::kConflict,
                      "the folder already has a field \"" + std::string(name) + "\" of another type");
  };
  std::lock_guard<std::mutex> lock(mutex_);
  Db();
  // Outlook's Add asks for this on every item saved with a property; a field
  // is never removed nor given another type, so one seen in this file stays
  // as it was, and asking the file again would only take its write lock.
  if (const auto known = knownFields_.find({folder, folded}); known != knownFields_.end()) {
    if (known->second.type == type) return false;
    throw conflict();
  }
  return Writing([&] {
    sqlite::Transaction txn = WriteTransaction();
    {
      sqlite::Statement existing(
          *db_, "SELECT type, name FROM folder_fields WHERE folder = ?1 AND folded = ?2");
      existing.Bind(1, static_cast<std::int64_t>(folder)).Bind(2, folded);
      if (existing.Step()) {
        const std::int64_t stored = existing.Int(0);
        if (IsKnownPropertyType(static_cast<int>(stored))) {
          knownFields_[{folder, folded}] = FolderField{existing.Text(1), static_cast<PropertyType>(stored)};
        }
        if (stored == static_cast<std::int64_t>(type)) return false;
        throw conflict();
      }
    }
    sqlite::Statement insert(
        *db_, "INSERT INTO folder_fields(folder, name, folded, type) VALUES(?1, ?2, ?3, ?4)");
    insert.Bind(1, static_cast<std::int64_t>(folder))
        .Bind(2, name)
        .Bind(3, folded)
        .Bind(4, static_cast<std::int64_t>(type))
        .Run();
    txn.Commit();
    knownFields_[{folder, folded}] = FolderField{std::string(name), type};
    return true;
  });
}

bool CalendarStore::HasFolderField(FolderKind folder, std::string_view name) {
  std::lock_guard<std::mutex> lock(mutex_);
  sqlite::Statement query(Db(),
                          "SELECT 1 FROM folder_fields WHERE folder = ?1 AND folded = ?2");
  query.Bind(1, static_cast<std::int64_t>(folder)).Bind(2, text::FoldCase(name));
  return query.Step();
}

std::vector<FolderField> CalendarStore::FolderFields(FolderKind folder) {
  std::lock_guard<std::mutex> lock(mutex_);
  return ReadFolderFields(folder);
}

std::vector<FolderField> CalendarStore::ReadFolderFields(FolderKind folder) {
  std::vector<FolderField> fields;
  sqlite::Statement rows(Db(),
                         "SELECT name, type, folded FROM folder_fields WHERE folder = ?1 ORDER BY folded");
  rows.Bind(1, static_cast<std::int64_t>(folder));
  while (rows.Step()) {
    const std::int64_t type = rows.Int(1);
    if (!IsKnownPropertyType(static_cast<int>(type))) continue;
    fields.push_back(FolderField{rows.Text(0), static_cast<PropertyType>(type)});
    knownFields_[{folder, rows.Text(2)}] = fields.back();
  }
  return fields;
}

Filter CalendarStore::ParseFilter(FolderKind folder, std::string_view text) {
  std::vector<FolderField> known;
  bool usable = false;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    usable = options_.userFieldsInFilters;
    if (!usable) return Filter::Parse(text, FieldCatalog({}, false));
    Db();  // a new connection forgets what the old one knew
    for (const auto& [key, field] : knownFields_) {
      if (key.first == folder) known.push_back(field);
    }
  }
  // Fields are never removed nor given another type, so a filter that reads
  // with the fields known already reads the same with all of them; only a
  // name not among them (a field another program added, or none) needs the
  // file asked. Every query of the add-in names PrayerNum, known from its
  // first item on.
  if (!known.empty()) {
    try {
      return Filter::Parse(text, FieldCatalog(std::move(known), true));
    } catch (const FilterError&) {
      // Read again below with every field the file has.
    }
  }
  std::vector<FolderField> fields;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    fields = ReadFolderFields(folder);
  }
  return Filter::Parse(text, FieldCatalog(std::move(fields), true));
}

std::vector<ItemId> CalendarStore::Restrict(FolderKind folder, std::string_view text) {
  const Filter filter = ParseFilter(folder, text);
  std::vector<ItemId> ids;
  std::lock_guard<std::mutex> lock(mutex_);
  Scan(folder, filter, 0, [&](const Appointment& item) {
    if (filter.Matches(item)) ids.push_back(item.id);
    return true;
  });
  return ids;
}

FindCursor CalendarStore::Find(FolderKind folder, std::string_view text) {
  return FindCursor(shared_from_this(), folder, ParseFilter(folder, text));
}

std::optional<ItemId> CalendarStore::NextMatch(FolderKind folder, const Filter& filter,
                                               ItemId after) {
  std::optional<ItemId> found;
  std::lock_guard<std::mutex> lock(mutex_);
  Scan(folder, filter, after, [&](const Appointment& item) {
    if (filter.Matches(item)) found = item.id;
    return !found;
  });
  return found;
}

void CalendarStore::Scan(FolderKind folder, const Filter& filter, ItemId after,
                         const std::function<bool(const Appointment&)>& visit) {
  sqlite::Transaction txn(Db(), sqlite::Transaction::Mode::kRead);
  const std::optional<StartRange> range = filter.RangeOfStart();
  if (range && range->first > range->last) return;
  sqlite::Statement rows(*db_, range ? kScanRange : kScanFolder);
  rows.Bind(1, static_cast<std::int64_t>(folder)).Bind(2, after);
  if (range) rows.Bind(3, range->first).Bind(4, range->last);
  ReadItems(rows, visit);
}

std::string CalendarStore::QueryPlan(FolderKind folder, std::string_view text) {
  const Filter filter = ParseFilter(folder, text);
  const std::optional<StartRange> range = filter.RangeOfStart();
  const std::string sql = std::string("EXPLAIN QUERY PLAN ") + (range ? kScanRange : kScanFolder);
  std::lock_guard<std::mutex> lock(mutex_);
  // Built here, so prepared for this once rather than kept with the others.
  sqlite::Statement plan(Db(), sql);
  plan.Bind(1, static_cast<std::int64_t>(folder)).Bind(2, static_cast<std::int64_t>(0));
  if (range) plan.Bind(3, range->first).Bind(4, range->last);
  std::string steps;
  while (plan.Step()) steps += plan.Text(3) + "\n";
  return steps;
}

std::uint64_t CalendarStore::ChangeCount() {
  std::lock_guard<std::mutex> lock(mutex_);
  Db();
  return ReadChangeCount();
}

std::uint64_t CalendarStore::ReadChangeCount() {
  sqlite::Statement query(*db_, kReadChangeCount);
  return query.Step() ? static_cast<std::uint64_t>(query.Int(0)) : 0;
}

int CalendarStore::AddChangeListener(ChangeListener listener) {
  std::lock_guard<std::mutex> lock(mutex_);
  const int id = nextListener_++;
  listeners_.emplace(id, std::move(listener));
  return id;
}

void CalendarStore::RemoveChangeListener(int id) {
  std::lock_guard<std::mutex> lock(mutex_);
  listeners_.erase(id);
}

std::vector<std::string> CalendarStore::CheckIntegrity() {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<std::string> problems;
  {
    sqlite::Statement check(Db(), "PRAGMA integrity_check");
    while (check.Step()) {
      if (check.Text(0) != "ok") problems.push_back(check.Text(0));
    }
  }
  {
    sqlite::Statement orphans(
        *db_,
        "SELECT DISTINCT item FROM item_properties WHERE item NOT IN (SELECT id FROM items)");
    while (orphans.Step()) {
      problems.push_back("properties of missing item " + std::to_string(orphans.Int(0)));
    }
  }
  {
    sqlite::Statement strays(*db_, "SELECT id FROM items WHERE folder NOT IN (?1, ?2)");
    strays.Bind(1, static_cast<std::int64_t>(FolderKind::kCalendar))
        .Bind(2, static_cast<std::int64_t>(FolderKind::kDeletedItems));
    while (strays.Step()) {
      problems.push_back("item " + std::to_string(strays.Int(0)) + " is in no known folder");
    }
  }
  return problems;
}

}  // namespace host
