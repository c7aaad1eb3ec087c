#pragma once
// Reading a mirror back with libical into plain records: what a subscriber
// would see of each event. The tests check the mirror through it, and it is
// the way back should the host ever import a calendar file.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/store/Appointment.h"

namespace host {

struct MirrorAlarm {
  std::string action;  // ACTION: "DISPLAY", "AUDIO", …
  // TRIGGER as minutes before the start (negative: after it), when the
  // trigger is a duration relative to the start.
  std::optional<long> minutesBeforeStart;
  std::string description;  // DESCRIPTION, empty when there is none
  std::string attach;       // ATTACH's URI, empty when there is none
};

struct MirrorEvent {
  std::string uid;
  std::string summary;
  std::optional<std::string> description;
  DATE start = 0.0;        // DTSTART as an OLE date of its wall-clock time
  DATE end = 0.0;          // DTEND likewise; the start when there is no DTEND
  bool hasEnd = false;     // whether there is a DTEND
  bool floating = false;   // DTSTART and DTEND carry neither TZID nor UTC
  std::string dtStamp;     // as written, e.g. 20040321T023000Z
  std::string transp;      // TRANSPARENT or OPAQUE
  std::string busyStatus;  // X-MICROSOFT-CDO-BUSYSTATUS
  std::vector<MirrorAlarm> alarms;
  std::vector<UserProperty> userProperties;
};

struct MirrorCalendar {
  std::string version;
  std::string prodId;
  std::string calScale;
  std::string method;
  std::string name;  // X-WR-CALNAME
  std::vector<MirrorEvent> events;
  // What libical could not parse or holds against RFC 5545, and X-ORVANE-
  // properties that do not read back as a user property; empty for a
  // well-formed mirror.
  std::vector<std::string> problems;
};

/// Throws MirrorError when the text holds no VCALENDAR.
MirrorCalendar ParseMirror(std::string_view text);

/// Throws MirrorError (with the errno) when the file cannot be read, or as
/// ParseMirror does.
MirrorCalendar ReadMirror(const std::filesystem::path& path);

}  // namespace host
