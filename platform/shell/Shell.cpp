#include "platform/shell/Shell.h"

#include <cstdlib>

#include "platform/shell/Program.h"

bool ShellOpen(const std::string& target) {
  const char* opener = std::getenv("ORVANE_OPEN");
  const std::string program = opener != nullptr && *opener != '\0' ? opener : "xdg-open";
  return shell::RunProgramAndWait({program, target}) == 0;
}
