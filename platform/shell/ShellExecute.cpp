#include "platform/shell/ShellExecute.h"

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>

#include "platform/fs/WindowsPath.h"
#include "platform/shell/Program.h"
#include "platform/text/TextConvert.h"

namespace {

HINSTANCE Answer(std::intptr_t code) { return reinterpret_cast<HINSTANCE>(code); }

}  // namespace

HINSTANCE ShellExecute(HWND, const char* verb, const char* file, const char*, const char*, int) {
  if (verb != nullptr && std::strcmp(verb, "open") != 0) return Answer(SE_ERR_NOASSOC);
  if (file == nullptr || *file == '\0') return Answer(SE_ERR_FNF);
  const std::string path = fs_win::MapPath(file).string();
  std::error_code error;
  if (!std::filesystem::exists(path, error)) return Answer(SE_ERR_FNF);

  // No shell between us and the program: a path with blanks, quotes or
  // semicolons is one argument and nothing else. Not waited for, as the
  // shell does not wait.
  if (shell::StartProgram({shell::OpenerProgram(), path}) <= 32) return Answer(SE_ERR_NOASSOC);
  return Answer(42);
}

HINSTANCE ShellExecute(HWND window, const char16_t* verb, const char16_t* file, const char16_t*,
                       const char16_t*, int show) {
  auto narrow = [](const char16_t* text) { return text ? text::Utf16ToUtf8(text) : std::string(); };
  const std::string verbText = narrow(verb), fileText = narrow(file);
  return ShellExecute(window, verb ? verbText.c_str() : nullptr, file ? fileText.c_str() : nullptr, nullptr,
                      nullptr, show);
}
