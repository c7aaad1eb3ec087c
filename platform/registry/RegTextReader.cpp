#include "platform/registry/RegTextReader.h"

#include <unicode/utf16.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <charconv>
#include <optional>
#include <utility>

#include "platform/registry/Registry.h"
#include "platform/text/TextConvert.h"

namespace registry {
namespace {

constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00";

struct LineError {
  int line;
  std::string what;
};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimLeft(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  return s;
}

std::string_view TrimRight(std::string_view s) {
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

int LineOf(std::u16string_view text, std::size_t offset) {
  return 1 + static_cast<int>(std::count(text.begin(), text.begin() + offset, u'\n'));
}

// Gives the text as UTF-8 without its byte-order mark. Text that is not
// well-formed is refused rather than read with replacement characters,
// which would store something else than the file says.
std::string Decode(std::string_view bytes) {
  const bool littleEndian = bytes.substr(0, 2) == "\xff\xfe";
  const bool bigEndian = bytes.substr(0, 2) == "\xfe\xff";
  if (littleEndian || bigEndian) {
    bytes.remove_prefix(2);
    if (bytes.size() % 2 != 0) throw LineError{1, "UTF-16 text with an odd number of bytes"};
    std::u16string utf16;
    utf16.reserve(bytes.size() / 2);
    for (std::size_t i = 0; i < bytes.size(); i += 2) {
      const auto first = static_cast<unsigned char>(bytes[i]);
      const auto second = static_cast<unsigned char>(bytes[i + 1]);
      utf16.push_back(
          static_cast<char16_t>(littleEndian ? first | second << 8 : first << 8 | second));
    }
    for (std::size_t i = 0; i < utf16.size();) {
      const std::size_t start = i;
      UChar32 c;
      U16_NEXT(utf16.data(), i, utf16.size(), c);
      if (U_IS_SURROGATE(c)) throw LineError{LineOf(utf16, start), "malformed UTF-16"};
    }
    return text::Utf16ToUtf8(utf16);
  }
  if (bytes.substr(0, 3) == "\xef\xbb\xbf") bytes.remove_prefix(3);
  int line = 1;
  for (std::size_t i = 0; i < bytes.size();) {
    UChar32 c;
    U8_NEXT(bytes.data(), i, bytes.size(), c);
    if (c < 0) throw LineError{line, "malformed UTF-8"};
    if (c == '\n') ++line;
  }
  return std::string(bytes);
}

std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  for (;;) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const int number = static_cast<int>(lines.size()) + 1;
    // A name or string cannot hold these: .reg text has no way to write them.
    if (line.find('\0') != std::string_view::npos) throw LineError{number, "NUL character"};
    if (line.find('\r') != std::string_view::npos) {
      throw LineError{number, "carriage return inside a line"};
    }
    lines.push_back(line);
    if (end == std::string_view::npos) return lines;
    text.remove_prefix(end + 1);
    // The newline ending the last line does not begin another.
    if (text.empty()) return lines;
  }
}

std::optional<DWORD> ParseHex(std::string_view digits, std::size_t maxDigits) {
  DWORD value = 0;
  if (digits.empty() || digits.size() > maxDigits) return std::nullopt;
  const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value, 16);
  if (ec != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
  return value;
}

class Reader {
 public:
  explicit Reader(std::vector<std::string_view> lines) : lines_(std::move(lines)) {}

  void Run(std::vector<RegEdit>* edits) {
    if (TrimRight(lines_[0]) != kHeader) {
      throw LineError{1, "expected \"" + std::string(kHeader) + "\""};
    }
    for (next_ = 1; next_ < lines_.size();) {
      const std::string_view line = TrimLeft(TakeLine());
      if (line.empty() || line.front() == ';') continue;
      if (line.front() == '[') {
        edits->push_back(KeyLine(line));
      } else if (line.front() == '"' || line.front() == '@') {
        edits->push_back(ValueLine(line));
      } else {
        Fail("expected [KEY], \"name\"=, @= or a ; comment");
      }
    }
  }

 private:
  std::string_view TakeLine() {
    number_ = static_cast<int>(next_) + 1;
    return lines_[next_++];
  }

  [[noreturn]] void Fail(std::string what) const { throw LineError{number_, std::move(what)}; }

  RegEdit KeyLine(std::string_view line) {
    const std::size_t close = line.rfind(']');
    if (close == std::string_view::npos) Fail("missing ']'");
    if (!TrimRight(line.substr(close + 1)).empty()) Fail("text after ']'");
    std::string_view path = line.substr(1, close - 1);
    RegEdit edit;
    edit.kind = RegEdit::Kind::kOpenKey;
    if (!path.empty() && path.front() == '-') {
      edit.kind = RegEdit::Kind::kDeleteKey;
      path.remove_prefix(1);
    }
    std::string_view rest;
    if (!SplitRootPath(path, &edit.root, &rest)) {
      Fail("unknown root key in \"" + std::string(path) + "\"");
    }
    std::vector<std::string_view> parts;
    if (!SplitKeyPath(rest, &parts)) {
      Fail("key path with an empty part, a name over 255 characters or over 512 levels");
    }
    edit.path = rest;
    inKey_ = edit.kind == RegEdit::Kind::kOpenKey;
    return edit;
  }

