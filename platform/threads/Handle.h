#pragma once
// Kernel object handles (events, threads) as the Win32 API hands them out:
// opaque values looked up in a table, so that a closed or made-up handle is
// refused rather than followed. Waiting works on any handle whose object can
// be signalled.

#include "platform/com/WinTypes.h"

using HANDLE = void*;

inline constexpr DWORD INFINITE = 0xFFFFFFFF;
inline constexpr DWORD WAIT_OBJECT_0 = 0;
inline constexpr DWORD WAIT_TIMEOUT = 258;
inline constexpr DWORD WAIT_FAILED = 0xFFFFFFFF;

// Waits until the object is signalled or the time (milliseconds, INFINITE
// for none) has passed. WAIT_OBJECT_0, WAIT_TIMEOUT, or WAIT_FAILED for a
// handle that is not open. Waiting on an auto-reset event resets it.
DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds);

// Closes the caller's handle. The object lives on while something else still
// needs it (a running thread keeps its own object). FALSE for a handle that
// is not open.
BOOL CloseHandle(HANDLE handle);
