#pragma once
// Each thread's message queue, and the functions that fill and empty it.
//
// A thread's queue is made the first time the thread touches it. It holds the
// messages posted to the thread's windows (or to the thread), the messages
// other threads send and wait for, the thread's timers and its quit flag.
// When the thread ends, the windows it still has are destroyed without any
// more calls to their procedures, and every thread still waiting for an
// answer from them gets 0.

#include "platform/ui/Messages.h"

// Takes the next message for the thread: sent messages are served first, as
// they arrive, without being returned; then posted messages in the order they
// were posted; then WM_QUIT once PostQuitMessage has been called and nothing
// posted is left; then WM_TIMER of a timer that is due. Waits when there is
// nothing. filter: a window (its messages and its controls'), or null for
// every message of the thread. first..last: a message range, 0, 0 for all;
// WM_QUIT is returned whatever the filter. Returns 0 for WM_QUIT, 1 for
// another message, -1 when filter names no window.
BOOL GetMessage(MSG* message, HWND filter, UINT first, UINT last);

enum : UINT {
  PM_NOREMOVE = 0x0,
  PM_REMOVE = 0x1,
};
// As GetMessage, without waiting: TRUE when a message was found.
BOOL PeekMessage(MSG* message, HWND filter, UINT first, UINT last, UINT remove);

// There is no keyboard: nothing to translate.
BOOL TranslateMessage(const MSG* message);
// Calls the procedure of the message's window; 0 for a thread message or a
// window that is gone.
LRESULT DispatchMessage(const MSG* message);

// Queues a message for the window's thread and returns at once. A null
// window posts to the calling thread. FALSE when the handle is no window.
BOOL PostMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
BOOL PostThreadMessage(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam);

// Calls the window's procedure and returns its result. On the window's own
// thread this is a plain call. From another thread the message is queued for
// the window's thread and the caller waits until it has been served; while
// waiting, the caller serves the messages sent to its own windows, so two
// threads sending to each other cannot deadlock. 0 when the handle is no
// window, or when the window or its thread goes before answering.
LRESULT SendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Makes the thread's next GetMessage return WM_QUIT with this exit code.
void PostQuitMessage(int exitCode);

// Starts or restarts timer id of the window: WM_TIMER (wParam = id) comes
// through the window thread's queue every elapse milliseconds, at most one
// pending at a time. Only the window's own thread may set its timers, as in
// Windows. Returns id, or 0 on failure. The procedure argument is not
// supported and must be null.
using TIMERPROC = void (*)(HWND, UINT, UINT_PTR, DWORD);
UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC procedure);
BOOL KillTimer(HWND window, UINT_PTR id);

// The default handling of the messages every window understands (text,
// font, enable); what a window procedure returns for what it does not handle.
LRESULT DefWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
