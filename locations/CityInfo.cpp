#include "locations/CityInfo.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cctype>
#include <cstring>

#include "office/CityMethodCodes.h"
#include "services/ResourceLibrary.h"
#include "services/TraceLog.h"
#include "platform/text/Format.h"
#include "platform/text/TextConvert.h"
#include "platform/ui/Resources.h"

namespace {

bool IsSeparator(tchar c) { return c == ',' || c == '\r' || c == '\n'; }

std::u16string ToUtf16(const tchar* text) {
#if defined(ORVANE_FLAVOUR_XP)
  return text::AnsiToUtf16(text);
#else
  return text;
#endif
}

tstring FromUtf16(const std::u16string& text) {
#if defined(ORVANE_FLAVOUR_XP)
  return text::Utf16ToAnsi(text);
#else
  return text;
#endif
}

// The ASCII part of a field, for reading numbers (other characters end it).
std::string Narrow(const tchar* text) {
  std::string out;
  for (; *text != 0; ++text) {
    const auto c = static_cast<unsigned>(static_cast<std::make_unsigned_t<tchar>>(*text));
    if (c > 0x7F) break;
    out.push_back(static_cast<char>(c));
  }
  return out;
}

// The longest decimal number at the start of the text after blanks, as the C
// library reads it but in every locale with a decimal point; 0 when none.
double ReadDecimal(const std::string& text) {
  std::size_t i = text.find_first_not_of(" \t\r\n\f\v");
  if (i == std::string::npos) return 0.0;
  bool negative = false;
  if (text[i] == '+' || text[i] == '-') negative = text[i++] == '-';
  double value = 0.0;
  const auto [end, error] =
      std::from_chars(text.data() + i, text.data() + text.size(), value, std::chars_format::fixed | std::chars_format::scientific);
  if (error != std::errc() || end == text.data() + i) return 0.0;
  return negative ? -value : value;
}

int ReadInteger(const std::string& text) {
  std::size_t i = text.find_first_not_of(" \t\r\n\f\v");
  if (i == std::string::npos) return 0;
  bool negative = false;
  if (text[i] == '+' || text[i] == '-') negative = text[i++] == '-';
  long long value = 0;
  const auto [end, error] = std::from_chars(text.data() + i, text.data() + text.size(), value);
  if (end == text.data() + i) return 0;
  if (error == std::errc::result_out_of_range) value = LLONG_MAX;
  value = negative ? -value : value;
  return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

void CopyOut(const std::string& ascii, tchar* buffer, int size) {
  if (buffer == nullptr || size <= 0) return;
  const int n = std::min<int>(static_cast<int>(ascii.size()), size - 1);
  for (int i = 0; i < n; ++i) buffer[i] = static_cast<tchar>(ascii[i]);
  buffer[n] = 0;
}

std::string Utf8Of(const CityText& text) { return text ? text::Utf16ToUtf8(*text) : std::string(); }

std::u16string LoadFormat(UINT id) {
  const char* utf8 = ui::FindString(ResourceInstance(), id);
  return utf8 != nullptr ? text::Utf8ToUtf16(utf8) : std::u16string();
}

}  // namespace

int MethodCodeOf(int method) { return city_line::MethodCodeOf(method); }

int MethodOfCode(int code) { return city_line::MethodOfCode(code); }

void SplitTimeZone(double timeZone, int* hours, int* minutes) {
  const int sign = timeZone < 0 ? -1 : 1;
  const double a = std::fabs(timeZone);
  const double whole = std::trunc(a);
  *hours = static_cast<int>(whole) * sign;
  *minutes = static_cast<int>(std::trunc((a - whole) * 60.0));
}

CCityInfo::CCityInfo()
    : m_formatWithState(LoadFormat(127)), m_formatWithoutState(LoadFormat(126)) {}

void CCityInfo::Copy(const CCityInfo& other) {
  if (this == &other) return;
  m_longitude = other.m_longitude;
  m_latitude = other.m_latitude;
  m_timeZone = other.m_timeZone;
  m_name = other.m_name;
  m_state = other.m_state;
  m_country = other.m_country;
  m_daylight = other.m_daylight;
  m_formatWithState = other.m_formatWithState;
  m_formatWithoutState = other.m_formatWithoutState;
  m_method = other.m_method;
  m_lineNumber = other.m_lineNumber;
  m_capital = other.m_capital;
}

int CCityInfo::GetNextToken(const tchar*& cursor, tchar* token, int size) {
  while (*cursor == ' ' || *cursor == '\r' || *cursor == '\n') ++cursor;
  const tchar* start = cursor;
  while (*cursor != 0 && !IsSeparator(*cursor)) ++cursor;
  const int length = static_cast<int>(cursor - start);
  const int kept = size > 0 ? std::min(length, size - 1) : 0;
  if (size > 0) {
    std::copy(start, start + kept, token);
    token[kept] = 0;
  }
  if (*cursor == 0) return 1;  // ended without a separator: the last field
  ++cursor;                    // past the separator
  return *cursor == 0 ? 1 : 0;
}

int CCityInfo::GetInfoFromLine(const tchar* line) {
  TraceEnter("CCityInfo::GetInfoFromLine");
  tchar name[kNameFieldSize];
  tchar number[kNumberFieldSize];
  const tchar* cursor = line;

  // Fields 1 to 6 must each be followed by another.
  if (GetNextToken(cursor, name, kNameFieldSize)) return 0;
  m_name = ToUtf16(name);
  if (GetNextToken(cursor, name, kNameFieldSize)) return 0;
  m_state = ToUtf16(name);
  if (GetNextToken(cursor, name, kNameFieldSize)) return 0;
  m_country = ToUtf16(name);
  if (m_country->empty()) {
    // Two names: the second is the country.
    m_country = m_state;
    m_state = std::u16string();
  }
  if (GetNextToken(cursor, number, kNumberFieldSize)) return 0;
  ParseLatitude(number);
  if (GetNextToken(cursor, number, kNumberFieldSize)) return 0;
  ParseLongitude(number);
  if (GetNextToken(cursor, number, kNumberFieldSize)) return 0;
  m_timeZone = ReadDecimal(Narrow(number));

  // Fields 7 to 10 are optional; a missing one reads as empty.
  GetNextToken(cursor, number, kNumberFieldSize);
  m_daylight = (number[0] == 'Y' || number[0] == 'y') ? 1 : 0;
  GetNextToken(cursor, number, kNumberFieldSize);
  m_method = MethodOfCode(ReadInteger(Narrow(number)));
  GetNextToken(cursor, number, kNumberFieldSize);
  m_capital = (number[0] == 'Y' || number[0] == 'y') ? 1 : 0;
  GetNextToken(cursor, number, kNumberFieldSize);
  m_lineNumber = ReadInteger(Narrow(number));
  TraceExit("CCityInfo::GetInfoFromLine");
  return 1;
}

int CCityInfo::ParseLocation(const tchar* text, double* angle) {
  TraceEnter("CCityInfo::ParseLocation");
  // "%d %d %s", read as scanf would but clamped instead of overflowing:
  // whatever is missing stays 0 (or, for the word, no letter).
  const std::string ascii = Narrow(text);
  std::size_t at = 0;
  const auto skipBlanks = [&] {
    while (at < ascii.size() && std::isspace(static_cast<unsigned char>(ascii[at]))) ++at;
  };
  const auto readInt = [&](int* out) {
    skipBlanks();
    std::size_t end = at;
    if (end < ascii.size() && (ascii[end] == '+' || ascii[end] == '-')) ++end;
    const std::size_t digits = end;
    while (end < ascii.size() && std::isdigit(static_cast<unsigned char>(ascii[end]))) ++end;
    if (end == digits) return false;
    *out = ReadInteger(ascii.substr(at, end - at));
    at = end;
    return true;
  };
  int degrees = 0, minutes = 0;
  char letter = 0;
  if (readInt(&degrees) && readInt(&minutes)) {
    skipBlanks();
    if (at < ascii.size()) letter = ascii[at];
  }
  double value = degrees + minutes * 0.016666666666666666;
  if (letter == 'S' || letter == 's' || letter == 'E' || letter == 'e') value = -value;
  *angle = value;
  TraceExit("CCityInfo::ParseLocation");
  return 1;
}

void CCityInfo::ConvertDeg_DegMin(double x, int* degrees, int* minutes) {
  // A line from a file may hold any number of degrees; one that no int can
  // hold (or no number at all) is written as the largest, never converted
  // past the int's range.
  constexpr double kLargest = 2147483646.0;
  if (!(x < kLargest)) x = std::isnan(x) ? 0.0 : kLargest;
  if (!(x > -kLargest)) x = -kLargest;
  *degrees = static_cast<int>(std::trunc(x));
  *minutes = static_cast<int>(std::floor((x - *degrees) * 60.0 + 0.5));
  if (*minutes >= 60) {
    *minutes -= 60;
    *degrees += 1;
  }
}

void CCityInfo::FormatCoordinates(tchar* longitudeText, tchar* latitudeText, int size) const {
  int degrees = 0, minutes = 0;
  ConvertDeg_DegMin(std::fabs(m_longitude), &degrees, &minutes);
  CopyOut(text::FormatResource("%d %d %c", degrees, minutes, m_longitude < 0 ? 'E' : 'W'),
          longitudeText, size);
  ConvertDeg_DegMin(std::fabs(m_latitude), &degrees, &minutes);
  CopyOut(text::FormatResource("%d %d %c", degrees, minutes, m_latitude < 0 ? 'S' : 'N'),
          latitudeText, size);
}

void CCityInfo::FormatDaylight(tchar* buffer, int size) const {
  CopyOut(m_daylight ? "Y" : "N", buffer, size);
}

void CCityInfo::FormatCapital(tchar* buffer, int size) const {
  CopyOut(m_capital ? "Y" : "N", buffer, size);
}

int CCityInfo::GetLineFromInfo(tchar* buffer, int size) const {
  TraceEnter("CCityInfo::GetLineFromInfo");
  tchar longitude[kNumberFieldSize * 2], latitude[kNumberFieldSize * 2];
  tchar daylight[4], capital[4];
  FormatCoordinates(longitude, latitude, kNumberFieldSize * 2);
  FormatDaylight(daylight, 4);
  FormatCapital(capital, 4);
  const char* format = ui::FindString(ResourceInstance(), 128);
  const std::string line = text::FormatResource(
      format != nullptr ? format : "%s,%s,%s,%s,%s,%f,%s,%d,%s,%d\n", Utf8Of(m_name),
      Utf8Of(m_state), Utf8Of(m_country), Narrow(latitude), Narrow(longitude), m_timeZone,
      Narrow(daylight), MethodCodeOf(m_method), Narrow(capital), m_lineNumber);
  const tstring converted = Utf8ToT(line);
  const int n = std::min<int>(static_cast<int>(converted.size()), size - 1);
  if (buffer != nullptr && size > 0) {
    std::copy(converted.begin(), converted.begin() + n, buffer);
    buffer[n] = 0;
  }
  TraceExit("CCityInfo::GetLineFromInfo");
  return 1;
}

std::u16string CCityInfo::TimeZoneText() const {
  if (m_timeZone == 0.0) return {};
  int hours = 0, minutes = 0;
  SplitTimeZone(m_timeZone, &hours, &minutes);
  return text::Utf8ToUtf16(text::FormatResource(" %+03d:%02d", hours, minutes));
}

int CCityInfo::GetFormattedString(std::u16string* display) const {
  TraceEnter("CCityInfo::GetFormattedString");
  const std::string zone = text::Utf16ToUtf8(TimeZoneText());
  std::string out;
  if (m_state && !m_state->empty()) {
    out = text::FormatResource(text::Utf16ToUtf8(m_formatWithState), zone, Utf8Of(m_name),
                               Utf8Of(m_state), Utf8Of(m_country));
  } else {
    out = text::FormatResource(text::Utf16ToUtf8(m_formatWithoutState), zone, Utf8Of(m_name),
                               Utf8Of(m_country));
  }
  *display = text::Utf8ToUtf16(out);
  TraceExit("CCityInfo::GetFormattedString");
  return 1;
}

bool CCityInfo::operator==(const CCityInfo& other) const {
  return m_longitude == other.m_longitude && m_latitude == other.m_latitude &&
         m_timeZone == other.m_timeZone && m_name == other.m_name && m_state == other.m_state &&
         m_country == other.m_country;
}

bool CCityInfo::operator<(const CCityInfo& other) const {
  if (m_timeZone != other.m_timeZone) return m_timeZone < other.m_timeZone;
  // Names compare by character code in the module's character set.
  const auto key = [](const CityText& text) { return text ? FromUtf16(*text) : tstring(); };
  const auto unsignedLess = [](const tstring& a, const tstring& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](tchar x, tchar y) {
      return static_cast<std::make_unsigned_t<tchar>>(x) < static_cast<std::make_unsigned_t<tchar>>(y);
    });
  };
  const tstring name = key(m_name), otherName = key(other.m_name);
  if (name != otherName) return unsignedLess(name, otherName);
  if (m_capital != other.m_capital) return m_capital == 1;
  const tstring state = key(m_state), otherState = key(other.m_state);
  if (state != otherState) return unsignedLess(state, otherState);
  return unsignedLess(key(m_country), key(other.m_country));
}
