#include "host/run/OutlookProcess.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <stdexcept>
#include <cstdio>
#include <thread>

#include "host/model/AppointmentItem.h"
#include "host/run/FailureWords.h"
#include "host/model/CommandBarLibrary.h"
#include "host/model/Explorer.h"
#include "host/model/EarlyBound.h"
#include "platform/com/VariantTime.h"
#include "platform/fs/Profile.h"
#include "platform/registry/Registry.h"
#include "platform/time/SystemTime.h"

namespace host {

namespace {

std::string OfficeKey(int office, const char* rest) {
  return std::string("Software\\Microsoft\\Office\\") + (office == 10 ? "10.0" : "11.0") + rest;
}

// Where the host keeps the time of its last reminder check, as Outlook
// keeps its reminder state: so a restart neither repeats nor loses them.
constexpr const char* kRemindersKey = "\\Outlook\\Options\\Reminders";
constexpr const char* kLastCheckValue = "LastCheck";
constexpr DATE kFirstDate = -657434.0;

// The store must be writable for the add-ins' saves to be kept: the file
// and, for its journal and calendar.ics, the folder. Root's writes are
// stopped only by a read-only disk, which access() reports as well.
void RequireWritable(const std::filesystem::path& store) {
  const std::filesystem::path folder = store.parent_path();
  if (faccessat(AT_FDCWD, folder.c_str(), W_OK, AT_EACCESS) != 0) {
    throw std::runtime_error("the profile folder " + folder.string() + " is read-only (" + std::strerror(errno) +
                             "): the calendar cannot be saved; make it writable for you (chmod u+w), or use a "
                             "profile of your own (--home DIR)");
  }
  if (faccessat(AT_FDCWD, store.c_str(), W_OK, AT_EACCESS) != 0 && errno != ENOENT) {
    throw std::runtime_error(store.string() + " is read-only (" + std::strerror(errno) +
                             "): the calendar cannot be saved; make it writable for you (chmod u+w " +
                             store.string() + ")");
  }
}

// A cause of the store's file in the user's words.
std::string CauseInWords(StoreError::Reason reason) {
  switch (reason) {
    case StoreError::Reason::kDiskFull:
      return "the disk is full";
    case StoreError::Reason::kNoAccess:
      return "the file is read-only";
    case StoreError::Reason::kBusy:
      return "another program holds the file locked";
    case StoreError::Reason::kDamaged:
      return "the file is damaged";
    default:
      return "the file cannot be written";
  }
}

}  // namespace

long OfficeUILanguage(int office, long option) {
  if (option != 0) return option;
  DWORD language = 0;
  if (registry::GetDword(HKEY_CURRENT_USER, OfficeKey(office, "\\Common\\LanguageResources").c_str(),
                         "UILanguage", &language) == ERROR_SUCCESS &&
      language != 0) {
    return static_cast<long>(language);
  }
  return 1033;
}

OutlookProcess::OutlookProcess(const HostOptions& options) : options_(options) {}

OutlookProcess::~OutlookProcess() { Stop(); }

DATE OutlookProcess::Now() const {
  const auto elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - startClock_);
  return startDate_ + elapsed.count() / 86400.0;
}

void OutlookProcess::Start(Join join) {
  SYSTEMTIME now;
  GetLocalTime(&now);
  SystemTimeToVariantTime(&now, &startDate_);
  startClock_ = std::chrono::steady_clock::now();

  SessionOptions session;
  session.storeFile = profile::File("outlook.db");
  RequireWritable(session.storeFile);
  session.commandBarFile = profile::File("outcmd.dat");
  session.storeOptions = options_.storeOptions;
  session.uiLanguage = OfficeUILanguage(options_.office, options_.uiLanguage);
  session_ = OutlookSession::Create(session);
  started_ = true;

  std::weak_ptr<OutlookSession> weak = session_;
  mirror_ = std::make_unique<MirrorFollower>(profile::File("calendar.ics"), [weak]() {
    auto s = weak.lock();
    return s && s->StoreOpen() ? s->Store(s->StoreGeneration()) : nullptr;
  });
  MirrorFollower* mirror = mirror_.get();
  session_->AddStoreListener([mirror](std::uint64_t changes) { mirror->OnChange(changes); });
  // Whatever changed while the host was not running (another process, a
  // crash before the last rewrite) is in the mirror from the start.
  mirror_->Write();

  if (!options_.embedding) session_->NewExplorer(FolderKind::kCalendar, true);
  if (join == Join::kOutlookRuns) {
    // As the COM Add-ins dialog connects one: no start-up to complete.
    addins_.ConnectAll(session_->Application(), ext_cm_AfterStartup);
  } else {
    addins_.ConnectAll(session_->Application());
    addins_.StartupComplete();
    startupResult_ = session_->RaiseStartup();
  }
  mirror_->Flush();
}

// The time is kept exactly, as the 8 bytes of its OLE date: a rounded one
// would raise a reminder of the same second again, or lose one.
bool OutlookProcess::LoadLastCheck(DATE* when) const {
  HKEY key = nullptr;
  if (RegOpenKeyEx(HKEY_CURRENT_USER, OfficeKey(options_.office, kRemindersKey).c_str(), 0, KEY_READ, &key) !=
      ERROR_SUCCESS) {
    return false;
  }
  DWORD type = 0;
  DATE value = 0;
  DWORD size = sizeof value;
  const bool read = RegQueryValueEx(key, kLastCheckValue, nullptr, &type, reinterpret_cast<BYTE*>(&value),
                                    &size) == ERROR_SUCCESS &&
                    type == REG_BINARY && size == sizeof value && std::isfinite(value);
  RegCloseKey(key);
  if (read) *when = value;
  return read;
}

