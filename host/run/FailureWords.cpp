#include "host/run/FailureWords.h"

#include <cstdio>

#include "platform/win/FormatMessage.h"

namespace host {

std::string FailureInWords(HRESULT hr) {
  char code[16];
  std::snprintf(code, sizeof code, "0x%08X", static_cast<unsigned>(hr));
  std::string text = win::SystemMessage(static_cast<DWORD>(hr));
  // Windows' texts end in a full stop and a line break; ours go on.
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == '.')) text.pop_back();
  return text.empty() ? std::string(code) : text + " (" + code + ")";
}

}  // namespace host
