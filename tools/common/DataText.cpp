#include "tools/common/DataText.h"

#include <unicode/ucnv.h>
#include <unicode/utf8.h>

#include <array>
#include <cstdio>
#include <map>
#include <memory>
#include <stdexcept>

namespace datatext {
namespace {

// Code page 1256 is a single-byte code page whose 256 bytes are all
// assigned, so its encoder is the inverse of its decoding table. Building the
// table from ICU's decoder keeps the code page's definition in one place.
std::map<char32_t, unsigned char> BuildCp1256Table() {
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<UConverter, void (*)(UConverter*)> converter(ucnv_open("windows-1256", &status),
                                                              ucnv_close);
  if (U_FAILURE(status)) throw std::runtime_error("ICU has no converter for windows-1256");
  std::map<char32_t, unsigned char> table;
  for (int byte = 0; byte < 256; ++byte) {
    const char in = static_cast<char>(byte);
    std::array<UChar, 4> out{};
    status = U_ZERO_ERROR;
    const int32_t length = ucnv_toUChars(converter.get(), out.data(), out.size(), &in, 1, &status);
    if (U_FAILURE(status) || length != 1 || out[0] == 0xFFFD) {
      throw std::runtime_error("windows-1256 leaves byte " + std::to_string(byte) + " unassigned");
    }
    table.emplace(out[0], static_cast<unsigned char>(byte));
  }
  return table;
}

// Only characters of code page 1256 get here, and all of them lie in the
// Basic Multilingual Plane: one UTF-16 code unit each.
void AppendUtf16le(std::string& out, char32_t c) {
  out.push_back(static_cast<char>(c & 0xFF));
  out.push_back(static_cast<char>((c >> 8) & 0xFF));
}

}  // namespace

std::optional<unsigned char> Cp1256Byte(char32_t c) {
  static const std::map<char32_t, unsigned char> table = BuildCp1256Table();
  const auto found = table.find(c);
  if (found == table.end()) return std::nullopt;
  return found->second;
}

std::optional<std::size_t> DecodeUtf8(std::string_view utf8, std::u32string& out) {
  out.clear();
  const auto* bytes = reinterpret_cast<const uint8_t*>(utf8.data());
  const auto length = static_cast<int32_t>(utf8.size());
  for (int32_t i = 0; i < length;) {
    const int32_t start = i;
    UChar32 c = 0;
    U8_NEXT(bytes, i, length, c);
    if (c < 0) return static_cast<std::size_t>(start);
    out.push_back(static_cast<char32_t>(c));
  }
  return std::nullopt;
}

std::string EncodeUtf8(std::u32string_view text) {
  std::string out;
  for (char32_t c : text) {
    std::array<uint8_t, U8_MAX_LENGTH> buffer{};
    int32_t length = 0;
    UBool error = false;
    U8_APPEND(buffer.data(), length, U8_MAX_LENGTH, static_cast<UChar32>(c), error);
    if (error) throw std::invalid_argument("not a Unicode scalar value");
    out.append(reinterpret_cast<const char*>(buffer.data()), static_cast<std::size_t>(length));
  }
  return out;
}

std::string DescribeCodePoint(char32_t c) {
  char hex[16];
  std::snprintf(hex, sizeof hex, "U+%04X", static_cast<unsigned>(c));
  std::string text = hex;
  if (c >= 0x20 && c != 0x7F) text += " '" + EncodeUtf8(std::u32string_view(&c, 1)) + "'";
  return text;
}

bool EncodeDataFile(std::string_view utf8, EncodedDataFile& out, DataFileError& error) {
  out = {};
  std::size_t lineNumber = 0;
  std::size_t start = 0;
  while (start < utf8.size()) {
    ++lineNumber;
    const std::size_t end = utf8.find('\n', start);
    const std::string_view line =
        utf8.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
    start = end == std::string_view::npos ? utf8.size() : end + 1;

    std::u32string text;
    if (const auto bad = DecodeUtf8(line, text)) {
      error = {lineNumber, "malformed UTF-8 at byte " + std::to_string(*bad + 1) + " of the line"};
      return false;
    }
    for (char32_t c : text) {
      if (c == 0xFEFF) {
        // The 2003 reader would take a byte-order mark for part of the text.
        error = {lineNumber, "byte-order mark U+FEFF in the text"};
        return false;
      }
      if (c == '\r') {
        error = {lineNumber, "carriage return in the source; data sources use LF line ends"};
        return false;
      }
      const auto byte = Cp1256Byte(c);
      if (!byte) {
        error = {lineNumber, DescribeCodePoint(c) + " has no form in code page 1256"};
        return false;
      }
      out.cp1256.push_back(static_cast<char>(*byte));
      AppendUtf16le(out.utf16le, c);
    }
    out.cp1256 += "\r\n";
    AppendUtf16le(out.utf16le, U'\r');
    AppendUtf16le(out.utf16le, U'\n');
  }
  return true;
}

}  // namespace datatext
