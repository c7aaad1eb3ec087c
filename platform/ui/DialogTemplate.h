#pragma once
// Dialog templates as a resource library carries them: plain constant data
// (see ResourceTable.h), one template per dialog, each listing its controls.
//
// Positions and sizes are in pixels of the dialog's client area, not in
// Windows' dialog units: the libraries are written by hand for this runtime,
// and the front ends draw in pixels or in character cells of the fixed-width
// model of Font.h.

#include <cstddef>

#include "platform/com/WinTypes.h"

// What a control is. The dialog runtime gives each kind its behaviour.
enum class ControlKind : unsigned {
  kStatic,  // static text
  kEdit,    // text box
  kButton,  // push button
  kCheckBox,
  kRadioButton,
  kDropDownList,  // combo box whose text comes from its list only
  kComboBox,      // editable combo box
  kUpDown,
  kDatePicker,
  kProgressBar,
  kAnimation,
  kPicture,
  kLink,
  kTab,  // a tab strip: one tab a page, one selected
};

inline constexpr int IDC_STATIC = -1;  // a label nobody addresses

struct DialogControlTemplate {
  int id;
  ControlKind kind;
  unsigned textId;   // string of the same library; 0 when text is used instead
  const char* text;  // UTF-8, or null for none
  int x, y, cx, cy;  // pixels, in the dialog's client area
  DWORD style;       // WS_CHILD | WS_VISIBLE (as the resource compiler adds) | kind's own
  DWORD exStyle;
};

struct DialogTemplate {
  unsigned id;
  unsigned captionId;   // string of the same library; 0 when caption is used
  const char* caption;  // UTF-8, or null
  int x, y, cx, cy;     // the client area; x, y on the screen (the owner's when it has one)
  DWORD style;          // WS_VISIBLE shows the dialog once initialised
  DWORD exStyle;
  const char* fontName;
  int fontPointSize;
  // The control that Escape presses, and Ctrl-C in the terminal; 0 for none.
  int cancelId;
  const DialogControlTemplate* controls;
  std::size_t controlCount;
};
