// orvane imsakyya: the host starts as Outlook and presses the add-in's
// Imsakyya button; the add-in writes the timetable page into its folder and
// opens it. The range and calendar may be chosen for this one request.

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <optional>
#include <string>

#include "host/CommandLine.h"
#include "host/Commands.h"
#include "host/ProfileHost.h"
#include "host/ToolbarButton.h"
#include "host/run/OutlookProcess.h"
#include "platform/com/ComRuntime.h"
#include "platform/fs/Profile.h"
#include "platform/registry/Registry.h"
#include "platform/win/FormatMessage.h"
#include "platform/xml/XmlDom.h"

namespace {

constexpr const char* kHelp =
    "usage: orvane imsakyya [--range today|week|month|tomorrow|next-week|next-month]\n"
    "                       [--calendar gregorian|hijri] [--no-open]\n"
    "Starts the host as Outlook and presses the add-in's Imsakyya button: the\n"
    "timetable of the chosen range at the profile's city is written to\n"
    "imsakyya.html in the add-in's folder and opened in the browser (xdg-open,\n"
    "or the program named by ORVANE_OPEN). --range and --calendar override the\n"
    "saved settings for this request only; --no-open writes the page without\n"
    "opening it. Prints the path of the page.";

constexpr const char* kTag = "Veltrix Prayer Imsakyya Button";

// Where the add-in keeps the two timetable settings (the value names are
// the resource library's strings 1012 and 1013, the same in every language).
constexpr const char* kSettingsKey = "Software\\Veltrix\\Orvane\\3.0\\Settings";
constexpr const char* kCalendarValue = "TimetableCalendar";
constexpr const char* kRangeValue = "TimetableRange";

constexpr const char* kRanges[] = {"today", "week", "month", "tomorrow", "next-week", "next-month"};

const char* AddinProgId(int office) {
  return office == 10 ? "OrvaneXP.OutlookXPPrayer" : "Orvane2003.Outlook2003Prayer";
}

// The add-in's folder, as the add-in finds it: ORVANE_ADDIN_FOLDER, else the
// folder of the module registered for that Office version.
std::filesystem::path AddinFolder(int office) {
  if (const char* folder = std::getenv("ORVANE_ADDIN_FOLDER"); folder != nullptr && *folder != '\0') return folder;
  CLSID clsid{};
  if (FAILED(CLSIDFromProgID(AddinProgId(office), &clsid))) return {};
  std::string module;
  if (registry::GetString(HKEY_CLASSES_ROOT, ("CLSID\\" + GuidToString(clsid) + "\\InprocServer32").c_str(), nullptr,
                          &module) != ERROR_SUCCESS) {
    return {};
  }
  return std::filesystem::path(module).parent_path();
}

// A setting given for this request, and put back as it was afterwards
// (removed if it was not there), whatever happens in between.
class TemporarySetting {
 public:
  TemporarySetting(const char* name, std::optional<DWORD> value) : m_name(name), m_active(value.has_value()) {
    if (!m_active) return;
    DWORD previous = 0;
    if (registry::GetDword(HKEY_CURRENT_USER, kSettingsKey, name, &previous) == ERROR_SUCCESS) m_previous = previous;
    if (registry::SetDword(HKEY_CURRENT_USER, kSettingsKey, name, *value) != ERROR_SUCCESS) {
      throw std::runtime_error(std::string("cannot write the setting ") + name);
    }
  }
  ~TemporarySetting() {
    if (!m_active) return;
    if (m_previous) {
      registry::SetDword(HKEY_CURRENT_USER, kSettingsKey, m_name, *m_previous);
    } else {
      HKEY key = nullptr;
      if (RegOpenKeyEx(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
        RegDeleteValue(key, m_name);
        RegCloseKey(key);
      }
    }
  }
  TemporarySetting(const TemporarySetting&) = delete;
  TemporarySetting& operator=(const TemporarySetting&) = delete;

 private:
  const char* m_name;
  bool m_active;
  std::optional<DWORD> m_previous;
};

// An environment variable set for one request, and put back afterwards.
class TemporaryEnvironment {
 public:
  TemporaryEnvironment(const char* name, std::optional<std::string> value) : m_name(name), m_active(value.has_value()) {
    if (!m_active) return;
    if (const char* previous = std::getenv(name)) m_previous = previous;
    setenv(name, value->c_str(), 1);
  }
  ~TemporaryEnvironment() {
    if (!m_active) return;
    if (m_previous) {
      setenv(m_name, m_previous->c_str(), 1);
    } else {
      unsetenv(m_name);
    }
  }
  TemporaryEnvironment(const TemporaryEnvironment&) = delete;
  TemporaryEnvironment& operator=(const TemporaryEnvironment&) = delete;

