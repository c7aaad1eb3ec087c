#pragma once
// Text handling for the data files the add-in ships: their sources are UTF-8
// with LF line ends; the XP add-in reads them in code page 1256 with CR LF, the
// 2003 add-in as UTF-16 little-endian with CR LF and no byte-order mark.
//
// Unlike the platform's conversions, which put '?' for a character the code
// page lacks (as Windows does), these refuse such a character and say where it
// stands, so a shipped file never loses a letter unnoticed.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace datatext {

/// The byte that stands for `c` in code page 1256, or nothing when the code
/// page has no such character. Exact: no best-fit replacements (É is refused,
/// not written as E).
std::optional<unsigned char> Cp1256Byte(char32_t c);

/// Decodes UTF-8 into code points. Returns the byte offset of the first
/// malformed sequence, or nothing when the whole text is well formed.
std::optional<std::size_t> DecodeUtf8(std::string_view utf8, std::u32string& out);

std::string EncodeUtf8(std::u32string_view text);

/// The two forms of one data file, each with every line ended by CR LF.
struct EncodedDataFile {
  std::string cp1256;
  std::string utf16le;
};

/// Why a source could not be converted: the 1-based line and what is wrong.
struct DataFileError {
  std::size_t line = 0;
  std::string message;
};

/// Converts a UTF-8 source with LF line ends into both forms. A missing line
/// break after the last line is supplied. Refuses a byte-order mark, a
/// carriage return (the sources use LF only), malformed UTF-8 and characters
/// that code page 1256 lacks; `error` then tells the first such line.
bool EncodeDataFile(std::string_view utf8, EncodedDataFile& out, DataFileError& error);

/// "U+00C9 'É'": how a character is named in messages.
std::string DescribeCodePoint(char32_t c);

}  // namespace datatext
