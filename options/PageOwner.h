#pragma once
// What the options page borrows from the add-in object that made it: the
// settings and their store, the calculator, the current prayer period, the
// calendar's operations and the cancel flag. The add-in object implements
// this interface; the page never includes it. The owner tells the page when
// it goes, and from then on the page reaches nothing through it.

#include "calendar/CalendarContext.h"
#include "calendar/PrayerCalendar.h"

class IPrayerPageOwner {
 public:
  virtual CSettingsStore& Store() = 0;
  /// Null while the add-in is not connected. Not counted.
  virtual IPrayerCalculator* Calculator() = 0;
  /// The prayer period holding the instant, found anew.
  virtual HRESULT FindTimeInfo(const COleDate& instant) = 0;
  virtual const TimeInfo& CurrentPeriod() const = 0;
  /// Filling, deleting and rewriting the add-in's items.
  virtual CPrayerCalendar& Calendar() = 0;
  /// The calendar's items; null when Outlook let them go. Not counted.
  virtual _Items* CalendarItems() = 0;
  /// The next-prayer-only mode's one appointment.
  virtual HRESULT GenerateNext(bool force) = 0;
  virtual LONG GetCancelFlag() = 0;

 protected:
  ~IPrayerPageOwner() = default;
};
