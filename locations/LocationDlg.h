#pragma once
// CLocationDlg: the modal dialog (template 204 of the resource library) in
// which the user picks the current city from the city list, sees on a world
// map where its time zone lies, sets whether daylight saving applies, edits
// the daylight-saving rule, and adds, edits or removes cities. Changes to
// the list are written to the three city files only on OK.
//
// The map (bitmap 206) is a world map 360 pixels wide, 15 to an hour of
// time zone, with Greenwich in its middle column; the dialog's marker stands
// above that column. Showing the map shifted by a zone's offset (the zone
// times -15 pixels, East moving it left) brings that zone under the marker.

#include <cstdint>
#include <optional>
#include <string>

#include "locations/CityInfo.h"
#include "locations/CityLists.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/Images.h"
#include "settings/DialogRun.h"

// The daylight-saving period: first and last day, both inclusive; months
// 0..11. A start later in the year than the end runs over the new year.
struct DaylightRule {
  int startDay = 1;
  int startMonth = 3;
  int endDay = 31;
  int endMonth = 9;
};

class CLocationDlg : public ui::DialogHandler {
 public:
  enum : UINT { IDD = 204, kMapBitmap = 206 };
  enum : int {
    kAddCity = 3,
    kRemoveCity = 4,
    kEditCity = 5,
    kCities = 216,       // the list of cities, sorted by zone and name
    kDaylight = 222,     // check box: daylight saving applies
    kDaylightRule = 223, // opens the daylight-saving dialog
    kMap = 1010,         // the world map
  };
  // Resource strings: the caption of the boxes and their texts; a failed
  // save names the file and why (the system's reason in the user's words
  // where there is one).
  enum : UINT {
    kCaption = 138,
    kOnlyCity = 341,
    kAlreadyListed = 346,
    kSameAsAnother = 347,
    kNotSaved = 1202,
    kDiskFull = 1203,
    kNotAllowed = 1204,
  };
  static constexpr int kPixelsPerHour = 15;
  // The last frames of a movement, each followed by a pause: it slows at
  // its end.
  static constexpr int kSlowFrames = 15;
  static constexpr DWORD kFramePause = 15;  // milliseconds

  /// city: the caller's current city; the entry holding it is selected, and
  /// on OK with a selection it is overwritten with a copy of the selected
  /// city. daylight, rule: shown, and handed back on OK. method: given to
  /// every city added or edited here.
  CLocationDlg(CCityInfo& city, bool& daylight, DaylightRule& rule, int method);
  ~CLocationDlg() override;

  /// Runs the dialog, owned by owner (may be null): IDOK, IDCANCEL, or -1
  /// when it could not be shown.
  std::intptr_t DoModal(HWND owner);

  /// After OK: the caller's city as the saved files now number it, when
  /// removing cities gave it another line number, whatever the user chose;
  /// the caller stores it even if it drops the choice, so that the stored
  /// line number keeps naming the user's own city.
  const std::optional<CCityInfo>& RenumberedCity() const { return m_renumbered; }

  /// The map offset, in pixels, that brings a zone (hours, East positive)
  /// under the marker.
  static short MapOffsetOf(double timeZone);

 private:
  BOOL OnInitDialog(HWND dialog, LPARAM initParam) override;
  void OnCommand(HWND dialog, int id, int code, HWND control) override;
  void OnDestroy(HWND dialog) override;

  void OnOK(HWND dialog);
  void OnCancel(HWND dialog);
  void OnAddCity(HWND dialog);
  void OnRemoveCity(HWND dialog);
  void OnUpdateCity(HWND dialog);
  void OnCityComboSelChange(HWND dialog);
  void OnAdvancedDayLight(HWND dialog);

  void InitLocationCombo(HWND dialog);
  void LoadCitiesInCombo(HWND dialog);
  int AddCityToCombo(HWND dialog, const CCityInfo& city);
  void CleanupCombo(HWND dialog);
  void UpdateDialogStateFromCombo(HWND dialog, bool animate);
  // Writes the three lists; false, with the message shown, when they could
  // not be written (then nothing on disk changed).
  bool SaveCitiesFile(HWND dialog);

  // The record of the selected entry, or null.
  const CCityInfo* Selected(HWND dialog) const;
  // Selects the entry whose record equals city; its index or -1.
  int SelectCity(HWND dialog, const CCityInfo& city);
  // Selects the one entry at the city's place (coordinates and zone) when
  // exactly one stands there; its index or -1.
  int SelectSamePlace(HWND dialog, const CCityInfo& city);
  void ShowMap(HWND dialog, short offset);
  // A city chosen whose zone is known: the daylight box says whether that
  // zone moves its clocks this year, and the rule takes the zone's period
  // (south of the equator, October to April; the dialog's default is the
  // northern summer). Others keep the box from their record and the rule.
  void TakeZoneDaylight(HWND dialog, const CCityInfo& city);
  void ShowMessage(HWND dialog, const tstring& text, UINT icon);
  void ShowMessage(HWND dialog, UINT textId, UINT icon);
  void EnableChoices(HWND dialog, bool enable);

  CCityInfo& m_city;
  bool& m_daylight;
  DaylightRule& m_rule;
  int m_method;

  int m_cityCount = 0;
  CityLists m_lists;
  bool m_changed = false;
  HBITMAP m_map = nullptr;
  short m_mapOffset = 0;
  // The caller's own city in the primary list: its line number when the
  // dialog opened, and now (0 once removed or never found).
  int m_userLineAtStart = 0;
  int m_userLine = 0;
  std::optional<CCityInfo> m_renumbered;
};

// `orvane dialog location`: the dialog on the profile's city, daylight flag,
// rule and method. After OK it prints the chosen city's fields and saves the
// choice into the settings, with the prayer appointments marked to follow it
// (kDialogOkSaved); Cancel changes nothing.
DialogResult ShowLocationDialog(const DialogRun& run);
