#include "locations/AddCity.h"

#include <cmath>
#include <cstdio>
#include <string>

#include "services/ResourceLibrary.h"
#include "services/TraceLog.h"
#include "platform/ui/Resources.h"
#include "platform/ui/WindowsX.h"

namespace {

// The maker's city guide: where to look up a city's coordinates and zone.
constexpr const tchar* kGuideArabic = TEXT("https://orvane.veltrix.example/ar/cities/");
constexpr const tchar* kGuideEnglish = TEXT("https://orvane.veltrix.example/en/cities/");

// The record's text fields hold 127 characters.
constexpr int kNameLimit = CCityInfo::kNameFieldSize - 1;

tstring LoadText(UINT id) {
  tchar text[1024] = {};
  LoadString(ResourceInstance(), id, text, 1024);
  return text;
}

tstring ReadText(HWND dialog, int id, int size) {
  std::basic_string<tchar> text(static_cast<std::size_t>(size) + 1, 0);
  const int n = GetDlgItemText(dialog, id, text.data(), size + 1);
  text.resize(static_cast<std::size_t>(n));
  return text;
}

// A whole number: an optional sign and digits, nothing else.
bool ParseWhole(const std::string& text, int* value) {
  std::size_t at = text[0] == '-' || text[0] == '+' ? 1 : 0;
  if (at == text.size() || text.size() > 9) return false;
  for (std::size_t i = at; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
  }
  *value = std::stoi(text);
  return true;
}

std::u16string ToUtf16(const tstring& text) {
#if defined(ORVANE_FLAVOUR_XP)
  return text::Utf8ToUtf16(text::AnsiToUtf8(text));
#else
  return text;
#endif
}

tstring FromUtf16(const std::u16string& text) { return Utf8ToT(text::Utf16ToUtf8(text)); }

}  // namespace

CAddCity::CAddCity(const CCityInfo* record, short mode) : m_mode(mode) {
  if (record != nullptr) m_record.Copy(*record);
}

std::intptr_t CAddCity::DoModal(HWND owner) {
  return DialogBoxParam(ResourceInstance(), IDD, owner, this, 0);
}

bool CAddCity::ZoneFitsLongitude(double timeZone, double longitude) {
  // The sun's time at a longitude, in hours east of Greenwich.
  const double solar = -longitude / 15.0;
  double difference = std::fmod(timeZone - solar, 24.0);
  if (difference > 12.0) difference -= 24.0;
  if (difference < -12.0) difference += 24.0;
  return std::fabs(difference) <= kZoneTolerance + 1e-9;
}

