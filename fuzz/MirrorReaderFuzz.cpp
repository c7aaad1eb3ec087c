// Fuzz target: arbitrary bytes as a calendar.ics for host::ParseMirror, the
// reading back of the mirror (a file others can write: subscribers, a user
// who edits it, a half-written copy). Besides the sanitizers' findings it
// checks that what was read, written out again as the mirror writes the
// Calendar folder, reads back as as many events and without a problem.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "fuzz/FuzzProfile.h"
#include "host/ical/CalendarMirror.h"
#include "host/ical/MirrorError.h"
#include "host/ical/MirrorReader.h"

namespace {

// DTSTAMP comes from the platform clock: one "now" for every run.
class MirrorFuzzProfile : public FuzzProfile {
 public:
  MirrorFuzzProfile() { setenv("ORVANE_NOW", "2004-03-21T05:30:00", 1); }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static MirrorFuzzProfile profile;
  host::MirrorCalendar calendar;
  try {
    calendar = host::ParseMirror(std::string_view(reinterpret_cast<const char*>(data), size));
  } catch (const host::MirrorError&) {
    return 0;  // no VCALENDAR: said so, which is all a reader owes
  }
  std::vector<host::Appointment> items;
  for (const host::MirrorEvent& event : calendar.events) {
    host::Appointment item;
    item.uid = event.uid;
    item.subject = event.summary;
    item.body = event.description.value_or("");
    item.start = event.start;
    item.end = event.end;
    item.userProperties = event.userProperties;
    items.push_back(std::move(item));
  }
  std::string written;
  try {
    written = host::BuildICalendar(items);
  } catch (const host::MirrorError&) {
    return 0;  // an item the mirror refuses to write (a uid twice, a date past its range)
  }
  const host::MirrorCalendar again = host::ParseMirror(written);
  if (again.events.size() != items.size() || !again.problems.empty()) {
    std::fprintf(stderr, "%zu events written, %zu read back%s%s\n", items.size(), again.events.size(),
                 again.problems.empty() ? "" : "; first problem: ",
                 again.problems.empty() ? "" : again.problems[0].c_str());
    std::abort();
  }
  return 0;
}
