#pragma once
// Reading a module's resources: strings by id, binary resources by type and
// id, dialog templates by id.

#include <string>

#include "platform/fs/Module.h"

using UINT = unsigned int;

// Copies string id into buffer (cch characters, terminator included),
// converted to the caller's character set (ANSI code page or UTF-16). Returns
// the characters copied without the terminator; 0 when the module has no
// such string (buffer then holds the empty string).
int LoadString(HINSTANCE instance, UINT id, char* buffer, int cch);
int LoadString(HINSTANCE instance, UINT id, char16_t* buffer, int cch);

namespace ui {

// The string's UTF-8 text, or null when the module has no such string.
const char* FindString(HINSTANCE instance, UINT id);
// A binary resource, or null.
const ResourceBinary* FindBinary(HINSTANCE instance, unsigned type, UINT id);
// A dialog template, or null.
const DialogTemplate* FindDialog(HINSTANCE instance, UINT id);

}  // namespace ui
