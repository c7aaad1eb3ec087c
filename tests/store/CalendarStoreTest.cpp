// The store's items, folders, folder fields and changes.

#include <atomic>
#include <chrono>
#include <cmath>
#include <exception>
#include <fstream>
#include <functional>
#include <limits>
#include <regex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include "host/store/StoreError.h"
#include "tests/store/StoreTest.h"
#include "tests/support/FirstStoreLayout.h"

namespace {

using host::Appointment;
using host::FolderKind;
using host::PropertyType;
using host::StoreError;

StoreError::Reason ReasonOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const StoreError& e) {
    return e.WhyFailed();
  }
  ADD_FAILURE() << "no StoreError";
  return StoreError::Reason::kFailed;
}

Appointment Full() {
  Appointment item;
  item.start = Date(2026, 12, 6, 5, 10, 7) + 1e-9;  // kept exactly, not to the second
  item.end = Date(2026, 12, 6, 5, 20);
  item.subject = "الفجر";
  item.body = std::string("line one\r\nline two\0after a nul", 30);
  item.busyStatus = 3;
  item.reminderSet = true;
  item.reminderMinutesBeforeStart = 5;
  item.reminderPlaySound = true;
  item.reminderSoundFile = "c:\\windows\\media\\azan.wav";
  item.userProperties = {
      {"PrayerNum", PropertyType::kNumber, 2.5},
      {"Note", PropertyType::kText, std::string("")},
      {"When", PropertyType::kDateTime, Date(1899, 12, 29, 6)},
      {"Done", PropertyType::kYesNo, -1.0},
      {"Count", PropertyType::kInteger, 42.0},
  };
  return item;
}

void ExpectSame(const Appointment& a, const Appointment& b) {
  EXPECT_EQ(a.id, b.id);
  EXPECT_EQ(a.uid, b.uid);
  EXPECT_EQ(a.folder, b.folder);
  EXPECT_EQ(a.start, b.start);
  EXPECT_EQ(a.end, b.end);
  EXPECT_EQ(a.subject, b.subject);
  EXPECT_EQ(a.body, b.body);
  EXPECT_EQ(a.busyStatus, b.busyStatus);
  EXPECT_EQ(a.reminderSet, b.reminderSet);
  EXPECT_EQ(a.reminderMinutesBeforeStart, b.reminderMinutesBeforeStart);
  EXPECT_EQ(a.reminderPlaySound, b.reminderPlaySound);
  EXPECT_EQ(a.reminderSoundFile, b.reminderSoundFile);
  ASSERT_EQ(a.userProperties.size(), b.userProperties.size());
  for (std::size_t i = 0; i < a.userProperties.size(); ++i) {
    EXPECT_EQ(a.userProperties[i].name, b.userProperties[i].name);
    EXPECT_EQ(a.userProperties[i].type, b.userProperties[i].type);
    EXPECT_EQ(a.userProperties[i].value, b.userProperties[i].value);
  }
}

TEST_F(StoreTest, ASavedItemLoadsWholeWithAnIdAndAUid) {
  auto store = OpenStore();
  Appointment item = Full();
  store->Save(item);
  EXPECT_GT(item.id, 0);
  EXPECT_TRUE(std::regex_match(item.uid, std::regex("[0-9a-f]{8}-[0-9a-f]{4}-4[0-9a-f]{3}-"
                                                    "[89ab][0-9a-f]{3}-[0-9a-f]{12}")))
      << item.uid;
  const auto loaded = store->Load(item.id);
  ASSERT_TRUE(loaded);
  ExpectSame(*loaded, item);
  // Another connection, as another process would, sees the same.
  const auto elsewhere = OpenStore()->Load(item.id);
  ASSERT_TRUE(elsewhere);
  ExpectSame(*elsewhere, item);
  EXPECT_FALSE(store->Load(item.id + 1));
  // Each item has a uid of its own.
  std::set<std::string> uids{item.uid};
  for (int i = 0; i < 20; ++i) {
    Appointment other = Prayer("Asr", Date(2026, 12, 6, 15), 3);
    store->Save(other);
    EXPECT_TRUE(uids.insert(other.uid).second);
  }
}

