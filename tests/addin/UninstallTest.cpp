// The uninstaller's clean-up, as the uninstaller runs it: with the host
// offering Outlook's application class, every item the add-in wrote goes
// (prayers and custom reminders, in the calendar and in Deleted Items), the
// user's own items stay whatever they are called, and the settings go last.

#include <gtest/gtest.h>

#include <algorithm>

#include "addin/OutlookPrayer.h"
#include "addin/Uninstall.h"
#include "host/model/Explorer.h"
#include "host/model/OutlookSession.h"
#include "host/run/OutlookClass.h"
#include "host/store/CalendarStore.h"
#include "platform/com/ComObject.h"
#include "platform/com/ServerRegistration.h"
#include "platform/fs/Profile.h"
#include "platform/registry/Registry.h"
#include "tests/support/AddinTestEnvironment.h"

namespace {

class UninstallTest : public AddinTest, public ::testing::WithParamInterface<bool> {
 protected:
  void SetUp() override {
    AddinTest::SetUp();
    std::string error;
    ASSERT_EQ(com::RegisterServerModule(ORVANE_ADDIN_MODULE, false, &error), S_OK) << error;
    setenv("ORVANE_NOW", "2026-12-07T10:30:00", 1);
    m_storeOptions.userFieldsInFilters = GetParam();
  }

  // The add-in fills today and tomorrow with Zuhr, Asr and hourly "Zuhr
  // time" reminders; the user has items of the same names, one of them
  // deleted; one of the add-in's is in Deleted Items too.
  void FillAsTheAddinAndTheUserWould() {
    host::SessionOptions options;
    options.storeFile = profile::File("outlook.db");
    options.storeOptions = m_storeOptions;
    auto session = host::OutlookSession::Create(options);
    session->NewExplorer(host::FolderKind::kCalendar, true);
    ComPtr<_IDTExtensibility2> addin;
    ASSERT_EQ(com::CreateComObject<COutlookPrayer>(nullptr, _IDTExtensibility2::kIID, addin.ReleaseAndGetVoidAddress()),
              S_OK);
    auto* prayer = static_cast<COutlookPrayer*>(addin.Get());
    ASSERT_EQ(addin->OnConnection(session->Application(), ext_cm_Startup, nullptr, nullptr), S_OK);
    AddinSettings& settings = prayer->Settings();
    settings.prayers = kZuhrFlag | kAsrFlag | kCustomReminderFlag;
    settings.prescheduleDays = 1;
    settings.customFrom = 11.0 / 24;
    settings.customTo = 14.0 / 24;
    settings.customInterval = 60;
    settings.customSubject = TEXT("Zuhr time");
    // Saved first, as the options page saves what it applies: where user
    // fields cannot be filtered on, the custom reminders are found by the
    // saved subject, and a day whose reminders cannot be looked for is not
    // taken for filled.
    ASSERT_EQ(prayer->Store().SaveSettings(), S_OK);
    ASSERT_EQ(prayer->Calendar().Precalculate(false, false, true, false), S_OK);
    const auto written = Subjects(host::FolderKind::kCalendar);
    ASSERT_GE(std::count(written.begin(), written.end(), "Zuhr time"), 4) << "11:00 to 14:00";

    for (const char* subject : {"Zuhr", "Asr", "Zuhr time", "Dentist"}) AddUserItem(session.get(), subject, false);
    AddUserItem(session.get(), "Asr", true);
    ComPtr<IDispatch> first;
    ASSERT_EQ(prayer->CalendarItems()->Item(CComVariant::I4(1), first.ReleaseAndGetAddressOf()), S_OK);
    ComPtr<_AppointmentItem> theirs;
    ASSERT_EQ(first.As(&theirs), S_OK);
    ASSERT_EQ(theirs->Delete(), S_OK);  // moved to Deleted Items

    addin->OnDisconnection(ext_dm_HostShutdown, nullptr);
    addin.Reset();
    session->Shutdown();
  }

  static void AddUserItem(host::OutlookSession* session, const char* subject, bool deleteIt) {
    ComPtr<IDispatch> created;
    ASSERT_EQ(session->Application()->CreateItem(olAppointmentItem, created.ReleaseAndGetAddressOf()), S_OK);
    ComPtr<_AppointmentItem> item;
    ASSERT_EQ(created.As(&item), S_OK);
    item->put_Subject(CComBSTR(subject).Get());
    item->put_Start(COleDate(2026, 12, 7, 12, 15, 0));
    item->put_End(COleDate(2026, 12, 7, 12, 45, 0));
    ASSERT_EQ(item->Save(), S_OK);
    if (deleteIt) {
      ASSERT_EQ(item->Delete(), S_OK);
    }
  }

  static std::vector<std::string> Subjects(host::FolderKind folder) {
    std::vector<std::string> subjects;
    for (const auto& item : host::CalendarStore::Open(profile::File("outlook.db"))->LoadFolder(folder)) {
      subjects.push_back(item.subject);
    }
    std::sort(subjects.begin(), subjects.end());
    return subjects;
  }
  static std::size_t Count(host::FolderKind folder) { return Subjects(folder).size(); }

  void Uninstall() {
    host::HostOptions options;
    options.office = std::string(flavour::kOfficeVersion) == "10.0" ? 10 : 11;
    options.embedding = true;
    options.storeOptions = m_storeOptions;
    host::OutlookClassRegistration outlook(options);
    EXPECT_EQ(DeleteOutlookItemsNow(), S_OK);
  }

  host::StoreOptions m_storeOptions;
};

TEST_P(UninstallTest, EverythingTheAddinWroteGoesAndTheUsersItemsStay) {
  FillAsTheAddinAndTheUserWould();
  ASSERT_TRUE(registry::KeyExists(HKEY_CURRENT_USER, "Software\\Veltrix\\Orvane\\3.0\\Settings"));

  Uninstall();
  // Custom reminders too (they carry PrayerNum 7); found by their subject
  // where the store cannot filter on user fields, which needs the settings:
  // those went first once, and the reminders stayed.
  EXPECT_EQ(Subjects(host::FolderKind::kCalendar), (std::vector<std::string>{"Asr", "Dentist", "Zuhr", "Zuhr time"}));
  EXPECT_EQ(Subjects(host::FolderKind::kDeletedItems), std::vector<std::string>{"Asr"});
  EXPECT_FALSE(registry::KeyExists(HKEY_CURRENT_USER, "Software\\Veltrix\\Orvane\\3.0"));

  // Again: nothing to find, and still done.
  Uninstall();
  EXPECT_EQ(Count(host::FolderKind::kCalendar), 4u);
  EXPECT_EQ(Count(host::FolderKind::kDeletedItems), 1u);
}

INSTANTIATE_TEST_SUITE_P(Filters, UninstallTest, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "UserFields" : "SubjectsOnly"; });

}  // namespace