 private:
  const char* m_name;
  bool m_active;
  std::optional<std::string> m_previous;
};

int Write(const GlobalOptions& global, std::optional<DWORD> range, std::optional<DWORD> calendar, bool open);

// The page's identity on disk, to tell whether this request wrote it.
struct FileStamp {
  bool exists = false;
  struct timespec modified {};
  ino_t inode = 0;
  bool operator==(const FileStamp& o) const {
    return exists == o.exists && modified.tv_sec == o.modified.tv_sec && modified.tv_nsec == o.modified.tv_nsec &&
           inode == o.inode;
  }
};

FileStamp StampOf(const std::filesystem::path& path) {
  struct stat st {};
  FileStamp stamp;
  if (stat(path.c_str(), &st) == 0) {
    stamp.exists = true;
    stamp.modified = st.st_mtim;
    stamp.inode = st.st_ino;
  }
  return stamp;
}

std::string Why(HRESULT hr) {
  char code[16];
  std::snprintf(code, sizeof code, "0x%08X", static_cast<unsigned>(hr));
  std::string text = win::SystemMessage(static_cast<DWORD>(hr));
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == '.')) text.pop_back();
  std::string why = text.empty() ? std::string(code) : text + " (" + code + ")";
  if (const std::string detail = xml::LastErrorText(); !detail.empty()) why += ": " + detail;
  return why;
}

}  // namespace

int RunImsakyya(const GlobalOptions& global, const Arguments& args) {
  std::optional<DWORD> range, calendar;
  bool open = true;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (cli::IsHelp(arg)) {
      std::puts(kHelp);
      return 0;
    }
    if ((arg == "--range" || arg == "--calendar") && i + 1 == args.size()) {
      return cli::MissingValue("imsakyya", arg, arg == "--range" ? "today, week, month, tomorrow, next-week or next-month" : "gregorian or hijri");
    }
    if (arg == "--range") {
      const std::string& value = args[++i];
      for (DWORD k = 0; k < 6; ++k) {
        if (value == kRanges[k]) range = k;
      }
      if (!range) return cli::UsageError("imsakyya", "--range takes today, week, month, tomorrow, next-week or next-month, not \"" + value + "\"");
    } else if (arg == "--calendar") {
      const std::string& value = args[++i];
      if (value == "hijri") {
        calendar = 0;
      } else if (value == "gregorian") {
        calendar = 1;
      } else {
        return cli::UsageError("imsakyya", "--calendar takes gregorian or hijri, not \"" + value + "\"");
      }
    } else if (arg == "--no-open") {
      open = false;
    } else {
      return cli::UnknownArgument("imsakyya", arg);
    }
  }

  return host::RunAsProfileHost("imsakyya", [&] { return Write(global, range, calendar, open); });
}

namespace {

int Write(const GlobalOptions& global, std::optional<DWORD> range, std::optional<DWORD> calendar, bool open) {
  const std::filesystem::path folder = AddinFolder(global.office);
  if (folder.empty()) return cli::Failure("the add-in is not installed (orvane install)");
  // Where the add-in writes it: beside itself, or in the user's own folder
  // of the profile when the install is not the user's to write.
  const std::filesystem::path page =
      profile::FolderToWrite(folder, global.office == 10 ? "addin-xp" : "addin-2003") / "imsakyya.html";
  // The add-in opens the page through the shell; a program that does
  // nothing keeps it closed. For this request only: a staying host runs on.
  TemporaryEnvironment opener("ORVANE_OPEN", open ? std::optional<std::string>() : std::string("true"));

  host::HostOptions options;
  options.office = global.office;
  options.uiLanguage = global.uiLanguage;
  options.storeOptions.userFieldsInFilters = global.userFieldsInFilters;
  try {
    TemporarySetting calendarSetting(kCalendarValue, calendar);
    TemporarySetting rangeSetting(kRangeValue, range);
    const FileStamp before = StampOf(page);
    host::OutlookProcess outlook(options);
    outlook.Start();
    const auto window = outlook.Session().ActiveExplorer();
    ComPtr<CommandBarControl> button = window ? host::FindToolbarButton(*window, kTag) : ComPtr<CommandBarControl>();
    if (!button) {
      outlook.Stop();
      return cli::Failure("the add-in's tool bar is not there: is it installed (orvane install)?");
    }
    const HRESULT hr = button->Execute();
    const std::string why = FAILED(hr) ? Why(hr) : std::string();
    outlook.Stop();
    if (FAILED(hr)) return cli::Failure("the timetable was not written: " + why);
    if (outlook.TellFailures()) return 1;
    if (StampOf(page) == before) {
      return cli::Failure("no timetable was made: the add-in has no location (choose a city in its options)");
    }
  } catch (const std::exception& e) {
    return cli::Failure(e.what());
  }
  std::puts(page.c_str());
  return 0;
}

}  // namespace
