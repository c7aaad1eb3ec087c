// What the add-in sees of the store's file through the object model: the
// store's identity on every folder, new when the store is, and saves the
// disk refuses answered with the HRESULT of their cause.

#include <cerrno>
#include <filesystem>

#include "platform/win/WinError.h"
#include "tests/model/ModelTest.h"
#include "tests/support/FailingDisk.h"

namespace {

std::string StoreIdOf(MAPIFolder* folder) {
  CComBSTR id;
  EXPECT_EQ(folder->get_StoreID(&id), S_OK);
  return id.Utf8();
}

TEST_F(SessionTest, EveryFolderOfTheStoreHasItsIdentityAndANewStoreAnother) {
  const std::string calendar = StoreIdOf(Folder(olFolderCalendar).Get());
  EXPECT_EQ(calendar.size(), 32u);
  EXPECT_EQ(StoreIdOf(Folder(olFolderDeletedItems).Get()), calendar);
  EXPECT_EQ(calendar, session_->Store(session_->StoreGeneration())->Identity());

  // The same file in the next session.
  Open();
  EXPECT_EQ(StoreIdOf(Folder(olFolderCalendar).Get()), calendar);

  // Closed, another file put in its place, added again: another store. The
  // folder of the old one has no store to answer for.
  ComPtr<MAPIFolder> old = Folder(olFolderCalendar);
  session_->CloseStore();
  std::filesystem::remove(profile_.Dir() / "outlook.db");
  session_->AddStore();
  const std::string replaced = StoreIdOf(Folder(olFolderCalendar).Get());
  EXPECT_NE(replaced, calendar);
  CComBSTR stale;
  EXPECT_EQ(old->get_StoreID(&stale), host::MAPI_E_NOT_FOUND);
  EXPECT_EQ(stale.Get(), nullptr);
  EXPECT_EQ(Folder(olFolderCalendar)->get_StoreID(nullptr), E_POINTER);
}

// A failed save is a failure the add-in can name: a full disk, a read-only
// one; the session keeps count for the host to report at the end.
TEST_F(ModelTest, SavesTheDiskRefusesFailWithTheirCause) {
  FailingDisk disk;
  Open();
  ComPtr<_AppointmentItem> item = SavePrayer("Fajr", Date(2004, 3, 21, 4, 30), 0);
  disk.FailWrites(ENOSPC);
  ASSERT_EQ(item->put_Subject(CComBSTR("Fajr prayer").Get()), S_OK);
  EXPECT_EQ(item->Save(), HRESULT_FROM_WIN32(ERROR_DISK_FULL));
  ComPtr<_AppointmentItem> fresh = CreateAppointment();
  fresh->put_Start(Date(2004, 3, 21, 12, 5));
  fresh->put_End(Date(2004, 3, 21, 12, 15));
  EXPECT_EQ(fresh->Save(), HRESULT_FROM_WIN32(ERROR_DISK_FULL));
  disk.FailWrites(EROFS);
  EXPECT_EQ(fresh->Save(), E_ACCESSDENIED);
  EXPECT_EQ(item->Delete(), E_ACCESSDENIED);
  disk.FailWrites(0);

  const host::CalendarStore::FailedWrites failed = session_->StoreWriteFailures();
  EXPECT_EQ(failed.count, 4u);
  EXPECT_EQ(failed.reason, host::StoreError::Reason::kDiskFull);
  EXPECT_EQ(Count(ItemsOf(olFolderCalendar).Get()), 1);
  EXPECT_EQ(fresh->Save(), S_OK);
  EXPECT_EQ(Count(ItemsOf(olFolderCalendar).Get()), 2);
  // The store's connection goes before the disk it was opened on.
  item.Reset();
  fresh.Reset();
  session_->Shutdown();
  session_.reset();
}

}  // namespace
