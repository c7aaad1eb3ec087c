#include "host/OptionsScript.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <optional>

#include "platform/ui/CommonControls.h"
#include "platform/ui/FrontEnd.h"
#include "platform/ui/HeadlessFrontEnd.h"
#include "platform/ui/UserInput.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowSnapshot.h"

namespace host {
namespace {

// The add-in's page and the dialogs it opens, by the identifiers of their
// templates: what a person reaches there.
namespace page {
constexpr int kLocationText = 245, kLocationButton = 213, kAdvancedButton = 206, kBusy = 201, kDuration = 207,
              kReminder = 203, kReminderMinutes = 208, kDays = 216, kPrayers = 218, kFridaySettings = 1017,
              kCleanup = 230, kWorkingDaysOnly = 231, kHijri = 1012, kGregorian = 1013, kTimetable = 1016;
}  // namespace page
namespace location {
constexpr unsigned kTemplate = 204;
constexpr int kCities = 216;
}  // namespace location
namespace advanced {
constexpr unsigned kTemplate = 125;
constexpr int kMethod = 210, kSchool = 211, kRule = 1320;
}  // namespace advanced
namespace custom {
constexpr unsigned kTemplate = 159;
// The prayers' check boxes, flags 1 to 64.
constexpr int kBoxes[7] = {230, 231, 232, 233, 235, 236, 1000};
}  // namespace custom

const std::vector<std::string> kDays = {"0", "next", "1", "7", "14", "31", "93", "186"};
const std::vector<std::string> kBusy = {"free", "tentative", "busy", "away"};
const std::vector<std::string> kMethods = {"egypt", "isna", "qurah", "karachi", "wil"};
const std::vector<std::string> kSchools = {"shafii", "hanafi"};
const std::vector<std::string> kRules = {"seventh", "middle", "angle"};
const std::vector<std::string> kRanges = {"today", "week", "month", "tomorrow", "next-week", "next-month"};
const std::vector<std::string> kCalendars = {"hijri", "gregorian"};
const std::vector<std::string> kYesNo = {"no", "yes"};
const std::vector<std::string> kPrayerNames = {"fajr", "shorouk", "zuhr", "asr", "maghrib", "isha", "friday"};
// The page's list of prayers, by position; any other selection is the
// custom choice (position 7).
constexpr unsigned kPrayerLists[7] = {12, 28, 61, 63, 1, 64, 0};

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

int IndexOf(const std::vector<std::string>& names, const std::string& value) {
  const auto found = std::find(names.begin(), names.end(), Lower(value));
  return found == names.end() ? -1 : static_cast<int>(found - names.begin());
}

std::string Join(const std::vector<std::string>& names, const char* separator) {
  std::string out;
  for (const std::string& name : names) out += (out.empty() ? "" : separator) + name;
  return out;
}

// "fajr,zuhr" into flags; false for an unknown name.
bool ParsePrayers(const std::string& value, unsigned* flags) {
  *flags = 0;
  if (Lower(value) == "none") return true;
  std::size_t at = 0;
  while (at <= value.size()) {
    const std::size_t comma = std::min(value.find(',', at), value.size());
    const int index = IndexOf(kPrayerNames, value.substr(at, comma - at));
    if (index < 0) return false;
    *flags |= 1u << index;
    at = comma + 1;
  }
  return *flags != 0;
}

std::string PrayerList(unsigned flags) {
  std::vector<std::string> names;
  for (int i = 0; i < 7; ++i) {
    if ((flags & (1u << i)) != 0) names.push_back(kPrayerNames[static_cast<std::size_t>(i)]);
  }
  return names.empty() ? "none" : Join(names, ",");
}

// Whole minutes the page takes: 1 to a day.
bool ParseMinutes(const std::string& value) {
  if (value.empty() || value.size() > 4 || value.find_first_not_of("0123456789") != std::string::npos) return false;
  const int minutes = std::stoi(value);
  return minutes >= 1 && minutes <= 1440;
}

// The headless front end of the options command: a modal dialog the page
// opens gets what the command planned for its template (choices made and
// OK pressed, all posted so that the dialog's own loop serves them), and
// any other is cancelled, so that nothing unplanned changes.
class ScriptFrontEnd final : public ui::HeadlessFrontEnd {
 public:
  using Action = std::function<void(const ui::WindowSnapshot&)>;

