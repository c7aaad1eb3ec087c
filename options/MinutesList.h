#pragma once
// CMinutesList: a number of minutes chosen in an editable drop-down list
// (the appointment's duration and reminder on the options page; the Friday
// prayer's minutes before and after Zuhr and its reminder in the advanced
// dialog). The list offers the presets; the person may pick one or type
// another number.
//
// What is typed is read as a whole number of minutes within what the
// settings keep: the store reads 0 as 1, and a day is the most any of these
// spans. "abc", "-30" or "" would otherwise reach the settings as 0 or as a
// huge unsigned number, and a Friday appointment would span days or none;
// instead the dialog says which field takes what, puts the focus on it and
// stays open.

#include "platform/ui/Messages.h"

class CMinutesList {
 public:
  static constexpr int kPresets[] = {1, 5, 10, 15, 30, 60, 90};
  static constexpr int kLowest = 1;
  static constexpr int kHighest = 1440;  // a day
  // Resource strings: the message (the field's name, the lowest and the
  // highest number) and its caption.
  enum : UINT { kOutOfRange = 1404, kCaption = 138 };

  /// Fills the list with the presets and selects value; a value that is not
  /// a preset is inserted in its sorted place (before the first larger
  /// preset, or at the end) and selected.
  static void Fill(HWND list, DWORD value);

  /// The whole number the list's text holds, when it is one within
  /// kLowest..kHighest (blanks around it allowed); false otherwise.
  static bool Parse(HWND list, DWORD* minutes);

  /// Reads list id of dialog into *minutes. When it holds no whole number
  /// within the range, shows the message naming the field (resource string
  /// fieldName), puts the focus on the list with its text selected, leaves
  /// *minutes as it was and answers false.
  static bool Read(HWND dialog, int id, UINT fieldName, DWORD* minutes);
};
