#include "host/ical/CalendarMirror.h"

#include <cstdio>
#include <ctime>
#include <string_view>
#include <system_error>
#include <unordered_set>

#include "platform/fs/AtomicFile.h"
#include "host/ical/FileUri.h"
#include "host/ical/ICalText.h"
#include "host/ical/MirrorError.h"
#include "host/ical/UserPropertyForm.h"
#include "platform/com/VariantTime.h"
#include "platform/fs/WindowsPath.h"
#include "platform/time/SystemTime.h"

// The text is written here line by line, as RFC 5545 lays it out, rather
// than built as libical components and written by libical: the mirror is
// rewritten whole after every piece of work, and for a calendar of a few
// thousand items libical's writing cost more than saving the items had.
// libical still reads the mirror (MirrorReader), and the tests read every
// form written here back through it.

namespace host {

namespace {

// How each of Outlook's busy statuses shows in iCalendar: the CDO status that
// Outlook itself writes, and whether the time counts as taken.
struct BusyStatusForm {
  long busyStatus;
  const char* cdoBusyStatus;
  const char* transp;
};

constexpr BusyStatusForm kBusyStatusForms[] = {
    {0, "FREE", "TRANSPARENT"},  // olFree
    {1, "TENTATIVE", "OPAQUE"},  // olTentative
    {2, "BUSY", "OPAQUE"},       // olBusy
    {3, "OOF", "OPAQUE"},        // olOutOfOffice
};
constexpr const BusyStatusForm& kDefaultBusyStatusForm = kBusyStatusForms[2];

// A content line may hold 75 bytes; a continuation line begins with a blank.
constexpr std::size_t kLineBytes = 75;

// The summary of an item without a subject, as Outlook lists one: a
// published calendar must give each event a summary, and libical reads a
// summary of nothing as none.
constexpr const char* kNoSubject = "(No Subject)";

// Whether a cleaned text holds more than blanks: libical reads a value
// without the blanks at its ends, and a value of nothing as no value.
bool HasText(std::string_view cleaned) {
  return cleaned.find_first_not_of(" \t\n") != std::string_view::npos;
}

const BusyStatusForm& FormOfBusyStatus(long busyStatus) {
  for (const BusyStatusForm& form : kBusyStatusForms) {
    if (form.busyStatus == busyStatus) return form;
  }
  return kDefaultBusyStatusForm;
}

std::string Describe(const Appointment& item) {
  return "appointment \"" + item.uid + "\" (id " + std::to_string(item.id) + ")";
}

bool IsContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// Appends one content line, folded at 75 bytes and never inside a UTF-8
// character (a run of stray continuation bytes, which no cleaned text has,
// is cut where it must be).
void AppendLine(std::string& out, std::string_view line) {
  std::size_t room = kLineBytes;
  while (line.size() > room) {
    std::size_t cut = room;
    while (cut > 0 && IsContinuationByte(line[cut])) --cut;
    if (cut == 0) cut = room;
    out.append(line.substr(0, cut));
    out.append("\r\n ");
    line.remove_prefix(cut);
    room = kLineBytes - 1;
  }
  out.append(line);
  out.append("\r\n");
}

// A TEXT value (RFC 5545 3.3.11) of a cleaned text: backslash, semicolon,
// comma and line break escaped.
void AppendText(std::string& line, std::string_view cleaned) {
  for (char c : cleaned) {
    switch (c) {
      case '\\':
        line += "\\\\";
        break;
      case ';':
        line += "\\;";
        break;
      case ',':
        line += "\\,";
        break;
      case '\n':
        line += "\\n";
        break;
      default:
        line += c;
    }
  }
}

// An X- property's value as libical writes and reads one: only backslashes
// and line breaks escaped.
void AppendXValue(std::string& line, std::string_view value) {
  for (char c : value) {
    if (c == '\\') {
      line += "\\\\";
    } else if (c == '\n') {
      line += "\\n";
    } else {
      line += c;
    }
  }
}

// A parameter value, between double quotes when it holds a character that
// would end it otherwise. (UserPropertyForm keeps quotes and control
// characters out of the values it gives.)
void AppendParameter(std::string& line, std::string_view name, std::string_view value) {
  line += ';';
  line += name;
  line += '=';
  if (value.find_first_of(";:,") != std::string_view::npos) {
    line += '"';
    line += value;
    line += '"';
  } else {
    line += value;
  }
}

void AppendTextLine(std::string& out, const char* name, std::string_view cleaned) {
  std::string line = name;
  line += ':';
  AppendText(line, cleaned);
  AppendLine(out, line);
}

std::string FloatingTime(const Appointment& item, DATE date, const char* what) {
  SYSTEMTIME st;
  if (!VariantTimeToSystemTime(date, &st)) {
    throw MirrorError(Describe(item) + ": the " + what + " is not a date");
  }
  if (st.wYear > kLastMirroredYear) {
    throw MirrorError(Describe(item) + ": the " + what + " lies after the year " +
                      std::to_string(kLastMirroredYear));
  }
  char text[16];
  std::snprintf(text, sizeof text, "%04d%02d%02dT%02d%02d%02d", st.wYear % 10000, st.wMonth % 100,
                st.wDay % 100, st.wHour % 100, st.wMinute % 100, st.wSecond % 100);
  return text;
}

// DTSTAMP must be UTC; "now" comes from the platform as local time.
std::string StampNow() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  std::tm local{};
  local.tm_year = now.wYear - 1900;
  local.tm_mon = now.wMonth - 1;
  local.tm_mday = now.wDay;
  local.tm_hour = now.wHour;
  local.tm_min = now.wMinute;
  local.tm_sec = now.wSecond;
  local.tm_isdst = -1;
  std::time_t utc = std::mktime(&local);
  if (utc == static_cast<std::time_t>(-1)) utc = std::time(nullptr);
  std::tm stamp{};
  gmtime_r(&utc, &stamp);
  char text[24];
  std::snprintf(text, sizeof text, "%04d%02d%02dT%02d%02d%02dZ", (stamp.tm_year + 1900) % 10000,
                (stamp.tm_mon + 1) % 100, stamp.tm_mday % 100, stamp.tm_hour % 100,
                stamp.tm_min % 100, stamp.tm_sec % 100);
  return text;
}

// The alarm's trigger: minutes before the start as a negative duration,
// after it as a positive one ("-PT15M", "PT5M", "-P1D", "-P1DT1H").
std::string Trigger(long minutesBeforeStart) {
  if (minutesBeforeStart == 0) return "PT0S";
  long minutes = minutesBeforeStart < 0 ? -minutesBeforeStart : minutesBeforeStart;
  std::string text = minutesBeforeStart > 0 ? "-P" : "P";
  if (minutes % (7 * 1440) == 0) return text + std::to_string(minutes / (7 * 1440)) + "W";
  if (minutes >= 1440) text += std::to_string(minutes / 1440) + "D";
  minutes %= 1440;
  if (minutes == 0) return text;
  text += 'T';
  if (minutes >= 60) text += std::to_string(minutes / 60) + "H";
  if (minutes % 60 != 0) text += std::to_string(minutes % 60) + "M";
  return text;
}

void AppendAlarm(std::string& out, const Appointment& item) {
  if (item.reminderMinutesBeforeStart > kMaxReminderMinutes ||
      item.reminderMinutesBeforeStart < -kMaxReminderMinutes) {
    throw MirrorError(Describe(item) + ": a reminder " +
                      std::to_string(item.reminderMinutesBeforeStart) +
                      " minutes from the start cannot be written");
  }
  AppendLine(out, "BEGIN:VALARM");
  AppendLine(out, "TRIGGER:" + Trigger(item.reminderMinutesBeforeStart));
  if (item.reminderPlaySound && !item.reminderSoundFile.empty()) {
    AppendLine(out, "ACTION:AUDIO");
    // Relative names are taken from the current folder, as a program given
    // the name would find the file.
    const std::filesystem::path sound =
        std::filesystem::absolute(fs_win::MapPath(item.reminderSoundFile));
    AppendLine(out, "ATTACH:" + FileUriFromPath(sound));
  } else {
    AppendLine(out, "ACTION:DISPLAY");
    const std::string subject = CleanText(item.subject);
    AppendTextLine(out, "DESCRIPTION", HasText(subject) ? subject : kNoSubject);
  }
  AppendLine(out, "END:VALARM");
}

void AppendEvent(std::string& out, const Appointment& item, const std::string& uid,
                 const std::string& stamp) {
  AppendLine(out, "BEGIN:VEVENT");
  AppendTextLine(out, "UID", uid);
  AppendLine(out, "DTSTAMP:" + stamp);
  const std::string subject = CleanText(item.subject);
  AppendTextLine(out, "SUMMARY", HasText(subject) ? subject : kNoSubject);
  const std::string body = CleanText(item.body);
  if (!body.empty()) AppendTextLine(out, "DESCRIPTION", body);

  const std::string start = FloatingTime(item, item.start, "start");
  const std::string end = FloatingTime(item, item.end, "end");
  // The texts compare as the times do: fixed widths, largest part first.
  if (end < start) throw MirrorError(Describe(item) + ": the end is before the start");
  AppendLine(out, "DTSTART:" + start);
  // RFC 5545 wants DTEND later than DTSTART; without it the event ends as it
  // starts, which is what an item of no length is.
  if (end > start) AppendLine(out, "DTEND:" + end);

  const BusyStatusForm& busy = FormOfBusyStatus(item.busyStatus);
  AppendLine(out, std::string("TRANSP:") + busy.transp);
  AppendLine(out, std::string("X-MICROSOFT-CDO-BUSYSTATUS:") + busy.cdoBusyStatus);

  for (const UserProperty& userProperty : item.userProperties) {
    ICalUserProperty form;
    try {
      form = UserPropertyToICal(userProperty);
    } catch (const MirrorError& error) {
      throw MirrorError(Describe(item) + ": " + error.what());
    }
    std::string line = form.xName;
    AppendParameter(line, kUserPropertyNameParameter, form.nameParameter);
    AppendParameter(line, kUserPropertyTypeParameter, form.typeParameter);
    line += ':';
    AppendXValue(line, form.value);
    AppendLine(out, line);
  }

  if (item.reminderSet) AppendAlarm(out, item);
  AppendLine(out, "END:VEVENT");
}

}  // namespace

