#pragma once
// What a person does to the windows: the front ends turn clicks, keys and
// typing into these calls, and tests call them as a person would act.
//
// Each action runs on the window's own thread, as input reaches a window
// through its thread's queue. kWait waits until the window has served it
// (the tests, the headless front end); kPost queues it and returns at once
// (the desktop front end, whose thread must never wait for a window's
// thread, which may itself be waiting for a message box). An action counts
// only when a person could do it: the dialog shown and enabled (a modal
// dialog above it disables it), the control visible and enabled. With kWait
// the result says whether it could; with kPost, whether it was queued.

#include <functional>
#include <string_view>

#include "platform/time/SystemTime.h"
#include "platform/ui/Messages.h"

namespace ui::input {

enum class Mode { kWait, kPost };

// Presses a button (BM_CLICK after giving it the focus), or clicks a static
// control with the mouse (button down and up in its middle).
bool Click(HWND control, Mode mode = Mode::kWait);
// Gives the control the focus, as clicking into it does.
bool Focus(HWND control, Mode mode = Mode::kWait);
// Types UTF-8 text at the control's caret, character by character (WM_CHAR;
// "\b" is Backspace), after giving it the focus.
bool Type(HWND control, std::string_view utf8, Mode mode = Mode::kWait);
// Selects all of the control's text and types text over it (an empty text
// deletes it). done, when given, runs on the window's thread once the text
// has been typed (or when the control could not take it).
bool ReplaceText(HWND control, std::string_view utf8, Mode mode = Mode::kWait,
                 std::function<void()> done = {});
// Picks entry index of a combo box from its list (CBN_SELCHANGE follows), or
// a tab of a tab strip (TCN_SELCHANGE follows).
bool Select(HWND comboBox, int index, Mode mode = Mode::kWait);
// Clicks an up-down's arrow: clicks > 0 up, < 0 down.
bool Step(HWND upDown, int clicks, Mode mode = Mode::kWait);
// Picks a date (or time) in a date picker: DTN_DATETIMECHANGE follows.
bool SetDate(HWND picker, const SYSTEMTIME& date, Mode mode = Mode::kWait);
// A key pressed while the dialog is active (see ui::DialogKey).
bool Key(HWND dialog, WPARAM key, bool shift = false, Mode mode = Mode::kWait);
// A mouse message (WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP) at point, in
// the control's client coordinates. When a window of the control's thread
// has captured the mouse, that window gets it instead, the point moved into
// its coordinates.
bool Mouse(HWND control, UINT message, POINT point, Mode mode = Mode::kWait);
// The close box of the window's title bar (WM_CLOSE).
bool Close(HWND window, Mode mode = Mode::kWait);

}  // namespace ui::input
