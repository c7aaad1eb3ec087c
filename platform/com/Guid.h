#pragma once
// GUIDs (class, interface and library identifiers) and their registry form,
// "{C19E1BC5-5894-11D3-907B-005004D12C2C}".

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/com/HResult.h"
#include "platform/com/WinTypes.h"

struct GUID {
  std::uint32_t Data1 = 0;
  std::uint16_t Data2 = 0;
  std::uint16_t Data3 = 0;
  std::array<std::uint8_t, 8> Data4{};

  friend constexpr bool operator==(const GUID&, const GUID&) = default;
};
using IID = GUID;
using CLSID = GUID;
using REFIID = const IID&;
using REFCLSID = const CLSID&;

inline constexpr GUID GUID_NULL{};
inline constexpr IID IID_NULL{};

namespace guid_detail {
constexpr int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}
}  // namespace guid_detail

// Parses the registry form, braces required, hex digits of either case.
constexpr bool ParseGuid(std::string_view text, GUID* out) {
  if (text.size() != 38 || text.front() != '{' || text.back() != '}') return false;
  constexpr int kDashes[] = {9, 14, 19, 24};
  for (int dash : kDashes) {
    if (text[dash] != '-') return false;
  }
  std::uint8_t bytes[16] = {};
  int byte = 0;
  for (std::size_t i = 1; i + 1 < text.size(); ++i) {
    if (text[i] == '-') continue;
    const int hi = guid_detail::HexDigit(text[i]);
    const int lo = guid_detail::HexDigit(text[i + 1]);
    if (hi < 0 || lo < 0 || text[i + 1] == '-') return false;
    bytes[byte++] = static_cast<std::uint8_t>(hi * 16 + lo);
    ++i;
  }
  if (byte != 16) return false;
  GUID g;
  g.Data1 = (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) |
            (std::uint32_t{bytes[2]} << 8) | bytes[3];
  g.Data2 = static_cast<std::uint16_t>((bytes[4] << 8) | bytes[5]);
  g.Data3 = static_cast<std::uint16_t>((bytes[6] << 8) | bytes[7]);
  for (int i = 0; i < 8; ++i) g.Data4[i] = bytes[8 + i];
  *out = g;
  return true;
}

// For identifiers written in the source: a malformed one fails to compile.
consteval GUID MakeGuid(const char* text) {
  GUID g;
  if (!ParseGuid(std::string_view(text), &g)) throw std::invalid_argument("malformed GUID");
  return g;
}

// The registry form in upper case.
std::string GuidToString(const GUID& guid);

// The OLE spellings of the same two conversions, on UTF-16 text.
HRESULT CLSIDFromString(const char16_t* text, CLSID* clsid);
int StringFromGUID2(const GUID& guid, char16_t* buffer, int capacity);
