// Restrict, Find and FindNext over the store, with the filters the add-in
// builds, the folder's fields, the host's option and the index on Start.

#include <string>
#include <vector>

#include "host/store/FilterError.h"
#include "host/store/StoreError.h"
#include "tests/store/StoreTest.h"

namespace {

using host::Appointment;
using host::FolderKind;
using host::ItemId;
using host::PropertyType;

class QueryTest : public StoreTest {
 protected:
  void SetUp() override {
    StoreTest::SetUp();
    store_ = OpenStore();
    store_->AddFolderField(FolderKind::kCalendar, "PrayerNum", PropertyType::kNumber);
  }

  // Three days of the six prayers, each day's saved in reverse time order.
  std::vector<ItemId> SaveDays() {
    static const char* kNames[] = {"Fajr", "Shorouk", "Zuhr", "Asr", "Maghrib", "Isha"};
    static const int kHours[] = {5, 6, 12, 15, 18, 19};
    std::vector<Appointment> items;
    for (int day = 5; day <= 7; ++day) {
      for (int p = 5; p >= 0; --p) {
        items.push_back(Prayer(kNames[p], Date(2026, 12, day, kHours[p], 25), p));
      }
    }
    store_->SaveAll(items);
    std::vector<ItemId> ids;
    for (const Appointment& item : items) ids.push_back(item.id);
    return ids;
  }

  std::vector<ItemId> Restrict(const std::string& filter) {
    return store_->Restrict(FolderKind::kCalendar, filter);
  }

