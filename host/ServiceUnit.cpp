#include "host/ServiceUnit.h"

#include <cstdlib>

namespace host {

std::filesystem::path ServiceUnitFile() {
  std::filesystem::path config;
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && *xdg == '/') {
    config = xdg;
  } else {
    const char* home = std::getenv("HOME");
    config = std::filesystem::path(home != nullptr && *home != '\0' ? home : "/") / ".config";
  }
  return config / "systemd" / "user" / kServiceName;
}

std::string ExecWord(const std::string& word) {
  std::string quoted = "\"";
  for (const char c : word) {
    switch (c) {
      case '\\':
        quoted += "\\\\";
        break;
      case '"':
        quoted += "\\\"";
        break;
      case '%':  // a specifier otherwise (%h, %u …)
        quoted += "%%";
        break;
      case '$':  // an environment variable otherwise
        quoted += "$$";
        break;
      case '\n':
        quoted += "\\n";
        break;
      default:
        quoted += c;
    }
  }
  return quoted + "\"";
}

std::string ServiceUnitText(const std::vector<std::string>& command) {
  std::string exec;
  for (const std::string& word : command) exec += (exec.empty() ? "" : " ") + ExecWord(word);
  return "# Written by orvane service install; orvane service remove takes it away.\n"
         "[Unit]\n"
         "Description=Orvane prayer times: keeps the calendar filled and raises its reminders\n"
         "After=graphical-session.target\n"
         "\n"
         "[Service]\n"
         "Type=simple\n"
         "ExecStart=" + exec + "\n"
         // A clean exit (stopped, or another orvane start --stay keeps the
         // profile already) stays stopped; a failure is tried again.
         "Restart=on-failure\n"
         "RestartSec=30\n"
         "StandardOutput=journal\n"
         "StandardError=journal\n"
         "\n"
         "[Install]\n"
         "WantedBy=default.target\n";
}

}  // namespace host
