#include "host/StartReport.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <exception>
#include <optional>
#include <vector>

#include "host/store/CalendarStore.h"
#include "platform/com/VariantTime.h"
#include "platform/registry/Registry.h"

namespace host {
namespace {

constexpr const char* kSettingsKey = "Software\\Veltrix\\Orvane\\3.0\\Settings";
constexpr const char* kLocationValue = "Location";
constexpr double kLastPrayerMark = 6;

std::optional<double> PrayerMark(const Appointment& item) {
  for (const UserProperty& property : item.userProperties) {
    if (property.name.size() != 9) continue;
    std::string name = property.name;
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
    const double* value = std::get_if<double>(&property.value);
    if (name == "prayernum" && value != nullptr) return *value;
  }
  return std::nullopt;
}

bool IsPrayer(const Appointment& item) {
  const std::optional<double> mark = PrayerMark(item);
  return mark && *mark >= 0 && *mark <= kLastPrayerMark;
}

std::string City() {
  std::string line;
  if (registry::GetString(HKEY_CURRENT_USER, kSettingsKey, kLocationValue, &line) != ERROR_SUCCESS) return {};
  return line.substr(0, line.find(','));
}

std::string TimeText(DATE date) {
  SYSTEMTIME st;
  if (!VariantTimeToSystemTime(date, &st)) return {};
  char text[8];
  std::snprintf(text, sizeof text, "%02u:%02u", st.wHour % 100u, st.wMinute % 100u);
  return text;
}

std::string Count(std::size_t n) {
  return std::to_string(n) + (n == 1 ? " prayer appointment" : " prayer appointments");
}

}  // namespace

std::string DayText(DATE date) {
  static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  SYSTEMTIME st;
  if (!VariantTimeToSystemTime(date, &st) || st.wMonth < 1 || st.wMonth > 12) return {};
  return std::to_string(st.wDay) + " " + kMonths[st.wMonth - 1] + " " + std::to_string(st.wYear);
}

void StartReport::Before() {
  before_.clear();
  known_ = false;
  try {
    for (ItemId id : CalendarStore::ForCurrentProfile()->List(FolderKind::kCalendar)) before_.insert(id);
    known_ = true;
  } catch (const std::exception&) {
    // A store that cannot be read now fails the start itself, and says why.
  }
  LetGo();
}

void StartReport::LetGo() {
  // The session has a connection of its own. While a second one stays
  // open, a run of saves cannot keep the file's lock from one save to the
  // next, and the fill takes several times the locking it needs.
  CalendarStore::CloseCurrent();
}

std::string StartReport::After(DATE now, bool always) const {
  if (!known_) return {};
  std::vector<Appointment> prayers;
  try {
    for (Appointment& item : CalendarStore::ForCurrentProfile()->LoadFolder(FolderKind::kCalendar)) {
      if (IsPrayer(item)) prayers.push_back(std::move(item));
    }
  } catch (const std::exception&) {
    LetGo();
    return {};  // the report is a courtesy; the run itself has ended well
  }
  LetGo();
  std::vector<const Appointment*> written;
  for (const Appointment& item : prayers) {
    if (before_.count(item.id) == 0) written.push_back(&item);
  }
  if (written.empty() && !always) return {};

  const auto byStart = [](const Appointment* a, const Appointment* b) { return a->start < b->start; };
  std::string line;
  if (const std::string city = City(); !city.empty()) line = city + ": ";
  if (!written.empty()) {
    const auto [first, last] = std::minmax_element(written.begin(), written.end(), byStart);
    const std::string from = DayText((*first)->start), to = DayText((*last)->start);
    line += Count(written.size()) + " written for " + from + (to == from ? "" : " \u2013 " + to);
  } else if (prayers.empty()) {
    line += "no prayer appointments in the calendar";
  } else {
    const auto last = std::max_element(prayers.begin(), prayers.end(),
                                       [](const Appointment& a, const Appointment& b) { return a.start < b.start; });
    line += "the calendar holds " + Count(prayers.size()) + " already, up to " + DayText(last->start);
  }
  const Appointment* next = nullptr;
  for (const Appointment& item : prayers) {
    if (item.start >= now && (next == nullptr || item.start < next->start)) next = &item;
  }
  if (next != nullptr) {
    line += "; next: " + next->subject + " " + TimeText(next->start);
    if (std::floor(next->start) != std::floor(now)) line += " on " + DayText(next->start);
  }
  return line;
}

}  // namespace host
