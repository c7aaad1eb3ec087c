#include "host/store/ItemCheck.h"

#include <cmath>
#include <set>
#include <string>

#include "host/store/DateSeconds.h"
#include "host/store/StoreError.h"
#include "platform/text/CaseFold.h"

namespace host {
namespace {

[[noreturn]] void Refuse(const std::string& message) {
  throw StoreError(StoreError::Reason::kInvalidItem, message);
}

}  // namespace

bool IsKnownFolder(int folder) {
  return folder == static_cast<int>(FolderKind::kCalendar) ||
         folder == static_cast<int>(FolderKind::kDeletedItems);
}

bool IsKnownPropertyType(int type) {
  switch (static_cast<PropertyType>(type)) {
    case PropertyType::kText:
    case PropertyType::kNumber:
    case PropertyType::kDateTime:
    case PropertyType::kYesNo:
    case PropertyType::kInteger:
      return true;
  }
  return false;
}

void CheckItem(const Appointment& item) {
  if (!IsKnownFolder(static_cast<int>(item.folder))) Refuse("the item's folder is unknown");
  if (!IsValidDate(item.start)) Refuse("the item's Start is not a date");
  if (!IsValidDate(item.end)) Refuse("the item's End is not a date");
  std::set<std::string> names;
  for (const UserProperty& property : item.userProperties) {
    const std::string quoted = "user property \"" + property.name + "\"";
    if (property.name.empty()) Refuse("a user property has no name");
    if (!IsKnownPropertyType(static_cast<int>(property.type))) {
      Refuse(quoted + " is of an unknown type");
    }
    const bool isText = std::holds_alternative<std::string>(property.value);
    if (isText != (property.type == PropertyType::kText)) {
      Refuse(quoted + " holds a value of another type");
    }
    if (!isText && !std::isfinite(std::get<double>(property.value))) {
      Refuse(quoted + " is not a finite number");
    }
    if (property.type == PropertyType::kDateTime && !IsValidDate(std::get<double>(property.value))) {
      Refuse(quoted + " is not a date");
    }
    if (!names.insert(text::FoldCase(property.name)).second) {
      Refuse(quoted + " appears twice");
    }
  }
}

void CheckFieldName(std::string_view name) {
  if (name.empty()) Refuse("a folder field needs a name");
  if (name.find_first_of("[]") != std::string_view::npos) {
    Refuse("a folder field's name cannot hold [ or ]");
  }
}

}  // namespace host
