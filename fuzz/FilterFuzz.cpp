// Fuzz target: arbitrary bytes as a filter of Outlook's filter language,
// with the appointment's fields and a folder field of each type, dates read
// as English, Arabic (Gregorian) or the user's locale (Arabic with the Hijri
// calendar) write them. Besides the sanitizers' findings it checks what must
// hold for any input: a refused filter names a position inside it; an
// accepted one, written out, parses back to the same text and the same
// answers; and no item outside the range of Start it reports matches it,
// since the store reads only that range through its index.

#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "host/store/DateSeconds.h"
#include "host/store/Filter.h"
#include "host/store/FilterError.h"
#include "host/store/FilterLexer.h"
#include "platform/com/VariantTime.h"
#include "fuzz/FuzzProfile.h"
#include "platform/nls/Nls.h"

namespace {

using host::Appointment;
using host::PropertyType;

// The fuzz target's profile, with "today" fixed for a time alone and the
// Arabic locale, whose filters hold the most kinds of date.
class FilterFuzzProfile : public FuzzProfile {
 public:
  FilterFuzzProfile() {
    setenv("ORVANE_NOW", "2026-12-06T09:00:00", 1);
    if (!nls::SetUserDefaultLocale(1025)) {
      std::fputs("cannot choose the Arabic locale\n", stderr);
      std::abort();
    }
  }
};

[[noreturn]] void Fail(const char* what, const std::string& detail) {
  std::fprintf(stderr, "%s\n%s\n", what, detail.c_str());
  std::abort();
}

DATE When(int day, int hour, int minute) {
  SYSTEMTIME st;
  st.wYear = 2026;
  st.wMonth = 12;
  st.wDay = static_cast<WORD>(day);
  st.wHour = static_cast<WORD>(hour);
  st.wMinute = static_cast<WORD>(minute);
  DATE date = 0;
  SystemTimeToVariantTime(&st, &date);
  return date;
}

// Items around 6 December 2026 (26 Jumada II 1448), with PrayerNum as a
// number, as a text, or missing.
std::vector<Appointment> Items() {
  std::vector<Appointment> items;
  const char* subjects[] = {"Fajr", "it's", "ZUHR", "", "Asr \"late\""};
  int n = 0;
  for (int day = 5; day <= 7; ++day) {
    for (int hour : {0, 5, 12, 14, 23}) {
      Appointment item;
      item.start = When(day, hour, 25);
      item.end = item.start + (n % 3) * 10 / 1440.0;
      item.subject = subjects[n % 5];
      item.busyStatus = n % 4;
      item.reminderSet = n % 2 == 0;
      if (n % 3 == 0) item.userProperties.push_back({"PrayerNum", PropertyType::kNumber, static_cast<double>(n % 8)});
      if (n % 3 == 1) {
        item.userProperties.push_back({"PrayerNum", PropertyType::kText, std::to_string(n)});
      }
      item.userProperties.push_back({"Due", PropertyType::kDateTime, When(day, 0, 0)});
      items.push_back(item);
      ++n;
    }
  }
  return items;
}

host::FieldCatalog Fields() {
  return host::FieldCatalog({{"PrayerNum", PropertyType::kNumber},
                             {"Note", PropertyType::kText},
                             {"Due", PropertyType::kDateTime},
                             {"Done", PropertyType::kYesNo}},
                            true);
}

host::Filter Parse(const std::string& text, std::size_t variant) {
  static const host::DateReading english{0, {"AM"}, {"PM"}, false};
  static const host::DateReading arabic{1, {"ص"}, {"م"}, false};
  switch (variant % 3) {
    case 0:
      return host::Filter::Parse(text, Fields(), english);
    case 1:
      return host::Filter::Parse(text, Fields(), arabic);
    default:
      return host::Filter::Parse(text, Fields());
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static FilterFuzzProfile profile;
  static const std::vector<Appointment> items = Items();

  const std::string input(reinterpret_cast<const char*>(data), size);
  std::optional<host::Filter> filter;
  try {
    filter = Parse(input, size);
  } catch (const host::FilterError& e) {
    const std::size_t characters = host::CharacterPosition(input, input.size());
    if (e.Position() < 1 || e.Position() > characters) Fail("a position outside the filter:", e.what());
    return 0;
  }
  const std::string written = filter->ToString();
  std::optional<host::Filter> again;
  try {
    again = Parse(written, size);
  } catch (const host::FilterError& e) {
    Fail("a filter written out does not parse:", written + "\n" + e.what());
  }
  if (again->ToString() != written) {
    Fail("written out twice, the filter changed:", written + "\n--\n" + again->ToString());
  }
  const std::optional<host::StartRange> range = filter->RangeOfStart();
  for (const Appointment& item : items) {
    const bool matches = filter->Matches(item);
    if (again->Matches(item) != matches) Fail("the filter written out answers otherwise:", written);
    if (matches && range) {
      const std::int64_t start = host::SecondsFromDate(item.start);
      if (start < range->first || start > range->last) {
        Fail("an item outside the range of Start matches:", written);
      }
    }
  }
  return 0;
}
