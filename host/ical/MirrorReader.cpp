#include "host/ical/MirrorReader.h"

#include <libical/ical.h>

#include <cerrno>
#include <fstream>
#include <memory>
#include <sstream>

#include "host/ical/MirrorError.h"
#include "host/ical/UserPropertyForm.h"
#include "platform/com/VariantTime.h"

namespace host {

namespace {

struct ComponentDeleter {
  void operator()(icalcomponent* component) const { icalcomponent_free(component); }
};
using Component = std::unique_ptr<icalcomponent, ComponentDeleter>;

std::string Text(const char* text) { return text != nullptr ? text : ""; }

// The value as the file holds it, unescaped: libical keeps an X- property
// without a VALUE parameter as raw text.
std::string XValue(icalproperty* property) {
  icalvalue* value = icalproperty_get_value(property);
  if (value != nullptr && icalvalue_isa(value) == ICAL_X_VALUE) return Text(icalvalue_get_x(value));
  return Text(icalproperty_get_value_as_string(property));
}

std::optional<std::string> XParameter(icalproperty* property, std::string_view name) {
  for (icalparameter* p = icalproperty_get_first_parameter(property, ICAL_X_PARAMETER);
       p != nullptr; p = icalproperty_get_next_parameter(property, ICAL_X_PARAMETER)) {
    if (Text(icalparameter_get_xname(p)) == name) return Text(icalparameter_get_xvalue(p));
  }
  return std::nullopt;
}

std::string FirstXValue(icalcomponent* component, std::string_view name) {
  for (icalproperty* p = icalcomponent_get_first_property(component, ICAL_X_PROPERTY); p != nullptr;
       p = icalcomponent_get_next_property(component, ICAL_X_PROPERTY)) {
    if (Text(icalproperty_get_x_name(p)) == name) return XValue(p);
  }
  return "";
}

std::string ValueText(icalcomponent* component, icalproperty_kind kind) {
  icalproperty* property = icalcomponent_get_first_property(component, kind);
  return property != nullptr ? Text(icalproperty_get_value_as_string(property)) : "";
}

// METHOD:PUBLISH makes libical hold the calendar to iTIP's rules for a
// published event, one of which is an ORGANIZER. That rule is for a message an
// organizer sends; a subscribed calendar has nobody to name, and feeds that
// calendar programs publish commonly leave it out.
constexpr std::string_view kOrganizerRule = "Failed iTIP restrictions for ORGANIZER property";

void CollectErrors(icalcomponent* component, std::vector<std::string>& problems) {
  for (icalproperty* p = icalcomponent_get_first_property(component, ICAL_XLICERROR_PROPERTY);
       p != nullptr; p = icalcomponent_get_next_property(component, ICAL_XLICERROR_PROPERTY)) {
    const std::string error = Text(icalproperty_get_xlicerror(p));
    if (error.compare(0, kOrganizerRule.size(), kOrganizerRule) != 0) problems.push_back(error);
  }
  for (icalcomponent* inner = icalcomponent_get_first_component(component, ICAL_ANY_COMPONENT);
       inner != nullptr; inner = icalcomponent_get_next_component(component, ICAL_ANY_COMPONENT)) {
    CollectErrors(inner, problems);
  }
}

// A wall-clock time as an OLE date, and whether it names no zone.
bool ReadTime(icalproperty* property, DATE& date, bool& floating,
              std::vector<std::string>& problems) {
  const icaltimetype time = icalvalue_get_datetime(icalproperty_get_value(property));
  SYSTEMTIME st;
  st.wYear = static_cast<WORD>(time.year);
  st.wMonth = static_cast<WORD>(time.month);
  st.wDay = static_cast<WORD>(time.day);
  st.wHour = static_cast<WORD>(time.hour);
  st.wMinute = static_cast<WORD>(time.minute);
  st.wSecond = static_cast<WORD>(time.second);
  // A two-digit year would read as 19xx or 20xx.
  if (time.year < 100 || !SystemTimeToVariantTime(&st, &date)) {
    problems.push_back(Text(icalproperty_get_value_as_string(property)) + " is not a date");
    return false;
  }
  floating = !icaltime_is_utc(time) &&
             icalproperty_get_first_parameter(property, ICAL_TZID_PARAMETER) == nullptr;
  return true;
}

MirrorAlarm ReadAlarm(icalcomponent* component) {
  MirrorAlarm alarm;
  alarm.action = ValueText(component, ICAL_ACTION_PROPERTY);
  if (icalproperty* trigger = icalcomponent_get_first_property(component, ICAL_TRIGGER_PROPERTY)) {
    const icaltriggertype value = icalproperty_get_trigger(trigger);
    icalparameter* related = icalproperty_get_first_parameter(trigger, ICAL_RELATED_PARAMETER);
    const bool fromStart =
        related == nullptr || icalparameter_get_related(related) == ICAL_RELATED_START;
    if (icaltime_is_null_time(value.time) && fromStart) {
      alarm.minutesBeforeStart = -icaldurationtype_as_int(value.duration) / 60;
    }
  }
  if (icalproperty* description =
          icalcomponent_get_first_property(component, ICAL_DESCRIPTION_PROPERTY)) {
    alarm.description = Text(icalproperty_get_description(description));
  }
  if (icalproperty* attach = icalcomponent_get_first_property(component, ICAL_ATTACH_PROPERTY)) {
    icalattach* value = icalproperty_get_attach(attach);
    if (value != nullptr && icalattach_get_is_url(value))
      alarm.attach = Text(icalattach_get_url(value));
  }
  return alarm;
}

MirrorEvent ReadEvent(icalcomponent* component, std::vector<std::string>& problems) {
  MirrorEvent event;
  event.uid = Text(icalcomponent_get_uid(component));
  if (icalproperty* summary = icalcomponent_get_first_property(component, ICAL_SUMMARY_PROPERTY)) {
    event.summary = Text(icalproperty_get_summary(summary));
  }
  if (icalproperty* description =
          icalcomponent_get_first_property(component, ICAL_DESCRIPTION_PROPERTY)) {
    event.description = Text(icalproperty_get_description(description));
  }
  bool startFloating = false;
  bool endFloating = true;
  if (icalproperty* start = icalcomponent_get_first_property(component, ICAL_DTSTART_PROPERTY)) {
    ReadTime(start, event.start, startFloating, problems);
  } else {
    problems.push_back("event " + event.uid + " has no DTSTART");
  }
  event.end = event.start;
  if (icalproperty* end = icalcomponent_get_first_property(component, ICAL_DTEND_PROPERTY)) {
    event.hasEnd = ReadTime(end, event.end, endFloating, problems);
  }
  event.floating = startFloating && endFloating;
  event.dtStamp = ValueText(component, ICAL_DTSTAMP_PROPERTY);
  event.transp = ValueText(component, ICAL_TRANSP_PROPERTY);
  event.busyStatus = FirstXValue(component, "X-MICROSOFT-CDO-BUSYSTATUS");

  for (icalproperty* p = icalcomponent_get_first_property(component, ICAL_X_PROPERTY); p != nullptr;
       p = icalcomponent_get_next_property(component, ICAL_X_PROPERTY)) {
    const std::string xName = Text(icalproperty_get_x_name(p));
    if (xName.compare(0, kUserPropertyPrefix.size(), kUserPropertyPrefix) != 0) continue;
    const std::string value = XValue(p);
    const auto property =
        UserPropertyFromICal(xName, XParameter(p, kUserPropertyNameParameter),
                             XParameter(p, kUserPropertyTypeParameter).value_or(""), value);
    if (property) {
      event.userProperties.push_back(*property);
    } else {
      problems.push_back("event " + event.uid + ": " + xName + ":" + value +
                         " is not a user property");
    }
  }
  for (icalcomponent* alarm = icalcomponent_get_first_component(component, ICAL_VALARM_COMPONENT);
       alarm != nullptr;
       alarm = icalcomponent_get_next_component(component, ICAL_VALARM_COMPONENT)) {
    event.alarms.push_back(ReadAlarm(alarm));
  }
  return event;
}

}  // namespace

MirrorCalendar ParseMirror(std::string_view text) {
  const std::string terminated(text);
  Component root(icalparser_parse_string(terminated.c_str()));
  if (root == nullptr || icalcomponent_isa(root.get()) != ICAL_VCALENDAR_COMPONENT) {
    throw MirrorError("the text is not one VCALENDAR");
  }
  icalcomponent* c = root.get();
  MirrorCalendar calendar;
  // RFC 5545's rules for each component and property (DTSTAMP and UID in
  // every event, DESCRIPTION in a DISPLAY alarm, …), as libical knows them.
  icalrestriction_check(c);
  CollectErrors(c, calendar.problems);
  calendar.version = ValueText(c, ICAL_VERSION_PROPERTY);
  calendar.prodId = ValueText(c, ICAL_PRODID_PROPERTY);
  calendar.calScale = ValueText(c, ICAL_CALSCALE_PROPERTY);
  calendar.method = ValueText(c, ICAL_METHOD_PROPERTY);
  calendar.name = FirstXValue(c, "X-WR-CALNAME");
  for (icalcomponent* event = icalcomponent_get_first_component(c, ICAL_VEVENT_COMPONENT);
       event != nullptr; event = icalcomponent_get_next_component(c, ICAL_VEVENT_COMPONENT)) {
    calendar.events.push_back(ReadEvent(event, calendar.problems));
  }
  return calendar;
}

MirrorCalendar ReadMirror(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    const int error = errno;
    throw MirrorError(path.string() + ": cannot be read", error);
  }
  std::ostringstream text;
  text << in.rdbuf();
  return ParseMirror(text.str());
}

}  // namespace host
