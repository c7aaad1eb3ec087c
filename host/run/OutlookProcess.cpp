#include "host/run/OutlookProcess.h"

#include <cstdio>
#include <thread>

#include "host/model/AppointmentItem.h"
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

void OutlookProcess::Start() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  SystemTimeToVariantTime(&now, &startDate_);
  startClock_ = std::chrono::steady_clock::now();

  SessionOptions session;
  session.storeFile = profile::File("outlook.db");
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
  addins_.ConnectAll(session_->Application());
  addins_.StartupComplete();
  session_->RaiseStartup();
  mirror_->Flush();
}

bool OutlookProcess::LoadLastCheck(DATE* when) const {
  std::string text;
  if (registry::GetString(HKEY_CURRENT_USER, OfficeKey(options_.office, kRemindersKey).c_str(), kLastCheckValue,
                          &text) != ERROR_SUCCESS) {
    return false;
  }
  SYSTEMTIME st;
  unsigned year, month, day, hour, minute, second;
  if (std::sscanf(text.c_str(), "%4u-%2u-%2uT%2u:%2u:%2u", &year, &month, &day, &hour, &minute, &second) != 6) {
    return false;
  }
  st.wYear = static_cast<WORD>(year);
  st.wMonth = static_cast<WORD>(month);
  st.wDay = static_cast<WORD>(day);
  st.wHour = static_cast<WORD>(hour);
  st.wMinute = static_cast<WORD>(minute);
  st.wSecond = static_cast<WORD>(second);
  return SystemTimeToVariantTime(&st, when) != 0;
}

void OutlookProcess::SaveLastCheck(DATE when) const {
  SYSTEMTIME st;
  if (!VariantTimeToSystemTime(when, &st)) return;
  char text[32];
  std::snprintf(text, sizeof text, "%04u-%02u-%02uT%02u:%02u:%02u", st.wYear % 10000u, st.wMonth % 100u,
                st.wDay % 100u, st.wHour % 100u, st.wMinute % 100u, st.wSecond % 100u);
  registry::SetString(HKEY_CURRENT_USER, OfficeKey(options_.office, kRemindersKey).c_str(), kLastCheckValue, text);
}

int OutlookProcess::CheckReminders(DATE now) {
  if (stopped_ || !session_->StoreOpen()) return 0;
  auto store = session_->Store(session_->StoreGeneration());
  const std::uint64_t changes = store->ChangeCount();
  if (changes != scheduleChanges_) {
    schedule_ = ReminderSchedule(store->LoadFolder(FolderKind::kCalendar));
    scheduleChanges_ = changes;
  }
  bool overdueOnly = false;
  if (firstCheck_) {
    firstCheck_ = false;
    // Reminders that fell due while the host was not running, since it last
    // looked (ever, the first time); a clock put back starts afresh.
    if (!LoadLastCheck(&lastCheck_)) lastCheck_ = kFirstDate;
    if (lastCheck_ > now) lastCheck_ = now;
    overdueOnly = true;
  }
  int raised = 0;
  for (const DueReminder& due : schedule_.Between(lastCheck_, now)) {
    if (overdueOnly && due.end <= now) continue;  // over already: nothing to remind of
    Raise(due);
    ++raised;
  }
  lastCheck_ = now;
  // Kept when it matters, not every second: a restart re-reads it.
  if (overdueOnly || raised > 0) SaveLastCheck(now);
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
  while (!stop.load()) {
    CheckReminders(Now());
    for (int i = 0; i < 10 && !stop.load(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
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
