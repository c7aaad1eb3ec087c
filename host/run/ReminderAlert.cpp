#include "host/run/ReminderAlert.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "host/store/MinuteText.h"
#include "platform/fs/WindowsPath.h"

extern char** environ;

namespace host {

namespace {

std::string Environment(const char* name, const char* otherwise) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : otherwise;
}

}  // namespace

std::string FindProgram(const std::string& name) {
  if (name.empty()) return {};
  if (name.find('/') != std::string::npos) return access(name.c_str(), X_OK) == 0 ? name : std::string();
  const std::string path = Environment("PATH", "/usr/bin:/bin");
  std::size_t start = 0;
  while (start <= path.size()) {
    const std::size_t colon = path.find(':', start);
    const std::string dir = path.substr(start, colon == std::string::npos ? std::string::npos : colon - start);
    const std::string candidate = (dir.empty() ? "." : dir) + "/" + name;
    if (access(candidate.c_str(), X_OK) == 0 && !std::filesystem::is_directory(candidate)) return candidate;
    if (colon == std::string::npos) break;
    start = colon + 1;
  }
  return {};
}

ReminderAlert::ReminderAlert() {
  notifier_ = FindProgram(Environment("ORVANE_NOTIFY", "notify-send"));
  if (const char* player = std::getenv("ORVANE_PLAY")) {
    player_ = FindProgram(player);
  } else {
    for (const char* candidate : {"paplay", "pw-play", "aplay"}) {
      player_ = FindProgram(candidate);
      if (!player_.empty()) break;
    }
  }
}

ReminderAlert::~ReminderAlert() { Reap(); }

std::string ReminderAlert::TextLine(const Appointment& item) {
  return "Reminder: " + item.subject + " (" + MinuteText(item.start) + ")";
}

void ReminderAlert::Show(const Appointment& item) {
  Reap();
  if (!Notify(item)) std::fprintf(stderr, "%s\n", TextLine(item).c_str());
  if (item.reminderPlaySound && !item.reminderSoundFile.empty() && !player_.empty()) {
    const std::filesystem::path sound = fs_win::MapPath(item.reminderSoundFile);
    std::error_code unreadable;  // a file we may not look at plays no sound, and stops nothing
    if (std::filesystem::is_regular_file(sound, unreadable)) Run({player_, sound.string()});
  }
}

bool ReminderAlert::Notify(const Appointment& item) {
  if (notifier_.empty()) return false;
  // "--" so that a subject starting with a dash is not read as an option.
  if (!Run({notifier_, "--app-name=Orvane", "--", item.subject, "Starts " + MinuteText(item.start)})) return false;
  const pid_t child = children_.back();
  children_.pop_back();
  for (int waited = 0; waited < 40; ++waited) {
    int status = 0;
    if (waitpid(child, &status, WNOHANG) == child) return WIFEXITED(status) && WEXITSTATUS(status) == 0;
    usleep(50 * 1000);
  }
  children_.push_back(child);  // still running after 2 s: let it be, and say it on stderr too
  return false;
}

bool ReminderAlert::Run(const std::vector<std::string>& command) {
  std::vector<char*> argv;
  for (const std::string& word : command) argv.push_back(const_cast<char*>(word.c_str()));
  argv.push_back(nullptr);
  pid_t child = 0;
  if (posix_spawn(&child, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return false;
  children_.push_back(child);
  return true;
}

void ReminderAlert::Reap() {
  std::erase_if(children_, [](int child) { return waitpid(child, nullptr, WNOHANG) != 0; });
}

}  // namespace host