  // A quoted name or string from line[*pos] (the opening quote) on. A
  // backslash escapes only a backslash or a quote, as regedit writes them.
  std::string Quoted(std::string_view line, std::size_t* pos) const {
    std::string out;
    for (std::size_t i = *pos + 1; i < line.size(); ++i) {
      if (line[i] == '"') {
        *pos = i + 1;
        return out;
      }
      if (line[i] == '\\') {
        if (i + 1 == line.size() || (line[i + 1] != '\\' && line[i + 1] != '"')) {
          Fail("unknown escape: only \\\\ and \\\" may follow a backslash");
        }
        ++i;
      }
      out.push_back(line[i]);
    }
    Fail("missing closing quote");
  }

  RegEdit ValueLine(std::string_view line) {
    if (!inKey_) Fail("value outside a key");
    RegEdit edit;
    std::size_t pos = 0;
    if (line.front() == '"') {
      edit.name = Quoted(line, &pos);
    } else {
      pos = 1;  // @, the default value
    }
    std::string_view rest = TrimLeft(line.substr(pos));
    if (rest.empty() || rest.front() != '=') Fail("expected '=' after the value name");
    rest = TrimLeft(rest.substr(1));

    if (TrimRight(rest) == "-") {
      edit.kind = RegEdit::Kind::kDeleteValue;
      return edit;
    }
    edit.kind = RegEdit::Kind::kSetValue;
    if (!rest.empty() && rest.front() == '"') {
      std::size_t end = 0;
      std::u16string utf16 = text::Utf8ToUtf16(Quoted(rest, &end));
      if (!TrimRight(rest.substr(end)).empty()) Fail("text after the closing quote");
      utf16.push_back(u'\0');
      edit.type = REG_SZ;
      edit.data = Utf16ToStored(utf16);
    } else if (rest.substr(0, 6) == "dword:") {
      const std::optional<DWORD> value = ParseHex(TrimRight(rest.substr(6)), 8);
      if (!value) Fail("dword: needs 1 to 8 hexadecimal digits");
      edit.type = REG_DWORD;
      edit.data = {static_cast<BYTE>(*value), static_cast<BYTE>(*value >> 8),
                   static_cast<BYTE>(*value >> 16), static_cast<BYTE>(*value >> 24)};
    } else if (rest.substr(0, 4) == "hex:") {
      edit.type = REG_BINARY;
      edit.data = HexBytes(rest.substr(4));
    } else if (rest.substr(0, 4) == "hex(") {
      const std::size_t close = rest.find("):");
      const std::optional<DWORD> type =
          close == std::string_view::npos ? std::nullopt : ParseHex(rest.substr(4, close - 4), 8);
      if (!type) Fail("hex(N): needs N as 1 to 8 hexadecimal digits");
      edit.type = *type;
      edit.data = HexBytes(rest.substr(close + 2));
    } else {
      Fail("unknown data: expected \"text\", dword:, hex:, hex(N): or -");
    }
    return edit;
  }

  // Comma-separated bytes; a line ending in a backslash goes on on the next.
  std::vector<BYTE> HexBytes(std::string_view piece) {
    std::vector<BYTE> bytes;
    for (;;) {
      piece = TrimRight(piece);
      const bool goesOn = !piece.empty() && piece.back() == '\\';
      if (goesOn) piece.remove_suffix(1);
      for (std::size_t start = 0; start <= piece.size();) {
        std::size_t comma = piece.find(',', start);
        if (comma == std::string_view::npos) comma = piece.size();
        const std::string_view token = TrimRight(TrimLeft(piece.substr(start, comma - start)));
        // Only the end of a line may be empty: after a trailing comma, or
        // an empty list.
        if (token.empty()) {
          if (comma != piece.size()) Fail("empty byte in hex data");
        } else {
          const std::optional<DWORD> value = ParseHex(token, 2);
          if (!value) Fail("bad byte \"" + std::string(token) + "\" in hex data");
          bytes.push_back(static_cast<BYTE>(*value));
        }
        start = comma + 1;
      }
      if (!goesOn) return bytes;
      if (next_ == lines_.size()) Fail("hex data goes on past the end of the text");
      piece = TrimLeft(TakeLine());
    }
  }

  std::vector<std::string_view> lines_;
  std::size_t next_ = 0;
  int number_ = 1;
  bool inKey_ = false;  // a [KEY] line came last, not a [-KEY] line
};

}  // namespace

bool ReadRegText(std::string_view text, std::vector<RegEdit>* edits, std::string* error) {
  edits->clear();
  try {
    const std::string decoded = Decode(text);
    Reader(SplitLines(decoded)).Run(edits);
    return true;
  } catch (const LineError& e) {
    edits->clear();
    *error = "line " + std::to_string(e.line) + ": " + e.what;
    return false;
  }
}

}  // namespace registry
