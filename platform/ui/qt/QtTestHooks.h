#pragma once
// What the rendering tests do to the desktop front end: draw a window into
// a PNG file and measure its controls, and do to the Qt widgets what a
// person does on the desktop. Built into a library of the tests only; the
// front end's module does not carry it.

#include <string>
#include <vector>

#include "platform/ui/FrontEnd.h"

namespace ui::qt {

// What a rendered window shows, for the rendering tests: each control's
// place in the image and how much room its text needs there.
struct RenderedControl {
  int id;
  ControlKind kind;
  int x, y, width, height;  // pixels of the image
  bool visible;
  std::string text;         // what it shows (a list's longest entry)
  int textWidth;            // pixels the text needs on one line, with the control's margins
  int textHeight;           // pixels the text needs, wrapped where the control wraps
  bool wraps;
  bool rightToLeft;
};
struct RenderedWindow {
  int width = 0, height = 0;  // the client area
  std::vector<RenderedControl> controls;
};

// Draws the window (its client area) into a PNG file and describes it.
// False when the front end is no Qt front end or the window is unknown.
bool RenderWindow(FrontEnd& frontEnd, HWND window, const std::string& pngPath,
                  RenderedWindow* rendered);

// For the tests, what a person does on the desktop, done to the Qt widgets
// on the Qt thread; each returns once Qt has handled it (the runtime hears
// of it afterwards, on the window's own thread). False when the window or
// the control is unknown.
// Clicks a button, check box or radio button.
bool ClickControl(FrontEnd& frontEnd, HWND window, int controlId);
// Clicks into an edit, selects its text and types text over it, key by key.
bool TypeInto(FrontEnd& frontEnd, HWND window, int controlId, const std::string& utf8);
// Presses a key (Qt::Key) where the focus is.
bool PressKey(FrontEnd& frontEnd, HWND window, int qtKey);

// What a control's widget shows as text (a date picker's date as it writes
// it, an edit's text), and a date picker's range as yyyy-MM-dd; false when
// the control is unknown.
bool ShownText(FrontEnd& frontEnd, HWND window, int controlId, std::string* text);
bool DateRange(FrontEnd& frontEnd, HWND window, int controlId, std::string* lowest, std::string* highest);

// Returns once Qt has shown everything the window's thread reported before
// the call (each snapshot applied and painted): for measuring a frame.
bool WaitUntilShown(FrontEnd& frontEnd, HWND window);

}  // namespace ui::qt