std::string BuildICalendar(const std::vector<Appointment>& items) {
  std::string out;
  // About what a prayer appointment takes, so that the text grows in few steps.
  out.reserve(256 + items.size() * 400);
  AppendLine(out, "BEGIN:VCALENDAR");
  AppendLine(out, "VERSION:2.0");
  AppendTextLine(out, "PRODID", CleanText(kMirrorProductId));
  AppendLine(out, "CALSCALE:GREGORIAN");
  AppendLine(out, "METHOD:PUBLISH");
  std::string name = "X-WR-CALNAME:";
  AppendXValue(name, kMirrorCalendarName);
  AppendLine(out, name);

  const std::string stamp = StampNow();
  std::unordered_set<std::string> uids;
  for (const Appointment& item : items) {
    if (item.folder != FolderKind::kCalendar) continue;
    // Compared as written: two uids that differ only in bytes the file
    // cannot hold would still be one event to a subscriber.
    const std::string uid = CleanText(item.uid);
    if (uid.empty()) throw MirrorError(Describe(item) + " has no uid");
    if (!uids.insert(uid).second) {
      throw MirrorError(Describe(item) + ": another appointment has the same uid");
    }
    AppendEvent(out, item, uid, stamp);
  }
  AppendLine(out, "END:VCALENDAR");
  return out;
}

void WriteMirror(const std::filesystem::path& path, const std::vector<Appointment>& items) {
  WriteMirror(path, items, files::FileCalls());
}

void WriteMirror(const std::filesystem::path& path, const std::vector<Appointment>& items,
                 const files::FileCalls& calls) {
  const std::string text = BuildICalendar(items);
  try {
    files::WriteFileAtomically(path, text, calls);
  } catch (const std::system_error& error) {
    throw MirrorError(error.what(), error.code().value());
  }
}

}  // namespace host
