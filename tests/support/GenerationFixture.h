#pragma once
// For tests of the add-in's calendar work through the host's object model:
// the add-in object connected to a session on the test profile's store, and
// the store read back as plain items.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "addin/OutlookPrayer.h"
#include "host/model/Explorer.h"
#include "host/model/OutlookSession.h"
#include "host/store/CalendarStore.h"
#include "platform/com/ComObject.h"
#include "platform/com/ServerRegistration.h"
#include "platform/fs/Profile.h"
#include "platform/nls/Nls.h"
#include "platform/text/TextConvert.h"
#include "platform/registry/Registry.h"
#include "platform/ui/Resources.h"
#include "tests/support/AddinTestEnvironment.h"
#include "tests/support/OleDates.h"

class GenerationFixture : public AddinTest {
 protected:
  void SetUp() override {
    AddinTest::SetUp();
    ASSERT_TRUE(nls::SetUserDefaultLocale(1033));  // filters' dates as in the United States
    std::string error;
    ASSERT_EQ(com::RegisterServerModule(ORVANE_ADDIN_MODULE, false, &error), S_OK) << error;
    setenv("ORVANE_NOW", "2026-12-07T10:00:00", 1);  // a Monday; Mecca is the default city
  }
  void TearDown() override {
    Disconnect();
    AddinTest::TearDown();
  }

  // Connects the add-in to a new session; `application` stands in for the
  // session's own when a test puts something between them.
  void Connect(bool userFieldsInFilters = true, _Application* application = nullptr) {
    host::SessionOptions options;
    options.storeFile = profile::File("outlook.db");
    options.storeOptions.userFieldsInFilters = userFieldsInFilters;
    session_ = host::OutlookSession::Create(options);
    session_->NewExplorer(host::FolderKind::kCalendar, true);
    ASSERT_EQ(com::CreateComObject<COutlookPrayer>(nullptr, _IDTExtensibility2::kIID, addin_.ReleaseAndGetVoidAddress()),
              S_OK);
    prayer_ = static_cast<COutlookPrayer*>(addin_.Get());
    ASSERT_EQ(addin_->OnConnection(application ? application : session_->Application(), ext_cm_Startup, nullptr,
                                   nullptr),
              S_OK);
  }
  // The add-in unloaded and loaded again in the same session, now on
  // `application` (something a test put between it and the session's own).
  void Reconnect(_Application* application) {
    addin_->OnDisconnection(ext_dm_HostShutdown, nullptr);
    addin_.Reset();
    ASSERT_EQ(com::CreateComObject<COutlookPrayer>(nullptr, _IDTExtensibility2::kIID, addin_.ReleaseAndGetVoidAddress()),
              S_OK);
    prayer_ = static_cast<COutlookPrayer*>(addin_.Get());
    ASSERT_EQ(addin_->OnConnection(application, ext_cm_Startup, nullptr, nullptr), S_OK);
  }
  // Ends the session as Outlook does at exit.
  void Disconnect() {
    if (addin_) addin_->OnDisconnection(ext_dm_HostShutdown, nullptr);
    addin_.Reset();
    prayer_ = nullptr;
    if (session_) session_->Shutdown();
    session_.reset();
  }
  void Restart(const char* now, bool userFieldsInFilters = true) {
    Disconnect();
    setenv("ORVANE_NOW", now, 1);
    Connect(userFieldsInFilters);
  }

  static std::shared_ptr<host::CalendarStore> Store() { return host::CalendarStore::Open(profile::File("outlook.db")); }
  static std::vector<host::Appointment> Folder(host::FolderKind folder) {
    auto items = Store()->LoadFolder(folder);
    std::sort(items.begin(), items.end(), [](const auto& a, const auto& b) { return a.start < b.start; });
    return items;
  }
  static std::vector<host::Appointment> Calendar() { return Folder(host::FolderKind::kCalendar); }
  // Empties both folders, for a test that tries several cases in turn.
  static void ClearStore() {
    auto store = Store();
    for (auto id : store->List(host::FolderKind::kCalendar)) store->Delete(id);
    for (auto id : store->List(host::FolderKind::kDeletedItems)) store->Delete(id);
  }
  static std::size_t DeletedCount() { return Store()->Count(host::FolderKind::kDeletedItems); }
  // The user's own item, without the add-in's mark.
  static host::Appointment SaveUserItem(const std::string& subject, DATE start,
                                        host::FolderKind folder = host::FolderKind::kCalendar) {
    host::Appointment item;
    item.folder = folder;
    item.subject = subject;
    item.start = start;
    item.end = start + 30.0 / 1440;
    Store()->Save(item);
    return item;
  }
  static bool HasMark(const host::Appointment& item) {
    return std::any_of(item.userProperties.begin(), item.userProperties.end(),
                       [](const auto& p) { return p.name == "PrayerNum"; });
  }
  static std::size_t CountOn(const std::vector<host::Appointment>& items, DATE from, DATE to) {
    return static_cast<std::size_t>(
        std::count_if(items.begin(), items.end(), [&](const auto& a) { return a.start >= from && a.start < to; }));
  }
  // The settings key's custom reminder subject, as the options page saves it.
  static void StoreCustomSubject(const std::string& subject) {
    registry::SetString(HKEY_CURRENT_USER, ui::FindString(ResourceInstance(), 101),
                        ui::FindString(ResourceInstance(), 1042), subject.c_str());
  }

  std::shared_ptr<host::OutlookSession> session_;
  ComPtr<_IDTExtensibility2> addin_;
  COutlookPrayer* prayer_ = nullptr;
};
