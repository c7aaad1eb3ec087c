// orvane service: the systemd user unit that runs `orvane start --stay` at
// login. systemctl is driven as `systemctl --user`; ORVANE_SYSTEMCTL names
// another program to run in its place (tests, where no user instance runs).

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "host/CommandLine.h"
#include "host/Commands.h"
#include "host/ServiceUnit.h"
#include "platform/fs/AtomicFile.h"
#include "platform/fs/Profile.h"

extern char** environ;

namespace {

constexpr const char* kHelp =
    "usage: orvane [--home DIR] service install|remove|status\n"
    "The systemd user unit orvane.service, which runs orvane start --stay for this\n"
    "profile at login and starts it again after a failure (not after a clean exit);\n"
    "what it says goes to the journal (journalctl --user -u orvane.service).\n"
    "  install  writes the unit, enables and starts it (systemctl --user); without\n"
    "           a systemd user instance it says so and writes nothing\n"
    "  remove   stops, disables and removes it\n"
    "  status   whether it is installed, enabled and running (exit status 0 when\n"
    "           it runs, 3 when not)\n"
    "ORVANE_SYSTEMCTL names a program to run in place of systemctl.";

struct Outcome {
  int status = -1;   // the exit status, -1 when it did not run or exit
  std::string text;  // standard output and error together
};

std::string Systemctl() {
  const char* seam = std::getenv("ORVANE_SYSTEMCTL");
  return seam != nullptr && *seam != '\0' ? seam : "systemctl";
}

// Runs `systemctl --user WORDS…` and collects what it says.
Outcome RunSystemctl(const std::vector<std::string>& words) {
  std::vector<std::string> command = {Systemctl(), "--user"};
  command.insert(command.end(), words.begin(), words.end());
  std::vector<char*> argv;
  for (std::string& word : command) argv.push_back(word.data());
  argv.push_back(nullptr);
  Outcome outcome;
  int pipeEnds[2];
  if (pipe2(pipeEnds, O_CLOEXEC) != 0) return outcome;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDERR_FILENO);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  pid_t child = 0;
  const int spawned = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(pipeEnds[1]);
  if (spawned != 0) {
    close(pipeEnds[0]);
    outcome.text = Systemctl() + ": " + std::system_category().message(spawned);
    return outcome;
  }
  char buffer[4096];
  for (ssize_t n; (n = read(pipeEnds[0], buffer, sizeof buffer)) != 0;) {
    if (n < 0) {
      if (errno == EINTR) continue;
      break;
    }
    outcome.text.append(buffer, static_cast<std::size_t>(n));
  }
  close(pipeEnds[0]);
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return outcome;
}

std::string FirstLine(const std::string& text) {
  std::string line = text.substr(0, text.find('\n'));
  return line.empty() ? "no answer" : line;
}

// systemctl's own reason in one line, for our one-line messages.
std::string Why(const Outcome& outcome) {
  return FirstLine(outcome.text) + (outcome.status > 0 ? " (exit status " + std::to_string(outcome.status) + ")" : "");
}

// Reaching the user's service manager is asked first: nothing is written
// for a manager that cannot take it.
std::optional<std::string> UnreachableManager() {
  const Outcome reach = RunSystemctl({"show-environment"});
  if (reach.status == 0) return std::nullopt;
  return "no systemd user instance can be reached: systemctl --user: " + Why(reach);
}

std::filesystem::path Program() {
  std::error_code error;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::filesystem::path() : self;
}

