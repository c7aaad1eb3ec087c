#include "platform/text/TextConvert.h"

#include <unicode/ucnv.h>
#include <unicode/uchar.h>
#include <unicode/utf16.h>
#include <unicode/ustring.h>

#include <atomic>
#include <memory>
#include <string>

namespace text {
namespace {

std::atomic<int> g_codePage{kDefaultAnsiCodePage};

std::string ConverterName(int codePage) { return "windows-" + std::to_string(codePage); }

struct ConverterCloser {
  void operator()(UConverter* c) const { ucnv_close(c); }
};
using ConverterPtr = std::unique_ptr<UConverter, ConverterCloser>;

ConverterPtr OpenConverter(int codePage) {
  UErrorCode status = U_ZERO_ERROR;
  ConverterPtr converter(ucnv_open(ConverterName(codePage).c_str(), &status));
  if (U_FAILURE(status)) return nullptr;
  // Unmappable characters become '?', as the Windows conversions do.
  status = U_ZERO_ERROR;
  ucnv_setSubstChars(converter.get(), "?", 1, &status);
  return converter;
}

}  // namespace

int AnsiCodePage() { return g_codePage.load(); }

bool SetAnsiCodePage(int codePage) {
  if (!OpenConverter(codePage)) return false;
  g_codePage.store(codePage);
  return true;
}

std::u16string Utf8ToUtf16(std::string_view utf8) {
  std::u16string out(utf8.size(), u'\0');
  int32_t length = 0;
  UErrorCode status = U_ZERO_ERROR;
  u_strFromUTF8WithSub(out.data(), static_cast<int32_t>(out.size()), &length, utf8.data(),
                       static_cast<int32_t>(utf8.size()), 0xFFFD, nullptr, &status);
  out.resize(U_SUCCESS(status) ? static_cast<std::size_t>(length) : 0);
  return out;
}

std::string Utf16ToUtf8(std::u16string_view utf16) {
  std::string out(utf16.size() * 3, '\0');
  int32_t length = 0;
  UErrorCode status = U_ZERO_ERROR;
  u_strToUTF8WithSub(out.data(), static_cast<int32_t>(out.size()), &length, utf16.data(),
                     static_cast<int32_t>(utf16.size()), 0xFFFD, nullptr, &status);
  out.resize(U_SUCCESS(status) ? static_cast<std::size_t>(length) : 0);
  return out;
}

std::u16string AnsiToUtf16(std::string_view ansi) {
  ConverterPtr converter = OpenConverter(AnsiCodePage());
  if (!converter || ansi.empty()) return {};
  std::u16string out(ansi.size() * 2, u'\0');
  UErrorCode status = U_ZERO_ERROR;
  const int32_t length =
      ucnv_toUChars(converter.get(), out.data(), static_cast<int32_t>(out.size()), ansi.data(),
                    static_cast<int32_t>(ansi.size()), &status);
  out.resize(U_SUCCESS(status) ? static_cast<std::size_t>(length) : 0);
  return out;
}

std::string Utf16ToAnsi(std::u16string_view utf16) {
  ConverterPtr converter = OpenConverter(AnsiCodePage());
  if (!converter || utf16.empty()) return {};
  std::string out(utf16.size() * 2 + 1, '\0');
  UErrorCode status = U_ZERO_ERROR;
  const int32_t length =
      ucnv_fromUChars(converter.get(), out.data(), static_cast<int32_t>(out.size()),
                      utf16.data(), static_cast<int32_t>(utf16.size()), &status);
  out.resize(U_SUCCESS(status) ? static_cast<std::size_t>(length) : 0);
  return out;
}

std::string Utf16ToCodePage(std::u16string_view utf16, int codePage, Unmappable unmappable) {
  ConverterPtr converter = OpenConverter(codePage);
  if (!converter || utf16.empty()) return {};
  UErrorCode status = U_ZERO_ERROR;
  if (unmappable == Unmappable::kCharacterReference) {
    ucnv_setFromUCallBack(converter.get(), UCNV_FROM_U_CALLBACK_ESCAPE, UCNV_ESCAPE_XML_DEC,
                          nullptr, nullptr, &status);
    if (U_FAILURE(status)) return {};
  }
  // A reference takes at most ten bytes ("&#1114111;") for one or two units.
  std::string out(utf16.size() * (unmappable == Unmappable::kCharacterReference ? 10 : 2) + 1, '\0');
  const int32_t length =
      ucnv_fromUChars(converter.get(), out.data(), static_cast<int32_t>(out.size()),
                      utf16.data(), static_cast<int32_t>(utf16.size()), &status);
  out.resize(U_SUCCESS(status) ? static_cast<std::size_t>(length) : 0);
  return out;
}

std::string AnsiToUtf8(std::string_view ansi) { return Utf16ToUtf8(AnsiToUtf16(ansi)); }
std::string Utf8ToAnsi(std::string_view utf8) { return Utf16ToAnsi(Utf8ToUtf16(utf8)); }

std::u16string FoldCase(std::u16string_view text) {
  std::u16string folded;
  folded.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    UChar32 c;
    U16_NEXT(text.data(), i, text.size(), c);
    c = u_foldCase(c, U_FOLD_CASE_DEFAULT);
    if (U_IS_BMP(c)) {
      folded.push_back(static_cast<char16_t>(c));
    } else {
      folded.push_back(U16_LEAD(c));
      folded.push_back(U16_TRAIL(c));
    }
  }
  return folded;
}

}  // namespace text
