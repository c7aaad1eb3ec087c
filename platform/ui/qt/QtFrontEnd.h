#pragma once
// The desktop front end: every window of the runtime as a real window, with
// Qt 6 Widgets.
//
// Qt runs on a thread of its own. The runtime's threads tell it what their
// windows look like (snapshots, queued to the Qt thread, which never waits
// for them); what a person does goes back as input queued to the window's
// own thread (UserInput.h, kPost). A message box or the open-file dialog
// waits for the person on the thread that asked, as MessageBox does. So the
// progress window keeps painting while the add-in's thread works, and no
// thread ever waits for one that waits for it.
//
// Templates are laid out in pixels of the runtime's font model (Font.h:
// 7 x 13 pixels a character at 8 points, that is 7/4 and 13/8 pixels a
// dialog unit); each window is scaled by the desktop font's average
// character width and height at the template's point size, so a dialog
// grows with the user's font as a Windows dialog does. Arabic templates
// are laid out from the right; their controls read and align right to left.

#include <memory>
#include <string>

#include "platform/ui/FrontEnd.h"

namespace ui::qt {

// Starts Qt and returns the front end; null, with what went wrong in one
// line, when no display can be reached. QT_QPA_PLATFORM=offscreen draws
// without a display (tests).
std::shared_ptr<FrontEnd> CreateQtFrontEnd(std::string* problem);

// Ends Qt before the process ends (the terminal front end takes over): its
// thread must not run while the process's statics, Qt's among them, are
// destroyed. Does nothing when Qt does not run.
void ShutdownQtFrontEnd();

}  // namespace ui::qt