TEST_F(StoreTest, SavingAgainRewritesInPlace) {
  auto store = OpenStore();
  Appointment item = Full();
  store->Save(item);
  const Appointment first = item;
  item.subject = "Fajr";
  item.userProperties = {{"Other", PropertyType::kText, std::string("x")}};
  item.uid = "forged";
  item.folder = FolderKind::kDeletedItems;  // only Delete moves items
  store->Save(item);
  EXPECT_EQ(item.id, first.id);
  EXPECT_EQ(item.uid, first.uid);
  EXPECT_EQ(item.folder, FolderKind::kCalendar);
  ExpectSame(*store->Load(item.id), item);
  EXPECT_EQ(store->Count(FolderKind::kCalendar), 1u);
  // An item removed for good is not brought back by saving a stale copy.
  store->Delete(item.id);
  store->Delete(item.id);
  EXPECT_EQ(ReasonOf([&] { store->Save(item); }), StoreError::Reason::kNotFound);
  EXPECT_EQ(store->Count(FolderKind::kCalendar) + store->Count(FolderKind::kDeletedItems), 0u);
}

TEST_F(StoreTest, AnItemThatCannotBeKeptAsGivenIsRefusedWhole) {
  auto store = OpenStore();
  std::vector<std::function<void(Appointment&)>> faults = {
      [](Appointment& a) { a.start = std::nan(""); },
      [](Appointment& a) { a.end = 1e12; },
      [](Appointment& a) { a.folder = static_cast<FolderKind>(4); },
      [](Appointment& a) { a.id = -1; },
      [](Appointment& a) { a.userProperties[1].name = "prayernum"; },
      [](Appointment& a) { a.userProperties[0].value = std::string("2"); },
      [](Appointment& a) { a.userProperties[1].value = 2.0; },
      [](Appointment& a) { a.userProperties[0].value = std::numeric_limits<double>::infinity(); },
      [](Appointment& a) { a.userProperties[2].value = 1e10; },  // no date
      [](Appointment& a) { a.userProperties[0].type = static_cast<PropertyType>(2); },
      [](Appointment& a) { a.userProperties[0].name.clear(); },
  };
  for (std::size_t i = 0; i < faults.size(); ++i) {
    Appointment bad = Full();
    faults[i](bad);
    EXPECT_EQ(ReasonOf([&] { store->Save(bad); }), StoreError::Reason::kInvalidItem) << i;
    EXPECT_LE(bad.id, 0) << i;
    // In a batch, the good items are not saved either.
    std::vector<Appointment> batch{Full(), bad, Full()};
    EXPECT_EQ(ReasonOf([&] { store->SaveAll(batch); }), StoreError::Reason::kInvalidItem) << i;
    EXPECT_EQ(batch[0].id, 0) << i;
  }
  EXPECT_EQ(store->Count(FolderKind::kCalendar), 0u);
  EXPECT_EQ(store->ChangeCount(), 0u);
}

TEST_F(StoreTest, DeleteMovesToDeletedItemsThenRemovesForGood) {
  auto store = OpenStore();
  std::vector<Appointment> items{Full(), Prayer("Zuhr", Date(2026, 12, 6, 12), 2),
                                 Prayer("Asr", Date(2026, 12, 6, 15), 3)};
  store->SaveAll(items);
  const host::ItemId zuhr = items[1].id;
  EXPECT_EQ(store->Delete(zuhr), host::DeleteOutcome::kMovedToDeletedItems);
  EXPECT_EQ(store->List(FolderKind::kCalendar),
            (std::vector<host::ItemId>{items[0].id, items[2].id}));
  EXPECT_EQ(store->List(FolderKind::kDeletedItems), std::vector<host::ItemId>{zuhr});
  const auto moved = store->Load(zuhr);
  ASSERT_TRUE(moved);
  EXPECT_EQ(moved->folder, FolderKind::kDeletedItems);
  EXPECT_EQ(moved->uid, items[1].uid);
  EXPECT_EQ(moved->userProperties.size(), 1u);  // properties go along
  EXPECT_EQ(store->Delete(zuhr), host::DeleteOutcome::kRemoved);
  EXPECT_FALSE(store->Load(zuhr));
  EXPECT_EQ(store->Count(FolderKind::kDeletedItems), 0u);
  EXPECT_EQ(ReasonOf([&] { store->Delete(zuhr); }), StoreError::Reason::kNotFound);
  EXPECT_EQ(ReasonOf([&] { store->Delete(9999); }), StoreError::Reason::kNotFound);
  EXPECT_TRUE(store->CheckIntegrity().empty());
  // Ids are never handed out again.
  Appointment next = Full();
  store->Save(next);
  EXPECT_GT(next.id, items[2].id);
}

