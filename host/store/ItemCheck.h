#pragma once
// What the store keeps: an item is checked whole before any of it is
// written, so a bad field never leaves half an item or a value that would
// read back as something else (SQLite stores NaN as NULL, for one).

#include <string_view>

#include "host/store/Appointment.h"

namespace host {

bool IsKnownFolder(int folder);
bool IsKnownPropertyType(int type);

// Throws StoreError kInvalidItem naming the first fault: an unknown folder,
// a Start or End that is no date, a property without a name or of an
// unknown type, a value of the wrong kind or not finite, two properties of
// one name (ignoring case).
void CheckItem(const Appointment& item);

// Throws StoreError kInvalidItem for a name a filter cannot write: empty,
// or with a bracket in it.
void CheckFieldName(std::string_view name);

}  // namespace host
