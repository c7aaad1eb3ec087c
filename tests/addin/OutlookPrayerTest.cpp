// The add-in object connected to the host's object model, as Outlook
// connects it: what it takes and builds at connection, how it follows
// stores and explorer windows, how it lets go, and the prayer periods.

#include <gtest/gtest.h>

#include "addin/OutlookPrayer.h"
#include "services/ResourceLibrary.h"
#include "services/UILocale.h"
#include "host/model/Application.h"
#include "host/model/CommandBars.h"
#include "host/model/Explorer.h"
#include "host/model/OutlookSession.h"
#include "platform/com/ComObject.h"
#include "platform/com/ServerRegistration.h"
#include "platform/fs/Profile.h"
#include "platform/registry/Registry.h"
#include "platform/ui/Resources.h"
#include "tests/support/AddinTestEnvironment.h"
#include "host/store/CalendarStore.h"
#include "tests/support/OleDates.h"

namespace {

class OutlookPrayerTest : public AddinTest {
 protected:
  void SetUp() override {
    AddinTest::SetUp();
    std::string error;
    // The calculator the add-in creates is served by the module itself.
    ASSERT_EQ(com::RegisterServerModule(ORVANE_ADDIN_MODULE, false, &error), S_OK) << error;
  }
  void TearDown() override {
    addin_.Reset();
    if (session_) session_->Shutdown();
    session_.reset();
    AddinTest::TearDown();
  }

  void StartHost(int windows = 1, long uiLanguage = 1033) {
    host::SessionOptions options;
    options.storeFile = profile::File("outlook.db");
    options.commandBarFile = profile::File("outcmd.dat");
    options.uiLanguage = uiLanguage;
    session_ = host::OutlookSession::Create(options);
    for (int i = 0; i < windows; ++i) session_->NewExplorer(host::FolderKind::kCalendar, true);
  }

  HRESULT Connect() {
    EXPECT_EQ(com::CreateComObject<COutlookPrayer>(nullptr, _IDTExtensibility2::kIID, addin_.ReleaseAndGetVoidAddress()),
              S_OK);
    prayer_ = static_cast<COutlookPrayer*>(addin_.Get());
    return addin_->OnConnection(session_->Application(), ext_cm_Startup, nullptr, nullptr);
  }

  // The add-in's sinks on the application: none once it let go.
  std::size_t ApplicationSinks() const {
    return dynamic_cast<host::CApplication&>(*session_->Application()).Events().SinkCount();
  }

  // The "Orvane" bar of the window, or null.
  static ComPtr<CommandBar> OrvaneBar(host::CExplorer& window) {
    ComPtr<CommandBars> bars;
    window.get_CommandBars(bars.ReleaseAndGetAddressOf());
    ComPtr<CommandBar> bar;
    bars->get_Item(CComVariant::Str("Orvane"), bar.ReleaseAndGetAddressOf());
    return bar;
  }
  static std::vector<std::string> Tags(CommandBar* bar) {
    ComPtr<CommandBarControls> controls;
    bar->get_Controls(controls.ReleaseAndGetAddressOf());
    LONG count = 0;
    controls->get_Count(&count);
    std::vector<std::string> tags;
    for (LONG i = 1; i <= count; ++i) {
      ComPtr<CommandBarControl> control;
      controls->get_Item(CComVariant::I4(i), control.ReleaseAndGetAddressOf());
      CComBSTR tag;
      control->get_Tag(&tag);
      tags.push_back(tag.Utf8());
    }
    return tags;
  }
  static bool Enabled(CommandBar* bar) {
    VARIANT_BOOL enabled = VARIANT_FALSE;
    bar->get_Enabled(&enabled);
    return enabled != VARIANT_FALSE;
  }

