#pragma once
// Runs a program as a user would from a shell, for tests of the command line.

#include <sys/wait.h>

#include <cstdio>
#include <string>

// Runs `command` with standard error joined to standard output; answers
// what it printed, and its exit code in *exitCode (-1 when it did not exit).
inline std::string RunCommand(const std::string& command, int* exitCode) {
  std::string out;
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  if (pipe == nullptr) {
    *exitCode = -1;
    return out;
  }
  char buffer[4096];
  for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
  const int status = pclose(pipe);
  *exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return out;
}