  int ShowMessageBox(const ui::MessageBoxRequest& request) override {
    std::fprintf(stderr, "[message] %s: %s\n", request.caption.c_str(), request.text.c_str());
    return HeadlessFrontEnd::ShowMessageBox(request);
  }
  void OnWindowEvent(ui::WindowEvent event, const ui::WindowSnapshot& window) override {
    HeadlessFrontEnd::OnWindowEvent(event, window);
    if (event != ui::WindowEvent::kShown || !window.modal) return;
    const auto planned = actions_.find(window.templateId);
    if (planned == actions_.end()) {
      if (const ui::ControlSnapshot* cancel = window.Control(IDCANCEL)) {
        ui::input::Click(cancel->handle, ui::input::Mode::kPost);
      }
      return;
    }
    const Action action = planned->second;
    actions_.erase(planned);
    action(window);
  }
  void Plan(unsigned templateId, Action action) { actions_[templateId] = std::move(action); }

 private:
  std::map<unsigned, Action> actions_;
};

void PostClick(const ui::WindowSnapshot& window, int id) {
  if (const ui::ControlSnapshot* control = window.Control(id)) ui::input::Click(control->handle, ui::input::Mode::kPost);
}
void PostSelect(const ui::WindowSnapshot& window, int id, int index) {
  if (const ui::ControlSnapshot* control = window.Control(id)) {
    ui::input::Select(control->handle, index, ui::input::Mode::kPost);
  }
}

// A city list entry's name, without the zone before it: "(GMT +02:00)
// Cairo, Egypt" is "Cairo, Egypt".
std::string CityName(const std::string& entry) {
  const std::size_t close = entry.find(") ");
  return entry.rfind("(", 0) == 0 && close != std::string::npos ? entry.substr(close + 2) : entry;
}

// The entry a name picks: the one whose whole name or first part is the
// name, else the only one that starts with it. Candidates otherwise.
std::optional<int> FindCity(const std::vector<std::string>& entries, const std::string& wanted,
                            std::vector<std::string>* candidates) {
  const std::string name = Lower(wanted);
  std::vector<int> exact, starts;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const std::string city = Lower(CityName(entries[i]));
    const std::string first = city.substr(0, city.find(','));
    if (city == name || first == name) exact.push_back(static_cast<int>(i));
    if (city.rfind(name, 0) == 0) starts.push_back(static_cast<int>(i));
  }
  const std::vector<int>& chosen = exact.empty() ? starts : exact;
  if (chosen.size() == 1) return chosen[0];
  for (const int i : chosen) candidates->push_back(CityName(entries[static_cast<std::size_t>(i)]));
  return std::nullopt;
}

class PagePlayer {
 public:
  PagePlayer(std::shared_ptr<ScriptFrontEnd> frontEnd, HWND window) : frontEnd_(std::move(frontEnd)), window_(window) {}

  ui::WindowSnapshot Page() const { return frontEnd_->Snapshot(window_).value_or(ui::WindowSnapshot{}); }

  // Makes one choice; false with the failure named.
  bool Play(const OptionSetting& setting, std::string* failure) {
    const std::string& name = setting.name;
    const std::string& value = setting.value;
    if (name == "days") return Select(page::kDays, IndexOf(kDays, value));
    if (name == "busy") return Select(page::kBusy, IndexOf(kBusy, value));
    if (name == "timetable") return Select(page::kTimetable, IndexOf(kRanges, value));
    if (name == "timetable-calendar") return Click(IndexOf(kCalendars, value) == 0 ? page::kHijri : page::kGregorian);
    if (name == "duration") return frontEnd_->ReplaceText(window_, page::kDuration, value);
    if (name == "reminder") {
      const bool on = Lower(value) != "off";
      if (!SetCheck(page::kReminder, on)) return false;
      return !on || frontEnd_->ReplaceText(window_, page::kReminderMinutes, value);
    }
    if (name == "working-days-only") return SetCheck(page::kWorkingDaysOnly, IndexOf(kYesNo, value) == 1);
    if (name == "cleanup") return SetCheck(page::kCleanup, IndexOf(kYesNo, value) == 1);
    if (name == "friday-settings") return SetCheck(page::kFridaySettings, IndexOf(kYesNo, value) == 1);
    if (name == "prayers") return PlayPrayers(value, failure);
    if (name == "city") return PlayCity(value, failure);
    if (name == "method" || name == "school" || name == "high-latitude") return PlayAdvanced(name, value, failure);
    return false;
  }

