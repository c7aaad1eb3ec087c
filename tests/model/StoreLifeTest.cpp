// Deleting items (to Deleted Items, then for good), and the store closed
// and added again under the add-in's feet.

#include "tests/model/ModelTest.h"

namespace {

TEST_F(SessionTest, DeleteMovesToDeletedItemsThenRemovesForGood) {
  ComPtr<_AppointmentItem> item = SavePrayer("Fajr", Date(2026, 12, 6, 5, 10), 3);
  ComPtr<_Items> calendar = ItemsOf(olFolderCalendar), deleted = ItemsOf(olFolderDeletedItems);
  ASSERT_EQ(item->Delete(), S_OK);
  EXPECT_EQ(Count(calendar.Get()), 0);
  ASSERT_EQ(Count(deleted.Get()), 1);

  ComPtr<IDispatch> moved;
  ASSERT_EQ(deleted->Item(CComVariant::I4(1), moved.ReleaseAndGetAddressOf()), S_OK);
  EXPECT_EQ(SubjectOf(moved.Get()), "Fajr");
  ComPtr<_AppointmentItem> there = AsItem(moved.Get());
  ASSERT_EQ(there->Delete(), S_OK);
  EXPECT_EQ(Count(deleted.Get()), 0);

  // The object of an item deleted for good fails every call after.
  CComBSTR subject;
  EXPECT_EQ(there->get_Subject(&subject), host::MAPI_E_NOT_FOUND);
  EXPECT_EQ(there->Save(), host::MAPI_E_NOT_FOUND);
  EXPECT_EQ(there->Delete(), host::MAPI_E_NOT_FOUND);
  ComPtr<UserProperties> properties;
  EXPECT_EQ(there->get_UserProperties(properties.ReleaseAndGetAddressOf()), host::MAPI_E_NOT_FOUND);
  // Another object of that item finds it gone when it reaches the store,
  // and a save does not bring it back.
  EXPECT_EQ(item->Save(), host::MAPI_E_NOT_FOUND);
  EXPECT_EQ(item->Delete(), host::MAPI_E_NOT_FOUND);
  EXPECT_EQ(Count(calendar.Get()) + Count(deleted.Get()), 0);
}

TEST_F(SessionTest, AStaleObjectCannotRemoveAnItemAnotherMovedToDeletedItems) {
  SavePrayer("Fajr", Date(2026, 12, 6, 5, 10), 3);
  ComPtr<IDispatch> first, second;
  ASSERT_EQ(ItemsOf(olFolderCalendar)->Item(CComVariant::I4(1), first.ReleaseAndGetAddressOf()), S_OK);
  ASSERT_EQ(ItemsOf(olFolderCalendar)->Item(CComVariant::I4(1), second.ReleaseAndGetAddressOf()), S_OK);
  ASSERT_EQ(AsItem(first.Get())->Delete(), S_OK);
  // The second object still has the item in the Calendar: its Delete means
  // "move to Deleted Items", and must not empty it from there.
  EXPECT_EQ(AsItem(second.Get())->Delete(), host::MAPI_E_NOT_FOUND);
  EXPECT_EQ(Count(ItemsOf(olFolderDeletedItems).Get()), 1);
}

TEST_F(SessionTest, DeletingANeverSavedItemStoresNothing) {
  ComPtr<_AppointmentItem> item = CreateAppointment();
  ASSERT_EQ(item->Delete(), S_OK);
  EXPECT_EQ(item->Save(), host::MAPI_E_NOT_FOUND);
  EXPECT_EQ(Count(ItemsOf(olFolderCalendar).Get()), 0);
  EXPECT_EQ(Count(ItemsOf(olFolderDeletedItems).Get()), 0);
}

TEST_F(SessionTest, ASnapshotsItemDeletedSinceFailsWhenFetched) {
  SavePrayer("Fajr", Date(2026, 12, 6, 5, 10), 3);
  ComPtr<_AppointmentItem> dhuhr = SavePrayer("Dhuhr", Date(2026, 12, 6, 11, 50), 4);
  ComPtr<_Items> snapshot;
  CComBSTR all("[PrayerNum] > 0");
  ASSERT_EQ(ItemsOf(olFolderCalendar)->Restrict(all.Get(), snapshot.ReleaseAndGetAddressOf()), S_OK);
  ASSERT_EQ(dhuhr->Delete(), S_OK);  // moved to Deleted Items

  EXPECT_EQ(Count(snapshot.Get()), 2);
  ComPtr<IDispatch> item;
  EXPECT_EQ(snapshot->Item(CComVariant::I4(2), item.ReleaseAndGetAddressOf()), host::MAPI_E_NOT_FOUND);
  EXPECT_FALSE(item);
  ASSERT_EQ(snapshot->Item(CComVariant::I4(1), item.ReleaseAndGetAddressOf()), S_OK);
  EXPECT_EQ(SubjectOf(item.Get()), "Fajr");
  // Find over the snapshot skips it.
  ASSERT_EQ(snapshot->Find(all.Get(), item.ReleaseAndGetAddressOf()), S_OK);
  EXPECT_EQ(SubjectOf(item.Get()), "Fajr");
  ASSERT_EQ(snapshot->FindNext(item.ReleaseAndGetAddressOf()), S_OK);
  EXPECT_FALSE(item);
}

TEST_F(SessionTest, AStoreClosedAndAddedAgainRaisesItsEventsAndKillsOldObjects) {
  ComPtr<_Folders> folders;
  ASSERT_EQ(Mapi()->get_Folders(folders.ReleaseAndGetAddressOf()), S_OK);
  ComPtr<RecordingSink> sink = RecordingSink::Make(FoldersEvents::kIID);
  ASSERT_EQ(sink->Advise(folders.Get()), S_OK);

  ComPtr<_AppointmentItem> item = SavePrayer("Fajr", Date(2026, 12, 6, 5, 10), 3);
  ComPtr<UserProperties> oldProperties;
  ASSERT_EQ(item->get_UserProperties(oldProperties.ReleaseAndGetAddressOf()), S_OK);
  ComPtr<UserProperty> oldNumber;
  CComBSTR prayerNum("PrayerNum");
  ASSERT_EQ(oldProperties->Find(prayerNum.Get(), Missing(), oldNumber.ReleaseAndGetAddressOf()), S_OK);
  ComPtr<MAPIFolder> oldFolder = Folder(olFolderCalendar);
  ComPtr<_Items> oldItems = ItemsOf(olFolderCalendar);

  session_->CloseStore();
  session_->CloseStore();  // already closed: nothing more
  ASSERT_EQ(sink->Calls().size(), 1u);
  EXPECT_EQ(sink->Calls()[0].id, FoldersEvents::kFolderRemove);
  EXPECT_TRUE(sink->Calls()[0].args.empty());

  ComPtr<MAPIFolder> none;
  EXPECT_EQ(Mapi()->GetDefaultFolder(olFolderCalendar, none.ReleaseAndGetAddressOf()), S_OK);
  EXPECT_FALSE(none);
  LONG count = -1;
  EXPECT_EQ(folders->get_Count(&count), S_OK);
  EXPECT_EQ(count, 0);
  ComPtr<IDispatch> created;
  EXPECT_TRUE(FAILED(App()->CreateItem(olAppointmentItem, created.ReleaseAndGetAddressOf())));
  EXPECT_FALSE(created);
  EXPECT_EQ(oldItems->get_Count(&count), host::MAPI_E_NOT_FOUND);

  session_->AddStore();
  ASSERT_EQ(sink->Calls().size(), 2u);
  const RecordingSink::Call& added = sink->Calls()[1];
  EXPECT_EQ(added.id, FoldersEvents::kFolderAdd);
  ASSERT_EQ(added.args.size(), 1u);
  ASSERT_EQ(added.args[0].vt, VT_DISPATCH);
  ComPtr<MAPIFolder> top;
  ASSERT_EQ(added.args[0].pdispVal->QueryInterface(MAPIFolder::kIID, top.ReleaseAndGetVoidAddress()), S_OK);
  CComBSTR name;
  EXPECT_EQ(top->get_Name(&name), S_OK);
  EXPECT_EQ(name.Utf8(), "Personal Folders");
  EXPECT_EQ(folders->get_Count(&count), S_OK);
  EXPECT_EQ(count, 1);

  // What was taken before the close stays dead.
  EXPECT_EQ(oldItems->get_Count(&count), host::MAPI_E_NOT_FOUND);
  EXPECT_EQ(oldFolder->get_Name(&name), host::MAPI_E_NOT_FOUND);
  ComPtr<_Items> items;
  EXPECT_EQ(oldFolder->get_Items(items.ReleaseAndGetAddressOf()), host::MAPI_E_NOT_FOUND);
  EXPECT_EQ(item->Save(), host::MAPI_E_NOT_FOUND);
  EXPECT_EQ(item->Delete(), host::MAPI_E_NOT_FOUND);
  DATE start = 0;
  EXPECT_EQ(item->get_Start(&start), host::MAPI_E_NOT_FOUND);
  // Its user properties too: no stale value read, no write taken.
  CComVariant value;
  EXPECT_EQ(oldNumber->get_Value(&value), host::MAPI_E_NOT_FOUND);
  EXPECT_EQ(value.vt, VT_EMPTY);
  EXPECT_EQ(oldNumber->put_Value(CComVariant::I4(4)), host::MAPI_E_NOT_FOUND);
  EXPECT_EQ(oldProperties->get_Count(&count), host::MAPI_E_NOT_FOUND);

  // New objects work, and see what was saved before.
  ComPtr<_Items> fresh = ItemsOf(olFolderCalendar);
  ASSERT_EQ(Count(fresh.Get()), 1);
  ComPtr<IDispatch> first;
  ASSERT_EQ(fresh->Item(CComVariant::I4(1), first.ReleaseAndGetAddressOf()), S_OK);
  EXPECT_EQ(SubjectOf(first.Get()), "Fajr");
  ASSERT_EQ(App()->CreateItem(olAppointmentItem, created.ReleaseAndGetAddressOf()), S_OK);
  EXPECT_EQ(AsItem(created.Get())->Save(), S_OK);
  EXPECT_EQ(Count(fresh.Get()), 2);

  session_->AddStore();  // already open: no second FolderAdd
  EXPECT_EQ(sink->Calls().size(), 2u);
  sink->Clear();
}

}  // namespace
