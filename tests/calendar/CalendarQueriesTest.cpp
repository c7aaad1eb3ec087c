// Finding the add-in's items through the host's object model: by the
// PrayerNum field where the store can filter on it, by subject where it
// cannot or finds nothing.

#include <gtest/gtest.h>

#include "calendar/CalendarQueries.h"
#include "host/model/OutlookSession.h"
#include "platform/fs/Profile.h"
#include "platform/nls/Nls.h"
#include "platform/registry/Registry.h"
#include "platform/text/TextConvert.h"
#include "platform/ui/Resources.h"
#include "tests/support/AddinTestEnvironment.h"
#include "tests/support/OleDates.h"

namespace {

class CalendarQueriesTest : public AddinTest {
 protected:
  void SetUp() override {
    AddinTest::SetUp();
    ASSERT_TRUE(nls::SetUserDefaultLocale(1033));
  }
  void TearDown() override {
    items_.Reset();
    if (session_) session_->Shutdown();
    AddinTest::TearDown();
  }

  // The calendar holds Fajr and Zuhr marked as the add-in marks them, a Friday
  // prayer and an Isha written before the mark existed, and the user's own item.
  void Fill(bool userFields) {
    auto store = host::CalendarStore::Open(profile::File("outlook.db"));
    store->AddFolderField(host::FolderKind::kCalendar, "PrayerNum", host::PropertyType::kNumber);
    auto item = [](std::string subject, int hour, std::optional<double> mark) {
      host::Appointment a;
      a.subject = std::move(subject);
      a.start = MakeDate(2004, 3, 19, hour, 0);
      a.end = a.start + 10.0 / 1440.0;
      if (mark) a.userProperties.push_back({"PrayerNum", host::PropertyType::kNumber, *mark});
      return a;
    };
    std::vector<host::Appointment> items = {item(ResourceUtf8(103), 5, 0.0), item(ResourceUtf8(105), 12, 2.0),
                                            item(ResourceUtf8(158), 13, std::nullopt), item(ResourceUtf8(108), 19, std::nullopt),
                                            item("Dentist", 9, std::nullopt)};
    store->SaveAll(items);
    host::SessionOptions options;
    options.storeFile = profile::File("outlook.db");
    options.storeOptions.userFieldsInFilters = userFields;
    session_ = host::OutlookSession::Create(options);
    ComPtr<_NameSpace> space;
    CComBSTR mapi("MAPI");
    session_->Application()->GetNamespace(mapi.Get(), space.ReleaseAndGetAddressOf());
    ComPtr<MAPIFolder> calendar;
    space->GetDefaultFolder(olFolderCalendar, calendar.ReleaseAndGetAddressOf());
    calendar->get_Items(items_.ReleaseAndGetAddressOf());
  }

  static std::vector<std::string> Subjects(_Items* items) {
    std::vector<std::string> subjects;
    LONG count = 0;
    items->get_Count(&count);
    for (LONG i = 1; i <= count; ++i) {
      ComPtr<IDispatch> object;
      items->Item(CComVariant::I4(i), object.ReleaseAndGetAddressOf());
      subjects.push_back(SubjectOf(object.Get()));
    }
    return subjects;
  }
  static DATE StartOf(IDispatch* object) {
    ComPtr<_AppointmentItem> item;
    if (object == nullptr || FAILED(object->QueryInterface(_AppointmentItem::kIID, item.ReleaseAndGetVoidAddress()))) {
      return 0;
    }
    DATE start = 0;
    item->get_Start(&start);
    return start;
  }
  static DATE StartOf(_Items* items, LONG position) {
    ComPtr<IDispatch> object;
    items->Item(CComVariant::I4(position), object.ReleaseAndGetAddressOf());
    return StartOf(object.Get());
  }
  static std::string SubjectOf(IDispatch* object) {
    if (object == nullptr) return "(none)";
    ComPtr<_AppointmentItem> item;
    object->QueryInterface(_AppointmentItem::kIID, item.ReleaseAndGetVoidAddress());
    CComBSTR subject;
    item->get_Subject(&subject);
    return subject.Utf8();
  }

