#pragma once
// Mouse cursors. A window's procedure chooses its cursor when it receives
// WM_SETCURSOR, by calling SetCursor; the runtime asks each control so as it
// paints (see InvalidateRect) and keeps the answer for the front end, which
// shows that cursor while the pointer is over the control.

#include "platform/ui/Window.h"

struct CursorRecord;
using HCURSOR = const CursorRecord*;

// The system's cursors, for LoadCursor(null, …).
inline constexpr unsigned IDC_ARROW = 32512;
inline constexpr unsigned IDC_IBEAM = 32513;
inline constexpr unsigned IDC_WAIT = 32514;
inline constexpr unsigned IDC_HAND = 32649;

// A system cursor (instance null); null for a cursor that does not exist.
// Modules carry no cursors of their own here.
HCURSOR LoadCursor(HINSTANCE instance, unsigned id);
// Returns the cursor set before for the calling thread.
HCURSOR SetCursor(HCURSOR cursor);
// A copy that its maker destroys; null for null.
HCURSOR CopyCursor(HCURSOR cursor);
BOOL DestroyCursor(HCURSOR cursor);
// The id of a cursor, 0 for null.
unsigned CursorId(HCURSOR cursor);