TEST_F(StoreTest, FoldersListCountAndLoadInTheOrderOfSaving) {
  auto store = OpenStore();
  std::vector<host::ItemId> ids;
  // Saved out of time order; listed by saving, not by Start.
  for (int day : {9, 3, 7, 1}) {
    Appointment item = Prayer("Fajr", Date(2026, 12, day, 5), 0);
    store->Save(item);
    ids.push_back(item.id);
  }
  Appointment first = *store->Load(ids[0]);
  first.start = Date(2020, 1, 1);
  store->Save(first);  // a rewrite keeps its place
  EXPECT_EQ(store->List(FolderKind::kCalendar), ids);
  EXPECT_EQ(store->Count(FolderKind::kCalendar), 4u);
  EXPECT_TRUE(store->List(FolderKind::kDeletedItems).empty());
  // The whole folder at once, as the mirror reads it.
  store->Delete(ids[2]);
  const std::vector<Appointment> all = store->LoadFolder(FolderKind::kCalendar);
  ASSERT_EQ(all.size(), 3u);
  for (std::size_t i = 0; i < all.size(); ++i) ExpectSame(all[i], *store->Load(all[i].id));
  EXPECT_EQ(all[0].start, Date(2020, 1, 1));
  EXPECT_EQ(all[2].id, ids[3]);
  EXPECT_EQ(store->LoadFolder(FolderKind::kDeletedItems).size(), 1u);
}

TEST_F(StoreTest, FolderFieldsBelongToTheirFolder) {
  auto store = OpenStore();
  EXPECT_FALSE(store->HasFolderField(FolderKind::kCalendar, "PrayerNum"));
  EXPECT_TRUE(store->AddFolderField(FolderKind::kCalendar, "PrayerNum", PropertyType::kNumber));
  EXPECT_TRUE(store->HasFolderField(FolderKind::kCalendar, "PRAYERNUM"));
  EXPECT_FALSE(store->HasFolderField(FolderKind::kDeletedItems, "PrayerNum"));
  EXPECT_FALSE(store->AddFolderField(FolderKind::kCalendar, "prayernum", PropertyType::kNumber));
  EXPECT_EQ(ReasonOf([&] {
              store->AddFolderField(FolderKind::kCalendar, "PrayerNum", PropertyType::kText);
            }),
            StoreError::Reason::kConflict);
  for (const char* bad : {"", "a]b", "[x"}) {
    EXPECT_EQ(ReasonOf([&] {
                store->AddFolderField(FolderKind::kCalendar, bad, PropertyType::kText);
              }),
              StoreError::Reason::kInvalidItem)
        << bad;
  }
  const auto fields = OpenStore()->FolderFields(FolderKind::kCalendar);
  ASSERT_EQ(fields.size(), 1u);
  EXPECT_EQ(fields[0].name, "PrayerNum");
  EXPECT_EQ(fields[0].type, PropertyType::kNumber);
}

TEST_F(StoreTest, EveryCommittedChangeCountsAndIsHeard) {
  auto store = OpenStore();
  std::vector<std::uint64_t> heard;
  const int listener = store->AddChangeListener([&](std::uint64_t count) {
    heard.push_back(count);
    // A listener may read the store, as the mirror does.
    EXPECT_EQ(store->ChangeCount(), count);
  });
  Appointment item = Full();
  store->Save(item);
  std::vector<Appointment> batch{Full(), Full()};
  store->SaveAll(batch);  // one change
  store->Delete(item.id);
  store->AddFolderField(FolderKind::kCalendar, "PrayerNum", PropertyType::kNumber);  // no item changed
  Appointment bad = Full();
  bad.start = std::nan("");
  EXPECT_THROW(store->Save(bad), StoreError);
  EXPECT_EQ(heard, (std::vector<std::uint64_t>{1, 2, 3}));
  store->RemoveChangeListener(listener);
  store->Delete(item.id);
  EXPECT_EQ(heard.size(), 3u);
  // Kept in the file: another connection counts the same.
  EXPECT_EQ(OpenStore()->ChangeCount(), 4u);
}

