#include "platform/shell/ShellExecute.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>

#include "platform/fs/WindowsPath.h"
#include "platform/text/TextConvert.h"

extern char** environ;

namespace {

HINSTANCE Answer(std::intptr_t code) { return reinterpret_cast<HINSTANCE>(code); }

}  // namespace

HINSTANCE ShellExecute(HWND, const char* verb, const char* file, const char*, const char*, int) {
  if (verb != nullptr && std::strcmp(verb, "open") != 0) return Answer(SE_ERR_NOASSOC);
  if (file == nullptr || *file == '\0') return Answer(SE_ERR_FNF);
  const std::string path = fs_win::MapPath(file).string();
  std::error_code error;
  if (!std::filesystem::exists(path, error)) return Answer(SE_ERR_FNF);

  const char* chosen = std::getenv("ORVANE_OPEN");
  const std::string program = chosen != nullptr && *chosen != '\0' ? chosen : "xdg-open";
  // No shell between us and the program: a path with blanks, quotes or
  // semicolons is one argument and nothing else.
  char* argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>(path.c_str()), nullptr};
  pid_t child = 0;
  if (posix_spawnp(&child, program.c_str(), nullptr, nullptr, argv, environ) != 0) {
    return Answer(SE_ERR_NOASSOC);
  }
  // Not waited for, as the shell does not wait; but reaped when it ends.
  std::thread([child] {
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
  }).detach();
  return Answer(42);
}

HINSTANCE ShellExecute(HWND window, const char16_t* verb, const char16_t* file, const char16_t*,
                       const char16_t*, int show) {
  auto narrow = [](const char16_t* text) { return text ? text::Utf16ToUtf8(text) : std::string(); };
  const std::string verbText = narrow(verb), fileText = narrow(file);
  return ShellExecute(window, verb ? verbText.c_str() : nullptr, file ? fileText.c_str() : nullptr, nullptr,
                      nullptr, show);
}
