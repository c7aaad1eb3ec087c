#include "host/run/ReminderSchedule.h"

#include <algorithm>

namespace host {

namespace {

constexpr double kMinute = 1.0 / 1440.0;

}  // namespace

ReminderSchedule::ReminderSchedule(const std::vector<Appointment>& items) {
  for (const Appointment& item : items) {
    if (item.folder != FolderKind::kCalendar || !item.reminderSet) continue;
    due_.push_back({item.start - item.reminderMinutesBeforeStart * kMinute, item.id, item.end});
  }
  std::stable_sort(due_.begin(), due_.end(),
                   [](const DueReminder& a, const DueReminder& b) { return a.due < b.due; });
}

std::vector<DueReminder> ReminderSchedule::Between(DATE from, DATE to) const {
  auto first = std::upper_bound(due_.begin(), due_.end(), from,
                                [](DATE t, const DueReminder& r) { return t < r.due; });
  std::vector<DueReminder> result;
  for (auto it = first; it != due_.end() && it->due <= to; ++it) result.push_back(*it);
  return result;
}

const DueReminder* ReminderSchedule::NextAfter(DATE from) const {
  auto it = std::upper_bound(due_.begin(), due_.end(), from,
                             [](DATE t, const DueReminder& r) { return t < r.due; });
  return it == due_.end() ? nullptr : &*it;
}

}  // namespace host
