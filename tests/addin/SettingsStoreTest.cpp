// The settings record in the registry, in the module flavour this executable
// is built for.

#include <gtest/gtest.h>

#include <cstring>

#include "settings/SettingsStore.h"
#include "calc/PrayerCalculator.h"
#include "platform/com/ComObject.h"
#include "platform/com/ComPtr.h"
#include "platform/text/TextConvert.h"
#include "tests/support/AddinTestEnvironment.h"
#include "tests/support/FlavourFile.h"

namespace {

const char* const kKey = "Software\\Veltrix\\Orvane\\3.0\\Settings";

const char* const kCities =
    "مكة المكرمة,,المملكة العربية السعودية,21 25 N,39 49 E,3,N,1,N,1\n"
    "Cairo,,Egypt,30 3 N,31 15 E,2,Y,3,Y,2\n"
    "New York,New York,United States,40 43 N,74 0 W,-5,Y,4,N,3\n";

class SettingsStoreTest : public AddinTest {
 protected:
  void SetUp() override {
    AddinTest::SetUp();
    WriteAddinFile("cities_en.txt", FlavourFileBytes(kCities, false));
  }
  void SetDword(const char* name, DWORD value) {
    ASSERT_EQ(registry::SetDword(HKEY_CURRENT_USER, kKey, name, value), ERROR_SUCCESS);
  }
  void SetText(const char* name, const char* utf8) {
    ASSERT_EQ(registry::SetString(HKEY_CURRENT_USER, kKey, name, utf8), ERROR_SUCCESS);
  }
};

TEST_F(SettingsStoreTest, FirstRunTakesTheFirstCityAndRepairsUnsetDates) {
  CSettingsStore store;
  ASSERT_EQ(store.ReadSettings(), S_OK);
  const AddinSettings& s = store.Settings();
  EXPECT_EQ(TToUtf8(s.location), "مكة المكرمة,,المملكة العربية السعودية,21 25 N,39 49 E,3,N,1,N,1\n");
  EXPECT_NEAR(s.longitude, -(39 + 49 / 60.0), 1e-12);
  EXPECT_NEAR(s.latitude, 21 + 25 / 60.0, 1e-12);
  EXPECT_EQ(s.timeZone, 3.0);
  EXPECT_FALSE(s.daylight);
  EXPECT_EQ(s.method, static_cast<DWORD>(eQurah));
  // Unset dates read as yesterday at this time (ORVANE_NOW is 21 March 2004 05:30).
  const COleDate yesterday(2004, 3, 20, 5, 30, 0);
  EXPECT_EQ(s.lastDate.Value(), yesterday.Value());
  EXPECT_EQ(s.lastNext.Value(), yesterday.Value());
  EXPECT_EQ(s.lastCleanup.Value(), yesterday.Value());
  EXPECT_TRUE(s.fridaySettings);  // forced on
  EXPECT_EQ(s.prayers, 12u);
  EXPECT_EQ(s.prescheduleDays, 7u);
  EXPECT_EQ(s.customFrom.GetHour(), 8);
  EXPECT_TRUE(registry::KeyExists(HKEY_CURRENT_USER, kKey));
}

TEST_F(SettingsStoreTest, OutOfRangeValuesAreRepairedAndWrongTypesIgnored) {
  SetDword("PrayerFlags", 256);
  SetDword("PrescheduleDays", 300);
  SetDword("BusyStatus", 7);
  SetDword("Duration", 0);
  SetDword("ReminderMinutes", 0);
  SetDword("FridayMinutesBefore", 0);
  SetDword("FridaySettingsOn", 0);
  SetText("FridayMinutesAfter", "45");  // a text where a number belongs
  ASSERT_EQ(registry::SetString(HKEY_CURRENT_USER, kKey, "DaylightEndDay", "12"), ERROR_SUCCESS);
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, u"Software\\Veltrix\\Orvane\\3.0\\Settings", 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
  const BYTE four[4] = {1, 2, 3, 4};
  RegSetValueEx(key, u"LastDate", 0, REG_BINARY, four, 4);  // a date of the wrong size
  const double far = 9e9;
  RegSetValueEx(key, u"LastCleanup", 0, REG_BINARY, reinterpret_cast<const BYTE*>(&far), 8);
  RegCloseKey(key);

  CSettingsStore store;
  ASSERT_EQ(store.ReadSettings(), S_OK);
  const AddinSettings& s = store.Settings();
  // Flags and days beyond what the add-in knows take the defaults, not 0,
  // which would schedule nothing.
  EXPECT_EQ(s.prayers, 12u);
  EXPECT_EQ(s.prescheduleDays, 7u);
  EXPECT_EQ(s.busyStatus, 0u);
  EXPECT_EQ(s.duration, 1u);
  EXPECT_EQ(s.reminderMinutes, 1u);
  EXPECT_EQ(s.fridayMinutesBefore, 1u);
  EXPECT_TRUE(s.fridaySettings);
  EXPECT_EQ(s.fridayMinutesAfter, 90u);
  EXPECT_EQ(s.daylightEndDay, 31u);
  EXPECT_EQ(s.lastDate.Value(), COleDate(2004, 3, 20, 5, 30, 0).Value());
  EXPECT_EQ(s.lastCleanup.Value(), COleDate(2004, 3, 20, 5, 30, 0).Value());
}

// Values no dialog could have stored used to become values that schedule
// nothing or too much: preschedule days of -1 became 0 (no fill), flags
// 0xFFFFFFFF became 0 (no prayers), a duration of 0xFFFFFFFF left only the
// Friday prayers, reminder minutes of 0x80000000 made every item fail in
// calendar.ics, and a 50 MB subject slowed every day's query. Each now takes
// its default, or is cut at its dialog's length.
TEST_F(SettingsStoreTest, ValuesNoDialogCouldStoreTakeTheirDefaults) {
  SetDword("PrescheduleDays", 0xFFFFFFFF);  // -1
  SetDword("PrayerFlags", 0xFFFFFFFF);
  SetDword("Duration", 0xFFFFFFFF);
  SetDword("ReminderMinutes", 0x80000000);
  SetDword("FridayMinutesBefore", 1441);
  SetDword("FridayMinutesAfter", 1440);  // a whole day is still a day
  SetDword("FridayReminderMinutes", 0xFFFFFFFF);
  SetDword("CalculationMethod", 9);
  SetDword("AsrSchool", 2);
  SetDword("DaylightStartDay", 0);
  SetDword("DaylightStartMonth", 12);
  SetDword("DaylightEndDay", 32);
  SetDword("TimetableCalendar", 7);
  SetDword("TimetableRange", 6);
  SetDword("CustomReminderInterval", 100000);
  SetText("CustomReminderSubject", std::string(100000, 'x').c_str());
  SetText("SoundFile", ("/tmp/" + std::string(400, 's')).c_str());

  CSettingsStore store;
  ASSERT_EQ(store.ReadSettings(), S_OK);
  const AddinSettings& s = store.Settings();
  const AddinSettings defaults;
  EXPECT_EQ(s.prescheduleDays, 7u);
  EXPECT_EQ(s.prayers, 12u);
  EXPECT_EQ(s.duration, 5u);
  EXPECT_EQ(s.reminderMinutes, 1u);
  EXPECT_EQ(s.fridayMinutesBefore, 30u);
  EXPECT_EQ(s.fridayMinutesAfter, 1440u);
  EXPECT_EQ(s.fridayReminderMinutes, 30u);
  EXPECT_EQ(s.method, defaults.method);
  EXPECT_EQ(s.asrSchool, defaults.asrSchool);
  EXPECT_EQ(s.daylightStartDay, 1u);
  EXPECT_EQ(s.daylightStartMonth, 3u);
  EXPECT_EQ(s.daylightEndDay, 31u);
  EXPECT_EQ(s.timetableCalendar, 1u);
  EXPECT_EQ(s.timetableRange, 0u);
  EXPECT_EQ(s.customInterval, 60u);
  EXPECT_EQ(s.customSubject, tstring(99, 'x'));
  EXPECT_EQ(s.soundFile.size(), 259u);

  // The values a dialog can store stay as they are.
  SetDword("PrescheduleDays", 186);
  SetDword("PrayerFlags", 255);
  SetDword("CalculationMethod", eCustom);
  SetDword("CustomReminderInterval", 0);
  SetText("CustomReminderSubject", std::string(99, 'y').c_str());
  CSettingsStore again;
  ASSERT_EQ(again.ReadSettings(), S_OK);
  EXPECT_EQ(again.Settings().prescheduleDays, 186u);
  EXPECT_EQ(again.Settings().prayers, 255u);
  EXPECT_EQ(again.Settings().method, static_cast<DWORD>(eCustom));
  EXPECT_EQ(again.Settings().customInterval, 0u);
  EXPECT_EQ(again.Settings().customSubject, tstring(99, 'y'));
}

TEST_F(SettingsStoreTest, StoredDaylightAndMethodWinOverTheCity) {
  SetText("Location", "Cairo,,Egypt,30 3 N,31 15 E,2,Y,3,Y,2\n");
  SetDword("DaylightSaving", 0);
  SetDword("CalculationMethod", eISNA);
  CSettingsStore store;
  ASSERT_EQ(store.ReadSettings(), S_OK);
  EXPECT_FALSE(store.Settings().daylight);
  EXPECT_EQ(store.Settings().method, static_cast<DWORD>(eISNA));
  EXPECT_EQ(store.Settings().timeZone, 2.0);
}

TEST_F(SettingsStoreTest, StoredCityIsRefreshedFromItsLineInTheFile) {
  SetText("Location", "Cairo,,Egypt,30 0 N,31 0 E,2,N,3,Y,2\n");  // an older form of line 2
  CSettingsStore store;
  ASSERT_EQ(store.ReadSettings(), S_OK);
  EXPECT_EQ(TToUtf8(store.Settings().location), "Cairo,,Egypt,30 3 N,31 15 E,2,Y,3,Y,2\n");
  EXPECT_DOUBLE_EQ(store.Settings().longitude, -31.25);

  // A line number past the file's end keeps the stored city instead of
  // quietly moving the user to the last city of the file.
  SetText("Location", "Aswan,,Egypt,24 5 N,32 54 E,2,N,3,N,9\n");
  CSettingsStore other;
  ASSERT_EQ(other.ReadSettings(), S_OK);
  EXPECT_EQ(TToUtf8(other.Settings().location), "Aswan,,Egypt,24 5 N,32 54 E,2,N,3,N,9\n");
  EXPECT_NEAR(other.Settings().latitude, 24 + 5 / 60.0, 1e-12);
}

// Removing a city renumbers those after it. The stored line number then
// names another place, which the refresh used to put in the user's place.
TEST_F(SettingsStoreTest, ALineThatNowHoldsAnotherPlaceKeepsTheStoredCity) {
  SetText("Location", "Paris,,France,48 52 N,2 20 E,1,Y,0,Y,2\n");  // line 2 is Cairo now
  CSettingsStore store;
  ASSERT_EQ(store.ReadSettings(), S_OK);
  EXPECT_EQ(TToUtf8(store.Settings().location), "Paris,,France,48 52 N,2 20 E,1,Y,0,Y,2\n");
  EXPECT_DOUBLE_EQ(store.Settings().timeZone, 1.0);

  // The same place in another language's file is the same place: after a
  // change of language the city takes the names of the new primary file.
  WriteAddinFile("cities_fr.txt", FlavourFileBytes("La Mecque,,Arabie saoudite,21 25 N,39 49 E,3,N,1,N,1\n"
                                                   "Le Caire,,Égypte,30 3 N,31 15 E,2,Y,3,Y,2\n",
                                                   false));
  SetText("Location", "Le Caire,,Égypte,30 3 N,31 15 E,2,Y,3,Y,2\n");
  CSettingsStore other;
  ASSERT_EQ(other.ReadSettings(), S_OK);
  EXPECT_EQ(TToUtf8(other.Settings().location), "Cairo,,Egypt,30 3 N,31 15 E,2,Y,3,Y,2\n");
}

TEST_F(SettingsStoreTest, SaveThenReadGivesTheSameRecord) {
  CSettingsStore store;
  ASSERT_EQ(store.ReadSettings(), S_OK);
  AddinSettings& s = store.Settings();
  s.lastDate = COleDate(2004, 4, 1, 0, 0, 0);
  s.lastNext = COleDate(2004, 3, 21, 12, 2, 0);
  s.prayers = 127;
  s.prescheduleDays = 31;
  s.location = Utf8ToT("Cairo,,Egypt,30 3 N,31 15 E,2,Y,3,Y,2\n");
  s.daylight = false;
  s.daylightStartDay = 25;
  s.daylightStartMonth = 3;
  s.method = eWIL;
  s.asrSchool = eHanafi;
  s.busyStatus = 2;
  s.duration = 15;
  s.soundFile = Utf8ToT("/home/user/أذان.wav");
  s.fridayMinutesBefore = 45;
  s.customSubject = Utf8ToT("Qur'an");
  s.customTo = COleDate(1230.0 / 1440.0);
  s.timetableCalendar = 0;
  s.updatePending = true;
  ASSERT_EQ(store.SaveSettings(), S_OK);

  std::string stored;
  registry::GetString(HKEY_CURRENT_USER, kKey, "SoundFile", &stored);
  EXPECT_EQ(stored, "/home/user/أذان.wav");  // the text survives the module's character set
  DWORD firstRun = 1;
  registry::GetDword(HKEY_CURRENT_USER, kKey, "FirstRun", &firstRun);
  EXPECT_EQ(firstRun, 0u);

  CSettingsStore again;
  ASSERT_EQ(again.ReadSettings(), S_OK);
  const AddinSettings& r = again.Settings();
  EXPECT_EQ(r.lastDate.Value(), s.lastDate.Value());
  EXPECT_EQ(r.lastNext.Value(), s.lastNext.Value());
  EXPECT_EQ(r.prayers, 127u);
  EXPECT_EQ(r.prescheduleDays, 31u);
  EXPECT_EQ(r.location, s.location);
  EXPECT_FALSE(r.daylight);
  EXPECT_EQ(r.daylightStartDay, 25u);
  EXPECT_EQ(r.method, static_cast<DWORD>(eWIL));
  EXPECT_EQ(r.asrSchool, static_cast<DWORD>(eHanafi));
  EXPECT_EQ(r.busyStatus, 2u);
  EXPECT_EQ(r.duration, 15u);
  EXPECT_EQ(r.soundFile, s.soundFile);
  EXPECT_EQ(r.fridayMinutesBefore, 45u);
  EXPECT_EQ(r.customSubject, s.customSubject);
  EXPECT_EQ(r.customTo.Value(), s.customTo.Value());
  EXPECT_EQ(r.timetableCalendar, 0u);
  EXPECT_FALSE(r.firstRun);
  EXPECT_TRUE(r.updatePending);
}

TEST_F(SettingsStoreTest, TheHighLatitudeRuleIsASeventhOfTheNightUnlessStoredAsAnother) {
  CSettingsStore fresh;
  ASSERT_EQ(fresh.ReadSettings(), S_OK);
  EXPECT_EQ(fresh.Settings().highLatitudeRule, 0u);  // absent: a seventh of the night
  fresh.Settings().highLatitudeRule = 2;
  ASSERT_EQ(fresh.SaveSettings(), S_OK);
  DWORD stored = 0;
  ASSERT_EQ(registry::GetDword(HKEY_CURRENT_USER, kKey, "HighLatitudeRule", &stored), ERROR_SUCCESS);
  EXPECT_EQ(stored, 2u);
  CSettingsStore again;
  ASSERT_EQ(again.ReadSettings(), S_OK);
  EXPECT_EQ(again.Settings().highLatitudeRule, 2u);
  // A rule this version does not know computes as the default.
  for (const DWORD unknown : {3u, 7u, 0xFFFFFFFFu}) {
    SetDword("HighLatitudeRule", unknown);
    CSettingsStore other;
    ASSERT_EQ(other.ReadSettings(), S_OK);
    EXPECT_EQ(other.Settings().highLatitudeRule, 0u) << unknown;
  }
}

TEST_F(SettingsStoreTest, MissingCityFileShowsItsMessageAndFails) {
  std::filesystem::remove(m_folder / "cities_en.txt");
  CSettingsStore store;
  EXPECT_EQ(store.ReadSettings(), E_FAIL);
  const auto boxes = m_frontEnd->MessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_NE(boxes[0].text.find("cities_en.txt"), std::string::npos);
  EXPECT_NE(boxes[0].text.find(m_folder.string()), std::string::npos);
}

TEST_F(SettingsStoreTest, WithoutTheResourceLibraryNothingIsReadOrWritten) {
  FreeResourceLibrary();  // only the module's own strings remain
  CSettingsStore store;
  EXPECT_EQ(store.ReadSettings(), E_FAIL);
  EXPECT_EQ(store.SaveSettings(), S_OK);
  std::string text;
  EXPECT_FALSE(registry::KeyExists(HKEY_CURRENT_USER, kKey));
  EXPECT_NE(registry::GetString(HKEY_CURRENT_USER, "", nullptr, &text), ERROR_SUCCESS);
}

TEST_F(SettingsStoreTest, PrescheduleIdsAndCheckers) {
  CSettingsStore store;
  const struct {
    DWORD days;
    short id;
  } table[] = {{0, 0}, {255, 1}, {1, 2}, {7, 3}, {14, 4}, {31, 5}, {93, 6}, {186, 7}, {2, -1}, {300, -1}};
  for (const auto& row : table) {
    store.Settings().prescheduleDays = row.days;
    EXPECT_EQ(store.GetPrescheduleID(), row.id) << row.days;
  }
  store.Settings().prescheduleDays = 256;
  store.CheckPreschedule();
  EXPECT_EQ(store.Settings().prescheduleDays, 7u);
  store.Settings().prayers = 0xFFFFFFFF;
  store.CheckPrayingAppointments();
  EXPECT_EQ(store.Settings().prayers, 12u);
  COleDate date(2958465.0);
  CSettingsStore::CheckDate(date);
  EXPECT_EQ(date.Value(), 2958465.0);  // the last valid day stays
  date = 2958465.5;
  CSettingsStore::CheckDate(date);
  EXPECT_EQ(date.Value(), COleDate(2004, 3, 20, 5, 30, 0).Value());
}

TEST_F(SettingsStoreTest, CalculatorGetsLocationMethodSchoolAndDaylightRule) {
  CSettingsStore store;
  ASSERT_EQ(store.ReadSettings(), S_OK);
  store.Settings().daylight = true;
  store.Settings().daylightStartMonth = 1;  // 29 February must survive: year 0 is 2000
  store.Settings().daylightStartDay = 29;
  ComPtr<IPrayerCalculator> calculator;
  ASSERT_EQ(com::CreateComObject<CPrayerCalculator>(nullptr, IPrayerCalculator::kIID,
                                                    calculator.ReleaseAndGetVoidAddress()),
            S_OK);
  ASSERT_EQ(store.UpdateCalcSettings(calculator.Get()), S_OK);
  double longitude = 0, timeZone = 0;
  calculator->get_Longitude(&longitude);
  calculator->get_TimeZone(&timeZone);
  EXPECT_NEAR(longitude, -(39 + 49 / 60.0), 1e-12);
  EXPECT_EQ(timeZone, 3.0);
  CalculationMethod method = eEgypt;
  calculator->get_Method(&method);
  EXPECT_EQ(method, eQurah);
  VARIANT_BOOL daylight = 0;
  calculator->get_DaylightSavings(&daylight);
  EXPECT_EQ(daylight, VARIANT_TRUE);
  DATE start = 0, end = 0;
  calculator->get_DaylightStart(&start);
  calculator->get_DaylightEnd(&end);
  EXPECT_EQ(start, COleDate(2000, 2, 29, 0, 0, 0).Value());
  EXPECT_EQ(end, COleDate(2000, 10, 31, 0, 0, 0).Value());
}

// A calculator of the published interface alone, as a client built before
// the high-latitude rule has it.
class CFirstCalculator : public CPrayerCalculator {
 public:
  HRESULT InternalQueryInterface(REFIID iid, void** object) {
    if (iid == IPrayerCalculator2::kIID) return E_NOINTERFACE;
    return CPrayerCalculator::InternalQueryInterface(iid, object);
  }
};

TEST_F(SettingsStoreTest, HighLatitudeRuleIsReadRepairedSavedAndHandedToTheCalculator) {
  // Absent: a seventh of the night, and no rule applied to the calendar yet.
  {
    CSettingsStore store;
    ASSERT_EQ(store.ReadSettings(), S_OK);
    EXPECT_EQ(store.Settings().highLatitudeRule, static_cast<DWORD>(eSeventhOfNight));
    EXPECT_EQ(store.Settings().highLatitudeApplied, kNoRuleApplied);
  }
  // A value that is no rule reads as the default.
  SetDword("HighLatitudeRule", 3);
  {
    CSettingsStore store;
    ASSERT_EQ(store.ReadSettings(), S_OK);
    EXPECT_EQ(store.Settings().highLatitudeRule, static_cast<DWORD>(eSeventhOfNight));
  }

  // Every rule survives a save and a read, and reaches the calculator.
  for (DWORD rule : {eMiddleOfNight, eTwilightAngle, eSeventhOfNight}) {
    CSettingsStore store;
    ASSERT_EQ(store.ReadSettings(), S_OK);
    store.Settings().highLatitudeRule = rule;
    store.Settings().highLatitudeApplied = rule;
    ASSERT_EQ(store.SaveSettings(), S_OK);
    CSettingsStore again;
    ASSERT_EQ(again.ReadSettings(), S_OK);
    EXPECT_EQ(again.Settings().highLatitudeRule, rule);
    EXPECT_EQ(again.Settings().highLatitudeApplied, rule);
    ComPtr<IPrayerCalculator2> calculator;
    ASSERT_EQ(com::CreateComObject<CPrayerCalculator>(nullptr, IPrayerCalculator2::kIID,
                                                      calculator.ReleaseAndGetVoidAddress()),
              S_OK);
    ASSERT_EQ(again.UpdateCalcSettings(calculator.Get()), S_OK);
    HighLatitudeRule given = static_cast<HighLatitudeRule>(-1);
    calculator->get_HighLatitudeRule(&given);
    EXPECT_EQ(given, static_cast<HighLatitudeRule>(rule));
  }

  // A calculator without the rule gets everything else, and no failure.
  CSettingsStore store;
  ASSERT_EQ(store.ReadSettings(), S_OK);
  store.Settings().highLatitudeRule = eMiddleOfNight;
  ComPtr<IPrayerCalculator> first;
  ASSERT_EQ(com::CreateComObject<CFirstCalculator>(nullptr, IPrayerCalculator::kIID, first.ReleaseAndGetVoidAddress()),
            S_OK);
  ComPtr<IPrayerCalculator2> none;
  EXPECT_EQ(first->QueryInterface(IPrayerCalculator2::kIID, none.ReleaseAndGetVoidAddress()), E_NOINTERFACE);
  ASSERT_EQ(store.UpdateCalcSettings(first.Get()), S_OK);
  CalculationMethod method = eEgypt;
  first->get_Method(&method);
  EXPECT_EQ(method, eQurah);
}

}  // namespace
