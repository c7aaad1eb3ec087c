#pragma once
// What a start of the host did to the calendar, in one line for the user:
//   Mecca: 16 prayer appointments written for 21 Mar 2004 – 28 Mar 2004; next: Zuhr 12:27
// The add-in marks its prayer appointments with the user property
// PrayerNum (0 to 6; 7 marks its custom reminders); the city is the first
// field of the city line it keeps in its "Location" setting.

#include <set>
#include <string>

#include "host/store/Appointment.h"

namespace host {

class StartReport {
 public:
  // Notes the items the Calendar holds before the add-ins start.
  void Before();
  // The line, from the Calendar as it is now against what Before noted:
  // empty when no prayer appointment was written, unless `always`, which
  // then says what the calendar holds. Empty too when the Calendar could
  // not be read.
  std::string After(DATE now, bool always) const;

 private:
  // Closes the process's own connection to the store once read.
  static void LetGo();

  std::set<ItemId> before_;
  bool known_ = false;  // whether Before could read the Calendar
};

// "8 Dec 2026", as the command line writes a day.
std::string DayText(DATE date);

}  // namespace host
