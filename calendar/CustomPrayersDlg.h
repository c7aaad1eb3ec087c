#pragma once
// CCustomPrayers: the modal dialog (template 159 of the resource library)
// the options page opens for its "custom" choice of prayers. The user ticks
// the prayers that get appointments (the Friday prayer follows Zuhr: a
// selected Zuhr always includes it) and switches the custom reminders on or
// off; a button opens the custom reminders dialog. After OK the options page
// takes the selection, the four custom reminder values and the change
// result, which tells the custom reminder state how existing reminders are
// to be rebuilt.
//
// The change result keeps the strongest change since the dialog opened:
// changed times or interval (the reminders move) over a changed subject
// over nothing. A second look at the reminders dialog, closed with OK and
// no change, leaves a move found by the first.

#include <cstdint>

#include "calc/OleDate.h"
#include "platform/text/TChar.h"
#include "platform/ui/Dialog.h"
#include "settings/DialogRun.h"

// How the custom reminders changed (the options page's custom reminder
// state takes it).
enum CustomReminderChange : int {
  kCustomRemindersUnchanged = 1,
  kCustomReminderTimesChanged = 2,    // from, to or interval: rebuild them
  kCustomReminderSubjectChanged = 3,  // the subject only
};

class CCustomPrayers : public ui::DialogHandler {
 public:
  enum : UINT { IDD = 159 };
  enum : int {
    kFajr = 230,  // check boxes of the prayers, flags 1 to 32
    kShorouk = 231,
    kZuhr = 232,
    kAsr = 233,
    kMaghrib = 235,
    kIsha = 236,
    kFriday = 1000,           // the Friday prayer, flag 64
    kCustomReminders = 1033,  // the custom reminders on, flag 128
    kRemindersButton = 1035,  // opens the custom reminders dialog
  };

  CCustomPrayers() = default;

  void SetPrayingAppointments(DWORD flags) { m_prayers = flags; }
  DWORD GetPrayingAppointments() const { return m_prayers; }
  /// The copies the reminders dialog starts from; from and to are times of
  /// day, interval in minutes.
  void SetCustomReminderSettings(COleDate from, COleDate to, const tstring& subject, DWORD interval);

  /// Runs the dialog, owned by owner (may be null): IDOK with the selection,
  /// the copies and the change set, IDCANCEL, or -1 when it could not be
  /// shown.
  std::intptr_t DoModal(HWND owner);

  /// Runs the custom reminders dialog on the copies, owned by owner; after
  /// OK takes its values and updates the change. Its result (IDOK,
  /// IDCANCEL or -1).
  std::intptr_t RunCustomRemindersDialog(HWND owner);

  COleDate m_customFrom{480.0 / 1440.0};
  COleDate m_customTo{1020.0 / 1440.0};
  tstring m_customSubject;
  DWORD m_customInterval = 60;
  int m_change = kCustomRemindersUnchanged;

 private:
  BOOL OnInitDialog(HWND dialog, LPARAM initParam) override;
  void OnCommand(HWND dialog, int id, int code, HWND control) override;
  void OnZuhr(HWND dialog);
  void OnCustomCheck(HWND dialog);
  void OnOK(HWND dialog);

  DWORD m_prayers = 0;
};

// `orvane dialog custom-prayers`: the dialog on the profile's selection and
// custom reminders; after OK the selection and the four values under their
// registry names, and the change (1, 2 or 3).
DialogResult ShowCustomPrayersDialog(const DialogRun& run);