  // Every option, as --get prints it.
  std::vector<std::string> Read() {
    std::vector<std::string> lines;
    const ui::WindowSnapshot page = Page();
    const auto text = [&](int id) {
      const ui::ControlSnapshot* control = page.Control(id);
      return control != nullptr ? control->text : std::string();
    };
    const auto selection = [&](int id) {
      const ui::ControlSnapshot* control = page.Control(id);
      return control != nullptr ? control->selection : -1;
    };
    const auto named = [](const std::vector<std::string>& names, int index) {
      return index >= 0 && index < static_cast<int>(names.size()) ? names[static_cast<std::size_t>(index)]
                                                                    : std::string("?");
    };
    const auto checked = [&](int id) {
      const ui::ControlSnapshot* control = page.Control(id);
      return control != nullptr && control->checked == BST_CHECKED;
    };
    lines.push_back("city=" + text(page::kLocationText));
    lines.push_back("days=" + named(kDays, selection(page::kDays)));
    lines.push_back("prayers=" + ReadPrayers(selection(page::kPrayers)));
    lines.push_back("duration=" + text(page::kDuration));
    lines.push_back("reminder=" + (checked(page::kReminder) ? text(page::kReminderMinutes) : std::string("off")));
    lines.push_back("busy=" + named(kBusy, selection(page::kBusy)));
    ReadAdvanced(&lines);
    lines.push_back(std::string("working-days-only=") + (checked(page::kWorkingDaysOnly) ? "yes" : "no"));
    lines.push_back(std::string("cleanup=") + (checked(page::kCleanup) ? "yes" : "no"));
    lines.push_back(std::string("friday-settings=") + (checked(page::kFridaySettings) ? "yes" : "no"));
    lines.push_back("timetable=" + named(kRanges, selection(page::kTimetable)));
    lines.push_back(std::string("timetable-calendar=") + (checked(page::kHijri) ? "hijri" : "gregorian"));
    return lines;
  }

 private:
  bool Select(int id, int index) { return index >= 0 && frontEnd_->Select(window_, id, index); }
  bool Click(int id) { return frontEnd_->Click(window_, id); }
  bool SetCheck(int id, bool on) {
    const ui::WindowSnapshot page = Page();
    const ui::ControlSnapshot* control = page.Control(id);
    if (control == nullptr || !control->enabled) return false;
    return (control->checked == BST_CHECKED) == on || Click(id);
  }

  bool PlayPrayers(const std::string& value, std::string* failure) {
    unsigned flags = 0;
    ParsePrayers(value, &flags);
    for (int position = 0; position < 7; ++position) {
      if (kPrayerLists[position] == flags) return Select(page::kPrayers, position);
    }
    // Any other set: ticked in the custom prayers dialog.
    bool shown = false;
    frontEnd_->Plan(custom::kTemplate, [&shown, flags](const ui::WindowSnapshot& dialog) {
      shown = true;
      for (int i = 0; i < 7; ++i) {
        const ui::ControlSnapshot* box = dialog.Control(custom::kBoxes[i]);
        if (box != nullptr && (box->checked == BST_CHECKED) != ((flags & (1u << i)) != 0)) {
          PostClick(dialog, custom::kBoxes[i]);
        }
      }
      PostClick(dialog, IDOK);
    });
    const bool selected = Select(page::kPrayers, 7);
    if (!selected || !shown) {
      *failure = "prayers=" + value + ": the custom prayers dialog could not be opened";
      return false;
    }
    return true;
  }

