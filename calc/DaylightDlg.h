#pragma once
// CDaylightDlg: the modal dialog (template 206 of the resource library) in
// which the user sets the daylight-saving period: its first and last day,
// both inclusive, each a day of month and a month (0 = January). The
// location dialog opens it with the rule it holds and takes the four values
// back after OK.
//
// A period whose start comes later in the year than its end runs over the
// new year, as summer time does south of the equator (Sydney, Santiago):
// the engine applies it so, and the dialog takes it as it is. Only a period
// that starts and ends on the same day is refused.

#include <cstdint>

#include "platform/ui/Dialog.h"
#include "settings/DialogRun.h"

class CDaylightDlg : public ui::DialogHandler {
 public:
  enum : UINT { IDD = 206 };
  enum : int {
    kStartMonth = 216,  // drop-down list of the twelve months
    kEndMonth = 218,
    kStartDay = 225,  // edit, 2 characters
    kEndDay = 226,
    kStartSpin = 229,  // up-down of the start day: 1..kDaysInMonth[start month]
    kEndSpin = 230,
  };
  // The largest day the dialog takes in each month; February always 29.
  static constexpr int kDaysInMonth[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  // Resource strings: the first month's name (the others follow), and the
  // two messages.
  enum : UINT { kFirstMonthName = 309, kBadDayMessage = 235, kSameDayMessage = 236, kCaption = 138 };

  /// The rule to show: days 1..31, months 0..11. Values out of range are
  /// repaired when the dialog opens.
  CDaylightDlg(int startDay, int startMonth, int endDay, int endMonth);

  /// Runs the dialog, owned by owner (may be null): IDOK with the four
  /// values below set, IDCANCEL, or -1 when it could not be shown.
  std::intptr_t DoModal(HWND owner);

  int m_startDay;
  int m_startMonth;
  int m_endDay;
  int m_endMonth;

 private:
  BOOL OnInitDialog(HWND dialog, LPARAM initParam) override;
  void OnCommand(HWND dialog, int id, int code, HWND control) override;
  void OnOK(HWND dialog);
  void UpdateRanges(HWND dialog);
  void ShowMessage(HWND dialog, UINT textId);
};

// `orvane dialog daylight`: the dialog on the profile's rule; after OK the
// four values under their registry names.
DialogResult ShowDaylightDialog(const DialogRun& run);