  std::shared_ptr<host::OutlookSession> session_;
  ComPtr<_IDTExtensibility2> addin_;
  COutlookPrayer* prayer_ = nullptr;
};

const std::vector<std::string> kTags = {"Veltrix Prayer Generate Button", "Veltrix Prayer Delete Button",
                                        "Veltrix Prayer Imsakyya Button", "Veltrix Prayer Option Button"};

TEST_F(OutlookPrayerTest, ConnectionBuildsTheBarAndTheLastWindowsCloseLetsEverythingGo) {
  StartHost();
  ASSERT_EQ(Connect(), S_OK);
  EXPECT_TRUE(prayer_->UIPresent());
  EXPECT_TRUE(prayer_->CalendarAvailable());
  EXPECT_EQ(prayer_->FilterDateFormat(), TEXT("MMMM dd, yyyy"));
  // The default city is Mecca; at 05:30 on 21 March 2004 Fajr has passed.
  EXPECT_EQ(g_timeInfo.position, 1);
  EXPECT_EQ(g_timeInfo.currentPrayer, kFajrFlag);

  auto window = session_->ActiveExplorer();
  ComPtr<CommandBar> bar = OrvaneBar(*window);
  ASSERT_TRUE(bar);
  EXPECT_EQ(Tags(bar.Get()), kTags);
  EXPECT_TRUE(Enabled(bar.Get()));
  ComPtr<CommandBarControl> option;
  ComPtr<CommandBarControls> controls;
  bar->get_Controls(controls.ReleaseAndGetAddressOf());
  controls->get_Item(CComVariant::I4(4), option.ReleaseAndGetAddressOf());
  LONG id = 0;
  option->get_Id(&id);
  EXPECT_EQ(id, 522);
  EXPECT_GT(ApplicationSinks(), 0u);

  window->Close();
  EXPECT_EQ(ApplicationSinks(), 0u);  // it holds nothing of Outlook's any more
}

TEST_F(OutlookPrayerTest, WithoutAWindowItConnectsWithoutUserInterface) {
  StartHost(0);
  ASSERT_EQ(Connect(), S_OK);
  EXPECT_FALSE(prayer_->UIPresent());
  EXPECT_EQ(session_->RaiseStartup(), S_OK);  // the Startup handler answers S_FALSE, which is no failure
}

TEST_F(OutlookPrayerTest, AClosedStoreDisablesTheBarsUntilItIsBack) {
  StartHost(2);
  ASSERT_EQ(Connect(), S_OK);
  session_->CloseStore();
  EXPECT_FALSE(prayer_->CalendarAvailable());
  ComPtr<CommandBar> bar = OrvaneBar(*session_->ActiveExplorer());
  EXPECT_FALSE(Enabled(bar.Get()));
  session_->AddStore();
  EXPECT_TRUE(prayer_->CalendarAvailable());
  EXPECT_TRUE(Enabled(bar.Get()));
}

TEST_F(OutlookPrayerTest, ABarLeftFromAnEarlierSessionIsReusedWithFourButtons) {
  StartHost();
  {
    // A lasting bar of that name, with four buttons of its own.
    ComPtr<CommandBars> bars;
    session_->ActiveExplorer()->get_CommandBars(bars.ReleaseAndGetAddressOf());
    ComPtr<CommandBar> old;
    ASSERT_EQ(bars->Add(CComVariant::Str("Orvane"), CComVariant::I4(msoBarTop), CComVariant::Bool(false),
                        CComVariant::Bool(false), old.ReleaseAndGetAddressOf()),
              S_OK);
    ComPtr<CommandBarControls> controls;
    old->get_Controls(controls.ReleaseAndGetAddressOf());
    for (int i = 0; i < 4; ++i) {
      ComPtr<CommandBarControl> control;
      CComVariant missing;
      controls->Add(CComVariant::I4(msoControlButton), missing, missing, missing, missing,
                    control.ReleaseAndGetAddressOf());
    }
  }
  session_->Shutdown();
  StartHost();
  ASSERT_EQ(Connect(), S_OK);
  ComPtr<CommandBar> bar = OrvaneBar(*session_->ActiveExplorer());
  ASSERT_TRUE(bar);
  EXPECT_EQ(Tags(bar.Get()), kTags);
}

TEST_F(OutlookPrayerTest, ClosingOneOfTwoWindowsHandsTheWatchToTheOther) {
  StartHost(2);
  ASSERT_EQ(Connect(), S_OK);
  session_->ActiveExplorer()->Close();
  EXPECT_GT(ApplicationSinks(), 0u);  // still connected
  session_->ActiveExplorer()->Close();
  EXPECT_EQ(ApplicationSinks(), 0u);
}

TEST_F(OutlookPrayerTest, UnloadingByTheUserDeletesTheBar) {
  StartHost();
  ASSERT_EQ(Connect(), S_OK);
  ASSERT_EQ(addin_->OnDisconnection(ext_dm_UserClosed, nullptr), S_OK);
  EXPECT_FALSE(OrvaneBar(*session_->ActiveExplorer()));
  EXPECT_EQ(ApplicationSinks(), 0u);
}

TEST_F(OutlookPrayerTest, PrayerPeriodsAroundTheDay) {
  StartHost();
  ASSERT_EQ(Connect(), S_OK);
  // Mecca, 21 March 2004: Fajr 05:04, Isha 19:58 or so; take the calculator's own.
  ASSERT_EQ(prayer_->FindTimeInfo(MakeDate(2004, 3, 21, 3, 0)), S_OK);
  EXPECT_EQ(g_timeInfo.position, 0);
  EXPECT_EQ(g_timeInfo.currentPrayer, kIshaFlag);
  EXPECT_EQ(g_timeInfo.periodStart.GetDay(), 20);  // yesterday's Isha
  EXPECT_EQ(g_timeInfo.periodEnd.GetDay(), 21);

  ASSERT_EQ(prayer_->FindTimeInfo(MakeDate(2004, 3, 21, 13, 0)), S_OK);
  EXPECT_EQ(g_timeInfo.position, 1);
  EXPECT_EQ(g_timeInfo.currentPrayer, kZuhrFlag);
  EXPECT_LT(g_timeInfo.periodStart.Value(), MakeDate(2004, 3, 21, 13, 0));
  EXPECT_GT(g_timeInfo.periodEnd.Value(), MakeDate(2004, 3, 21, 13, 0));

  ASSERT_EQ(prayer_->FindTimeInfo(MakeDate(2004, 3, 21, 23, 0)), S_OK);
  EXPECT_EQ(g_timeInfo.position, 2);
  EXPECT_EQ(g_timeInfo.currentPrayer, kIshaFlag);
  EXPECT_EQ(g_timeInfo.periodEnd.GetDay(), 22);  // tomorrow's Fajr

  EXPECT_EQ(CPrayerCalendar::PrayConvert(6), static_cast<DWORD>(kFridayFlag));
  EXPECT_EQ(CPrayerCalendar::PrayConvert(kAsrFlag), 3);
  EXPECT_EQ(CPrayerCalendar::PrayConvert(kCustomReminderFlag), -1);
}

TEST_F(OutlookPrayerTest, OfficesLanguageReplacesTheLibraryChosenBySetting) {
  // The setting says English, Office French: the French library replaces it.
  registry::SetDword(HKEY_CURRENT_USER, ("Software\\Microsoft\\Office\\" + std::string(flavour::kOfficeVersion) +
                                         "\\Common\\LanguageResources").c_str(),
                     "UILanguage", 1033);
  StartHost(1, 1036);
  tchar before[512] = {};
  LoadString(ResourceInstance(), 152, before, 512);
  ASSERT_EQ(Connect(), S_OK);
  EXPECT_EQ(UILanguageID, 1036);
  tchar after[512] = {};
  LoadString(ResourceInstance(), 152, after, 512);
  EXPECT_NE(tstring(before), tstring(after));

  // An Arabic interface writes filter dates day first on the Hijri calendar.
  tstring format;
  bool dayFirst = false;
  ASSERT_EQ(CreateUILocaleID(session_->Application(), &format, &dayFirst), S_OK);
  EXPECT_EQ(format, TEXT("MMMM dd, yyyy"));
  EXPECT_FALSE(dayFirst);
}

TEST_F(OutlookPrayerTest, DeletingLeavesNothingOfTheAddinsInTheCalendarOrInDeletedItems) {
  {
    auto store = host::CalendarStore::Open(profile::File("outlook.db"));
    std::vector<host::Appointment> items;
    for (const char* subject : {"Fajr", "Zuhr", "Asr", "Dentist"}) {
      host::Appointment a;
      a.subject = subject;
      a.start = a.end = MakeDate(2004, 3, 22, 9, 0);
      if (std::string(subject) != "Dentist") a.userProperties.push_back({"PrayerNum", host::PropertyType::kNumber, 1.0});
      items.push_back(a);
    }
    // An older "Zuhr" already waits in Deleted Items.
    host::Appointment old = items[1];
    store->SaveAll(items);
    store->AddFolderField(host::FolderKind::kCalendar, "PrayerNum", host::PropertyType::kNumber);
    old.id = 0;
    old.userProperties.clear();
    store->Save(old);
    store->Delete(old.id);
  }
  StartHost();
  ASSERT_EQ(Connect(), S_OK);
  ASSERT_EQ(prayer_->Calendar().Delete(), S_OK);
  auto store = host::CalendarStore::Open(profile::File("outlook.db"));
  const auto calendar = store->LoadFolder(host::FolderKind::kCalendar);
  ASSERT_EQ(calendar.size(), 1u);
  EXPECT_EQ(calendar[0].subject, "Dentist");
  // One "Zuhr" leaves Deleted Items per deletion: one stays of the two.
  EXPECT_EQ(store->Count(host::FolderKind::kDeletedItems), 1u);
  // The next generation starts again from the current prayer period.
  EXPECT_EQ(prayer_->Settings().lastDate.Value(), g_timeInfo.periodStart.Value());

  // Nothing left to delete: the settings stay as they are.
  prayer_->Settings().lastDate = kInvalidDate;
  ASSERT_EQ(prayer_->Calendar().Delete(), S_OK);
  EXPECT_EQ(prayer_->Settings().lastDate.Value(), kInvalidDate);
}

TEST_F(OutlookPrayerTest, WorkingDaysFollowOutlooksWorkWeekOnlyWhenAsked) {
  registry::SetDword(HKEY_CURRENT_USER,
                     ("Software\\Microsoft\\Office\\" + std::string(flavour::kOfficeVersion) + "\\Outlook\\Options\\Calendar").c_str(),
                     "WorkDay", 0xF8);  // Sunday to Thursday
  StartHost();
  ASSERT_EQ(Connect(), S_OK);
  EXPECT_FALSE(prayer_->Calendar().FetchWorkingDays());  // off: not read
  EXPECT_EQ(prayer_->Calendar().WorkingDays(), 124u);
  for (int day = 1; day <= 7; ++day) EXPECT_TRUE(prayer_->Calendar().IsDayWorkingDay(day, prayer_->Calendar().WorkingDays())) << day;
  prayer_->Settings().workingDaysOnly = true;
  EXPECT_TRUE(prayer_->Calendar().FetchWorkingDays());
  EXPECT_EQ(prayer_->Calendar().WorkingDays(), 0xF8u);
  EXPECT_TRUE(prayer_->Calendar().IsDayWorkingDay(1, prayer_->Calendar().WorkingDays()));   // Sunday
  EXPECT_TRUE(prayer_->Calendar().IsDayWorkingDay(5, prayer_->Calendar().WorkingDays()));   // Thursday
  EXPECT_FALSE(prayer_->Calendar().IsDayWorkingDay(6, prayer_->Calendar().WorkingDays()));  // Friday
  EXPECT_FALSE(prayer_->Calendar().IsDayWorkingDay(7, prayer_->Calendar().WorkingDays()));  // Saturday
}

}  // namespace
