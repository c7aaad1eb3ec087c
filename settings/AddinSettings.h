#pragma once
// AddinSettings: every persisted user choice of the add-in, with its
// defaults, and the prayer flags that name prayers.

#include "services/Flavour.h"
#include "calc/OleDate.h"

// Bits naming prayers; prayer index i (0 Fajr .. 6 Friday) is bit 1 << i.
enum PrayerFlags : DWORD {
  kFajrFlag = 1,
  kShoroukFlag = 2,
  kZuhrFlag = 4,
  kAsrFlag = 8,
  kMaghribFlag = 16,
  kIshaFlag = 32,
  kFridayFlag = 64,
  kCustomReminderFlag = 128,
};

// AddinSettings::highLatitudeApplied before any rule was applied.
inline constexpr DWORD kNoRuleApplied = 0xFFFFFFFF;

struct AddinSettings {
  COleDate lastDate{kInvalidDate};       // day up to which appointments exist
  tstring lastDateStore;                 // identity of the store lastDate describes
  COleDate lastNext{kInvalidDate};       // last prayer of the next-prayer-only mode
  DWORD prayers = kZuhrFlag | kAsrFlag;  // PrayerFlags with appointments
  DWORD prescheduleDays = 7;             // 0, 1, 7, 14, 31, 93, 186; 255 = next prayer only
  tstring location;                      // city line of the chosen city
  double longitude = 0.0;                // degrees, positive WEST (from the location)
  double latitude = 0.0;                 // degrees, positive north
  double timeZone = 0.0;                 // hours, positive EAST
  bool daylight = true;
  DWORD daylightStartDay = 1;
  DWORD daylightStartMonth = 3;  // 0..11: April
  DWORD daylightEndDay = 31;
  DWORD daylightEndMonth = 9;    // 0..11: October
  DWORD method = eEgypt;
  DWORD asrSchool = eShafii;
  DWORD busyStatus = 0;          // 0 free, 1 tentative, 2 busy, 3 out of office
  DWORD duration = 5;            // minutes
  bool reminder = true;
  DWORD reminderMinutes = 1;
  bool playSound = false;
  tstring soundFile;
  bool fajrPlaySound = false;
  tstring fajrSoundFile;
  bool fridaySettings = false;   // forced on after every read
  DWORD fridayBusyStatus = 0;
  DWORD fridayMinutesBefore = 30;
  DWORD fridayMinutesAfter = 90;
  bool fridayReminder = true;
  DWORD fridayReminderMinutes = 30;
  bool fridayPlaySound = false;
  tstring fridaySoundFile;
  DWORD startupCleanup = 1;      // bit 0: delete past prayer appointments at start-up
  bool workingDaysOnly = false;
  bool firstRun = true;
  COleDate lastCleanup{kInvalidDate};
  DWORD timetableCalendar = 1;   // 0 Hijri, 1 Gregorian
  DWORD timetableRange = 0;      // 0 today .. 5 next month
  COleDate customFrom{480.0 / 1440.0};   // 08:00, time only
  COleDate customTo{1020.0 / 1440.0};    // 17:00, time only
  tstring customSubject;
  DWORD customInterval = 60;     // minutes
  DWORD highLatitudeRule = 0;    // HighLatitudeRule: 0 a seventh of the night, 1 the middle, 2 the angle
  // The rule the calendar's prayer appointments were last written with;
  // kNoRuleApplied for a calendar written before times were placed on the
  // day they fall on (each on the day it was computed for).
  DWORD highLatitudeApplied = kNoRuleApplied;
  // The prayer appointments were written for settings since changed outside
  // the add-in (the location chosen by `orvane dialog location`): the add-in
  // rewrites them at its next start, then clears it.
  bool updatePending = false;
  // RebuildPending: an Apply of the options page that changed the days ahead
  // or the prayers was stopped before the calendar was brought in line; the
  // next start deletes what lies past the window and writes it again.
  bool rebuildPending = false;

  // Not persisted.
  int customState = 1;
  COleDate prescheduleEnd{kInvalidDate};
  DWORD workingDays = 0;
};
