#pragma once
// What a front end is told about a window: a copy of everything it shows,
// taken when something changed.

#include <string>
#include <vector>

#include "platform/ui/DialogTemplate.h"
#include "platform/ui/Window.h"

namespace ui {

struct ControlSnapshot {
  HWND handle;
  int id;
  ControlKind kind;
  std::string text;  // UTF-8
  bool visible;      // its own visible style; the dialog's is apart
  bool enabled;
  RECT rect;  // in the dialog's client coordinates
  DWORD style;
  DWORD exStyle;
  // Progress bar.
  int rangeMin;
  int rangeMax;
  int position;
  // Animation: the clip's resource id (0: none open) and module, whether it
  // plays, and the frame on show: its number from 0, and a text clip's text
  // (empty for a picture clip, which the front end draws from the clip).
  unsigned clip;
  bool playing;
  std::string frame;
  int frameIndex = 0;
  HINSTANCE clipModule = nullptr;
  // Check box and radio button: BST_CHECKED or BST_UNCHECKED.
  int checked;
  // Whether it has the keyboard focus.
  bool focused = false;
  // Edit: the typing limit (0: none to speak of) and the selection.
  int textLimit = 0;
  int selStart = 0;
  int selEnd = 0;
  // Combo boxes: the list and the selected entry (-1: none).
  std::vector<std::string> items;
  int selection = -1;
  // Up-down: the id of the edit it steps (0: none).
  int buddyId = 0;
  // Date picker: the date as it shows it (empty: none) and its value.
  std::string dateText;
  DATE date = 0;
  // The range a person may pick in: each end when the range sets it.
  bool hasDateMin = false;
  DATE dateMin = 0;
  bool hasDateMax = false;
  DATE dateMax = 0;
  bool timeOnly = false;  // DTS_TIMEFORMAT: a time of day
  // Picture, and a button with BM_SETIMAGE: the image resource
  // (IMAGE_BITMAP or IMAGE_ICON and its id; 0 when none). A picture shows it
  // rotated horizontally by imageOffset.x with wrap-around (STM_SHIFTIMAGE):
  // column x of the image at (x + imageOffset.x) mod width.
  unsigned imageType = 0;
  unsigned imageId = 0;
  HINSTANCE imageModule = nullptr;
  POINT imageOffset{0, 0};
  // Static text: the colour its dialog gave it (0xFFFFFFFF: the default,
  // else 0x00BBGGRR), whether its font is underlined, the cursor over it
  // (0: the arrow; else the id of LoadCursor, IDC_HAND …), its tooltip.
  DWORD textColor = 0xFFFFFFFF;
  bool underline = false;
  unsigned cursorId = 0;
  std::string tooltip;
};

struct WindowSnapshot {
  HWND handle;
  unsigned templateId;  // the dialog template it was made from, 0 for none
  std::string caption;  // UTF-8
  bool visible;
  bool enabled;
  RECT rect;  // on the screen, frame included
  DWORD style;
  DWORD exStyle;
  int cancelId;  // the template's cancel control, 0 for none
  std::vector<ControlSnapshot> controls;
  HWND owner = nullptr;  // the window it belongs to, or null
  bool modal = false;    // a modal dialog: its owner is disabled while it runs
  int focusId = 0;       // the control with the keyboard focus, 0 for none
  // The template's own font, in points, that the template's coordinates
  // were laid out for.
  int fontPointSize = 8;

  // The control with this id, or null.
  const ControlSnapshot* Control(int id) const;
};

enum class WindowEvent {
  kCreated,  // the window and its controls exist; not shown yet
  kShown,
  kHidden,
  kChanged,    // a control or the caption changed while it stays as shown or hidden
  kDestroyed,  // last word about the window; its handle is dead by now
};

const char* WindowEventName(WindowEvent event);

}  // namespace ui