  std::shared_ptr<host::OutlookSession> session_;
  ComPtr<_Items> items_;
};

TEST_F(CalendarQueriesTest, TheFieldAnswersWhereTheStoreCanFilterOnIt) {
  Fill(true);
  ComPtr<_Items> found;
  ASSERT_EQ(ManualRestrict(items_.Get(), u"[PrayerNum] <= 191", found.ReleaseAndGetAddressOf()), S_OK);
  EXPECT_EQ(Subjects(found.Get()), (std::vector<std::string>{ResourceUtf8(103), ResourceUtf8(105)}));

  // Nothing marked 5: the subjects are asked, but an Isha without the mark
  // is not the add-in's (regression: the fall-back used to hand back the
  // user's own items titled like a prayer, which were then deleted).
  ASSERT_EQ(ManualRestrict(items_.Get(), u"[PrayerNum] = 32", found.ReleaseAndGetAddressOf()), S_OK);
  EXPECT_EQ(Subjects(found.Get()), std::vector<std::string>{});
}

TEST_F(CalendarQueriesTest, AStoreThatRefusesUserFieldsIsAskedBySubject) {
  Fill(false);
  ComPtr<_Items> found;
  ASSERT_EQ(ManualRestrict(items_.Get(),
                           u"[PrayerNum] <= 191 AND [Start] >= \"03/19/2004 12:00 AM\" AND [Start] < "
                           u"\"03/19/2004 01:00 PM\"",
                           found.ReleaseAndGetAddressOf()),
            S_OK);
  // Every prayer subject of the morning; the Friday prayer at 13:00 is outside.
  EXPECT_EQ(Subjects(found.Get()), (std::vector<std::string>{ResourceUtf8(103), ResourceUtf8(105)}));

  // By subject, marked items only: Fajr is found, the unmarked Isha is not;
  // a custom reminder without a stored subject has none to look for, and
  // the store's own answer (here its refusal) stands.
  ComPtr<IDispatch> item;
  ASSERT_EQ(ManualFind(items_.Get(), u"[PrayerNum] = 0", item.ReleaseAndGetAddressOf()), S_OK);
  EXPECT_EQ(SubjectOf(item.Get()), ResourceUtf8(103));
  ASSERT_EQ(ManualFind(items_.Get(), u"[PrayerNum] = 5", item.ReleaseAndGetAddressOf()), S_OK);
  EXPECT_FALSE(item);
  // The Zuhr slot passes over the unmarked Friday prayer and finds marked Zuhr.
  ASSERT_EQ(ManualFind(items_.Get(), u"[PrayerNum] = 2", item.ReleaseAndGetAddressOf()), S_OK);
  EXPECT_EQ(SubjectOf(item.Get()), ResourceUtf8(105));
  EXPECT_EQ(ManualFind(items_.Get(), u"[PrayerNum] = 7", item.ReleaseAndGetAddressOf()), E_INVALIDARG);
  EXPECT_FALSE(item);
  // A filter of fewer than three words cannot be rewritten.
  EXPECT_EQ(ManualFind(items_.Get(), u"[PrayerNum]", item.ReleaseAndGetAddressOf()), E_POINTER);
}

TEST_F(CalendarQueriesTest, CustomRemindersAreFoundByTheirStoredSubject) {
  Fill(false);
  {
    auto store = host::CalendarStore::Open(profile::File("outlook.db"));
    // The user's own "Dhikr" at 15:00, and the add-in's reminder at 16:00.
    host::Appointment own;
    own.subject = "Dhikr";
    own.start = own.end = MakeDate(2004, 3, 19, 15, 0);
    store->Save(own);
    host::Appointment reminder;
    reminder.subject = "Dhikr";
    reminder.start = reminder.end = MakeDate(2004, 3, 19, 16, 0);
    reminder.userProperties.push_back({"PrayerNum", host::PropertyType::kNumber, 7.0});
    store->Save(reminder);
  }
  const std::string key = ui::FindString(ResourceInstance(), 101);
  registry::SetString(HKEY_CURRENT_USER, key.c_str(), ui::FindString(ResourceInstance(), 1042), "Dhikr");
  EXPECT_EQ(ReadCustomRemindersSubject(), u"Dhikr");
  ComPtr<_Items> found;
  ASSERT_EQ(ManualRestrict(items_.Get(), u"[PrayerNum] = 128", found.ReleaseAndGetAddressOf()), S_OK);
  EXPECT_EQ(Subjects(found.Get()), std::vector<std::string>{"Dhikr"});
  EXPECT_EQ(StartOf(found.Get(), 1), MakeDate(2004, 3, 19, 16, 0));
  ComPtr<IDispatch> item;
  ASSERT_EQ(ManualFind(items_.Get(), u"[PrayerNum] = 7", item.ReleaseAndGetAddressOf()), S_OK);
  EXPECT_EQ(StartOf(item.Get()), MakeDate(2004, 3, 19, 16, 0));
  // A search within the answer sees only the marked reminder too.
  ASSERT_EQ(ManualFind(found.Get(), u"[PrayerNum] = 7", item.ReleaseAndGetAddressOf()), S_OK);
  EXPECT_EQ(StartOf(item.Get()), MakeDate(2004, 3, 19, 16, 0));
  ComPtr<IDispatch> next;
  EXPECT_EQ(found->FindNext(next.ReleaseAndGetAddressOf()), S_OK);
  EXPECT_FALSE(next);
}

TEST_F(CalendarQueriesTest, TheEquivalentFilterListsTheSubjectsWhoseFlagsSatisfyTheCondition) {
  const std::u16string all = BuildEquivFilter(TEXT("[PrayerNum]"), TEXT("<="), 191);
  for (UINT id : {103u, 104u, 105u, 158u, 106u, 107u, 108u}) {
    EXPECT_NE(all.find(u"[Subject] = \"" + text::Utf8ToUtf16(ResourceUtf8(id)) + u"\""), std::u16string::npos) << id;
  }
  EXPECT_EQ(all.substr(0, 1), u"(");
  EXPECT_EQ(all.substr(all.size() - 2), u") ");
  // No flag is 64 (the Friday prayer counts as Zuhr's 4): nothing to list.
  EXPECT_EQ(BuildEquivFilter(TEXT("[PrayerNum]"), TEXT("="), 64), u"() ");
  EXPECT_TRUE(IsSatifyingCondition(4, TEXT("<>"), 8));
  EXPECT_FALSE(IsSatifyingCondition(8, TEXT("<"), 8));
  EXPECT_TRUE(IsSatifyingCondition(8, TEXT("=="), 9));  // an operator it does not know holds
}

}  // namespace
