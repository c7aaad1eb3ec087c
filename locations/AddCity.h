#pragma once
// CAddCity: the modal dialog (template 205 of the resource library) in which
// the user enters a new city or corrects one: name, state, country, latitude
// and longitude in degrees, minutes and hemisphere, the time zone in hours
// and minutes, and daylight saving. The location dialog opens it in add
// mode, pre-filled from the selected city, or in edit mode on that city, and
// takes the record after OK. Every field is checked before it closes.

#include <cstdint>

#include "locations/CityInfo.h"
#include "options/LinkControl.h"
#include "platform/ui/Dialog.h"
#include "settings/DialogRun.h"

class CAddCity : public ui::DialogHandler {
 public:
  enum : UINT { IDD = 205 };
  enum : short { kEdit = 1, kAdd = 2 };
  enum : int {
    kName = 240,
    kState = 227,
    kCountry = 350,
    kLatitudeDegrees = 233,
    kLatitudeDegreesSpin = 235,
    kLatitudeMinutes = 234,
    kLatitudeMinutesSpin = 236,
    kLatitudeHemisphere = 219,  // 0 North, 1 South
    kLongitudeDegrees = 228,
    kLongitudeDegreesSpin = 231,
    kLongitudeMinutes = 229,
    kLongitudeMinutesSpin = 232,
    kLongitudeHemisphere = 239,  // 0 East, 1 West
    kZoneHours = 237,
    kZoneHoursSpin = 238,
    kZoneMinutes = 242,
    kZoneMinutesSpin = 243,
    kDaylight = 223,
    kCityGuide = 1009,
  };
  // Resource strings.
  enum : UINT {
    kEastName = 129,
    kWestName = 130,
    kNorthName = 131,
    kSouthName = 132,
    kCaption = 138,
    kOutOfRange = 139,
    kRequired = 140,
    kCountryPlaceholder = 206,
    kZoneFarFromLongitude = 330,
    kAddCaption = 339,
    kEditCaption = 340,
    kNotInALine = 348,
  };
  // Time zones from Baker Island's to the Line Islands'.
  static constexpr int kLowestZone = -12;
  static constexpr int kHighestZone = 14;
  // How far a city's zone may lie from the sun's time at its longitude:
  // Madrid is an hour ahead of it, western China more than two.
  static constexpr double kZoneTolerance = 3.0;

  /// record: the city to start from (copied), or null for a default one.
  CAddCity(const CCityInfo* record, short mode);

  /// Runs the dialog, owned by owner (may be null): IDOK (the record holds
  /// the city), IDCANCEL, or -1 when it could not be shown.
  std::intptr_t DoModal(HWND owner);

  const CCityInfo& Record() const { return m_record; }
  short Mode() const { return m_mode; }

  // Whether a time zone, hours positive east, fits a longitude, degrees
  // positive west: within kZoneTolerance of the sun's time there, taken
  // round the clock so that Apia (171° 45′ W, UTC+13) fits.
  static bool ZoneFitsLongitude(double timeZone, double longitude);

 private:
  BOOL OnInitDialog(HWND dialog, LPARAM initParam) override;
  void OnCommand(HWND dialog, int id, int code, HWND control) override;
  bool OnOK(HWND dialog);
  // Reads an edit (its first 9 characters); checks that it is not empty
  // unless it may be, and, with an up-down, that it is a whole number
  // within the up-down's range. On failure shows the message and puts the
  // focus on the edit with its text selected.
  bool ValidateValue(HWND dialog, int edit, int upDown, bool mayBeEmpty, int* value);
  // Reads a name field into text: not empty unless it may be, at most 127
  // characters, no comma and no line break (the city line could not hold
  // them).
  bool ValidateName(HWND dialog, int edit, bool mayBeEmpty, CityText* text);
  void Fail(HWND dialog, int edit, UINT message);

  CCityInfo m_record;
  short m_mode;
  CLinkControl m_link;
};

// `orvane dialog add-city [--edit]`: the current city, in add mode as the
// city to start from, in edit mode as the city to correct; after OK the
// record's fields and the record as a city line.
DialogResult ShowAddCityDialog(const DialogRun& run);