  bool PlayCity(const std::string& value, std::string* failure) {
    bool shown = false;
    std::string problem;
    frontEnd_->Plan(location::kTemplate, [&](const ui::WindowSnapshot& dialog) {
      shown = true;
      const ui::ControlSnapshot* cities = dialog.Control(location::kCities);
      std::vector<std::string> candidates;
      const std::optional<int> found =
          cities != nullptr ? FindCity(cities->items, value, &candidates) : std::nullopt;
      if (!found) {
        problem = candidates.empty() ? "city=" + value + ": no city of the list has that name"
                                     : "city=" + value + ": several cities have that name: " + Join(candidates, "; ");
        PostClick(dialog, IDCANCEL);
        return;
      }
      PostSelect(dialog, location::kCities, *found);
      PostClick(dialog, IDOK);
    });
    Click(page::kLocationButton);
    if (!shown && problem.empty()) problem = "city=" + value + ": the location dialog could not be opened";
    if (!problem.empty()) *failure = problem;
    return problem.empty();
  }

  bool PlayAdvanced(const std::string& name, const std::string& value, std::string* failure) {
    bool shown = false;
    const int list = name == "method" ? advanced::kMethod : name == "school" ? advanced::kSchool : advanced::kRule;
    const int index = IndexOf(name == "method" ? kMethods : name == "school" ? kSchools : kRules, value);
    frontEnd_->Plan(advanced::kTemplate, [&shown, list, index](const ui::WindowSnapshot& dialog) {
      shown = true;
      PostSelect(dialog, list, index);
      PostClick(dialog, IDOK);
    });
    Click(page::kAdvancedButton);
    if (!shown) *failure = name + "=" + value + ": the advanced dialog could not be opened";
    return shown;
  }

  std::string ReadPrayers(int position) {
    if (position >= 0 && position < 7) return PrayerList(kPrayerLists[position]);
    // The custom choice: the custom prayers dialog shows which, and is
    // cancelled.
    unsigned flags = 0;
    bool shown = false;
    frontEnd_->Plan(custom::kTemplate, [&](const ui::WindowSnapshot& dialog) {
      shown = true;
      for (int i = 0; i < 7; ++i) {
        const ui::ControlSnapshot* box = dialog.Control(custom::kBoxes[i]);
        if (box != nullptr && box->checked == BST_CHECKED) flags |= 1u << i;
      }
      PostClick(dialog, IDCANCEL);
    });
    Select(page::kPrayers, 7);
    return shown ? PrayerList(flags) : std::string("custom");
  }

  void ReadAdvanced(std::vector<std::string>* lines) {
    int method = -1, school = -1, rule = -1;
    frontEnd_->Plan(advanced::kTemplate, [&](const ui::WindowSnapshot& dialog) {
      const auto selection = [&](int id) {
        const ui::ControlSnapshot* control = dialog.Control(id);
        return control != nullptr ? control->selection : -1;
      };
      method = selection(advanced::kMethod);
      school = selection(advanced::kSchool);
      rule = selection(advanced::kRule);
      PostClick(dialog, IDCANCEL);
    });
    Click(page::kAdvancedButton);
    const auto named = [](const std::vector<std::string>& names, int index) {
      return index >= 0 && index < static_cast<int>(names.size()) ? names[static_cast<std::size_t>(index)]
                                                                    : std::string("?");
    };
    lines->push_back("method=" + named(kMethods, method));
    lines->push_back("school=" + named(kSchools, school));
    lines->push_back("high-latitude=" + named(kRules, rule));
  }

  std::shared_ptr<ScriptFrontEnd> frontEnd_;
  HWND window_;
};

// The add-in's page among the dialog's pages: the one with the lists of
// days and prayers.
HWND AddinPage(OptionsDialog& dialog, const ui::HeadlessFrontEnd& frontEnd) {
  for (std::size_t i = 0; i < dialog.Pages().size(); ++i) {
    HWND window = dialog.PageWindow(i);
    const std::optional<ui::WindowSnapshot> snapshot = window ? frontEnd.Snapshot(window) : std::nullopt;
    if (snapshot && snapshot->Control(page::kDays) && snapshot->Control(page::kPrayers)) return window;
  }
  return nullptr;
}

// The option a refused Apply is about: the list that has the focus.
std::string RefusedOption(const ui::WindowSnapshot& page, const OptionsScript& script) {
  const char* name = page.focusId == page::kDuration ? "duration"
                     : page.focusId == page::kReminderMinutes ? "reminder"
                                                              : nullptr;
  if (name != nullptr) {
    for (const OptionSetting& setting : script.Settings()) {
      if (setting.name == name) return setting.name + "=" + setting.value;
    }
    return name;
  }
  return "a value";
}

}  // namespace

