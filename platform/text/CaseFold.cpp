#include "platform/text/CaseFold.h"

#include <unicode/uchar.h>
#include <unicode/utf16.h>

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
  const std::u16string utf16 = Utf8ToUtf16(utf8);
  std::u16string folded;
  folded.reserve(utf16.size());
  for (std::size_t i = 0; i < utf16.size();) {
    UChar32 c;
    U16_NEXT(utf16.data(), i, utf16.size(), c);
    c = u_foldCase(c, U_FOLD_CASE_DEFAULT);
    if (U_IS_BMP(c)) {
      folded.push_back(static_cast<char16_t>(c));
    } else {
      folded.push_back(U16_LEAD(c));
      folded.push_back(U16_TRAIL(c));
    }
  }
  return Utf16ToUtf8(folded);
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
