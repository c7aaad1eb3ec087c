#pragma once
// CCustomReminders: the modal dialog (template 1034 of the resource library)
// in which the user chooses the custom reminders: the daily start and end
// time (each one of 48 half hours), the minutes between two reminders and
// their subject. The custom prayers dialog opens it with its copies and
// takes the four values back after OK.
//
// The times read as the user's locale writes them: with its AM/PM
// designators ("08:30 AM") where it has them, else in 24 hours, so that the
// morning's 08:30 and the evening's never look alike. A stored interval of
// 0 selects 60 minutes: OK always takes an interval the list shows.

#include <cstdint>
#include <string>

#include "calc/OleDate.h"
#include "platform/text/TChar.h"
#include "platform/ui/Dialog.h"
#include "settings/DialogRun.h"

class CCustomReminders : public ui::DialogHandler {
 public:
  enum : UINT { IDD = 1034 };
  enum : int {
    kFrom = 1036,      // drop-down list of the 48 half hours
    kTo = 1037,
    kSubject = 1039,   // edit
    kInterval = 1041,  // drop-down list of minutes
  };
  // Resource strings: the two messages and their caption.
  enum : UINT { kEmptySubject = 1045, kEndNotAfterStart = 1046, kCaption = 138 };
  static constexpr int kTimes = 48;
  static constexpr DWORD kIntervals[] = {15, 30, 60, 90, 120, 180};
  static constexpr DWORD kDefaultInterval = 60;
  static constexpr int kSubjectLimit = static_cast<int>(CSettingsStore::kMaxCustomSubject);  // characters

  /// from and to: times of day (only hour and minute count); interval in
  /// minutes.
  CCustomReminders(COleDate from, COleDate to, const tstring& subject, DWORD interval);

  /// Runs the dialog, owned by owner (may be null): IDOK with the four
  /// values below set, IDCANCEL, or -1 when it could not be shown.
  std::intptr_t DoModal(HWND owner);

  /// The entry of a time list that shows time: hour × 2, and one more when
  /// the minute is not 0 (08:15 shows 08:30). An invalid time shows
  /// fallback's entry.
  static int TimeEntry(COleDate time, COleDate fallback);
  /// The time of day entry k stands for, on 30 December 1899.
  static COleDate EntryTime(int entry);
  /// The picture a time list is written with in the user's locale.
  static tstring TimePicture();
  /// A time of day as "HH:MM", for `orvane dialog`.
  static std::string ClockText(COleDate time);

  COleDate m_from;
  COleDate m_to;
  tstring m_subject;
  DWORD m_interval;

 private:
  BOOL OnInitDialog(HWND dialog, LPARAM initParam) override;
  void OnCommand(HWND dialog, int id, int code, HWND control) override;
  bool OnOK(HWND dialog);
  void ShowMessage(HWND dialog, UINT textId, int focusId);
};

// `orvane dialog custom-reminders`: the dialog on the profile's custom
// reminders; after OK the four values under their registry names (the
// times as HH:MM).
DialogResult ShowCustomRemindersDialog(const DialogRun& run);