int Install(const GlobalOptions& global) {
  if (auto problem = UnreachableManager()) return cli::Failure(*problem + "; nothing was installed");
  const std::filesystem::path program = Program();
  if (program.empty()) return cli::Failure("cannot tell where this program is (/proc/self/exe)");
  std::vector<std::string> command = {program.string(), "--home",
                                      std::filesystem::absolute(profile::Directory()).string()};
  if (global.office != 11) command.insert(command.end(), {"--office", std::to_string(global.office)});
  if (global.uiLanguage != 0) command.insert(command.end(), {"--ui-language", std::to_string(global.uiLanguage)});
  command.insert(command.end(), {"start", "--stay"});

  const std::filesystem::path unit = host::ServiceUnitFile();
  try {
    std::filesystem::create_directories(unit.parent_path());
    files::WriteFileAtomically(unit, host::ServiceUnitText(command));
  } catch (const std::exception& e) {
    return cli::Failure(std::string("the unit could not be written: ") + e.what());
  }
  Outcome step = RunSystemctl({"daemon-reload"});
  if (step.status == 0) step = RunSystemctl({"enable", host::kServiceName});
  // Started again, not only started: a unit running from an older text
  // takes the new one.
  if (step.status == 0) step = RunSystemctl({"restart", host::kServiceName});
  if (step.status != 0) {
    const std::string why = Why(step);
    RunSystemctl({"disable", host::kServiceName});
    std::error_code ignored;
    std::filesystem::remove(unit, ignored);
    RunSystemctl({"daemon-reload"});
    return cli::Failure("systemctl --user could not enable and start " + std::string(host::kServiceName) + ": " +
                        why + "; nothing stays installed");
  }
  std::printf("Installed %s, enabled and started; its log: journalctl --user -u %s\n", unit.c_str(),
              host::kServiceName);
  return 0;
}

int Remove() {
  const std::filesystem::path unit = host::ServiceUnitFile();
  std::error_code error;
  if (!std::filesystem::exists(unit, error)) {
    std::printf("No %s is installed (%s)\n", host::kServiceName, unit.c_str());
    return 0;
  }
  if (auto problem = UnreachableManager()) return cli::Failure(*problem + "; nothing was removed");
  const Outcome disabled = RunSystemctl({"disable", "--now", host::kServiceName});
  if (disabled.status != 0) {
    return cli::Failure("systemctl --user could not stop and disable " + std::string(host::kServiceName) + ": " +
                        Why(disabled));
  }
  if (!std::filesystem::remove(unit, error) && error) {
    return cli::Failure("stopped and disabled, but " + unit.string() + " could not be removed: " + error.message());
  }
  RunSystemctl({"daemon-reload"});
  std::printf("Stopped, disabled and removed %s\n", unit.c_str());
  return 0;
}

std::string Answer(const Outcome& outcome) {
  std::string text = FirstLine(outcome.text);
  return outcome.status < 0 ? "unknown" : text;
}

int Status() {
  const std::filesystem::path unit = host::ServiceUnitFile();
  std::error_code error;
  const bool installed = std::filesystem::exists(unit, error);
  std::printf("unit: %s (%s)\n", unit.c_str(), installed ? "installed" : "not installed");
  if (auto problem = UnreachableManager()) return cli::Failure(*problem);
  const Outcome enabled = RunSystemctl({"is-enabled", host::kServiceName});
  const Outcome active = RunSystemctl({"is-active", host::kServiceName});
  std::printf("enabled: %s\nactive: %s\nlog: journalctl --user -u %s\n", Answer(enabled).c_str(),
              Answer(active).c_str(), host::kServiceName);
  return active.status == 0 ? 0 : 3;
}

}  // namespace

int RunService(const GlobalOptions& global, const Arguments& args) {
  for (const std::string& arg : args) {
    if (cli::IsHelp(arg)) {
      std::puts(kHelp);
      return 0;
    }
  }
  if (args.empty()) return cli::UsageError("service", "say install, remove or status");
  if (args.size() > 1) return cli::UnknownArgument("service", args[1]);
  if (args[0] == "install") return Install(global);
  if (args[0] == "remove") return Remove();
  if (args[0] == "status") return Status();
  return cli::UsageError("service", "unknown verb \"" + args[0] + "\"; say install, remove or status");
}
