// Restrict, Find and FindNext through the object model, with the filters
// the add-in writes: a user field and a day's range of Start in the user's
// short-date form.

#include <vector>

#include "tests/model/ModelTest.h"

namespace {

using Names = std::vector<std::string>;

const char* const kSixthOfDecember =
    "[PrayerNum] <= 191 AND [Start] >= \"12/06/2026 12:00 AM\" AND [Start] < \"12/07/2026 12:00 AM\"";

class QueryTest : public SessionTest {
 protected:
  // Three prayers on the 6th, one on the 5th and the 7th, and one on the
  // 6th whose number is past the filter's.
  void SaveDays() {
    SavePrayer("Isha 5", Date(2026, 12, 5, 19, 0), 185);
    SavePrayer("Fajr 6", Date(2026, 12, 6, 5, 10), 186);
    SavePrayer("Dhuhr 6", Date(2026, 12, 6, 11, 50), 187);
    SavePrayer("Other 6", Date(2026, 12, 6, 15, 0), 500);
    SavePrayer("Isha 6", Date(2026, 12, 6, 23, 59), 188);
    SavePrayer("Fajr 7", Date(2026, 12, 7, 0, 0), 189);
  }
  static Names Subjects(_Items* items) {
    Names subjects;
    for (LONG i = 1, count = Count(items); i <= count; ++i) {
      ComPtr<IDispatch> item;
      EXPECT_EQ(items->Item(CComVariant::I4(i), item.ReleaseAndGetAddressOf()), S_OK);
      subjects.push_back(SubjectOf(item.Get()));
    }
    return subjects;
  }
  static HRESULT Restrict(_Items* items, const char* filter, ComPtr<_Items>* result) {
    return items->Restrict(CComBSTR(filter).Get(), result->ReleaseAndGetAddressOf());
  }
};

TEST_F(QueryTest, RestrictAnswersTheDaysMatchesAsASnapshot) {
  SaveDays();
  ComPtr<_Items> calendar = ItemsOf(olFolderCalendar), day;
  ASSERT_EQ(Restrict(calendar.Get(), kSixthOfDecember, &day), S_OK);
  EXPECT_EQ(Subjects(day.Get()), (Names{"Fajr 6", "Dhuhr 6", "Isha 6"}));

  // Items saved afterwards do not join it, though they match.
  SavePrayer("Asr 6", Date(2026, 12, 6, 14, 30), 190);
  EXPECT_EQ(Count(day.Get()), 3);
  ComPtr<IDispatch> none;
  EXPECT_EQ(day->Item(CComVariant::I4(4), none.ReleaseAndGetAddressOf()), host::DISP_E_BADINDEX);

  // A restriction of the snapshot narrows that snapshot, not the folder.
  ComPtr<_Items> later;
  ASSERT_EQ(Restrict(day.Get(), "[PrayerNum] > 186", &later), S_OK);
  EXPECT_EQ(Subjects(later.Get()), (Names{"Dhuhr 6", "Isha 6"}));

  // The folder, asked again, has the new one, in the order of saving.
  ASSERT_EQ(Restrict(calendar.Get(), kSixthOfDecember, &day), S_OK);
  EXPECT_EQ(Subjects(day.Get()), (Names{"Fajr 6", "Dhuhr 6", "Isha 6", "Asr 6"}));
}

TEST_F(QueryTest, FindAndFindNextWalkTheMatchesAndEndWithNone) {
  SaveDays();
  for (bool snapshot : {false, true}) {
    SCOPED_TRACE(snapshot ? "a Restrict result" : "the folder's items");
    ComPtr<_Items> items = ItemsOf(olFolderCalendar);
    if (snapshot) {
      ASSERT_EQ(Restrict(ItemsOf(olFolderCalendar).Get(), "[PrayerNum] >= 186", &items), S_OK);
    }
    ComPtr<IDispatch> item;
    EXPECT_EQ(items->FindNext(item.ReleaseAndGetAddressOf()), E_UNEXPECTED);  // no Find yet

    ASSERT_EQ(items->Find(CComBSTR(kSixthOfDecember).Get(), item.ReleaseAndGetAddressOf()), S_OK);
    Names found;
    while (item) {
      found.push_back(SubjectOf(item.Get()));
      ASSERT_EQ(items->FindNext(item.ReleaseAndGetAddressOf()), S_OK);
    }
    EXPECT_EQ(found, (Names{"Fajr 6", "Dhuhr 6", "Isha 6"}));
    EXPECT_EQ(items->FindNext(item.ReleaseAndGetAddressOf()), S_OK);  // still the end
    EXPECT_FALSE(item);

    // A Find that matches nothing answers none; one that fails leaves no walk.
    EXPECT_EQ(items->Find(CComBSTR("[PrayerNum] = 1").Get(), item.ReleaseAndGetAddressOf()), S_OK);
    EXPECT_FALSE(item);
    EXPECT_EQ(items->Find(CComBSTR("[PrayerNum] <=").Get(), item.ReleaseAndGetAddressOf()), E_INVALIDARG);
    EXPECT_EQ(items->FindNext(item.ReleaseAndGetAddressOf()), E_UNEXPECTED);
  }
}

TEST_F(QueryTest, FiltersThatCannotBeReadFail) {
  SaveDays();
  ComPtr<_Items> calendar = ItemsOf(olFolderCalendar);
  for (const char* filter : {"[PrayerNum] <= ", "[NoSuchField] = 1", "[Start] >= \"not a date\"",
                             "([PrayerNum] = 1", "[Subject] = 'open"}) {
    SCOPED_TRACE(filter);
    ComPtr<_Items> result;
    EXPECT_EQ(Restrict(calendar.Get(), filter, &result), E_INVALIDARG);
    EXPECT_FALSE(result);
  }
}

TEST_F(QueryTest, AUserFieldIsFilterableOnlyOnceItIsAFolderField) {
  ComPtr<_AppointmentItem> item = CreateAppointment();
  ComPtr<UserProperties> properties;
  ASSERT_EQ(item->get_UserProperties(properties.ReleaseAndGetAddressOf()), S_OK);
  ComPtr<UserProperty> property;
  ASSERT_EQ(properties->Add(CComBSTR("Hidden").Get(), olNumber, CComVariant::Bool(false), Missing(),
                            property.ReleaseAndGetAddressOf()),
            S_OK);
  ASSERT_EQ(property->put_Value(CComVariant::I4(1)), S_OK);
  ASSERT_EQ(item->Save(), S_OK);
  ComPtr<_Items> calendar = ItemsOf(olFolderCalendar), result;
  EXPECT_EQ(Restrict(calendar.Get(), "[Hidden] = 1", &result), E_INVALIDARG);

  // Added to the folder's fields, a field is usable at once, before any save.
  ComPtr<UserProperties> others;
  ASSERT_EQ(CreateAppointment()->get_UserProperties(others.ReleaseAndGetAddressOf()), S_OK);
  ASSERT_EQ(others->Add(CComBSTR("Shown").Get(), olNumber, True(), Missing(), property.ReleaseAndGetAddressOf()),
            S_OK);
  ASSERT_EQ(Restrict(calendar.Get(), "[Shown] = 0", &result), S_OK);
  EXPECT_EQ(Count(result.Get()), 0);  // the saved item lacks it, so matches no comparison on it
  ASSERT_EQ(Restrict(calendar.Get(), "NOT [Shown] = 5", &result), S_OK);
  EXPECT_EQ(Count(result.Get()), 1);  // ...and does match its NOT
}

TEST_F(QueryTest, AStoreRefusingUserFieldsNeverFiltersOnThem) {
  host::SessionOptions options = Options();
  options.storeOptions.userFieldsInFilters = false;
  Open(options);
  SavePrayer("Fajr", Date(2026, 12, 6, 5, 10), 3);  // added to the folder's fields
  ComPtr<_Items> calendar = ItemsOf(olFolderCalendar), result;
  EXPECT_EQ(Restrict(calendar.Get(), "[PrayerNum] = 3", &result), E_INVALIDARG);
  ComPtr<IDispatch> item;
  EXPECT_EQ(calendar->Find(CComBSTR("[PrayerNum] = 3").Get(), item.ReleaseAndGetAddressOf()), E_INVALIDARG);
  // The add-in's fall-back, the subject, still works.
  ASSERT_EQ(Restrict(calendar.Get(), "[Subject] = 'fajr'", &result), S_OK);
  EXPECT_EQ(Count(result.Get()), 1);
}

}  // namespace
