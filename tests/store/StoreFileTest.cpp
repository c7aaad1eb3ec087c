// The store's file as a whole: writes the disk refuses, which the store
// names by their cause and keeps count of; a new file's mode.

#include <sys/stat.h>

#include <cerrno>
#include <filesystem>

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
