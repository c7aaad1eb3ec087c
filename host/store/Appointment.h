#pragma once
// One item of the host's mail store as plain data: what the Outlook object
// model exposes of an appointment, and where it lives. Texts are UTF-8;
// dates are OLE Automation dates in local time.

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "platform/com/WinTypes.h"

namespace host {

// The folders of the store, numbered as Outlook numbers its default folders.
enum class FolderKind : int {
  kDeletedItems = 3,  // olFolderDeletedItems
  kCalendar = 9,      // olFolderCalendar
};

// Outlook's user property types (OlUserPropertyType).
enum class PropertyType : int {
  kText = 1,      // olText
  kNumber = 3,    // olNumber
  kDateTime = 5,  // olDateTime
  kYesNo = 6,     // olYesNo
  kInteger = 20,  // olInteger
};

struct UserProperty {
  std::string name;  // compared without regard to case
  PropertyType type = PropertyType::kNumber;
  // Text for kText; a number for kNumber, kInteger, kYesNo (-1/0) and
  // kDateTime (an OLE date).
  std::variant<double, std::string> value = 0.0;
};

using ItemId = std::int64_t;

struct Appointment {
  ItemId id = 0;       // 0 until first saved; then stable for the item's life
  std::string uid;     // stable, globally unique: the iCalendar UID
  FolderKind folder = FolderKind::kCalendar;
  DATE start = 0.0;
  DATE end = 0.0;
  std::string subject;
  std::string body;
  long busyStatus = 2;  // olFree 0, olTentative 1, olBusy 2, olOutOfOffice 3
  bool reminderSet = false;
  long reminderMinutesBeforeStart = 15;
  bool reminderPlaySound = false;
  std::string reminderSoundFile;
  std::vector<UserProperty> userProperties;
};

}  // namespace host
