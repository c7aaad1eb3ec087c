#pragma once
// A fresh profile, a fixed "now" (2004-03-21 05:30) in a fixed zone (UTC+3),
// and items to mirror and read back.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "host/ical/CalendarMirror.h"
#include "host/ical/MirrorReader.h"
#include "tests/support/TestProfile.h"

// 21 March 2004 04:52, a Fajr in Mecca.
inline constexpr DATE kFajr = 38067.0 + (4 * 60 + 52) / 1440.0;

class MirrorTest : public ::testing::Test {
 protected:
  MirrorTest() {
    if (const char* tz = std::getenv("TZ")) m_tz = tz;
    setenv("TZ", "<+03>-3", 1);
    tzset();
  }
  ~MirrorTest() override {
    if (m_tz) {
      setenv("TZ", m_tz->c_str(), 1);
    } else {
      unsetenv("TZ");
    }
    tzset();
  }

  static host::Appointment Item(const std::string& uid, DATE start = kFajr) {
    host::Appointment item;
    item.uid = uid;
    item.start = start;
    item.end = start + 20 / 1440.0;
    item.subject = "Fajr";
    return item;
  }

  // The items mirrored and read back, which must read without a problem.
  static host::MirrorCalendar RoundTrip(const std::vector<host::Appointment>& items) {
    host::MirrorCalendar calendar = host::ParseMirror(host::BuildICalendar(items));
    EXPECT_THAT(calendar.problems, ::testing::IsEmpty());
    return calendar;
  }

  static host::MirrorEvent RoundTrip(const host::Appointment& item) {
    host::MirrorCalendar calendar = RoundTrip(std::vector<host::Appointment>{item});
    if (calendar.events.size() != 1) {
      ADD_FAILURE() << calendar.events.size() << " events for one item";
      return {};
    }
    return calendar.events[0];
  }

  TestProfile m_profile;

 private:
  std::optional<std::string> m_tz;
};
