#include "platform/nls/TextResult.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "platform/text/TextConvert.h"
#include "platform/win/LastError.h"

namespace nls {
namespace {

template <typename Char>
int Return(std::basic_string_view<Char> text, Char* out, int size) {
  if (!CheckBuffer(out, size)) return 0;
  if (text.size() >= static_cast<std::size_t>(std::numeric_limits<int>::max())) {
    return Fail(ERROR_INVALID_PARAMETER);
  }
  const int needed = static_cast<int>(text.size()) + 1;
  if (size == 0) return needed;
  if (size < needed) return Fail(ERROR_INSUFFICIENT_BUFFER);
  std::copy(text.begin(), text.end(), out);
  out[text.size()] = Char();
  return needed;
}

template <typename Char>
int ReturnDword(DWORD value, Char* out, int size) {
  if (!CheckBuffer(out, size)) return 0;
  constexpr int kNeeded = static_cast<int>(sizeof(DWORD) / sizeof(Char));
  if (size == 0) return kNeeded;
  if (size < kNeeded) return Fail(ERROR_INSUFFICIENT_BUFFER);
  std::memcpy(out, &value, sizeof value);
  return kNeeded;
}

}  // namespace

int Fail(DWORD error) {
  SetLastError(error);
  return 0;
}

bool CheckBuffer(const void* out, int size) {
  if (size < 0 || (out == nullptr && size != 0)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  return true;
}

int ReturnText(std::u16string_view text, char16_t* out, int size) {
  return Return(text, out, size);
}

int ReturnText(std::u16string_view text, char* out, int size) {
  const std::string ansi = text::Utf16ToAnsi(text);
  return Return(std::string_view(ansi), out, size);
}

int ReturnNumber(DWORD value, char16_t* out, int size) { return ReturnDword(value, out, size); }

int ReturnNumber(DWORD value, char* out, int size) { return ReturnDword(value, out, size); }

}  // namespace nls
