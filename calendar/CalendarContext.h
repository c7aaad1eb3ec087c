#pragma once
// What the calendar's operations borrow from the add-in object: the
// settings and their store, the calculator, the current prayer period,
// Outlook's objects, the hadith source, a progress window, the cancel flag
// and the message pump. The add-in object owns all of it and implements
// this interface; the calendar holds no reference of its own, so that what
// the add-in object releases (every Outlook object when the last window
// closes, the folders when a store goes) is gone for the calendar too.

#include <memory>

#include "calendar/HadithServer.h"
#include "office/Outlook.h"
#include "platform/ui/Window.h"
#include "resources/OrvaneTypeLib.h"
#include "settings/SettingsStore.h"

// The current prayer period, as the add-in object last found it.
struct TimeInfo {
  DWORD currentPrayer = kIshaFlag;  // PrayerFlags: the prayer whose period holds the instant
  COleDate periodStart{kInvalidDate};
  COleDate periodEnd{kInvalidDate};
  LONG position = 0;  // 0 before today's Fajr, 1 between Fajr and Isha, 2 after Isha
};

// A progress window as a walk over days or items drives it, from the main
// thread. The window's Cancel button sets the context's cancel flag.
class ICalendarProgress {
 public:
  // What the walk does: the window's clip, and whether it can be cancelled.
  enum : int {
    kModeDelete = 1,  // removes items: clip 223, Cancel enabled
    kModeCreate = 2,  // writes items: clip 224, Cancel enabled
    kModeUpdate = 4,  // rewrites items: clip 224, cannot be cancelled
  };

  virtual ~ICalendarProgress() = default;

  /// Shows the window: S_OK, or a failure with nothing left running. step:
  /// percent of the bar added by each Stepit. delayed: show it only once the
  /// walk has lasted a moment.
  virtual HRESULT CreatePage(int mode, float step, bool delayed) = 0;
  /// The text line, laid out for the language (1025 right to left).
  virtual void SetText(const tchar* text, LONG language) = 0;
  /// The second text (the day or item being done).
  virtual void SetSecondText(const tchar* text, int rightToLeft) = 0;
  /// Whether the next date is worth showing now.
  virtual bool SecondTextDue() = 0;
  virtual void Stepit() = 0;
  /// Closes the window; nothing when none is open.
  virtual void DestroyPage() = 0;
  virtual HWND Window() const = 0;
};

class ICalendarContext {
 public:
  /// The settings record, its registry key and the calculator's settings.
  virtual CSettingsStore& Store() = 0;
  /// The add-in's calculator; null while the add-in is not connected. Not
  /// counted: the add-in object keeps it.
  virtual IPrayerCalculator* Calculator() = 0;
  /// The prayer period that holds "now", as last found.
  virtual const TimeInfo& CurrentPeriod() const = 0;
  /// Outlook's objects; null when Outlook let them go. Not counted.
  virtual _Application* Application() = 0;
  virtual _Items* CalendarItems() = 0;
  virtual MAPIFolder* CalendarFolder() = 0;
  virtual MAPIFolder* DeletedItemsFolder() = 0;
  /// The texts of the Friday prayer's appointments.
  virtual CHadithServer& Hadith() = 0;
  /// A new progress window (not shown yet) whose Cancel button sets the
  /// cancel flag below. The caller owns it.
  virtual std::unique_ptr<ICalendarProgress> NewProgress() = 0;
  /// 1 once the user cancelled a walk, 0 when cleared.
  virtual void SetCancelFlag(LONG value) = 0;
  virtual LONG GetCancelFlag() = 0;
  /// Keeps the main thread's windows painted while a walk runs.
  virtual void ProcessWindowMessages(HWND window) = 0;

 protected:
  ~ICalendarContext() = default;
};
