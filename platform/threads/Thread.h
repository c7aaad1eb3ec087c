#pragma once
// Threads as CreateThread makes them: the thread runs on its own, and its
// handle is signalled once it has ended, so a caller can wait for it.

#include "platform/threads/Handle.h"

using LPTHREAD_START_ROUTINE = DWORD (*)(void* parameter);

inline constexpr DWORD STILL_ACTIVE = 259;

// Starts routine(parameter) on a new thread; returns its handle (closed with
// CloseHandle, which does not stop the thread) and, when id is not null, its
// identifier. Null when no thread could be started. The stack size is the
// system's whatever is asked (0 = default, as every caller here passes);
// security and creation flags must be null and 0.
HANDLE CreateThread(void* security, DWORD stackSize, LPTHREAD_START_ROUTINE routine,
                    void* parameter, DWORD creationFlags, DWORD* id);

// The calling thread's identifier: a small number, never 0, unique for the
// process's life.
DWORD GetCurrentThreadId();

// The process's identifier, as getpid() answers it, without asking the kernel
// each time: the stores compare it on every use to notice that they run in a
// child after fork(), which a fork handler tells.
DWORD GetCurrentProcessId();

// The routine's result once the thread has ended, else STILL_ACTIVE.
BOOL GetExitCodeThread(HANDLE thread, DWORD* exitCode);

// Suspends the calling thread for at least the milliseconds given. A window
// procedure that paces a movement sleeps between its frames; the front end
// hears of the pause first (see threads::SetSleepObserver), so that what a
// person would see, frames and pauses, can be checked without a clock.
void Sleep(DWORD milliseconds);

namespace threads {

// Told of every Sleep, on the sleeping thread, before it sleeps; one for the
// process, null for none. The user-interface runtime sets it.
using SleepObserver = void (*)(DWORD milliseconds);
void SetSleepObserver(SleepObserver observer);

}  // namespace threads
