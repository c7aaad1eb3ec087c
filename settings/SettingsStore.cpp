#include "settings/SettingsStore.h"

#include <cstring>
#include <string>
#include <variant>
#include <vector>

#include "services/ResourceLibrary.h"
#include "services/TraceLog.h"
#include "locations/DataFileHandler.h"
#include "platform/com/ComPtr.h"
#include "platform/ui/Resources.h"

namespace {

// How a stored value is repaired as soon as it is read. A value that a
// settings editor, an old version or a damaged file left out of range
// takes the setting's default: a value that schedules nothing (no prayers,
// no days, an appointment of 49 days, a reminder before the clock began)
// would stop the calendar without a word.
enum class ReadRule {
  kNone,
  kCheckDate,       // outside the valid range: now less a day
  kPrayerFlags,     // 256 or more: the default prayers
  kPreschedule,     // 256 or more: the default days
  kBusyStatus,      // above 3 reads as 0 (free)
  kMinutes,         // 0 reads as 1; above a day, the default
  kWithin,          // outside low..high: the default
  kText,            // longer than maxLength: cut there
  kForceTrue,       // whatever is stored, true
};

using Field = std::variant<DWORD AddinSettings::*, bool AddinSettings::*, COleDate AddinSettings::*,
                           tstring AddinSettings::*>;

struct Value {
  unsigned id;  // resource string naming the value
  Field field;
  ReadRule rule;
  DWORD low = 0;           // kWithin: the range taken as it is
  DWORD high = 0;
  std::size_t maxLength = 0;  // kText: characters kept
};

// The most minutes an appointment may last or a reminder come before it:
// a day.
constexpr DWORD kMaxMinutes = 1440;
// The longest texts the dialogs take: a city line, a path, a subject.
constexpr std::size_t kMaxCityLine = 1039;
constexpr std::size_t kMaxPath = 259;
constexpr std::size_t kMaxSubject = CSettingsStore::kMaxCustomSubject;
// A store identity as Outlook writes them is a few hundred hexadecimal
// digits; anything longer is no identity.
constexpr std::size_t kMaxStoreIdentity = 1024;

// Every persisted field: its value name's id, where it lives, its read rule.
const Value kValues[] = {
    {109, &AddinSettings::lastDate, ReadRule::kCheckDate},
    {324, &AddinSettings::lastNext, ReadRule::kCheckDate},
    {307, &AddinSettings::prayers, ReadRule::kPrayerFlags},
    {223, &AddinSettings::prescheduleDays, ReadRule::kPreschedule},
    {151, &AddinSettings::location, ReadRule::kText, 0, 0, kMaxCityLine},
    {149, &AddinSettings::daylight, ReadRule::kNone},
    {308, &AddinSettings::startupCleanup, ReadRule::kNone},
    {336, &AddinSettings::workingDaysOnly, ReadRule::kNone},
    {145, &AddinSettings::daylightStartDay, ReadRule::kWithin, 1, 31},
    {146, &AddinSettings::daylightStartMonth, ReadRule::kWithin, 0, 11},
    {147, &AddinSettings::daylightEndDay, ReadRule::kWithin, 1, 31},
    {148, &AddinSettings::daylightEndMonth, ReadRule::kWithin, 0, 11},
    {143, &AddinSettings::asrSchool, ReadRule::kWithin, eShafii, eHanafi},
    {144, &AddinSettings::method, ReadRule::kWithin, eEgypt, eCustom},
    {117, &AddinSettings::busyStatus, ReadRule::kBusyStatus},
    {121, &AddinSettings::duration, ReadRule::kMinutes},
    {118, &AddinSettings::reminder, ReadRule::kNone},
    {119, &AddinSettings::reminderMinutes, ReadRule::kMinutes},
    {120, &AddinSettings::playSound, ReadRule::kNone},
    {141, &AddinSettings::soundFile, ReadRule::kText, 0, 0, kMaxPath},
    {159, &AddinSettings::fajrPlaySound, ReadRule::kNone},
    {160, &AddinSettings::fajrSoundFile, ReadRule::kText, 0, 0, kMaxPath},
    {241, &AddinSettings::fridaySettings, ReadRule::kForceTrue},
    {133, &AddinSettings::fridayBusyStatus, ReadRule::kBusyStatus},
    {137, &AddinSettings::fridayMinutesAfter, ReadRule::kMinutes},
    {134, &AddinSettings::fridayReminder, ReadRule::kNone},
    {135, &AddinSettings::fridayReminderMinutes, ReadRule::kMinutes},
    {136, &AddinSettings::fridayPlaySound, ReadRule::kNone},
    {142, &AddinSettings::fridaySoundFile, ReadRule::kText, 0, 0, kMaxPath},
    {150, &AddinSettings::fridayMinutesBefore, ReadRule::kMinutes},
    {323, &AddinSettings::firstRun, ReadRule::kNone},
    {325, &AddinSettings::lastCleanup, ReadRule::kCheckDate},
    {1012, &AddinSettings::timetableCalendar, ReadRule::kWithin, 0, 1},
    {1013, &AddinSettings::timetableRange, ReadRule::kWithin, 0, 5},
    {1038, &AddinSettings::customFrom, ReadRule::kNone},
    {1040, &AddinSettings::customTo, ReadRule::kNone},
    {1042, &AddinSettings::customSubject, ReadRule::kText, 0, 0, kMaxSubject},
    {1043, &AddinSettings::customInterval, ReadRule::kWithin, 0, kMaxMinutes},
    {1055, &AddinSettings::highLatitudeRule, ReadRule::kWithin, eSeventhOfNight, eTwilightAngle},
    {1308, &AddinSettings::highLatitudeApplied, ReadRule::kNone},
    {1201, &AddinSettings::updatePending, ReadRule::kNone},
    {1504, &AddinSettings::rebuildPending, ReadRule::kNone},
    {1080, &AddinSettings::lastDateStore, ReadRule::kText, 0, 0, kMaxStoreIdentity},
};

// The order of the reads after the location has been refreshed, and the
// order of the writes.
constexpr unsigned kLateReads[] = {149, 308, 336, 145, 146, 147, 148, 143, 144, 117, 121, 118,
                                   119, 120, 141, 159, 160, 241, 133, 137, 134, 135, 136, 142,
                                   150, 323, 325, 1012, 1013, 1038, 1040, 1042, 1043, 1055, 1308, 1201, 1504, 1080};
constexpr unsigned kWrites[] = {109, 307, 223, 151, 149, 145, 146, 147, 148, 143, 144, 117, 121,
                                118, 119, 120, 141, 160, 241, 133, 137, 134, 135, 136, 159, 142,
                                150, 308, 336, 323, 324, 325, 1012, 1013, 1038, 1040, 1042, 1043, 1055, 1308, 1201, 1504, 1080};

const Value& ValueOf(unsigned id) {
  for (const Value& v : kValues) {
    if (v.id == id) return v;
  }
  return kValues[0];  // every id above is in the table; a test holds it so
}

// The value's name in the module's character set; empty when the resource
// library has no such string.
tstring ValueName(unsigned id) {
  const char* name = ui::FindString(ResourceInstance(), id);
  return name != nullptr ? Utf8ToT(name) : tstring();
}

bool ReadDword(HKEY key, const tstring& name, DWORD* out) {
  DWORD type = 0, value = 0, size = sizeof value;
  if (RegQueryValueEx(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
          ERROR_SUCCESS ||
      type != REG_DWORD || size != sizeof value) {
    return false;
  }
  *out = value;
  return true;
}

bool ReadDate(HKEY key, const tstring& name, COleDate* out) {
  DWORD type = 0, size = sizeof(double);
  unsigned char bytes[sizeof(double)] = {};
  if (RegQueryValueEx(key, name.c_str(), nullptr, &type, bytes, &size) != ERROR_SUCCESS ||
      type != REG_BINARY || size != sizeof bytes) {
    return false;
  }
  double value = 0;
  std::memcpy(&value, bytes, sizeof value);  // stored little-endian, as this machine is
  *out = value;
  return true;
}

bool ReadText(HKEY key, const tstring& name, tstring* out) {
  DWORD type = 0, size = 0;
  if (RegQueryValueEx(key, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
      type != REG_SZ) {
    return false;
  }
  std::vector<tchar> buffer(size / sizeof(tchar) + 1, 0);
  size = static_cast<DWORD>(buffer.size() * sizeof(tchar));
  if (RegQueryValueEx(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()),
                      &size) != ERROR_SUCCESS) {
    return false;
  }
  buffer.back() = 0;
  *out = buffer.data();
  return true;
}

// A number out of its range takes the setting's default, and says so in
// the trace log.
void TakeDefault(DWORD& number, DWORD AddinSettings::*member, const tstring& name) {
  const DWORD fallback = AddinSettings{}.*member;
  Trace("Out of range, the default taken: " + TToUtf8(name) + " = " + std::to_string(number) + " -> " +
        std::to_string(fallback));
  number = fallback;
}

void Repair(AddinSettings& settings, const Value& value, const tstring& name) {
  switch (value.rule) {
    case ReadRule::kNone:
      break;
    case ReadRule::kCheckDate:
      CSettingsStore::CheckDate(settings.*std::get<COleDate AddinSettings::*>(value.field));
      break;
    case ReadRule::kPrayerFlags:
    case ReadRule::kPreschedule: {
      const auto member = std::get<DWORD AddinSettings::*>(value.field);
      if (settings.*member >= 256) TakeDefault(settings.*member, member, name);
      break;
    }
    case ReadRule::kBusyStatus: {
      DWORD& number = settings.*std::get<DWORD AddinSettings::*>(value.field);
      if (number > 3) number = 0;
      break;
    }
    case ReadRule::kMinutes: {
      const auto member = std::get<DWORD AddinSettings::*>(value.field);
      if (settings.*member == 0) settings.*member = 1;
      if (settings.*member > kMaxMinutes) TakeDefault(settings.*member, member, name);
      break;
    }
    case ReadRule::kWithin: {
      const auto member = std::get<DWORD AddinSettings::*>(value.field);
      if (settings.*member < value.low || settings.*member > value.high) TakeDefault(settings.*member, member, name);
      break;
    }
    case ReadRule::kText: {
      tstring& text = settings.*std::get<tstring AddinSettings::*>(value.field);
      if (text.size() > value.maxLength) {
        Trace("Too long, cut: " + TToUtf8(name) + " of " + std::to_string(text.size()) + " characters");
        text.resize(value.maxLength);
      }
      break;
    }
    case ReadRule::kForceTrue:
      settings.*std::get<bool AddinSettings::*>(value.field) = true;
      break;
  }
}

void Read(HKEY key, AddinSettings& settings, unsigned id) {
  const Value& value = ValueOf(id);
  const tstring name = ValueName(id);
  if (!name.empty()) {
    std::visit(
        [&](auto member) {
          using T = std::remove_reference_t<decltype(settings.*member)>;
          if constexpr (std::is_same_v<T, DWORD>) {
            ReadDword(key, name, &(settings.*member));
          } else if constexpr (std::is_same_v<T, bool>) {
            DWORD stored = 0;
            if (ReadDword(key, name, &stored)) settings.*member = stored != 0;
          } else if constexpr (std::is_same_v<T, COleDate>) {
            ReadDate(key, name, &(settings.*member));
          } else {
            ReadText(key, name, &(settings.*member));
          }
        },
        value.field);
  }
  Repair(settings, value, name);
}

// One value as the registry takes it; nothing for a value whose name the
// resource library lacks.
void Collect(const AddinSettings& settings, unsigned id, std::vector<RegValueWrite<tchar>>* writes) {
  const tstring name = ValueName(id);
  if (name.empty()) return;
  RegValueWrite<tchar> write{name, REG_DWORD, {}};
  const auto bytes = [&](const void* data, std::size_t size) {
    const BYTE* first = static_cast<const BYTE*>(data);
    write.data.assign(first, first + size);
  };
  std::visit(
      [&](auto member) {
        using T = std::remove_cv_t<std::remove_reference_t<decltype(settings.*member)>>;
        if constexpr (std::is_same_v<T, DWORD> || std::is_same_v<T, bool>) {
          const DWORD number = static_cast<DWORD>(settings.*member);
          bytes(&number, sizeof number);
        } else if constexpr (std::is_same_v<T, COleDate>) {
          const double value = (settings.*member).Value();
          write.type = REG_BINARY;
          bytes(&value, sizeof value);
        } else {
          const tstring& text = settings.*member;
          write.type = REG_SZ;
          bytes(text.c_str(), (text.size() + 1) * sizeof(tchar));
        }
      },
      ValueOf(id).field);
  writes->push_back(std::move(write));
}

// Finds the primary city file; shows the missing-file message when it is not
// there.
bool FindCityFile(tstring* path) {
  *path = CityFilePath(240);
  if (CityFileExists(path->c_str())) return true;
  const char* name = ui::FindString(ResourceInstance(), 240);
  ShowCityFileMissingMessage(Utf8ToT(name != nullptr ? name : ""),
                             Utf8ToT(resource_library::AddinFolder()));
  return false;
}

// Whether one of the three city files holds a place of the city's names
// (name, state and country) at the city's line.
bool NamesPlaceAtLine(const CCityInfo& city) {
  for (unsigned id : {240u, 242u, 1011u}) {
    const tstring path = CityFilePath(id);
    CDataFileHandler file(path.c_str(), CDataFileHandler::kRead);
    tchar line[CDataFileHandler::kReadBufferSize];
    CCityInfo there;
    if (file.ReadCityAtLine(city.m_lineNumber, line, CDataFileHandler::kReadBufferSize) &&
        there.GetInfoFromLine(line) && there.m_name == city.m_name && there.m_state == city.m_state &&
        there.m_country == city.m_country) {
      return true;
    }
  }
  return false;
}

}  // namespace

CSettingsStore::~CSettingsStore() {
  if (m_key != nullptr) RegCloseKey(m_key);
}

void CSettingsStore::CheckDate(COleDate& date) {
  if (date.Value() < -657434.0 || date.Value() > 2958465.0 || !(date.Value() == date.Value())) {
    date = COleDate::Now() - COleDateSpan(1.0);
  }
}

void CSettingsStore::CheckPrayingAppointments() { Repair(m_settings, ValueOf(307), ValueName(307)); }

void CSettingsStore::CheckPreschedule() { Repair(m_settings, ValueOf(223), ValueName(223)); }

short CSettingsStore::GetPrescheduleID() const {
  constexpr DWORD kList[] = {0, 255, 1, 7, 14, 31, 93, 186};
  for (short i = 0; i < static_cast<short>(std::size(kList)); ++i) {
    if (kList[i] == m_settings.prescheduleDays) return i;
  }
  return -1;
}

bool CSettingsStore::TakeCity(const tchar* line) {
  CCityInfo city;
  if (!city.GetInfoFromLine(line)) return false;
  m_settings.longitude = city.m_longitude;
  m_settings.latitude = city.m_latitude;
  m_settings.timeZone = city.m_timeZone;
  m_settings.daylight = city.m_daylight == 1;
  m_settings.method = static_cast<DWORD>(city.m_method);
  return true;
}

HRESULT CSettingsStore::ReadSettings() {
  TraceEnter("COutlookPrayer::ReadSettings");
  const tstring keyPath = ValueName(101);
  // Without its path the settings would land in HKEY_CURRENT_USER itself.
  if (keyPath.empty()) return E_FAIL;
  if (m_key == nullptr) {
    LONG error = RegOpenKeyEx(HKEY_CURRENT_USER, keyPath.c_str(), 0, KEY_ALL_ACCESS, &m_key);
    if (error == ERROR_FILE_NOT_FOUND) {
      error = RegCreateKeyEx(HKEY_CURRENT_USER, keyPath.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                             KEY_ALL_ACCESS, nullptr, &m_key, nullptr);
    }
    if (error != ERROR_SUCCESS) {
      m_key = nullptr;
      return static_cast<HRESULT>((static_cast<DWORD>(error) & 0xFFFF) | 0x80070000u);
    }
  }

  tstring cityFile;
  if (m_settings.location.empty()) {
    // A new user starts in the first city of the list.
    if (!FindCityFile(&cityFile)) return E_FAIL;
    CDataFileHandler file(cityFile.c_str(), CDataFileHandler::kRead);
    tchar line[CDataFileHandler::kReadBufferSize];
    if (file.ReadLine(line, CDataFileHandler::kReadBufferSize) && TakeCity(line)) {
      m_settings.location = line;
    }
  }

  Read(m_key, m_settings, 109);
  Read(m_key, m_settings, 324);
  Read(m_key, m_settings, 307);
  Read(m_key, m_settings, 223);
  Read(m_key, m_settings, 151);

  // The stored city line is refreshed from the file, which the location
  // dialog may have edited since (its coordinates, or the names of another
  // language). Removing a city renumbers those after it, so the line may
  // now hold another place: it is taken only while it is the same place,
  // known by its names in one of the three files, which name the same place
  // at the same line.
  if (!FindCityFile(&cityFile)) return E_FAIL;
  {
    CCityInfo stored;
    if (stored.GetInfoFromLine(m_settings.location.c_str())) {
      CDataFileHandler file(cityFile.c_str(), CDataFileHandler::kRead);
      tchar line[CDataFileHandler::kReadBufferSize];
      if (file.ReadCityAtLine(stored.m_lineNumber, line, CDataFileHandler::kReadBufferSize)) {
        if (NamesPlaceAtLine(stored)) {
          m_settings.location = line;
        } else {
          Trace("COutlookPrayer::ReadSettings(): line " + std::to_string(stored.m_lineNumber) +
                " of the city files holds another place; the stored city is kept");
        }
      }
    }
    TakeCity(m_settings.location.c_str());
  }

  // Read after the city, so a stored daylight flag or method wins over it.
  for (unsigned id : kLateReads) Read(m_key, m_settings, id);
  TraceExit("COutlookPrayer::ReadSettings");
  return S_OK;
}

HRESULT CSettingsStore::SaveSettings() {
  TraceEnter("COutlookPrayer::SaveSettings");
  if (m_key != nullptr) {
    AddinSettings saved = m_settings;
    saved.firstRun = false;  // the first run is over once anything is saved
    // In one transaction: a process stopped while saving leaves the old
    // settings or the new ones, never some of each. Most callers let the
    // next save try again; one that must not go on unsaved is told.
    std::vector<RegValueWrite<tchar>> writes;
    for (unsigned id : kWrites) Collect(saved, id, &writes);
    if (const LONG result = RegSetValues(m_key, writes); result != ERROR_SUCCESS) {
      Trace("COutlookPrayer::SaveSettings(): the settings could not be saved, error " + std::to_string(result));
      return HRESULT_FROM_WIN32(static_cast<DWORD>(result));
    }
  }
  TraceExit("COutlookPrayer::SaveSettings");
  return S_OK;
}

HRESULT CSettingsStore::UpdateCalcSettings(IPrayerCalculator* calculator) const {
  TraceEnter("COutlookPrayer::UpdateCalcSettings");
  if (HRESULT hr = ApplyCalcSettings(m_settings, calculator); FAILED(hr)) return hr;
  TraceExit("COutlookPrayer::UpdateCalcSettings");
  return S_OK;
}

HRESULT CSettingsStore::ApplyCalcSettings(const AddinSettings& s, IPrayerCalculator* calculator) {
  if (calculator == nullptr) return E_POINTER;
  // Year 0 reads as 2000, a leap year, so 29 February can be kept; only the
  // month and day count.
  const COleDate start(0, static_cast<int>(s.daylightStartMonth) + 1, static_cast<int>(s.daylightStartDay), 0, 0, 0);
  const COleDate end(0, static_cast<int>(s.daylightEndMonth) + 1, static_cast<int>(s.daylightEndDay), 0, 0, 0);
  HRESULT hr = calculator->SetLocation(s.longitude, s.latitude, s.timeZone, 1);
  if (SUCCEEDED(hr)) hr = calculator->put_Method(static_cast<CalculationMethod>(s.method));
  if (SUCCEEDED(hr)) hr = calculator->put_AsrMethod(static_cast<AsrSchool>(s.asrSchool));
  if (SUCCEEDED(hr)) hr = calculator->put_DaylightSavings(s.daylight ? VARIANT_TRUE : VARIANT_FALSE);
  if (SUCCEEDED(hr)) hr = calculator->put_DaylightStart(start.Value());
  if (SUCCEEDED(hr)) hr = calculator->put_DaylightEnd(end.Value());
  if (FAILED(hr)) return hr;
  // The rule reaches only a calculator that knows of it; another one keeps
  // computing as it always did.
  ComPtr<IPrayerCalculator2> withRule;
  if (SUCCEEDED(calculator->QueryInterface(IPrayerCalculator2::kIID, withRule.ReleaseAndGetVoidAddress())) && withRule) {
    if (hr = withRule->put_HighLatitudeRule(static_cast<HighLatitudeRule>(s.highLatitudeRule)); FAILED(hr)) return hr;
  }
  return S_OK;
}
