#pragma once
// Event objects: a flag that threads wait for with WaitForSingleObject.

#include "platform/threads/Handle.h"

// A new unnamed event, or null. A manual-reset event stays signalled until
// ResetEvent; an auto-reset one lets a single wait through and resets
// itself. Security attributes and names are not supported: pass null.
HANDLE CreateEvent(void* security, BOOL manualReset, BOOL initialState, const char* name);
BOOL SetEvent(HANDLE event);
BOOL ResetEvent(HANDLE event);
