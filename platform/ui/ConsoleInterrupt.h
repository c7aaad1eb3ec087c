#pragma once
// Ctrl-C while a cancellable window is shown.
//
// In a terminal, Ctrl-C sends SIGINT, which ends the program. A long
// calendar operation with a progress window offers a Cancel button instead,
// which ends the operation cleanly after the item in progress. While such a
// window is watched, SIGINT presses its cancel control (when the control is
// enabled) through the window's thread. When no watched window has an
// enabled cancel control, SIGINT has the effect it had before: the handler
// puts the previous disposition back and raises the signal again.
//
// The signal handler only writes a byte to a pipe; a thread of its own reads
// the pipe and does the rest, so nothing unsafe runs inside the handler.

#include "platform/ui/Window.h"

namespace ui {

// Watches a shown window whose control cancelControl is its cancel button.
// The handler is installed while at least one window is watched. Watching
// a watched window again changes nothing; of several, the one watched last
// is pressed.
void WatchForInterrupt(HWND window, HWND cancelControl);
void StopWatchingForInterrupt(HWND window);

}  // namespace ui
