#include "platform/shell/Shell.h"

#include "platform/shell/Program.h"

bool ShellOpen(const std::string& target) {
  return shell::RunProgramAndWait({shell::OpenerProgram(), target}) == 0;
}