TEST_F(StoreTest, TheProfilesStoreFollowsTheProfile) {
  auto first = host::CalendarStore::ForCurrentProfile();
  EXPECT_EQ(first, host::CalendarStore::ForCurrentProfile());
  EXPECT_EQ(first->File(), profile_.Dir() / "outlook.db");
  Appointment item = Full();
  first->Save(item);
  host::CalendarStore::SetProcessOptions({.userFieldsInFilters = false});
  EXPECT_FALSE(first->Options().userFieldsInFilters);
  {
    TestProfile other;
    auto second = host::CalendarStore::ForCurrentProfile();
    EXPECT_NE(second, first);
    EXPECT_EQ(second->Count(FolderKind::kCalendar), 0u);
    EXPECT_FALSE(second->Options().userFieldsInFilters);
  }
  host::CalendarStore::SetProcessOptions({});
  setenv("ORVANE_HOME", profile_.Dir().c_str(), 1);
  // A file replaced under us is opened afresh.
  for (const char* name : {"outlook.db", "outlook.db-wal", "outlook.db-shm"}) {
    std::filesystem::remove(profile_.Dir() / name);
  }
  auto third = host::CalendarStore::ForCurrentProfile();
  EXPECT_NE(third, first);
  EXPECT_EQ(third->Count(FolderKind::kCalendar), 0u);
  EXPECT_TRUE(third->Options().userFieldsInFilters);
}

TEST_F(StoreTest, AFolderLoadedAgainShowsEveryChangeWhoeverMadeIt) {
  auto store = OpenStore();
  Appointment item = Prayer("Asr", Date(2004, 3, 21, 15), 3);
  store->Save(item);
  ASSERT_EQ(store->LoadFolder(FolderKind::kCalendar).size(), 1u);
  item.subject = "Asr (moved)";
  store->Save(item);
  EXPECT_EQ(store->LoadFolder(FolderKind::kCalendar).at(0).subject, "Asr (moved)");
  {
    auto other = OpenStore();
    Appointment mine = Prayer("Dentist", Date(2004, 3, 22, 9), 0);
    other->Save(mine);
    other->Delete(item.id);
  }
  const auto calendar = store->LoadFolder(FolderKind::kCalendar);
  ASSERT_EQ(calendar.size(), 1u);
  EXPECT_EQ(calendar[0].subject, "Dentist");
  EXPECT_EQ(store->LoadFolder(FolderKind::kDeletedItems).at(0).subject, "Asr (moved)");
}

TEST_F(StoreTest, AnotherConnectionGetsItsTurnDuringALongRunOfSaves) {
  // One connection saves without pause, as a fill does; another, opened
  // meanwhile, reads and saves before the run is over.
  auto writer = OpenStore();
  Appointment first = Prayer("Fajr", Date(2004, 3, 21, 5), 0);
  writer->Save(first);
  std::atomic<bool> done{false};
  std::atomic<int> saved{0};
  std::exception_ptr failure;
  std::thread run([&] {
    try {
      const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(30);
      for (int n = 0; !done && std::chrono::steady_clock::now() < give_up; ++n) {
        Appointment item = Prayer("Asr", Date(2004, 3, 21, 15) + n / 1440.0, 3);
        writer->Save(item);
        ++saved;
      }
    } catch (...) {
      failure = std::current_exception();
    }
  });
  {
    auto other = OpenStore();
    EXPECT_TRUE(other->Load(first.id).has_value());
    Appointment mine = Prayer("Dentist", Date(2004, 3, 22, 9), 0);
    EXPECT_NO_THROW(other->Save(mine));
  }
  const int before = saved;
  done = true;
  run.join();
  if (failure) std::rethrow_exception(failure);
  EXPECT_GT(before, 0);
  EXPECT_EQ(OpenStore()->Count(FolderKind::kCalendar), static_cast<std::size_t>(saved + 2));
}

