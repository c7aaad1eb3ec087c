#pragma once
// When the reminders of the Calendar's items fall due: an item with its
// reminder set is due ReminderMinutesBeforeStart minutes before its start.
// Built from the folder as it is; the host builds it again after a change.

#include <cstdint>
#include <vector>

#include "host/store/Appointment.h"

namespace host {

struct DueReminder {
  DATE due;
  ItemId item;
  DATE end;  // the item's end: an overdue reminder is worth showing until then
};

class ReminderSchedule {
 public:
  ReminderSchedule() = default;
  explicit ReminderSchedule(const std::vector<Appointment>& items);

  // The reminders due after `from` and not after `to`, earliest first (in
  // the folder's order when two fall due together).
  std::vector<DueReminder> Between(DATE from, DATE to) const;
  // The first reminder due after `from`, if any.
  const DueReminder* NextAfter(DATE from) const;
  std::size_t Size() const { return due_.size(); }

 private:
  std::vector<DueReminder> due_;  // sorted by due, stable
};

}  // namespace host
