#pragma once
// The fixture of the store's tests: a fresh profile (so a fresh registry
// and outlook.db), "now" fixed at 21 March 2004 05:30, the user's locale
// English (United States), and helpers that build items and dates.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "host/store/Appointment.h"
#include "host/store/CalendarStore.h"
#include "host/store/DateSeconds.h"
#include "platform/com/VariantTime.h"
#include "platform/nls/Nls.h"
#include "platform/fs/Profile.h"
#include "tests/support/OleDates.h"
#include "tests/support/TestProfile.h"

class StoreTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(nls::SetUserDefaultLocale(1033)); }

  std::shared_ptr<host::CalendarStore> OpenStore(const host::StoreOptions& options = {}) {
    return host::CalendarStore::Open(profile::File("outlook.db"), options);
  }

  TestProfile profile_;
};

inline DATE Date(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
  return MakeDate(year, month, day, hour, minute, second);
}

inline std::int64_t Seconds(int year, int month, int day, int hour = 0, int minute = 0,
                            int second = 0) {
  return host::SecondsFromDate(Date(year, month, day, hour, minute, second));
}

// A prayer as the add-in saves it: ten minutes long, with its PrayerNum.
inline host::Appointment Prayer(const std::string& subject, DATE start, double prayerNum) {
  host::Appointment item;
  item.subject = subject;
  item.start = start;
  item.end = start + 10.0 / 1440.0;
  item.userProperties.push_back({"PrayerNum", host::PropertyType::kNumber, prayerNum});
  return item;
}
