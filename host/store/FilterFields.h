#pragma once
// The fields a filter may name: the appointment's own (Start, Subject, ...)
// and the user-defined fields of the folder, and what an item holds in each.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/store/Appointment.h"

namespace host {

// A user property added to a folder's fields: usable in that folder's filters.
struct FolderField {
  std::string name;
  PropertyType type = PropertyType::kText;
};

enum class BuiltInField {
  kStart,
  kEnd,
  kSubject,
  kBody,
  kBusyStatus,
  kReminderSet,
  kReminderMinutesBeforeStart,
  kReminderPlaySound,
  kReminderSoundFile,
  kDuration,  // minutes from Start to End
};

struct FilterField {
  std::string name;   // as Outlook or the folder spells it
  PropertyType type;  // how the filter's value is read
  std::optional<BuiltInField> builtIn;  // none: the item's user property of that name
};

class FieldCatalog {
 public:
  // The built-in fields only.
  FieldCatalog() = default;
  // With the folder's fields, unless the host has made them unusable.
  FieldCatalog(std::vector<FolderField> folderFields, bool userFieldsUsable);

  // The field of that name, without regard to case; a built-in field wins
  // over a folder field of the same name. Nothing for an unknown name.
  std::optional<FilterField> Find(std::string_view name) const;

 private:
  std::vector<FolderField> folderFields_;
};

// What an item holds in a field, in the form comparisons use.
struct FieldValue {
  PropertyType type = PropertyType::kText;
  std::string_view text;     // kText
  double number = 0.0;       // kNumber, kInteger, kYesNo
  std::int64_t seconds = 0;  // kDateTime (DateSeconds.h)
};

// Nothing when the field is a user property the item does not have (or one
// whose value does not fit its type, which a saved item never has).
std::optional<FieldValue> ValueOf(const FilterField& field, const Appointment& item);

}  // namespace host
