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
  // Animation: the clip's resource id (0: none open), whether it plays, and
  // the frame on show.
  unsigned clip;
  bool playing;
  std::string frame;
  // Check box and radio button: BST_CHECKED or BST_UNCHECKED.
  int checked;
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
