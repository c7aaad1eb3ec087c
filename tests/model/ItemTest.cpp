// Appointment items and their user properties, as the add-in makes them:
// CreateItem, fill in, add PrayerNum, Save, and read back through Items.

#include <cstdlib>

#include "tests/model/ModelTest.h"

namespace {

constexpr double kMinute = 1.0 / 1440.0;

TEST_F(SessionTest, SavedItemReadsBackThroughItemsWithItsUserProperty) {
  const DATE fajr = Date(2026, 12, 6, 5, 10);
  SavePrayer("Fajr", fajr, 3);
  ComPtr<_Items> items = ItemsOf(olFolderCalendar);
  ASSERT_EQ(Count(items.Get()), 1);

  ComPtr<IDispatch> first;
  ASSERT_EQ(items->Item(CComVariant::I4(1), first.ReleaseAndGetAddressOf()), S_OK);
  EXPECT_EQ(SubjectOf(first.Get()), "Fajr");
  ComPtr<_AppointmentItem> item = AsItem(first.Get());
  DATE start = 0, end = 0;
  EXPECT_EQ(item->get_Start(&start), S_OK);
  EXPECT_EQ(item->get_End(&end), S_OK);
  EXPECT_NEAR(start, fajr, 1e-9);
  EXPECT_NEAR(end - start, 10 * kMinute, 1e-9);

  ComPtr<UserProperties> properties;
  ASSERT_EQ(item->get_UserProperties(properties.ReleaseAndGetAddressOf()), S_OK);
  LONG count = 0;
  EXPECT_EQ(properties->get_Count(&count), S_OK);
  EXPECT_EQ(count, 1);
  ComPtr<UserProperty> number;  // names compare without regard to case
  ASSERT_EQ(properties->Find(CComBSTR("prayernum").Get(), Missing(), number.ReleaseAndGetAddressOf()), S_OK);
  ASSERT_TRUE(number);
  CComVariant value;
  ASSERT_EQ(number->get_Value(&value), S_OK);
  EXPECT_EQ(value.vt, VT_R8);  // an olNumber is a Double, whatever it was set from
  EXPECT_EQ(value.dblVal, 3.0);

  // Index 0 and Count + 1 are out of bounds.
  ComPtr<IDispatch> none;
  EXPECT_EQ(items->Item(CComVariant::I4(0), none.ReleaseAndGetAddressOf()), host::DISP_E_BADINDEX);
  EXPECT_EQ(items->Item(CComVariant::I4(2), none.ReleaseAndGetAddressOf()), host::DISP_E_BADINDEX);
  EXPECT_FALSE(none);

  // The folder's own collection is live: it sees the next save at once.
  SavePrayer("Dhuhr", Date(2026, 12, 6, 11, 50), 4);
  EXPECT_EQ(Count(items.Get()), 2);
}

TEST_F(SessionTest, UserPropertiesAddFindAndConvertByType) {
  ComPtr<_AppointmentItem> item = CreateAppointment();
  ComPtr<UserProperties> properties;
  ASSERT_EQ(item->get_UserProperties(properties.ReleaseAndGetAddressOf()), S_OK);
  const CComBSTR prayerNum("PrayerNum"), other("Other");
  ComPtr<UserProperty> added, again, refused, found;
  ASSERT_EQ(properties->Add(prayerNum.Get(), olNumber, True(), CComVariant::I4(9), added.ReleaseAndGetAddressOf()),
            S_OK);

  // The same name and type answers the property there; another type fails.
  ASSERT_EQ(properties->Add(prayerNum.Get(), olNumber, True(), Missing(), again.ReleaseAndGetAddressOf()), S_OK);
  ASSERT_EQ(again->put_Value(CComVariant::I4(7)), S_OK);
  CComVariant value;
  ASSERT_EQ(added->get_Value(&value), S_OK);
  EXPECT_EQ(value.dblVal, 7.0);  // both objects are the one property
  EXPECT_EQ(properties->Add(prayerNum.Get(), olText, True(), Missing(), refused.ReleaseAndGetAddressOf()),
            E_INVALIDARG);
  EXPECT_FALSE(refused);
  LONG count = 0;
  EXPECT_EQ(properties->get_Count(&count), S_OK);
  EXPECT_EQ(count, 1);

  // A name the item lacks is found as nothing, without failing.
  ASSERT_EQ(properties->Find(other.Get(), Missing(), found.ReleaseAndGetAddressOf()), S_OK);
  EXPECT_FALSE(found);

  // Values are converted to the property's type; what cannot be is refused
  // and the old value stays.
  EXPECT_EQ(added->put_Value(CComVariant::Str("12.5")), S_OK);
  EXPECT_EQ(added->put_Value(CComVariant::Str("twelve")), DISP_E_TYPEMISMATCH);
  ASSERT_EQ(added->get_Value(&value), S_OK);
  EXPECT_EQ(value.dblVal, 12.5);

  // No name, or a type Outlook does not have, is refused.
  EXPECT_EQ(properties->Add(CComBSTR("").Get(), olNumber, Missing(), Missing(), refused.ReleaseAndGetAddressOf()),
            E_INVALIDARG);
  EXPECT_EQ(properties->Add(other.Get(), 99, Missing(), Missing(), refused.ReleaseAndGetAddressOf()), E_INVALIDARG);
}

TEST_F(ModelTest, NewItemStartsAtTheNextHalfHourWithOutlooksDefaults) {
  setenv("ORVANE_NOW", "2004-03-21T23:40:00", 1);  // the next half hour is tomorrow
  Open();
  ComPtr<_AppointmentItem> item = CreateAppointment();
  DATE start = 0, end = 0;
  ASSERT_EQ(item->get_Start(&start), S_OK);
  ASSERT_EQ(item->get_End(&end), S_OK);
  EXPECT_NEAR(start, Date(2004, 3, 22, 0, 0), 1e-9);
  EXPECT_NEAR(end - start, 30 * kMinute, 1e-9);
  VARIANT_BOOL reminder = VARIANT_FALSE;
  LONG minutes = 0, busy = -1;
  EXPECT_EQ(item->get_ReminderSet(&reminder), S_OK);
  EXPECT_EQ(reminder, VARIANT_TRUE);
  EXPECT_EQ(item->get_ReminderMinutesBeforeStart(&minutes), S_OK);
  EXPECT_EQ(minutes, 15);
  EXPECT_EQ(item->get_BusyStatus(&busy), S_OK);
  EXPECT_EQ(busy, olBusy);

  // Moving Start takes End along, keeping the duration; moving End leaves
  // Start where it is.
  const DATE later = Date(2004, 3, 25, 13, 15);
  ASSERT_EQ(item->put_Start(later), S_OK);
  ASSERT_EQ(item->get_End(&end), S_OK);
  EXPECT_NEAR(end, later + 30 * kMinute, 1e-9);
  ASSERT_EQ(item->put_End(later + 45 * kMinute), S_OK);
  ASSERT_EQ(item->get_Start(&start), S_OK);
  EXPECT_NEAR(start, later, 1e-9);
}

TEST_F(SessionTest, SaveRefusesAnItemEndingBeforeItStarts) {
  ComPtr<_AppointmentItem> item = CreateAppointment();
  const DATE start = Date(2026, 12, 6, 12, 0);
  ASSERT_EQ(item->put_Start(start), S_OK);
  ASSERT_EQ(item->put_End(start - kMinute), S_OK);
  EXPECT_EQ(item->Save(), E_INVALIDARG);
  EXPECT_EQ(Count(ItemsOf(olFolderCalendar).Get()), 0);

  // One that ends as it starts is fine; saved again, it is rewritten, not added.
  ASSERT_EQ(item->put_End(start), S_OK);
  EXPECT_EQ(item->Save(), S_OK);
  EXPECT_EQ(item->Save(), S_OK);
  EXPECT_EQ(Count(ItemsOf(olFolderCalendar).Get()), 1);
}

TEST_F(ModelTest, LanguageSettingsAnswerTheHostsInterfaceLanguage) {
  host::SessionOptions options = Options();
  options.uiLanguage = 1025;
  Open(options);
  ComPtr<LanguageSettings> settings;
  ASSERT_EQ(App()->get_LanguageSettings(settings.ReleaseAndGetAddressOf()), S_OK);
  LONG language = 0;
  EXPECT_EQ(settings->get_LanguageID(msoLanguageIDUI, &language), S_OK);
  EXPECT_EQ(language, 1025);
  EXPECT_EQ(settings->get_LanguageID(msoLanguageIDInstall, &language), S_OK);
  EXPECT_EQ(language, 1033);  // Office itself was installed in English
}

}  // namespace
