// orvane calendar: what the host's calendar holds, as a list or as an
// iCalendar file.

#include <algorithm>
#include <cstdio>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "host/CommandLine.h"
#include "host/Commands.h"
#include "host/ical/CalendarMirror.h"
#include "host/ical/MirrorError.h"
#include "host/store/CalendarStore.h"
#include "host/store/MinuteText.h"
#include "platform/fs/OutputFile.h"
#include "platform/com/VariantTime.h"

namespace {

void PrintCalendarHelp() {
  std::puts(
      "usage: orvane calendar list [--from DATE] [--to DATE] [--folder calendar|deleted]\n"
      "                            [--filter FILTER] [--tsv] [--reverse]\n"
      "       orvane calendar export FILE\n"
      "list prints the items of the Calendar (or Deleted Items) folder that start\n"
      "from DATE (YYYY-MM-DD, inclusive) up to DATE (exclusive), the earliest first\n"
      "(--reverse: the latest first).\n"
      "With --tsv, one item a line, tab-separated: start and end (YYYY-MM-DD HH:MM),\n"
      "subject, busy status, reminder minutes or -, then the user properties as\n"
      "name=value. --filter takes Outlook's filter language, e.g.\n"
      "  --filter '[PrayerNum] <= 191 AND [Start] >= \"12/06/2026 12:00 AM\"'\n"
      "with dates as the user's locale writes them; a field the folder does not\n"
      "know (or any user field, with orvane --no-user-fields) makes it fail.\n"
      "export writes the Calendar folder as iCalendar to FILE (- for standard output).");
}

std::string DateText(DATE date) {
  const std::string text = host::MinuteText(date);
  return text.empty() ? "(no date)" : text;
}

// Tabs and line breaks inside a field would break the line into others.
std::string Field(const std::string& text) {
  std::string out;
  for (char c : text) out.push_back(c == '\t' || c == '\n' || c == '\r' ? ' ' : c);
  return out;
}

std::string PropertyValue(const host::UserProperty& property) {
  if (const auto* text = std::get_if<std::string>(&property.value)) return Field(*text);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.15g", std::get<double>(property.value));
  return buf;
}

// The options of list that take a value, and what the value is.
constexpr std::pair<const char*, const char*> kValueOptions[] = {
    {"--from", "DATE as YYYY-MM-DD"},
    {"--to", "DATE as YYYY-MM-DD"},
    {"--folder", "calendar or deleted"},
    {"--filter", "FILTER"},
};

int List(const Arguments& args) {
  std::optional<DATE> from, to;
  host::FolderKind folder = host::FolderKind::kCalendar;
  bool tsv = false;
  bool reverse = false;
  std::optional<std::string> filter;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const bool hasValue = i + 1 < args.size();
    DATE date = 0;
    for (const auto& [option, value] : kValueOptions) {
      if (arg == option && !hasValue) return cli::MissingValue("calendar", arg, value);
    }
    if (arg == "--from" || arg == "--to") {
      if (!cli::ParseDate(args[++i], &date)) return cli::UsageError("calendar", arg + " takes a date as YYYY-MM-DD");
      (arg == "--from" ? from : to) = date;
    } else if (arg == "--folder") {
      const std::string& name = args[++i];
      if (name == "calendar") {
        folder = host::FolderKind::kCalendar;
      } else if (name == "deleted") {
        folder = host::FolderKind::kDeletedItems;
      } else {
        return cli::UsageError("calendar", "--folder takes calendar or deleted");
      }
    } else if (arg == "--filter") {
      filter = args[++i];
    } else if (arg == "--tsv") {
      tsv = true;
    } else if (arg == "--reverse") {
      reverse = true;
    } else {
      return cli::UnknownArgument("calendar", arg);
    }
  }
  const std::shared_ptr<host::CalendarStore> store = host::CalendarStore::ForCurrentProfile();
  std::vector<host::Appointment> items;
  if (filter) {
    for (host::ItemId id : store->Restrict(folder, *filter)) {
      if (std::optional<host::Appointment> item = store->Load(id)) items.push_back(*item);
    }
  } else {
    items = store->LoadFolder(folder);
  }
  // By start, then end and subject, so that a listing reads the same every time.
  std::stable_sort(items.begin(), items.end(), [](const host::Appointment& a, const host::Appointment& b) {
    return std::tie(a.start, a.end, a.subject) < std::tie(b.start, b.end, b.subject);
  });
  if (reverse) std::reverse(items.begin(), items.end());
  for (const host::Appointment& item : items) {
    if ((from && item.start < *from) || (to && item.start >= *to)) continue;
    std::string line;
    if (tsv) {
      line = DateText(item.start) + "\t" + DateText(item.end) + "\t" + Field(item.subject) + "\t" +
             std::to_string(item.busyStatus) + "\t" +
             (item.reminderSet ? std::to_string(item.reminderMinutesBeforeStart) : std::string("-"));
      for (const host::UserProperty& property : item.userProperties) {
        line += '\t';
        line += Field(property.name);
        line += '=';
        line += PropertyValue(property);
      }
    } else {
      line = DateText(item.start);
      line += " - ";
      line += DateText(item.end).substr(11);
      line += "  ";
      line += Field(item.subject);
    }
    std::puts(line.c_str());
  }
  return cli::FinishOutput();
}

int Export(const Arguments& args) {
  if (args.size() != 2) return cli::UsageError("calendar", "export takes one file");
  const std::shared_ptr<host::CalendarStore> store = host::CalendarStore::ForCurrentProfile();
  const std::vector<host::Appointment> items = store->LoadFolder(host::FolderKind::kCalendar);
  const std::string text = host::BuildICalendar(items);
  if (args[1] == "-") return cli::WriteOutput(text);
  files::WriteOutputFile(args[1], text);
  return 0;
}

}  // namespace

int RunCalendar(const GlobalOptions&, const Arguments& args) {
  if (args.empty()) return cli::UsageError("calendar", "say list or export");
  for (const std::string& arg : args) {
    if (cli::IsHelp(arg)) {
      PrintCalendarHelp();
      return 0;
    }
  }
  try {
    if (args[0] == "list") return List(args);
    if (args[0] == "export") {
      // export takes no options: a word like one is a mistake, not a file name.
      for (std::size_t i = 1; i < args.size(); ++i) {
        if (args[i].size() > 1 && args[i][0] == '-') return cli::UnknownArgument("calendar", args[i]);
      }
      return Export(args);
    }
  } catch (const std::exception& e) {
    return cli::Failure(e.what());
  }
  return cli::UsageError("calendar", "unknown verb \"" + args[0] + "\"; say list or export");
}
