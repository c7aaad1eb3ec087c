// What the add-in sees of the store's file through the object model: saves
// the disk refuses, answered with the HRESULT of their cause.

#include <cerrno>

#include "platform/win/WinError.h"
#include "tests/model/ModelTest.h"
#include "tests/support/FailingDisk.h"

namespace {

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