void OutlookProcess::SaveLastCheck(DATE when) const {
  HKEY key = nullptr;
  if (RegCreateKeyEx(HKEY_CURRENT_USER, OfficeKey(options_.office, kRemindersKey).c_str(), 0, nullptr,
                     REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS) {
    return;
  }
  RegSetValueEx(key, kLastCheckValue, 0, REG_BINARY, reinterpret_cast<const BYTE*>(&when), sizeof when);
  RegCloseKey(key);
}

int OutlookProcess::CheckReminders(DATE now) {
  if (stopped_ || session_->IsShutDown() || !session_->StoreOpen()) return 0;
  auto store = session_->Store(session_->StoreGeneration());
  const std::uint64_t changes = store->ChangeCount();
  const bool rebuilt = changes != scheduleChanges_;
  if (rebuilt) {
    schedule_ = ReminderSchedule(store->LoadFolder(FolderKind::kCalendar));
    // Another program may have changed the store: the mirror follows it too.
    if (scheduleChanges_ != UINT64_MAX) mirror_->OnChange(changes);
    scheduleChanges_ = changes;
  }
  const bool first = firstCheck_;
  if (first) {
    firstCheck_ = false;
    // Reminders that fell due while the host was not running, since it last
    // looked (ever, the first time); a clock put back starts afresh.
    if (!LoadLastCheck(&lastCheck_)) lastCheck_ = kFirstDate;
    if (lastCheck_ > now) lastCheck_ = now;
    lookedFrom_ = lastCheck_;
  }
  // After a change, an item saved with its reminder already due is found
  // among the reminders overdue since the host started looking.
  int raised = 0;
  for (const DueReminder& due : schedule_.Between(first || rebuilt ? lookedFrom_ : lastCheck_, now)) {
    const bool overdue = first || due.due <= lastCheck_;
    if (overdue && due.end <= now) continue;  // over already: nothing to remind of
    if (!raised_.insert({due.item, due.due}).second) continue;
    Raise(due);
    ++raised;
    if (session_->IsShutDown()) break;  // an add-in quit Outlook
  }
  lastCheck_ = now;
  // Kept when it matters, not every second: a restart re-reads it.
  if (first || raised > 0) SaveLastCheck(now);
  mirror_->Flush();
  return raised;
}

void OutlookProcess::Raise(const DueReminder& due) {
  auto store = session_->Store(session_->StoreGeneration());
  std::optional<Appointment> item = store->Load(due.item);
  if (!item || item->folder != FolderKind::kCalendar) return;  // deleted since
  const Appointment shown = *item;
  auto object = NewObject<CAppointmentItem>(session_, std::move(*item));
  session_->RaiseReminder(static_cast<_AppointmentItem*>(object.Get()));
  alert_.Show(shown);
}

void OutlookProcess::Stay(const std::atomic<bool>& stop) {
  while (!stop.load() && !session_->IsShutDown()) {
    try {
      CheckReminders(Now());
    } catch (const std::exception& e) {
      // A store busy with another program, say: the next tick tries again.
      std::fprintf(stderr, "orvane: reminders could not be checked: %s\n", e.what());
    }
    alert_.Reap();
    for (int i = 0; i < 10 && !stop.load(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
}

std::vector<std::string> OutlookProcess::Failures() const {
  std::vector<std::string> lines;
  if (!started_) return lines;
  const CalendarStore::FailedWrites failed = session_->StoreWriteFailures();
  if (failed.count > 0) {
    lines.push_back(std::to_string(failed.count) + (failed.count == 1 ? " change" : " changes") +
                    " to the calendar could not be saved in " + session_->Options().storeFile.string() + ": " +
                    CauseInWords(failed.reason) + " (" + failed.message + ")");
  }
  if (!session_->CommandBars().Problem().empty()) lines.push_back(session_->CommandBars().Problem());
  // Said only when nothing above says why: a failed save fails the
  // add-in's start-up too, and one line is enough for one cause.
  if (FAILED(startupResult_) && lines.empty()) {
    lines.push_back("an add-in failed at start-up: " + FailureInWords(startupResult_));
  }
  if (mirror_ != nullptr && mirror_->LastWriteFailed()) {
    lines.push_back("calendar.ics is not up to date with the calendar (see above)");
  }
  return lines;
}

bool OutlookProcess::TellFailures() const {
  const std::vector<std::string> lines = Failures();
  for (const std::string& line : lines) std::fprintf(stderr, "orvane: %s\n", line.c_str());
  return !lines.empty();
}

void OutlookProcess::Stop() {
  if (!started_ || stopped_) return;
  stopped_ = true;
  // Outlook's order: the window closes, the add-ins hear of the shutdown,
  // Quit is raised, and they are disconnected.
  for (const auto& explorer : std::vector(session_->Explorers())) explorer->Close();
  addins_.BeginShutdown();
  session_->RaiseQuit();
  addins_.DisconnectAll();
  if (!firstCheck_) SaveLastCheck(lastCheck_);
  mirror_->Flush();
  session_->Shutdown();
}

}  // namespace host