bool OptionsScript::Add(const std::string& nameValue, std::string* problem) {
  const std::size_t equals = nameValue.find('=');
  if (equals == std::string::npos || equals == 0) {
    *problem = "--set takes NAME=VALUE, not \"" + nameValue + "\"";
    return false;
  }
  const std::string name = Lower(nameValue.substr(0, equals));
  const std::string value = nameValue.substr(equals + 1);
  const auto refuse = [&](const std::string& takes) {
    *problem = name + "=" + value + ": " + name + " takes " + takes;
    return false;
  };
  const std::map<std::string, const std::vector<std::string>*> lists = {
      {"days", &kDays},         {"busy", &kBusy},           {"method", &kMethods},
      {"school", &kSchools},    {"high-latitude", &kRules}, {"timetable", &kRanges},
      {"timetable-calendar", &kCalendars}, {"working-days-only", &kYesNo}, {"cleanup", &kYesNo},
      {"friday-settings", &kYesNo}};
  if (const auto list = lists.find(name); list != lists.end()) {
    if (IndexOf(*list->second, value) < 0) return refuse(Join(*list->second, "|"));
  } else if (name == "duration") {
    if (!ParseMinutes(value)) return refuse("a whole number of minutes from 1 to 1440");
  } else if (name == "reminder") {
    if (Lower(value) != "off" && !ParseMinutes(value)) return refuse("a whole number of minutes from 1 to 1440, or off");
  } else if (name == "prayers") {
    unsigned flags = 0;
    if (!ParsePrayers(value, &flags) && Lower(value) != "none") return refuse(Join(kPrayerNames, ",") + " or none");
  } else if (name == "city") {
    if (value.empty()) return refuse("the name of a city of the list");
  } else {
    *problem = "no option is called \"" + name + "\" (orvane options --help lists them)";
    return false;
  }
  settings_.push_back({name, value});
  return true;
}

int PlayOptions(OptionsDialog& dialog, const OptionsScript* script, bool get, std::vector<std::string>* lines,
                std::string* failure) {
  // The page's window opens headless whatever front end the command has.
  const std::shared_ptr<ui::FrontEnd> previous = ui::CurrentFrontEnd();
  auto frontEnd = std::make_shared<ScriptFrontEnd>();
  ui::SetFrontEnd(frontEnd);
  struct Restore {
    std::shared_ptr<ui::FrontEnd> frontEnd;
    ~Restore() { ui::SetFrontEnd(frontEnd); }
  } restore{previous};

  dialog.ShowPages(nullptr);
  HWND window = AddinPage(dialog, *frontEnd);
  if (window == nullptr) {
    *failure = "the add-in's page is not in the Options window: is the add-in installed (orvane install)?";
    return 1;
  }
  PagePlayer player(frontEnd, window);
  if (script != nullptr) {
    for (const OptionSetting& setting : script->Settings()) {
      std::string problem;
      if (!player.Play(setting, &problem)) {
        *failure = problem.empty() ? setting.name + "=" + setting.value + ": the page does not take it now" : problem;
        return 1;
      }
    }
    // Apply, as a person presses it: a refusal leaves everything as it was.
    const std::size_t shown = frontEnd->MessageBoxes().size();
    const HRESULT applied = dialog.Apply();
    if (applied == E_INVALIDARG) {
      *failure = RefusedOption(player.Page(), *script) + " was refused by the page; nothing was changed";
      return 1;
    }
    // Whatever the page said while applying (options not saved, a calendar
    // not brought in line) fails the command with its words.
    const std::vector<ui::MessageBoxRequest> boxes = frontEnd->MessageBoxes();
    if (FAILED(applied) || boxes.size() > shown) {
      *failure = boxes.size() > shown ? boxes.back().text : "the options could not be applied";
      std::replace(failure->begin(), failure->end(), '\n', ' ');
      return 1;
    }
  }
  if (get) *lines = player.Read();
  return 0;
}

}  // namespace host
