#include "platform/ui/OpenFileDialog.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/text/TextConvert.h"
#include "platform/ui/FrontEnd.h"

namespace {

std::string Utf8(const char* text) { return text::AnsiToUtf8(text); }
std::string Utf8(const char16_t* text) { return text::Utf16ToUtf8(text); }
std::string ToCaller(const std::string& utf8, char) { return text::Utf8ToAnsi(utf8); }
std::u16string ToCaller(const std::string& utf8, char16_t) { return text::Utf8ToUtf16(utf8); }

template <typename Char>
BOOL Ask(OpenFileNameT<Char>* request) {
  if (request == nullptr || request->lpstrFile == nullptr || request->nMaxFile == 0) return FALSE;
  ui::OpenFileRequest ask{request->hwndOwner, {}, {}, 0, {}, (request->Flags & OFN_FILEMUSTEXIST) != 0};
  if (request->lpstrTitle != nullptr) ask.title = Utf8(request->lpstrTitle);
  // Pairs of null-terminated texts up to an empty one; a lone description
  // at the end has no pattern and is dropped.
  for (const Char* at = request->lpstrFilter; at != nullptr && *at != 0;) {
    const std::basic_string<Char> name(at);
    at += name.size() + 1;
    if (*at == 0) break;
    const std::basic_string<Char> pattern(at);
    at += pattern.size() + 1;
    ask.filters.emplace_back(Utf8(name.c_str()), Utf8(pattern.c_str()));
  }
  ask.filterIndex = request->nFilterIndex > 0 ? request->nFilterIndex - 1 : 0;
  ask.initialPath = Utf8(request->lpstrFile);
  if (ask.initialPath.empty() && request->lpstrInitialDir != nullptr) {
    ask.initialPath = Utf8(request->lpstrInitialDir);
  }
  const std::optional<std::string> chosen = ui::CurrentFrontEnd()->ShowOpenFile(ask);
  if (!chosen) return FALSE;
  const auto path = ToCaller(*chosen, Char{});
  // A path that does not fit is refused, not cut into another file's name.
  if (path.size() + 1 > request->nMaxFile) return FALSE;
  std::copy(path.begin(), path.end(), request->lpstrFile);
  request->lpstrFile[path.size()] = 0;
  return TRUE;
}

}  // namespace

BOOL GetOpenFileName(OPENFILENAMEA* request) { return Ask(request); }
BOOL GetOpenFileName(OPENFILENAMEW* request) { return Ask(request); }