BOOL CAddCity::OnInitDialog(HWND dialog, LPARAM) {
  TraceEnter("CAddCity::OnInitDialog");
  SetWindowText(dialog, LoadText(m_mode == kAdd ? kAddCaption : kEditCaption).c_str());

  const struct {
    int spin;
    int lower;
    int upper;
  } ranges[] = {{kLatitudeDegreesSpin, 0, 90},    {kLatitudeMinutesSpin, 0, 59},
                {kLongitudeDegreesSpin, 0, 180},  {kLongitudeMinutesSpin, 0, 59},
                {kZoneHoursSpin, kLowestZone, kHighestZone}, {kZoneMinutesSpin, 0, 59}};
  for (const auto& range : ranges) UpDown_SetRange(GetDlgItem(dialog, range.spin), range.lower, range.upper);
  // "-12" takes three characters.
  const struct {
    int edit;
    int limit;
  } limits[] = {{kLatitudeDegrees, 2}, {kLatitudeMinutes, 2}, {kLongitudeDegrees, 3},
                {kLongitudeMinutes, 2}, {kZoneHours, 3},      {kZoneMinutes, 2},
                {kName, kNameLimit},    {kState, kNameLimit}, {kCountry, kNameLimit}};
  for (const auto& limit : limits) Edit_LimitText(GetDlgItem(dialog, limit.edit), limit.limit);
  HWND latitude = GetDlgItem(dialog, kLatitudeHemisphere);
  HWND longitude = GetDlgItem(dialog, kLongitudeHemisphere);
  ComboBox_AddString(latitude, LoadText(kNorthName).c_str());
  ComboBox_AddString(latitude, LoadText(kSouthName).c_str());
  ComboBox_AddString(longitude, LoadText(kEastName).c_str());
  ComboBox_AddString(longitude, LoadText(kWestName).c_str());
  ComboBox_SetCurSel(latitude, 0);
  ComboBox_SetCurSel(longitude, 0);

  SetDlgItemText(dialog, kName, FromUtf16(m_record.m_name.value_or(u"")).c_str());
  SetDlgItemText(dialog, kCountry, m_mode == kAdd ? LoadText(kCountryPlaceholder).c_str()
                                                  : FromUtf16(m_record.m_country.value_or(u"")).c_str());
  SetDlgItemText(dialog, kState, FromUtf16(m_record.m_state.value_or(u"")).c_str());

  int hours = 0, minutes = 0;
  SplitTimeZone(m_record.m_timeZone, &hours, &minutes);
  SetDlgItemInt(dialog, kZoneHours, static_cast<UINT>(hours), TRUE);
  SetDlgItemInt(dialog, kZoneMinutes, static_cast<UINT>(minutes), TRUE);

  tchar longitudeText[CCityInfo::kNumberFieldSize * 2] = {};
  tchar latitudeText[CCityInfo::kNumberFieldSize * 2] = {};
  m_record.FormatCoordinates(longitudeText, latitudeText, CCityInfo::kNumberFieldSize * 2);
  const auto split = [&](const tchar* text, int degreesId, int minutesId, HWND list, char second) {
    const std::string words = TToUtf8(text);
    const std::size_t first = words.find(' ');
    const std::size_t last = words.rfind(' ');
    SetDlgItemText(dialog, degreesId, Utf8ToT(words.substr(0, first)).c_str());
    SetDlgItemText(dialog, minutesId, Utf8ToT(words.substr(first + 1, last - first - 1)).c_str());
    ComboBox_SetCurSel(list, words.substr(last + 1) == std::string(1, second) ? 1 : 0);
  };
  split(longitudeText, kLongitudeDegrees, kLongitudeMinutes, longitude, 'W');
  split(latitudeText, kLatitudeDegrees, kLatitudeMinutes, latitude, 'S');
  CheckDlgButton(dialog, kDaylight, m_record.m_daylight != 0 ? BST_CHECKED : BST_UNCHECKED);

  HWND guide = GetDlgItem(dialog, kCityGuide);
  m_link.SetAddress(UILanguageID == 1025 ? kGuideArabic : kGuideEnglish);
  m_link.Attach(guide);
  if (m_link.Subclass(guide)) m_link.CreateTooltip();
  TraceExit("CAddCity::OnInitDialog");
  return TRUE;
}

void CAddCity::OnCommand(HWND dialog, int id, int code, HWND) {
  if (code != BN_CLICKED) return;
  if (id == IDOK) {
    if (OnOK(dialog)) EndDialog(dialog, IDOK);
  } else if (id == IDCANCEL) {
    EndDialog(dialog, IDCANCEL);
  }
}

void CAddCity::Fail(HWND dialog, int edit, UINT message) {
  const UINT style = MB_OK | (UILanguageID == 1025 ? MB_RTLREADING | MB_RIGHT : 0);
  MessageBox(dialog, LoadText(message).c_str(), LoadText(kCaption).c_str(), style);
  HWND control = GetDlgItem(dialog, edit);
  SetFocus(control);
  Edit_SetSel(control, 0, -1);
}

bool CAddCity::ValidateValue(HWND dialog, int edit, int upDown, bool mayBeEmpty, int* value) {
  const std::string text = TToUtf8(ReadText(dialog, edit, 9));
  if (text.empty()) {
    if (mayBeEmpty) return true;
    Fail(dialog, edit, kRequired);
    return false;
  }
  if (upDown == 0) return true;
  // Whole numbers only: "abc" or "12x" is no number, not 0 or 12.
  int lower = 0, upper = 0;
  UpDown_GetRange(GetDlgItem(dialog, upDown), &lower, &upper);
  int number = 0;
  if (!ParseWhole(text, &number) || number < std::min(lower, upper) || number > std::max(lower, upper)) {
    Fail(dialog, edit, kOutOfRange);
    return false;
  }
  if (value != nullptr) *value = number;
  return true;
}

bool CAddCity::ValidateName(HWND dialog, int edit, bool mayBeEmpty, CityText* text) {
  // One character more than a name may have, to tell a long one.
  const tstring value = ReadText(dialog, edit, 259);
  if (value.empty() && !mayBeEmpty) {
    Fail(dialog, edit, kRequired);
    return false;
  }
  const std::u16string wide = ToUtf16(value);
  // The city line separates its fields with commas and ends at a line
  // break: a name holding either would break the city file from there on.
  if (wide.size() > static_cast<std::size_t>(kNameLimit) || wide.find_first_of(u",\r\n") != std::u16string::npos) {
    Fail(dialog, edit, kNotInALine);
    return false;
  }
  *text = wide;
  return true;
}

