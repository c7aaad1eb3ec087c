#pragma once
// Which front end shows the program's windows.

#include <string>

namespace host {

// Sets the process's front end by kind: "qt" the desktop, "terminal" message
// boxes and progress on standard error, "headless" nothing at all (a dialog
// is pressed OK as soon as it shows, a message box answered by its default
// button and printed on standard error). Empty: the desktop when a display
// is named (DISPLAY or WAYLAND_DISPLAY), loaded only when a window is about
// to show, else the terminal. Returns what went wrong in one line, or an
// empty text.
std::string ChooseFrontEnd(const std::string& kind);

// Ends the desktop front end, if it runs, before the program ends.
void EndFrontEnd();

}  // namespace host
