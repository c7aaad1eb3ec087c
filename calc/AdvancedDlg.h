#pragma once
// CAdvancedDlg: the modal dialog behind the options page's Advanced button
// (template 125 of the resource library). Its calculation half chooses the
// method, the Asr school and the high-latitude rule, and previews the six
// times they give at the user's place on any day from 1 January 1971 to 12
// December 2035, through a calculator of its own. Its Friday half edits how
// the Friday prayer's appointment is written. It works on copies: the caller
// takes them back only after OK.
//
// The preview shows each time on the day it falls on, as the timetable
// does: a time the high-latitude rule gave carries "*", one after midnight
// "+1" (one before it "-1"), and the notes under the times say why.
//
// A list left without a selection keeps the value the dialog was given: a
// stored method the list does not offer (the custom method) stays the
// user's method. Every list of minutes is read as a whole number within
// what the settings keep, or the dialog says so and stays open. Without a
// calculator (its class not registered) the preview stays empty and the
// rest works.

#include <cstdint>

#include "calc/OleDate.h"
#include "platform/com/ComPtr.h"
#include "platform/ui/Dialog.h"
#include "resources/OrvaneTypeLib.h"
#include "settings/DialogRun.h"

class CAdvancedDlg : public ui::DialogHandler {
 public:
  enum : UINT { IDD = 125 };
  enum : int {
    kMethod = 210,        // drop-down list: positions 0..4 are eEgypt .. eWIL
    kSchool = 211,        // drop-down list: eShafii, eHanafi
    kHighLatitude = 1320, // drop-down list: the three rules
    kPreviewDate = 246,   // date picker
    kPreviewDay = 1321,   // the preview's date as the user writes it
    kFajr = 103,          // the six times
    kShorouk = 215,
    kZuhr = 105,
    kAsr = 106,
    kMaghrib = 107,
    kIsha = 108,
    kPreviewNotes = 1322,  // what the marks beside the times mean
    kFridaySettings = 1017,
    kFridayBusy = 301,
    kFridayBefore = 309,   // minutes lists
    kFridayAfter = 303,
    kFridayReminder = 305,
    kFridayReminderMinutes = 306,
    kFridayReminderLabel = 307,
    kFridaySound = 222,
  };
  // Resource strings: the lists' first entries (the others follow), and the
  // names the minutes lists go by in their message.
  enum : UINT {
    kFirstMethodName = 200,
    kFirstSchoolName = 221,
    kFirstRuleName = 1401,
    kBeforeName = 1405,
    kAfterName = 1406,
    kReminderName = 1407,
    kRuleNote = 1410,
    kNextDayNote = 1411,
    kPreviousDayNote = 1412,
  };
  // The icon of the sound button, from the resource library.
  enum : UINT { kSoundIcon = 221 };
  // The busy status list shows free, tentative, busy, out of office: the
  // statuses 0 to 3 in that order, from these strings.
  static constexpr UINT kBusyNames[4] = {113, 116, 114, 115};
  static constexpr int kMethods = 5;  // eEgypt .. eWIL; eCustom is not offered
  static constexpr int kSchools = 2;
  static constexpr int kRules = 3;
  // The days the preview can show.
  static const SYSTEMTIME kFirstDay;  // 1 January 1971
  static const SYSTEMTIME kLastDay;   // 12 December 2035

  /// Copies what it edits from settings (the page's working values) and
  /// creates its calculator for the place and the daylight rule there.
  explicit CAdvancedDlg(const AddinSettings& settings);

  /// Runs the dialog, owned by owner (may be null): IDOK with the values
  /// below set, IDCANCEL, or -1 when it could not be shown.
  std::intptr_t DoModal(HWND owner);

  /// After OK: copies method, school, high-latitude rule and the Friday
  /// fields into settings.
  void TakeBack(AddinSettings& settings) const;

  const AddinSettings& Values() const { return m_values; }
  bool HasCalculator() const { return static_cast<bool>(m_calculator); }

 private:
  enum class PreviewKind { kAll, kMethod, kSchool };

  BOOL OnInitDialog(HWND dialog, LPARAM initParam) override;
  void OnCommand(HWND dialog, int id, int code, HWND control) override;
  bool OnMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
  void Preview(HWND dialog, PreviewKind kind);
  void ShowNotes(HWND dialog, LONG ruled, LONG nextDay, LONG previousDay);
  void EnableReminder(HWND dialog);
  void OnSound(HWND dialog);
  bool OnOK(HWND dialog);

  AddinSettings m_values;
  ComPtr<IPrayerCalculator> m_calculator;
  // The same calculator's addition: the rule, and the day of each time.
  ComPtr<IPrayerCalculator2> m_calculator2;
  COleDate m_previewDate{kInvalidDate};
  COleDate m_today{kInvalidDate};
};

// `orvane dialog advanced`: the dialog on the profile's settings; after OK
// the values it edits under their registry names.
DialogResult ShowAdvancedDialog(const DialogRun& run);
