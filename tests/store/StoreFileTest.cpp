// The store's file as a whole: the identity it is made with, and writes the
// disk refuses, which the store names by their cause and keeps count of.

#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <fstream>

#include "host/store/StoreError.h"
#include "tests/store/StoreTest.h"
#include "tests/support/FailingDisk.h"

namespace {

using host::StoreError;

StoreError::Reason ReasonOfSave(host::CalendarStore& store, host::Appointment item) {
  try {
    store.Save(item);
  } catch (const StoreError& e) {
    return e.WhyFailed();
  }
  ADD_FAILURE() << "the save did not fail";
  return StoreError::Reason::kNotFound;
}

// What a program learnt about a store (how far it filled the calendar)
// holds for that store only: a new file, one put in its place, or one
// emptied to nothing is another store.
TEST_F(StoreTest, TheIdentityIsMadeWithTheFileAndGoesWithIt) {
  const std::filesystem::path file = profile_.Dir() / "outlook.db";
  std::string first;
  {
    auto store = OpenStore();
    first = store->Identity();
    EXPECT_EQ(first.size(), 32u);
    EXPECT_EQ(first.find_first_not_of("0123456789ABCDEF"), std::string::npos) << first;
    auto item = Prayer("Fajr", Date(2004, 3, 21, 4, 30), 0);
    store->Save(item);
    EXPECT_EQ(store->Identity(), first);
  }
  EXPECT_EQ(OpenStore()->Identity(), first) << "kept in the file";

  // A copy is the same store; the original put back after it, too.
  const std::filesystem::path copy = profile_.Dir() / "copy.db";
  std::filesystem::copy_file(file, copy);
  EXPECT_EQ(host::CalendarStore::Open(copy)->Identity(), first);

  // Removed and made again.
  std::filesystem::remove(file);
  const std::string remade = OpenStore()->Identity();
  EXPECT_NE(remade, first);
  EXPECT_EQ(remade.size(), 32u);

  // Emptied to nothing.
  std::filesystem::resize_file(file, 0);
  const std::string emptied = OpenStore()->Identity();
  EXPECT_NE(emptied, remade);
  EXPECT_NE(emptied, first);

  // The current profile's store follows a file put in its place.
  auto current = host::CalendarStore::ForCurrentProfile();
  EXPECT_EQ(current->Identity(), emptied);
  std::filesystem::rename(copy, file);
  EXPECT_EQ(host::CalendarStore::ForCurrentProfile()->Identity(), first);
}

TEST_F(StoreTest, AStoreFromBeforeIdentitiesGetsOneAndKeepsItsItems) {
  const std::filesystem::path file = profile_.Dir() / "outlook.db";
  {
    auto store = OpenStore();
    auto item = Prayer("Fajr", Date(2004, 3, 21, 4, 30), 0);
    store->Save(item);
  }
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(db, "DROP TABLE store_identity", nullptr, nullptr, nullptr), SQLITE_OK);
  sqlite3_close(db);

  auto store = OpenStore();
  EXPECT_EQ(store->Identity().size(), 32u);
  EXPECT_EQ(store->Count(host::FolderKind::kCalendar), 1u);
  EXPECT_EQ(OpenStore()->Identity(), store->Identity());
}

// A full or read-only disk is told as such, not as a damaged file; the
// store counts the writes it lost, and a write refused for the item itself
// is not among them.
TEST_F(StoreTest, WritesTheDiskRefusesAreNamedByTheirCauseAndCounted) {
  FailingDisk disk;
  auto store = OpenStore();
  auto kept = Prayer("Fajr", Date(2004, 3, 21, 4, 30), 0);
  store->Save(kept);

  disk.FailWrites(ENOSPC);
  EXPECT_EQ(ReasonOfSave(*store, Prayer("Zuhr", Date(2004, 3, 21, 12, 5), 2)), StoreError::Reason::kDiskFull);
  disk.FailWrites(EROFS);
  EXPECT_EQ(ReasonOfSave(*store, Prayer("Asr", Date(2004, 3, 21, 15, 30), 3)), StoreError::Reason::kNoAccess);
  EXPECT_THROW(store->Delete(kept.id), StoreError);
  disk.FailWrites(0);

  auto bad = Prayer("Isha", Date(2004, 3, 21, 19, 30), 5);
  bad.end = std::nan("");
  EXPECT_EQ(ReasonOfSave(*store, bad), StoreError::Reason::kInvalidItem);

  const host::CalendarStore::FailedWrites failed = store->WriteFailures();
  EXPECT_EQ(failed.count, 3u);
  EXPECT_EQ(failed.reason, StoreError::Reason::kDiskFull);
  EXPECT_NE(failed.message.find("outlook.db"), std::string::npos) << failed.message;

  // Nothing was half kept, and the disk back to normal takes saves again.
  EXPECT_EQ(store->Count(host::FolderKind::kCalendar), 1u);
  auto later = Prayer("Maghrib", Date(2004, 3, 21, 18, 10), 4);
  store->Save(later);
  EXPECT_EQ(store->Count(host::FolderKind::kCalendar), 2u);
  EXPECT_TRUE(store->CheckIntegrity().empty());
}

TEST_F(StoreTest, ANewStoreFileIsForItsUserAlone) {
  const mode_t old = ::umask(022);
  OpenStore();
  ::umask(old);
  struct stat st {};
  ASSERT_EQ(::stat((profile_.Dir() / "outlook.db").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
}

}  // namespace
