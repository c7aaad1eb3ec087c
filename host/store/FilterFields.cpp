#include "host/store/FilterFields.h"

#include <cmath>
#include <utility>

#include "host/store/DateSeconds.h"
#include "platform/text/CaseFold.h"

namespace host {
namespace {

struct BuiltInRow {
  const char* name;
  PropertyType type;
  BuiltInField field;
};

constexpr BuiltInRow kBuiltIns[] = {
    {"Start", PropertyType::kDateTime, BuiltInField::kStart},
    {"End", PropertyType::kDateTime, BuiltInField::kEnd},
    {"Subject", PropertyType::kText, BuiltInField::kSubject},
    {"Body", PropertyType::kText, BuiltInField::kBody},
    {"BusyStatus", PropertyType::kNumber, BuiltInField::kBusyStatus},
    {"ReminderSet", PropertyType::kYesNo, BuiltInField::kReminderSet},
    {"ReminderMinutesBeforeStart", PropertyType::kNumber,
     BuiltInField::kReminderMinutesBeforeStart},
    {"ReminderPlaySound", PropertyType::kYesNo, BuiltInField::kReminderPlaySound},
    {"ReminderSoundFile", PropertyType::kText, BuiltInField::kReminderSoundFile},
    {"Duration", PropertyType::kNumber, BuiltInField::kDuration},
};

FieldValue Text(std::string_view text) {
  FieldValue v;
  v.type = PropertyType::kText;
  v.text = text;
  return v;
}

FieldValue Number(PropertyType type, double number) {
  FieldValue v;
  v.type = type;
  v.number = number;
  return v;
}

std::optional<FieldValue> Date(DATE date) {
  if (!IsValidDate(date)) return std::nullopt;
  FieldValue v;
  v.type = PropertyType::kDateTime;
  v.seconds = SecondsFromDate(date);
  return v;
}

std::optional<FieldValue> BuiltInValue(BuiltInField field, const Appointment& item) {
  switch (field) {
    case BuiltInField::kStart:
      return Date(item.start);
    case BuiltInField::kEnd:
      return Date(item.end);
    case BuiltInField::kSubject:
      return Text(item.subject);
    case BuiltInField::kBody:
      return Text(item.body);
    case BuiltInField::kBusyStatus:
      return Number(PropertyType::kNumber, static_cast<double>(item.busyStatus));
    case BuiltInField::kReminderSet:
      return Number(PropertyType::kYesNo, item.reminderSet ? -1.0 : 0.0);
    case BuiltInField::kReminderMinutesBeforeStart:
      return Number(PropertyType::kNumber, static_cast<double>(item.reminderMinutesBeforeStart));
    case BuiltInField::kReminderPlaySound:
      return Number(PropertyType::kYesNo, item.reminderPlaySound ? -1.0 : 0.0);
    case BuiltInField::kReminderSoundFile:
      return Text(item.reminderSoundFile);
    case BuiltInField::kDuration: {
      if (!IsValidDate(item.start) || !IsValidDate(item.end)) return std::nullopt;
      const std::int64_t seconds = SecondsFromDate(item.end) - SecondsFromDate(item.start);
      return Number(PropertyType::kNumber, std::round(static_cast<double>(seconds) / 60.0));
    }
  }
  return std::nullopt;
}

std::optional<FieldValue> PropertyValue(const UserProperty& property) {
  if (property.type == PropertyType::kText) {
    const auto* text = std::get_if<std::string>(&property.value);
    if (text == nullptr) return std::nullopt;
    return Text(*text);
  }
  const auto* number = std::get_if<double>(&property.value);
  if (number == nullptr || !std::isfinite(*number)) return std::nullopt;
  switch (property.type) {
    case PropertyType::kDateTime:
      return Date(*number);
    case PropertyType::kNumber:
    case PropertyType::kInteger:
    case PropertyType::kYesNo:
      return Number(property.type, *number);
    case PropertyType::kText:
      break;
  }
  return std::nullopt;
}

}  // namespace

FieldCatalog::FieldCatalog(std::vector<FolderField> folderFields, bool userFieldsUsable) {
  if (userFieldsUsable) folderFields_ = std::move(folderFields);
}

std::optional<FilterField> FieldCatalog::Find(std::string_view name) const {
  for (const BuiltInRow& row : kBuiltIns) {
    if (text::EqualIgnoringCase(name, row.name)) return FilterField{row.name, row.type, row.field};
  }
  for (const FolderField& field : folderFields_) {
    if (text::EqualIgnoringCase(name, field.name)) {
      return FilterField{field.name, field.type, std::nullopt};
    }
  }
  return std::nullopt;
}

std::optional<FieldValue> ValueOf(const FilterField& field, const Appointment& item) {
  if (field.builtIn) return BuiltInValue(*field.builtIn, item);
  for (const UserProperty& property : item.userProperties) {
    if (text::EqualIgnoringCase(property.name, field.name)) return PropertyValue(property);
  }
  return std::nullopt;
}

}  // namespace host
