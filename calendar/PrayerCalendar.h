#pragma once
// CPrayerCalendar: the add-in's work on the calendar. It fills the days of
// the window with prayer appointments and custom reminders, finds, deletes
// and rewrites the add-in's own items, and reads Outlook's work week. It
// keeps no Outlook object of its own: everything comes from the add-in
// object through ICalendarContext, at the moment of use.
//
// The trace lines name the add-in object ("Enter COutlookPrayer::
// Precalculate()"), as they always have: support staff read a log as one
// story, and their notes and scripts look for those names.

#include <string>

#include "calendar/CalendarContext.h"
#include "platform/com/ComPtr.h"

class CPrayerCalendar {
 public:
  // What RestrictOperation does with the items it found.
  enum : int { kModeDelete = 1, kModeCreate = 2, kModeUpdate = 4 };

  explicit CPrayerCalendar(ICalendarContext& context) : m_context(context) {}
  CPrayerCalendar(const CPrayerCalendar&) = delete;
  CPrayerCalendar& operator=(const CPrayerCalendar&) = delete;

  // Index 0..6 to its flag, and a flag back to its index (-1 for none).
  static DWORD PrayConvert(int index);
  static int PrayConvert(PrayerFlags flag);
  // The calculator's time of prayer index 0..6 (6, the Friday prayer, takes
  // Zuhr's) for the date last recalculated; another index leaves *start as
  // it is and succeeds.
  HRESULT GetStart(int index, COleDate* start);

  // Deleting the add-in's items (from the calendar, then from Deleted Items).
  HRESULT Delete();
  HRESULT RestrictOperation(_Items* items, const std::u16string& filter, int mode, void* modeArgument,
                            bool progressFlag, bool showProgress);
  HRESULT DeleteAppointments(_Items* items, bool progressFlag, bool showProgress);
  HRESULT DeleteAppointment(IDispatch* item);
  // Rewrites every item of the collection from the current settings; the
  // value is not used.
  HRESULT UpdateAppointments(_Items* items, LONG value);

  // S_OK when the settings hold a city to compute for, else why there is
  // none (its file missing, not readable, or holding no city). Nothing is
  // written without one: prayers for latitude 0, longitude 0, UTC+0 would
  // pass for the user's.
  HRESULT CheckCity();

  // Writing the prayer appointments over the days of the window.
  HRESULT Precalculate(bool removeUnselected, bool continueFromLastDate, bool force, bool showProgress);
  HRESULT CreateAppointments(_Items* dayItems, bool removeUnselected);
  HRESULT CheckPrayer(_Items* dayItems, int index, bool removeUnselected);
  HRESULT CreateAppointment(int index);
  // 1 when the prayer is already past and nothing was written.
  HRESULT PutPrayerParameters(_AppointmentItem* item, int index);
  static HRESULT AddProperty(_AppointmentItem* item, const std::u16string& name, LONG type, const VARIANT& value);
  // -1 when the item has neither the property nor a prayer's subject.
  static HRESULT GetPropertyValue(_AppointmentItem* item, const std::u16string& name, const VARIANT& custom,
                                  VARIANT* value);
  // The filter of the add-in's items of the day that starts at `dayStart`.
  static std::u16string DayFilter(const COleDate& dayStart);

  // Custom reminders: every so many minutes between two times of the day.
  HRESULT CheckCustomReminders(_Items* dayItems, bool removeUnselected);
  HRESULT CreateCustomReminders(const COleDate& day);
  HRESULT AddCustomReminderItem(const COleDate& start, const std::u16string& subject);
  HRESULT DeleteCustomReminders(_Items* items);

  // Outlook's work week, when only working days get appointments.
  bool FetchWorkingDays();
  bool IsDayWorkingDay(int dayOfWeek, DWORD workingDays);
  DWORD WorkingDays() const { return m_workingDays; }

  // The date format of the progress window's dates, made again from the
  // user-interface language (CreateUILocaleID).
  HRESULT RefreshDateFormat();
  const tstring& FilterDateFormat() const { return m_filterDateFormat; }
  bool DayFirst() const { return m_dayFirst; }

 private:
  AddinSettings& Settings() { return m_context.Store().Settings(); }
  // The progress window of a walk over `count` items, with its text; false
  // when it could not be shown.
  bool ShowItemProgress(ICalendarProgress& progress, int mode, LONG count, bool delayed, UINT text);
  // After an item: the bar stepped and the window painted (when shown);
  // true when the user cancelled.
  bool StepItemProgress(ICalendarProgress& progress, bool shown);
  // The item's date as the window's second line.
  void ShowItemDate(ICalendarProgress& progress, DATE start) const;
  // The appointment at a 1-based position; E_NOINTERFACE for another kind.
  static HRESULT AppointmentAt(_Items* items, LONG position, ComPtr<_AppointmentItem>* item);
  // In Deleted Items, the item just moved there: same subject, same start,
  // same mark (none when `mark` is null). None found is S_OK with null.
  static HRESULT FindDeletedTwin(_Items* deleted, std::u16string_view subject, DATE start, const double* mark,
                                 IDispatch** match);

  ICalendarContext& m_context;
  DWORD m_workingDays = 124;  // Monday to Friday
  tstring m_filterDateFormat;
  bool m_dayFirst = false;
};
