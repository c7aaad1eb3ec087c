#pragma once
// The calling thread's last error, as GetLastError and SetLastError keep it:
// a function that fails sets it; one that succeeds leaves it as it was.

#include "platform/com/WinTypes.h"
#include "platform/win/WinError.h"

DWORD GetLastError();
void SetLastError(DWORD error);
