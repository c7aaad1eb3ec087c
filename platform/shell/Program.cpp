#include "platform/shell/Program.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstdlib>
#include <thread>

#include "platform/win/LastError.h"

extern char** environ;

namespace shell {

std::vector<std::string> SplitCommandLine(std::string_view line) {
  std::vector<std::string> words;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    if (i >= line.size()) break;
    std::string word;
    bool quoted = false;
    while (i < line.size() && (quoted || (line[i] != ' ' && line[i] != '\t'))) {
      if (line[i] == '\\') {
        std::size_t slashes = 0;
        while (i < line.size() && line[i] == '\\') {
          ++slashes;
          ++i;
        }
        if (i < line.size() && line[i] == '"') {
          word.append(slashes / 2, '\\');
          if (slashes % 2 == 1) {
            word += '"';
            ++i;
          }
        } else {
          word.append(slashes, '\\');
        }
        continue;
      }
      if (line[i] == '"') {
        // "" inside quotes is one quote character.
        if (quoted && i + 1 < line.size() && line[i + 1] == '"') {
          word += '"';
          i += 2;
          continue;
        }
        quoted = !quoted;
        ++i;
        continue;
      }
      word += line[i++];
    }
    words.push_back(std::move(word));
  }
  return words;
}

namespace {

// Starts the program; its process id, or -1 with errno.
pid_t Spawn(const std::vector<std::string>& arguments) {
  if (arguments.empty() || arguments[0].empty()) {
    errno = ENOENT;
    return -1;
  }
  std::vector<char*> argv;
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  pid_t pid = -1;
  const int error = posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ);
  if (error != 0) {
    errno = error;
    return -1;
  }
  return pid;
}

}  // namespace

unsigned StartProgram(const std::vector<std::string>& arguments) {
  const pid_t pid = Spawn(arguments);
  if (pid < 0) {
    const bool missing = errno == ENOENT || errno == ENOTDIR;
    SetLastError(missing ? 2 : 31);
    return missing ? 2 : 0;
  }
  // Nobody waits for it; a thread of its own collects it when it ends, so
  // that it leaves no zombie behind.
  std::thread([pid] {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
  }).detach();
  return 33;
}

std::string OpenerProgram() {
  const char* chosen = std::getenv("ORVANE_OPEN");
  return chosen != nullptr && *chosen != '\0' ? chosen : "xdg-open";
}

int RunProgramAndWait(const std::vector<std::string>& arguments) {
  const pid_t pid = Spawn(arguments);
  if (pid < 0) return -1;
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace shell
