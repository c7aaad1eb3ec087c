#pragma once
// A fresh profile, a fixed "now" (2004-03-21 05:30) in a fixed zone (UTC+3),
// and items to mirror and read back.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "host/ical/CalendarMirror.h"
#include "host/ical/MirrorError.h"
#include "host/ical/MirrorReader.h"
#include "tests/support/TestProfile.h"

// 21 March 2004 04:52, a Fajr in Mecca.
inline constexpr DATE kFajr = 38067.0 + (4 * 60 + 52) / 1440.0;

inline std::vector<std::string> Uids(const host::MirrorCalendar& calendar) {
  std::vector<std::string> uids;
  for (const auto& event : calendar.events) uids.push_back(event.uid);
  return uids;
}

class MirrorTest : public ::testing::Test {
 protected:
  MirrorTest() {
    // Every test of this program wants the same zone; none needs it back.
    setenv("TZ", "<+03>-3", 1);
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
    const auto events = RoundTrip(std::vector<host::Appointment>{item}).events;
    EXPECT_EQ(events.size(), 1u);
    return events.empty() ? host::MirrorEvent() : events[0];
  }

  // Why the items cannot be mirrored; empty, and a failure, when they can.
  static std::string Refusal(const std::vector<host::Appointment>& items) {
    try {
      host::BuildICalendar(items);
    } catch (const host::MirrorError& error) {
      return error.what();
    }
    ADD_FAILURE() << "mirrored";
    return "";
  }

  TestProfile m_profile;
};