TEST_F(StoreTest, AStoreCarriedIntoAChildProcessSavesAndClosesThere) {
  auto store = OpenStore();
  Appointment first = Prayer("Fajr", Date(2004, 3, 21, 5), 0);
  store->Save(first);  // the parent holds the file for its run of saves
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    bool saved = false;
    try {
      Appointment mine = Prayer("Zuhr", Date(2004, 3, 21, 12, 10), 2);
      store->Save(mine);
      saved = mine.id > 0;
      store.reset();  // closed in the child, where the parent's thread is not
    } catch (...) {
    }
    _exit(saved ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  Appointment after = Prayer("Asr", Date(2004, 3, 21, 15, 30), 3);
  store->Save(after);
  EXPECT_EQ(store->Count(FolderKind::kCalendar), 3u);
}

TEST_F(StoreTest, SavesBesideAnotherConnectionLeaveTheFileOpenToNewcomers) {
  auto store = OpenStore();
  {
    auto reader = OpenStore();
    EXPECT_EQ(reader->Count(FolderKind::kCalendar), 0u);
    Appointment item = Prayer("Isha", Date(2004, 3, 21, 19, 30), 5);
    store->Save(item);  // cannot hold the file: the reader has it open
  }
  auto newcomer = OpenStore();
  EXPECT_EQ(newcomer->Count(FolderKind::kCalendar), 1u);
  Appointment mine = Prayer("Dentist", Date(2004, 3, 22, 9), 0);
  EXPECT_NO_THROW(newcomer->Save(mine));
}

// Runs SQL on a file the way an earlier host left it.
void WriteWithSqlite(const std::filesystem::path& file, const char* sql) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
  char* error = nullptr;
  EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, &error), SQLITE_OK) << (error ? error : "");
  sqlite3_free(error);
  sqlite3_close(db);
}

TEST_F(StoreTest, AStoreOfTheFirstLayoutKeepsItsItemsAndItsCount) {
  const std::string tables = std::string(kFirstLayoutItemTables) + kFirstLayoutOtherTables;
  WriteWithSqlite(profile_.Dir() / "outlook.db",
                  ("PRAGMA journal_mode=WAL;" + tables +
                  "INSERT INTO counters VALUES('changes', 41);"
                  "INSERT INTO items VALUES(7, 'u-7', 9, 38067.5, 3288988800, 38067.51, 'Asr', '', 2, 1, 5, 0, '');"
                  "INSERT INTO item_properties VALUES(7, 0, 'PrayerNum', 'prayernum', 3, 3, NULL);"
                  "PRAGMA user_version = 1;").c_str());
  auto store = OpenStore();
  EXPECT_EQ(store->ChangeCount(), 41u);
  const auto old = store->Load(7);
  ASSERT_TRUE(old.has_value());
  EXPECT_EQ(old->subject, "Asr");
  ASSERT_EQ(old->userProperties.size(), 1u);
  // Ids go on after the old ones, and the count from where it was.
  Appointment item = Prayer("Maghrib", Date(2004, 3, 22, 18), 4);
  store->Save(item);
  EXPECT_EQ(item.id, 8);
  store->Delete(old->id);
  EXPECT_EQ(store->ChangeCount(), 43u);
  store.reset();
  EXPECT_EQ(OpenStore()->ChangeCount(), 43u);
}

TEST_F(StoreTest, AStoreOfALaterLayoutIsRefused) {
  WriteWithSqlite(profile_.Dir() / "outlook.db", "PRAGMA user_version = 3;");
  EXPECT_EQ(ReasonOf([&] { OpenStore(); }), StoreError::Reason::kFailed);
}

TEST_F(StoreTest, AFileThatIsNoStoreIsAnError) {
  std::ofstream(profile_.Dir() / "outlook.db") << std::string(4096, 'x');
  // Told as damaged, not as busy, read-only or full.
  EXPECT_EQ(ReasonOf([&] { OpenStore(); }), StoreError::Reason::kDamaged);
}

}  // namespace
