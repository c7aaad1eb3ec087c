#include "host/ical/CalendarMirror.h"

#include <libical/ical.h>

#include <ctime>
#include <memory>
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

namespace host {

namespace {

struct ComponentDeleter {
  void operator()(icalcomponent* component) const { icalcomponent_free(component); }
};
using Component = std::unique_ptr<icalcomponent, ComponentDeleter>;

// How each of Outlook's busy statuses shows in iCalendar: the CDO status that
// Outlook itself writes, and whether the time counts as taken.
struct BusyStatusForm {
  long busyStatus;
  const char* cdoBusyStatus;
  icalproperty_transp transp;
};

constexpr BusyStatusForm kBusyStatusForms[] = {
    {0, "FREE", ICAL_TRANSP_TRANSPARENT},  // olFree
    {1, "TENTATIVE", ICAL_TRANSP_OPAQUE},  // olTentative
    {2, "BUSY", ICAL_TRANSP_OPAQUE},       // olBusy
    {3, "OOF", ICAL_TRANSP_OPAQUE},        // olOutOfOffice
};
constexpr const BusyStatusForm& kDefaultBusyStatusForm = kBusyStatusForms[2];

const BusyStatusForm& FormOfBusyStatus(long busyStatus) {
  for (const BusyStatusForm& form : kBusyStatusForms) {
    if (form.busyStatus == busyStatus) return form;
  }
  return kDefaultBusyStatusForm;
}

std::string Describe(const Appointment& item) {
  return "appointment \"" + item.uid + "\" (id " + std::to_string(item.id) + ")";
}

icaltimetype FloatingTime(const Appointment& item, DATE date, const char* what) {
  SYSTEMTIME st;
  if (!VariantTimeToSystemTime(date, &st)) {
    throw MirrorError(Describe(item) + ": the " + what + " is not a date");
  }
  if (st.wYear > kLastMirroredYear) {
    throw MirrorError(Describe(item) + ": the " + what + " lies after the year " +
                      std::to_string(kLastMirroredYear));
  }
  icaltimetype time = icaltime_null_time();
  time.year = st.wYear;
  time.month = st.wMonth;
  time.day = st.wDay;
  time.hour = st.wHour;
  time.minute = st.wMinute;
  time.second = st.wSecond;
  return time;
}

// DTSTAMP must be UTC; "now" comes from the platform as local time.
icaltimetype StampNow() {
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
  return icaltime_from_timet_with_zone(utc, 0, icaltimezone_get_utc_timezone());
}

void AddXProperty(icalcomponent* component, const char* name, const std::string& value) {
  icalproperty* property = icalproperty_new_x(value.c_str());
  icalproperty_set_x_name(property, name);
  icalcomponent_add_property(component, property);
}

void AddXParameter(icalproperty* property, const char* name, const std::string& value) {
  icalparameter* parameter = icalparameter_new_x(value.c_str());
  icalparameter_set_xname(parameter, name);
  icalproperty_add_parameter(property, parameter);
}

icalcomponent* NewAlarm(const Appointment& item) {
  if (item.reminderMinutesBeforeStart > kMaxReminderMinutes ||
      item.reminderMinutesBeforeStart < -kMaxReminderMinutes) {
    throw MirrorError(Describe(item) + ": a reminder " +
                      std::to_string(item.reminderMinutesBeforeStart) +
                      " minutes from the start cannot be written");
  }
  icalcomponent* alarm = icalcomponent_new(ICAL_VALARM_COMPONENT);
  icaltriggertype trigger{};
  trigger.time = icaltime_null_time();
  trigger.duration =
      icaldurationtype_from_int(-static_cast<int>(item.reminderMinutesBeforeStart * 60));
  icalcomponent_add_property(alarm, icalproperty_new_trigger(trigger));
  if (item.reminderPlaySound && !item.reminderSoundFile.empty()) {
    icalcomponent_add_property(alarm, icalproperty_new_action(ICAL_ACTION_AUDIO));
    // Relative names are taken from the current folder, as a program given
    // the name would find the file.
    const std::filesystem::path sound =
        std::filesystem::absolute(fs_win::MapPath(item.reminderSoundFile));
    icalattach* attach = icalattach_new_from_url(FileUriFromPath(sound).c_str());
    icalcomponent_add_property(alarm, icalproperty_new_attach(attach));
    icalattach_unref(attach);
  } else {
    icalcomponent_add_property(alarm, icalproperty_new_action(ICAL_ACTION_DISPLAY));
    icalcomponent_add_property(alarm,
                               icalproperty_new_description(CleanText(item.subject).c_str()));
  }
  return alarm;
}

Component NewEvent(const Appointment& item, icaltimetype stamp) {
  Component event(icalcomponent_new(ICAL_VEVENT_COMPONENT));
  icalcomponent* e = event.get();
  icalcomponent_add_property(e, icalproperty_new_uid(CleanText(item.uid).c_str()));
  icalcomponent_add_property(e, icalproperty_new_dtstamp(stamp));
  icalcomponent_add_property(e, icalproperty_new_summary(CleanText(item.subject).c_str()));
  const std::string body = CleanText(item.body);
  if (!body.empty()) icalcomponent_add_property(e, icalproperty_new_description(body.c_str()));

  const icaltimetype start = FloatingTime(item, item.start, "start");
  const icaltimetype end = FloatingTime(item, item.end, "end");
  const int order = icaltime_compare(end, start);
  if (order < 0) throw MirrorError(Describe(item) + ": the end is before the start");
  icalcomponent_add_property(e, icalproperty_new_dtstart(start));
  // RFC 5545 wants DTEND later than DTSTART; without it the event ends as it
  // starts, which is what an item of no length is.
  if (order > 0) icalcomponent_add_property(e, icalproperty_new_dtend(end));

  const BusyStatusForm& busy = FormOfBusyStatus(item.busyStatus);
  icalcomponent_add_property(e, icalproperty_new_transp(busy.transp));
  AddXProperty(e, "X-MICROSOFT-CDO-BUSYSTATUS", busy.cdoBusyStatus);

  for (const UserProperty& userProperty : item.userProperties) {
    ICalUserProperty form;
    try {
      form = UserPropertyToICal(userProperty);
    } catch (const MirrorError& error) {
      throw MirrorError(Describe(item) + ": " + error.what());
    }
    icalproperty* property = icalproperty_new_x(form.value.c_str());
    icalproperty_set_x_name(property, form.xName.c_str());
    AddXParameter(property, kUserPropertyNameParameter, form.nameParameter);
    AddXParameter(property, kUserPropertyTypeParameter, form.typeParameter);
    icalcomponent_add_property(e, property);
  }

  if (item.reminderSet) icalcomponent_add_component(e, NewAlarm(item));
  return event;
}

}  // namespace

std::string BuildICalendar(const std::vector<Appointment>& items) {
  Component calendar(icalcomponent_new(ICAL_VCALENDAR_COMPONENT));
  icalcomponent* c = calendar.get();
  icalcomponent_add_property(c, icalproperty_new_version("2.0"));
  icalcomponent_add_property(c, icalproperty_new_prodid(kMirrorProductId));
  icalcomponent_add_property(c, icalproperty_new_calscale("GREGORIAN"));
  icalcomponent_add_property(c, icalproperty_new_method(ICAL_METHOD_PUBLISH));
  AddXProperty(c, "X-WR-CALNAME", kMirrorCalendarName);

  const icaltimetype stamp = StampNow();
  std::unordered_set<std::string> uids;
  for (const Appointment& item : items) {
    if (item.folder != FolderKind::kCalendar) continue;
    // Compared as written: two uids that differ only in bytes the file
    // cannot hold would still be one event to a subscriber.
    if (CleanText(item.uid).empty()) throw MirrorError(Describe(item) + " has no uid");
    if (!uids.insert(CleanText(item.uid)).second) {
      throw MirrorError(Describe(item) + ": another appointment has the same uid");
    }
    icalcomponent_add_component(c, NewEvent(item, stamp).release());
  }

  char* text = icalcomponent_as_ical_string_r(c);
  if (text == nullptr) throw MirrorError("libical could not write the calendar");
  std::string result(text);
  icalmemory_free_buffer(text);
  return result;
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
