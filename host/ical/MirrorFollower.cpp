#include "host/ical/MirrorFollower.h"

#include <cstdio>

#include "host/ical/CalendarMirror.h"
#include "host/ical/MirrorError.h"
#include "host/store/CalendarStore.h"

namespace host {

namespace {

constexpr std::chrono::seconds kMinimumInterval{1};

// The items of `items` that can be mirrored, each refused one named on
// standard error.
std::vector<Appointment> MirrorableItems(const std::vector<Appointment>& items) {
  std::vector<Appointment> kept;
  for (const Appointment& item : items) {
    try {
      BuildICalendar({item});
      kept.push_back(item);
    } catch (const MirrorError& e) {
      std::fprintf(stderr, "orvane: calendar.ics leaves out an item: %s\n", e.what());
    }
  }
  return kept;
}

}  // namespace

MirrorFollower::MirrorFollower(std::filesystem::path mirror, StoreSource store)
    : mirror_(std::move(mirror)), store_(std::move(store)) {}

void MirrorFollower::OnChange(std::uint64_t) {
  stale_ = true;
  if (std::chrono::steady_clock::now() - lastWrite_ >= kMinimumInterval) Write();
}

bool MirrorFollower::Flush() { return !stale_ || Write(); }

bool MirrorFollower::Write() {
  const std::shared_ptr<CalendarStore> store = store_();
  // A closed store keeps its last mirror until it is back.
  if (store == nullptr) return false;
  lastWrite_ = std::chrono::steady_clock::now();
  try {
    std::vector<Appointment> items = store->LoadFolder(FolderKind::kCalendar);
    try {
      WriteMirror(mirror_, items);
    } catch (const MirrorError& e) {
      if (e.Error() != 0) throw;  // the file, not an item
      WriteMirror(mirror_, MirrorableItems(items));
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "orvane: calendar.ics could not be written: %s\n", e.what());
    failed_ = true;
    return false;
  }
  failed_ = false;
  stale_ = false;
  ++writes_;
  return true;
}

}  // namespace host
