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
#include <string_view>

#include "calendar/CalendarContext.h"
#include "platform/com/ComPtr.h"

class CPrayerCalendar {
 public:
  // What RestrictOperation does with the items it found. kModeClearDay
  // takes a day off the work week clear of its own prayers, each found on
  // the day it falls on as creation finds it (an Isha after midnight of the
  // day before stays), and of its custom reminders; the argument is unused.
  enum : int { kModeDelete = 1, kModeCreate = 2, kModeUpdate = 4, kModeClearDay = 8 };

  explicit CPrayerCalendar(ICalendarContext& context) : m_context(context) {}
  CPrayerCalendar(const CPrayerCalendar&) = delete;
  CPrayerCalendar& operator=(const CPrayerCalendar&) = delete;

  // Index 0..6 to its flag, and a flag back to its index (-1 for none).
  static DWORD PrayConvert(int index);
  static int PrayConvert(PrayerFlags flag);
  // The calculator's time of prayer index 0..6 (6, the Friday prayer, takes
  // Zuhr's) for the date last recalculated, on the day it falls on (an Isha
  // after midnight on the next day); another index leaves *start as it is
  // and succeeds.
  HRESULT GetStart(int index, COleDate* start);
  // The add-in's appointment of prayer `index` for the date last
  // recalculated, whose time is `start` (GetStart): an item of its mark on
  // the day `start` falls on, within half a day of it, so that the evening
  // before's Isha after midnight, or the next day's Fajr before midnight, is
  // never taken for it. `dayItems` (may be null) are the add-in's items of
  // the date's own calendar day, used when `start` falls on that day. None
  // found is S_OK with null; *found holds a reference.
  HRESULT FindOwnAppointment(_Items* dayItems, int index, const COleDate& start, IDispatch** found);

  // Deleting the add-in's items (from the calendar, then from Deleted Items).
  HRESULT Delete();
  HRESULT RestrictOperation(_Items* items, const std::u16string& filter, int mode, void* modeArgument,
                            bool progressFlag, bool showProgress);
  HRESULT DeleteAppointments(_Items* items, bool progressFlag, bool showProgress);
  HRESULT DeleteAppointment(IDispatch* item);
  // Rewrites every item of the collection from the current settings; the
  // value is not used.
  HRESULT UpdateAppointments(_Items* items, LONG value);
  // When the calendar's prayer appointments were written with another
  // high-latitude rule than the one set, or before times were placed on the
  // day they fall on: hands the rule to the calculator, rewrites the
  // appointments through the update (which leaves those whose time is past
  // and moves those whose day changed) and stores the rule as applied. S_OK
  // when nothing was to do; a failure leaves the rule unapplied, to be
  // tried again.
  HRESULT ApplyHighLatitudeRule();

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
  // The calculator's addition with the rule and the days of the times; null
  // for a calculator without it.
  ComPtr<IPrayerCalculator2> Calculator2();
  // The line an appointment's body carries when the high-latitude rule gave
  // the time of prayer `index` on the date last recalculated; empty when it
  // did not.
  std::u16string RuleLine(int index);
  // The body of an appointment with the rule's line as `line` says (none
  // when empty), the rest of `body` kept.
  static std::u16string WithRuleLine(std::u16string_view body, const std::u16string& line);
  // Recalculates the date the item of prayer `mark` starting at `start`
  // was written for: the day of its start for items written when every time
  // stood on the day it was computed for, else the date whose time of that
  // prayer lies nearest.
  void RecalcItemsDate(const COleDate& start, int mark, bool onComputedDay);
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
  bool m_dayOff = false;      // while clearing a day: no prayer counts as selected
  tstring m_filterDateFormat;
  bool m_dayFirst = false;
};
