#pragma once
// CCityInfo: one place, and the city line, its one-line text form:
//
//   Cairo,,Egypt,30 3 N,31 15 E,2,Y,3,Y,12
//   name, state, country, latitude, longitude, time zone, daylight Y/N,
//   method code, capital Y/N, line number
//
// The same form serves the city files, the current city in the settings and
// the location dialogs. Longitude is positive WEST, latitude positive north,
// the time zone (standard time) in hours positive EAST. Texts are held as
// UTF-16; the line is in the module's character set (the ANSI code page in
// the Outlook XP module, UTF-16 in the Outlook 2003 module).

#include <optional>
#include <string>

#include "services/Flavour.h"

// A text that may be missing, which is not the same as empty.
using CityText = std::optional<std::u16string>;

class CCityInfo {
 public:
  // Field widths of the line, terminator included.
  static constexpr int kNameFieldSize = 128;
  static constexpr int kNumberFieldSize = 16;

  CCityInfo();
  CCityInfo(const CCityInfo& other) { Copy(other); }
  CCityInfo& operator=(const CCityInfo& other) {
    Copy(other);
    return *this;
  }

  // Parses one city line into this record: 1 on success, 0 when the line
  // ends before the field after the time zone (fields read so far keep their
  // new values).
  int GetInfoFromLine(const tchar* line);
  // Writes this record as a city line, line break included, into buffer
  // (size characters, terminator included; cut to fit). Returns 1.
  int GetLineFromInfo(tchar* buffer, int size) const;

  // The tokenizer: copies the next field (cut to size characters with the
  // terminator) and moves the cursor past its separator. 1 when no further
  // field follows, else 0.
  static int GetNextToken(const tchar*& cursor, tchar* token, int size);

  int ParseLatitude(const tchar* text) { return ParseLocation(text, &m_latitude); }
  int ParseLongitude(const tchar* text) { return ParseLocation(text, &m_longitude); }
  // "%d %d %s": degrees + minutes/60, negated for S or E.
  static int ParseLocation(const tchar* text, double* angle);
  // Longitude text into the first buffer, latitude text into the second:
  // "%d %d %c" of whole degrees, rounded minutes and the hemisphere.
  void FormatCoordinates(tchar* longitudeText, tchar* latitudeText, int size) const;
  // x >= 0 into whole degrees and rounded minutes (60 minutes carry).
  static void ConvertDeg_DegMin(double x, int* degrees, int* minutes);
  void FormatDaylight(tchar* buffer, int size) const;
  void FormatCapital(tchar* buffer, int size) const;

  // The display text, e.g. "(GMT +02:00) Cairo, Egypt". Returns 1.
  int GetFormattedString(std::u16string* text) const;
  // " %+03d:%02d" of the split time zone, or empty for exactly 0.
  std::u16string TimeZoneText() const;

  void Copy(const CCityInfo& other);

  // Same coordinates, zone and names; flags, method and line do not count.
  bool operator==(const CCityInfo& other) const;
  // By time zone, name, capital first, state, country.
  bool operator<(const CCityInfo& other) const;

  // Fields, in the record's order.
  double m_longitude = 0.0;  // degrees, positive WEST
  double m_latitude = 0.0;   // degrees, positive north
  double m_timeZone = 0.0;   // hours of standard time, positive EAST
  CityText m_name;
  CityText m_state;
  CityText m_country;
  int m_daylight = 1;
  std::u16string m_formatWithState;     // resource string 127
  std::u16string m_formatWithoutState;  // resource string 126
  int m_method = 0;                     // CalculationMethod
  int m_lineNumber = 0;                 // 1-based line in the city files
  int m_capital = 0;
};

// A time zone in hours as signed whole hours and minutes (truncated):
// 5.75 is 5 and 45, -3.5 is -3 and 30.
void SplitTimeZone(double timeZone, int* hours, int* minutes);

// The method code written for a method, and the method read for a code.
int MethodCodeOf(int method);
int MethodOfCode(int code);
