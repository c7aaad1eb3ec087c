#pragma once
// The Win32 error codes the platform answers with, with their Windows values.
// The registry returns them; the national-language functions leave them in
// the thread's last error (LastError.h).

#include "platform/com/WinTypes.h"

constexpr LONG ERROR_SUCCESS = 0;
constexpr LONG ERROR_FILE_NOT_FOUND = 2;  // no such key or value
constexpr LONG ERROR_ACCESS_DENIED = 5;   // RegDeleteKey on a key with subkeys
constexpr LONG ERROR_INVALID_HANDLE = 6;
constexpr LONG ERROR_OUTOFMEMORY = 14;
constexpr LONG ERROR_SHARING_VIOLATION = 32;  // another program has the file open or locked
constexpr LONG ERROR_INVALID_PARAMETER = 87;
constexpr LONG ERROR_DISK_FULL = 112;            // the store could not grow
constexpr LONG ERROR_INSUFFICIENT_BUFFER = 122;  // the text does not fit the caller's buffer
constexpr LONG ERROR_BUSY = 170;            // another process held the store longer than we wait
constexpr LONG ERROR_MORE_DATA = 234;       // the buffer is too small; *size says how big
constexpr LONG ERROR_NO_MORE_ITEMS = 259;   // enumeration past the end
constexpr LONG ERROR_INVALID_FLAGS = 1004;  // a flag, or an item type, the function does not take
constexpr LONG ERROR_BADDB = 1009;          // the store cannot be opened or read
constexpr LONG ERROR_KEY_DELETED = 1018;    // the handle's key was deleted
constexpr LONG ERROR_FILE_CORRUPT = 1392;  // the file is damaged and cannot be read
constexpr LONG ERROR_UNSUPPORTED_TYPE = 1630;  // registry:: helpers: the value has another type