bool CAddCity::OnOK(HWND dialog) {
  TraceEnter("CAddCity::OnOK");
  const auto coordinate = [&](int degreesId, int degreesSpin, int minutesId, int minutesSpin,
                              int listId, const char* letters, double* angle) {
    int degrees = 0, minutes = 0;
    if (!ValidateValue(dialog, degreesId, degreesSpin, false, &degrees) ||
        !ValidateValue(dialog, minutesId, minutesSpin, false, &minutes)) {
      return false;
    }
    // 90° N and 180° E are the ends: no minutes beyond them.
    int lower = 0, upper = 0;
    UpDown_GetRange(GetDlgItem(dialog, degreesSpin), &lower, &upper);
    if (degrees == upper && minutes != 0) {
      Fail(dialog, minutesId, kOutOfRange);
      return false;
    }
    const char letter = letters[ComboBox_GetCurSel(GetDlgItem(dialog, listId)) == 1 ? 1 : 0];
    const std::string text = std::to_string(degrees) + " " + std::to_string(minutes) + " " + letter;
    CCityInfo::ParseLocation(Utf8ToT(text).c_str(), angle);
    return true;
  };
  if (!coordinate(kLongitudeDegrees, kLongitudeDegreesSpin, kLongitudeMinutes, kLongitudeMinutesSpin,
                  kLongitudeHemisphere, "EW", &m_record.m_longitude) ||
      !coordinate(kLatitudeDegrees, kLatitudeDegreesSpin, kLatitudeMinutes, kLatitudeMinutesSpin,
                  kLatitudeHemisphere, "NS", &m_record.m_latitude)) {
    return false;
  }
  int hours = 0, minutes = 0;
  if (!ValidateValue(dialog, kZoneHours, kZoneHoursSpin, false, &hours) ||
      !ValidateValue(dialog, kZoneMinutes, kZoneMinutesSpin, false, &minutes)) {
    return false;
  }
  m_record.m_timeZone = hours >= 0 ? hours + minutes * 0.016666666666666666
                                   : hours - minutes * 0.016666666666666666;
  if (!ZoneFitsLongitude(m_record.m_timeZone, m_record.m_longitude)) {
    Fail(dialog, kZoneMinutes, kZoneFarFromLongitude);
    return false;
  }
  if (!ValidateName(dialog, kName, false, &m_record.m_name) ||
      !ValidateName(dialog, kState, true, &m_record.m_state) ||
      !ValidateName(dialog, kCountry, false, &m_record.m_country)) {
    return false;
  }
  m_record.m_daylight = IsDlgButtonChecked(dialog, kDaylight) == BST_CHECKED ? 1 : 0;
  m_record.m_capital = 0;
  TraceExit("CAddCity::OnOK");
  return true;
}

DialogResult ShowAddCityDialog(const DialogRun& run) {
  const AddinSettings& settings = run.store.Settings();
  CCityInfo current;
  if (!settings.location.empty()) current.GetInfoFromLine(settings.location.c_str());
  CAddCity dialog(&current, run.HasOption("--edit") ? CAddCity::kEdit : CAddCity::kAdd);
  const std::intptr_t result = dialog.DoModal(GetActiveWindow());
  if (result == -1) return kDialogNotShown;
  if (result != IDOK) return kDialogCancelled;
  const CCityInfo& city = dialog.Record();
  const auto text = [](const CityText& value) { return text::Utf16ToUtf8(value.value_or(u"")); };
  tchar longitude[64] = {};
  tchar latitude[64] = {};
  city.FormatCoordinates(longitude, latitude, 64);
  char zone[32];
  std::snprintf(zone, sizeof zone, "%.6g", city.m_timeZone);
  const std::string lines[] = {
      "Name=" + text(city.m_name),
      "State=" + text(city.m_state),
      "Country=" + text(city.m_country),
      "Latitude=" + TToUtf8(latitude),
      "Longitude=" + TToUtf8(longitude),
      std::string("TimeZone=") + zone,
      std::string("Daylight=") + (city.m_daylight != 0 ? "Y" : "N"),
  };
  for (const std::string& line : lines) run.PrintLine(line);
  tchar cityLine[1040] = {};
  city.GetLineFromInfo(cityLine, 1040);
  std::string asLine = TToUtf8(cityLine);
  while (!asLine.empty() && (asLine.back() == '\n' || asLine.back() == '\r')) asLine.pop_back();
  run.PrintValue(151, asLine);
  return kDialogOk;
}