  std::shared_ptr<host::CalendarStore> store_;
};

TEST_F(QueryTest, TheAddinsFiltersSelectItsItems) {
  const std::vector<ItemId> ids = SaveDays();
  Appointment someoneElses;
  someoneElses.subject = "Dentist";
  someoneElses.start = Date(2026, 12, 6, 16);
  someoneElses.end = Date(2026, 12, 6, 17);
  store_->Save(someoneElses);

  EXPECT_EQ(Restrict("[PrayerNum] >= 0 ").size(), 18u);
  EXPECT_EQ(Restrict("[PrayerNum] <= 191").size(), 18u);
  // One day, from 14:25 to 14:25, in the folder's order.
  EXPECT_EQ(Restrict("[PrayerNum] <= 191 AND [Start] >= \"12/06/2026 02:25 PM\" AND "
                     "[Start] < \"12/07/2026 02:25 PM\""),
            (std::vector<ItemId>{ids[6], ids[7], ids[8], ids[15], ids[16], ids[17]}));
  EXPECT_EQ(Restrict("[PrayerNum] = 2"), (std::vector<ItemId>{ids[3], ids[9], ids[15]}));
  EXPECT_EQ(Restrict("[PrayerNum] <= 191 AND [Start] <= \"12/05/2026 06:25 AM\""),
            (std::vector<ItemId>{ids[4], ids[5]}));
  EXPECT_EQ(Restrict("[Subject] = \"fajr\"").size(), 3u);
  EXPECT_TRUE(Restrict("[PrayerNum] = 7").empty());
}

TEST_F(QueryTest, RestrictAnswersASnapshot) {
  SaveDays();
  const std::vector<ItemId> before = Restrict("[PrayerNum] = 0");
  ASSERT_EQ(before.size(), 3u);
  Appointment late = Prayer("Fajr", Date(2026, 12, 8, 5, 25), 0);
  store_->Save(late);
  EXPECT_EQ(before.size(), 3u);
  const std::vector<ItemId> after = Restrict("[PrayerNum] = 0");
  EXPECT_EQ(after.size(), 4u);
  EXPECT_EQ(after.back(), late.id);
}

TEST_F(QueryTest, FindAndFindNextWalkTheMatchesAsTheyAre) {
  const std::vector<ItemId> ids = SaveDays();
  host::FindCursor zuhr = store_->Find(FolderKind::kCalendar, "[PrayerNum] = 2");
  EXPECT_EQ(zuhr.Next(), ids[3]);
  store_->Delete(ids[9]);  // the next match goes away meanwhile
  Appointment added = Prayer("Zuhr", Date(2026, 12, 1, 12), 2);
  store_->Save(added);
  EXPECT_EQ(zuhr.Next(), ids[15]);
  EXPECT_EQ(zuhr.Next(), added.id);  // after in the folder's order, though earlier in time
  EXPECT_EQ(zuhr.Next(), std::nullopt);
  EXPECT_EQ(zuhr.Next(), std::nullopt);
  // With a range of Start, and finding nothing.
  host::FindCursor day =
      store_->Find(FolderKind::kCalendar, "[Start] >= '12/07/2026' AND [Subject] = 'Isha'");
  EXPECT_EQ(day.Next(), ids[12]);
  EXPECT_EQ(day.Next(), std::nullopt);
  EXPECT_EQ(store_->Find(FolderKind::kCalendar, "[Subject] = 'Tahajjud'").Next(), std::nullopt);
  EXPECT_THROW(store_->Find(FolderKind::kCalendar, "[Colour] = 1"), host::FilterError);
}

TEST_F(QueryTest, DeletingAsTheAddinDoes) {
  // Delete, find the item again in Deleted Items by its subject, delete it
  // there: it is gone from both folders.
  const std::vector<ItemId> ids = SaveDays();
  for (ItemId id : Restrict("[PrayerNum] <= 191 AND [Start] < '12/06/2026'")) {
    const std::string subject = store_->Load(id)->subject;
    store_->Delete(id);
    const auto found =
        store_->Find(FolderKind::kDeletedItems, "[Subject] = \"" + subject + "\"").Next();
    ASSERT_TRUE(found);
    EXPECT_EQ(*found, id);
    EXPECT_EQ(store_->Delete(*found), host::DeleteOutcome::kRemoved);
  }
  EXPECT_EQ(store_->Count(FolderKind::kCalendar), 12u);
  EXPECT_EQ(store_->Count(FolderKind::kDeletedItems), 0u);
}

TEST_F(QueryTest, UserFieldsNeedTheFolderFieldAndTheHostsConsent) {
  SaveDays();
  // Deleted Items has no PrayerNum field: Outlook's query fails there.
  EXPECT_THROW(store_->Restrict(FolderKind::kDeletedItems, "[PrayerNum] >= 0"),
               host::FilterError);
  EXPECT_NO_THROW(store_->Restrict(FolderKind::kDeletedItems, "[Subject] = 'Fajr'"));
  // The host's option makes the field unusable although the folder has it.
  store_->SetOptions({.userFieldsInFilters = false});
  try {
    Restrict("[PrayerNum] <= 191 AND [Start] >= \"12/06/2026 02:25 PM\"");
    ADD_FAILURE() << "no FilterError";
  } catch (const host::FilterError& e) {
    EXPECT_STREQ(e.what(), "filter, character 1: unknown field [PrayerNum]");
  }
  EXPECT_EQ(Restrict("[Subject] = 'Zuhr' AND [Start] >= \"12/06/2026 02:25 PM\"").size(), 1u);
  store_->SetOptions({});
  EXPECT_EQ(Restrict("[PrayerNum] = 2").size(), 3u);
  // A text property of the same name compares as text.
  Appointment textual = Prayer("Custom", Date(2026, 12, 6, 20), 0);
  textual.userProperties[0] = {"PrayerNum", PropertyType::kText, std::string("10")};
  store_->Save(textual);
  EXPECT_EQ(Restrict("[PrayerNum] >= 9").size(), 0u);
  EXPECT_EQ(Restrict("[PrayerNum] = 10"), std::vector<ItemId>{textual.id});
}

TEST_F(QueryTest, AFieldAnotherConnectionAddsIsUsableAtOnce) {
  SaveDays();
  EXPECT_EQ(Restrict("[PrayerNum] = 2").size(), 3u);  // PrayerNum known from here on
  EXPECT_THROW(Restrict("[Rakaat] = 4"), host::FilterError);
  // Another program adds fields this store has never seen; one of them has
  // the name of one this store knows, in another spelling.
  auto other = OpenStore();
  ASSERT_TRUE(other->AddFolderField(FolderKind::kCalendar, "Rakaat", PropertyType::kNumber));
  EXPECT_FALSE(other->AddFolderField(FolderKind::kCalendar, "PRAYERNUM", PropertyType::kNumber));
  Appointment item = Prayer("Zuhr", Date(2026, 12, 8, 12, 25), 2);
  item.userProperties.push_back({"Rakaat", PropertyType::kNumber, 4.0});
  other->Save(item);
  EXPECT_EQ(Restrict("[Rakaat] = 4"), std::vector<ItemId>{item.id});
  EXPECT_EQ(Restrict("[PrayerNum] = 2 AND [Rakaat] >= 4"), std::vector<ItemId>{item.id});
  // And a field of another type stays refused, known or not.
  EXPECT_THROW(store_->AddFolderField(FolderKind::kCalendar, "Rakaat", PropertyType::kText), host::StoreError);
  EXPECT_THROW(store_->AddFolderField(FolderKind::kCalendar, "PrayerNum", PropertyType::kText), host::StoreError);
}

TEST_F(QueryTest, ARangeOfStartReadsThroughTheIndex) {
  const std::string day =
      "[PrayerNum] <= 191 AND [Start] >= \"12/06/2026 02:25 PM\" AND [Start] < \"12/07/2026 02:25 PM\"";
  const std::string plan = store_->QueryPlan(FolderKind::kCalendar, day);
  EXPECT_NE(plan.find("USING INDEX items_folder_start (folder=? AND start_key>? AND start_key<?)"),
            std::string::npos)
      << plan;
  const std::string anyTime = store_->QueryPlan(FolderKind::kCalendar, "[PrayerNum] >= 0");
  EXPECT_EQ(anyTime.find("start_key"), std::string::npos) << anyTime;
  const std::string either =
      store_->QueryPlan(FolderKind::kCalendar, "[Start] >= '12/06/2026' OR [PrayerNum] = 1");
  EXPECT_EQ(either.find("start_key"), std::string::npos) << either;
  // The range answers exactly what the whole filter does over every item.
  const std::vector<ItemId> ids = SaveDays();
  for (const char* filter :
       {"[Start] > '12/06/2026 12:25 PM' AND [Start] <= '12/07/2026 05:25 AM'",
        "[Start] = '12/06/2026 03:25 PM'", "[Start] >= '12/07/2026' AND [Start] < '12/06/2026'",
        "([Start] >= '12/06/2026') AND NOT [Subject] = 'Asr' AND [Start] < '12/07/2026'"}) {
    const host::Filter parsed = store_->ParseFilter(FolderKind::kCalendar, filter);
    std::vector<ItemId> expected;
    for (ItemId id : store_->List(FolderKind::kCalendar)) {
      if (parsed.Matches(*store_->Load(id))) expected.push_back(id);
    }
    EXPECT_EQ(Restrict(filter), expected) << filter;
  }
}

}  // namespace
