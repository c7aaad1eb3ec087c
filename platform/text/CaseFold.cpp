#include "platform/text/CaseFold.h"

#include "platform/text/TextConvert.h"

namespace text {
namespace {

bool IsAscii(std::string_view s) {
  for (char c : s) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

char FoldAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

std::string FoldCase(std::string_view utf8) {
  if (IsAscii(utf8)) {
    std::string folded(utf8);
    for (char& c : folded) c = FoldAscii(c);
    return folded;
  }
  return Utf16ToUtf8(FoldCase(std::u16string_view(Utf8ToUtf16(utf8))));
}

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
  if (IsAscii(a) && IsAscii(b)) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
      if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
    }
    return true;
  }
  return FoldCase(a) == FoldCase(b);
}

}  // namespace text
