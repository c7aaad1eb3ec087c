// The advanced settings dialog and its preview, used as a person uses them
// through the headless front end; the preview's times against `orvane calc`
// for the same place, method, school, day and daylight rule.

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <memory>
#include <thread>
#include <vector>

#include "calc/AdvancedDlg.h"
#include "calc/SoundDlg.h"
#include "options/MinutesList.h"
#include "platform/com/ServerRegistration.h"
#include "platform/nls/Nls.h"
#include "platform/text/Format.h"
#include "platform/ui/CommonControls.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/Resources.h"
#include "platform/ui/UserInput.h"
#include "tests/support/ModalDialogTest.h"
#include "tests/support/RunProgram.h"

namespace {

// A place as the settings hold it, and as `orvane calc` takes it.
struct Place {
  const char* name;
  double longitude;  // degrees, positive west
  double latitude;
  double timeZone;
  bool daylight;
  int startMonth, startDay, endMonth, endDay;  // months 0..11
  DWORD method;
  DWORD school;
  DWORD rule;  // high-latitude
};

constexpr const char* kMethodNames[] = {"eEgypt", "eISNA", "eQurah", "eKarachi", "eWIL", "eCustom"};
constexpr const char* kSchoolNames[] = {"eShafii", "eHanafi"};
constexpr const char* kRuleNames[] = {"seventh", "middle", "angle"};

// London in summer time, where the sun gives no Fajr and no Isha in June;
// Helsinki, where Isha comes after midnight; Cairo without summer time;
// Sydney with a summer over the new year.
constexpr Place kLondon = {"London", 0.1276, 51.5072, 0, true, 2, 28, 9, 30, 4, 1, 0};
constexpr Place kHelsinki = {"Helsinki", -24.9384, 60.1699, 2, true, 2, 26, 9, 29, 1, 0, 1};
constexpr Place kCairo = {"Cairo", -31.25, 30.05, 2, false, 3, 1, 9, 31, 0, 0, 0};
constexpr Place kSydney = {"Sydney", -151.21, -33.87, 10, true, 9, 3, 3, 3, 4, 1, 2};

AddinSettings SettingsAt(const Place& place) {
  AddinSettings settings;
  settings.longitude = place.longitude;
  settings.latitude = place.latitude;
  settings.timeZone = place.timeZone;
  settings.daylight = place.daylight;
  settings.daylightStartMonth = static_cast<DWORD>(place.startMonth);
  settings.daylightStartDay = static_cast<DWORD>(place.startDay);
  settings.daylightEndMonth = static_cast<DWORD>(place.endMonth);
  settings.daylightEndDay = static_cast<DWORD>(place.endDay);
  settings.method = place.method;
  settings.asrSchool = place.school;
  settings.highLatitudeRule = place.rule;
  return settings;
}

// `orvane calc` for one day, every parameter given: its output line.
std::string CalcLine(const Place& place, DWORD method, DWORD school, DWORD rule, const std::string& day) {
  char where[160];
  std::snprintf(where, sizeof where, " calc --longitude %.6f --latitude %.6f --timezone %g", place.longitude,
                place.latitude, place.timeZone);
  std::string command = std::string(ORVANE_PROGRAM) + where + " --method " + kMethodNames[method] + " --school " +
                        kSchoolNames[school] + " --high-latitude " + kRuleNames[rule] + " --date " + day;
  if (place.daylight) {
    char rule[80];
    std::snprintf(rule, sizeof rule, " --daylight %02d-%02d %02d-%02d", place.startMonth + 1, place.startDay,
                  place.endMonth + 1, place.endDay);
    command += rule;
  }
  int exitCode = -1;
  std::string out = RunCommand(command, &exitCode);
  EXPECT_EQ(exitCode, 0) << command << "\n" << out;
  while (!out.empty() && out.back() == '\n') out.pop_back();
  return out;
}

class AdvancedDlgTest : public ModalDialogTest {
 protected:
  void SetUp() override {
    ModalDialogTest::SetUp();
    // The user writes times as HH:mm and dates as yyyy-MM-dd, as orvane calc does.
    ASSERT_TRUE(nls::SetUserDefaultLocale(1033));
    ASSERT_TRUE(SetLocaleInfo(LOCALE_USER_DEFAULT, LOCALE_STIMEFORMAT, u"HH:mm"));
    ASSERT_TRUE(SetLocaleInfo(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, u"yyyy-MM-dd"));
    setenv("ORVANE_NOW", "2027-06-21T10:00:00", 1);
  }
  static void Register() {
    std::string error;
    ASSERT_EQ(com::RegisterServerModule(ORVANE_ADDIN_MODULE, false, &error), S_OK) << error;
  }
  static constexpr int kTimes[] = {CAdvancedDlg::kFajr, CAdvancedDlg::kShorouk, CAdvancedDlg::kZuhr,
                                   CAdvancedDlg::kAsr,  CAdvancedDlg::kMaghrib, CAdvancedDlg::kIsha};
  // The preview as orvane calc prints a day: the date, then the six times,
  // each with its day's mark (+1, -1) but without the rule's (*).
  std::string PreviewLine(HWND dialog) {
    std::string line = Control(dialog, CAdvancedDlg::kPreviewDay).text;
    for (const int id : kTimes) {
      std::string time = Control(dialog, id).text;
      std::erase(time, '*');
      for (const char* mark : {" +1", " -1"}) {
        if (const std::size_t at = time.find(mark); at != std::string::npos) time.erase(at, 1);
      }
      line += " " + time;
    }
    return line;
  }
  // The times that carry the rule's mark, as prayer bits (Fajr 1 .. Isha 32).
  int RuleMarks(HWND dialog) {
    int marks = 0;
    for (int i = 0; i < 6; ++i) {
      if (Control(dialog, kTimes[i]).text.find('*') != std::string::npos) marks |= 1 << i;
    }
    return marks;
  }
  bool PickDay(HWND dialog, WORD year, WORD month, WORD day) {
    SYSTEMTIME date{};
    date.wYear = year;
    date.wMonth = month;
    date.wDay = day;
    return m_frontEnd->SetDate(dialog, CAdvancedDlg::kPreviewDate, date);
  }
};

TEST_F(AdvancedDlgTest, ThePreviewShowsWhatOrvaneCalcGivesForEachMethodSchoolRuleAndDay) {
  Register();
  for (const Place& place : {kLondon, kHelsinki, kCairo, kSydney}) {
    SCOPED_TRACE(place.name);
    CAdvancedDlg& advanced = Make<CAdvancedDlg>(SettingsAt(place));
    ASSERT_TRUE(advanced.HasCalculator());
    HWND dialog = Open(advanced);
    ASSERT_NE(dialog, nullptr);
    // Today (ORVANE_NOW) first.
    EXPECT_EQ(PreviewLine(dialog), CalcLine(place, place.method, place.school, place.rule, "2027-06-21"));
    // Another method: only Fajr and Isha move.
    const auto middle = [&] {
      std::vector<std::string> texts;
      for (const int id : {CAdvancedDlg::kShorouk, CAdvancedDlg::kZuhr, CAdvancedDlg::kAsr, CAdvancedDlg::kMaghrib}) {
        texts.push_back(Control(dialog, id).text);
      }
      return texts;
    };
    const std::vector<std::string> before = middle();
    const DWORD method = place.method == eISNA ? eKarachi : eISNA;
    ASSERT_TRUE(m_frontEnd->Select(dialog, CAdvancedDlg::kMethod, static_cast<int>(method)));
    EXPECT_EQ(PreviewLine(dialog), CalcLine(place, method, place.school, place.rule, "2027-06-21"));
    EXPECT_EQ(middle(), before);
    // Another school: only Asr.
    const DWORD school = 1 - place.school;
    ASSERT_TRUE(m_frontEnd->Select(dialog, CAdvancedDlg::kSchool, static_cast<int>(school)));
    EXPECT_EQ(PreviewLine(dialog), CalcLine(place, method, school, place.rule, "2027-06-21"));
    // Another high-latitude rule.
    const DWORD rule = (place.rule + 1) % 3;
    ASSERT_TRUE(m_frontEnd->Select(dialog, CAdvancedDlg::kHighLatitude, static_cast<int>(rule)));
    EXPECT_EQ(PreviewLine(dialog), CalcLine(place, method, school, rule, "2027-06-21"));
    // Another day: a winter's day, and the first day the picker holds.
    ASSERT_TRUE(PickDay(dialog, 2027, 1, 15));
    EXPECT_EQ(PreviewLine(dialog), CalcLine(place, method, school, rule, "2027-01-15"));
    ASSERT_TRUE(PickDay(dialog, 1971, 1, 1));
    EXPECT_EQ(PreviewLine(dialog), CalcLine(place, method, school, rule, "1971-01-01"));
    ASSERT_TRUE(m_frontEnd->Click(dialog, IDCANCEL));
    EXPECT_EQ(Result(), IDCANCEL);
  }
}

// The times a rule gave carry its mark, and the note under the times names
// the rule; a time after midnight carries +1 and its note.
TEST_F(AdvancedDlgTest, TheRulesTimesAndThoseOnAnotherDayAreMarkedAndExplained) {
  Register();
  CAdvancedDlg& london = Make<CAdvancedDlg>(SettingsAt(kLondon));
  HWND dialog = Open(london);
  ASSERT_NE(dialog, nullptr);
  // 21 June: the sun reaches neither twilight angle; Fajr and Isha are the rule's.
  EXPECT_EQ(RuleMarks(dialog), kFajrFlag | kIshaFlag);
  EXPECT_EQ(Control(dialog, CAdvancedDlg::kPreviewNotes).text,
            text::FormatResource(ResourceUtf8(1410), ResourceUtf8(1401)));
  // By the middle of the night Isha comes after midnight.
  ASSERT_TRUE(m_frontEnd->Select(dialog, CAdvancedDlg::kHighLatitude, 1));
  EXPECT_EQ(Control(dialog, CAdvancedDlg::kPreviewNotes).text,
            text::FormatResource(ResourceUtf8(1410), ResourceUtf8(1402)) + "\n" + ResourceUtf8(1411));
  EXPECT_NE(Control(dialog, CAdvancedDlg::kIsha).text.find("* +1"), std::string::npos);
  // 21 December: both occur, and London keeps them below the rule's bound.
  ASSERT_TRUE(PickDay(dialog, 2027, 12, 21));
  EXPECT_EQ(RuleMarks(dialog), 0);
  EXPECT_EQ(Control(dialog, CAdvancedDlg::kPreviewNotes).text, "");
  ASSERT_TRUE(m_frontEnd->Click(dialog, IDCANCEL));
  EXPECT_EQ(Result(), IDCANCEL);

  // Helsinki in June, by the middle of the night: Isha after midnight.
  CAdvancedDlg& helsinki = Make<CAdvancedDlg>(SettingsAt(kHelsinki));
  dialog = Open(helsinki);
  ASSERT_NE(dialog, nullptr);
  const std::string isha = Control(dialog, CAdvancedDlg::kIsha).text;
  EXPECT_NE(isha.find(" +1"), std::string::npos) << isha;
  EXPECT_NE(Control(dialog, CAdvancedDlg::kPreviewNotes).text.find(ResourceUtf8(1411)), std::string::npos);
  ASSERT_TRUE(m_frontEnd->Click(dialog, IDCANCEL));
  EXPECT_EQ(Result(), IDCANCEL);
}

// A user who writes times with seconds sees the times without them, in his
// own writing otherwise.
TEST_F(AdvancedDlgTest, ThePreviewsTimesLeaveTheSecondsOut) {
  Register();
  ASSERT_TRUE(SetLocaleInfo(LOCALE_USER_DEFAULT, LOCALE_STIMEFORMAT, u"h:mm:ss tt"));
  CAdvancedDlg& advanced = Make<CAdvancedDlg>(SettingsAt(kCairo));
  HWND dialog = Open(advanced);
  ASSERT_NE(dialog, nullptr);
  for (const int id : kTimes) {
    const std::string time = Control(dialog, id).text;
    SCOPED_TRACE(time);
    EXPECT_EQ(std::count(time.begin(), time.end(), ':'), 1);
    EXPECT_TRUE(time.ends_with(" AM") || time.ends_with(" PM"));
  }
  ASSERT_TRUE(m_frontEnd->Click(dialog, IDCANCEL));
  EXPECT_EQ(Result(), IDCANCEL);
}

TEST_F(AdvancedDlgTest, OnlyTheDaysFrom1971To12December2035CanBePreviewed) {
  Register();
  CAdvancedDlg& advanced = Make<CAdvancedDlg>(SettingsAt(kCairo));
  HWND dialog = Open(advanced);
  ASSERT_NE(dialog, nullptr);
  SYSTEMTIME range[2] = {};
  EXPECT_EQ(SendMessage(GetDlgItem(dialog, CAdvancedDlg::kPreviewDate), DTM_GETRANGE, 0,
                        reinterpret_cast<LPARAM>(range)),
            static_cast<LRESULT>(GDTR_MIN | GDTR_MAX));
  ASSERT_TRUE(PickDay(dialog, 2035, 12, 12));
  const std::string last = PreviewLine(dialog);
  EXPECT_EQ(last.substr(0, 10), "2035-12-12");
  // The days just outside cannot be picked; the preview stays.
  EXPECT_FALSE(PickDay(dialog, 2035, 12, 13));
  EXPECT_FALSE(PickDay(dialog, 1970, 12, 31));
  EXPECT_EQ(PreviewLine(dialog), last);
  ASSERT_TRUE(m_frontEnd->Click(dialog, IDOK));
  EXPECT_EQ(Result(), IDOK);

  // A clock past the last day previews the last day, which the picker shows.
  setenv("ORVANE_NOW", "2040-05-01T08:00:00", 1);
  CAdvancedDlg& later = Make<CAdvancedDlg>(SettingsAt(kCairo));
  dialog = Open(later);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(PreviewLine(dialog).substr(0, 10), "2035-12-12");
  EXPECT_EQ(PreviewLine(dialog), CalcLine(kCairo, kCairo.method, kCairo.school, kCairo.rule, "2035-12-12"));
  ASSERT_TRUE(m_frontEnd->Click(dialog, IDCANCEL));
  EXPECT_EQ(Result(), IDCANCEL);
}

TEST_F(AdvancedDlgTest, OpensWithTheValuesItWasGivenAndReturnsThemOnOK) {
  Register();
  AddinSettings settings = SettingsAt(kCairo);
  settings.highLatitudeRule = 2;
  settings.fridaySettings = false;
  settings.fridayBusyStatus = 3;
  settings.fridayMinutesBefore = 45;  // not a preset: in its place
  settings.fridayMinutesAfter = 90;
  settings.fridayReminderMinutes = 240;
  settings.fridayReminder = true;
  CAdvancedDlg& advanced = Make<CAdvancedDlg>(settings);
  HWND dialog = Open(advanced);
  ASSERT_NE(dialog, nullptr);
  const ui::ControlSnapshot method = Control(dialog, CAdvancedDlg::kMethod);
  ASSERT_EQ(method.items.size(), 5u);
  EXPECT_EQ(method.items[0], ResourceUtf8(200));
  EXPECT_EQ(method.items[4], ResourceUtf8(204));
  EXPECT_EQ(method.selection, 0);
  EXPECT_EQ(Control(dialog, CAdvancedDlg::kSchool).items,
            (std::vector<std::string>{ResourceUtf8(221), ResourceUtf8(222)}));
  const ui::ControlSnapshot rule = Control(dialog, CAdvancedDlg::kHighLatitude);
  EXPECT_EQ(rule.items, (std::vector<std::string>{ResourceUtf8(1401), ResourceUtf8(1402), ResourceUtf8(1403)}));
  EXPECT_EQ(rule.selection, 2);
  const ui::ControlSnapshot busy = Control(dialog, CAdvancedDlg::kFridayBusy);
  EXPECT_EQ(busy.items, (std::vector<std::string>{ResourceUtf8(113), ResourceUtf8(116), ResourceUtf8(114),
                                                  ResourceUtf8(115)}));
  EXPECT_EQ(busy.selection, 3);
  const ui::ControlSnapshot before = Control(dialog, CAdvancedDlg::kFridayBefore);
  EXPECT_EQ(before.items, (std::vector<std::string>{"1", "5", "10", "15", "30", "45", "60", "90"}));
  EXPECT_EQ(before.text, "45");
  EXPECT_EQ(Control(dialog, CAdvancedDlg::kFridayAfter).selection, 6);
  const ui::ControlSnapshot reminder = Control(dialog, CAdvancedDlg::kFridayReminderMinutes);
  EXPECT_EQ(reminder.items.back(), "240");
  EXPECT_EQ(reminder.text, "240");
  EXPECT_EQ(Control(dialog, CAdvancedDlg::kFridaySettings).checked, BST_UNCHECKED);
  EXPECT_EQ(Control(dialog, CAdvancedDlg::kFridayReminder).checked, BST_CHECKED);
  // The sound button carries the library's speaker, an ICO file.
  const ui::ControlSnapshot sound = Control(dialog, CAdvancedDlg::kFridaySound);
  EXPECT_EQ(sound.imageType, static_cast<unsigned>(IMAGE_ICON));
  EXPECT_EQ(sound.imageId, static_cast<unsigned>(CAdvancedDlg::kSoundIcon));
  const ResourceBinary* icon = ui::FindBinary(sound.imageModule, kResourceIcon, CAdvancedDlg::kSoundIcon);
  ASSERT_NE(icon, nullptr);
  ASSERT_GT(icon->size, 6u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(icon->data), 4), std::string("\0\0\1\0", 4));

  // The person changes a little of everything.
  ASSERT_TRUE(m_frontEnd->Select(dialog, CAdvancedDlg::kMethod, eWIL));
  ASSERT_TRUE(m_frontEnd->Select(dialog, CAdvancedDlg::kSchool, eHanafi));
  ASSERT_TRUE(m_frontEnd->Select(dialog, CAdvancedDlg::kHighLatitude, 1));
  ASSERT_TRUE(m_frontEnd->Select(dialog, CAdvancedDlg::kFridayBusy, 2));
  ASSERT_TRUE(m_frontEnd->ReplaceText(dialog, CAdvancedDlg::kFridayAfter, "120"));
  ASSERT_TRUE(m_frontEnd->Click(dialog, CAdvancedDlg::kFridaySettings));
  ASSERT_TRUE(m_frontEnd->Click(dialog, IDOK));
  EXPECT_EQ(Result(), IDOK);
  AddinSettings back;
  advanced.TakeBack(back);
  EXPECT_EQ(back.method, static_cast<DWORD>(eWIL));
  EXPECT_EQ(back.asrSchool, static_cast<DWORD>(eHanafi));
  EXPECT_EQ(back.highLatitudeRule, 1u);
  EXPECT_EQ(back.fridayBusyStatus, 2u);
  EXPECT_EQ(back.fridayMinutesBefore, 45u);
  EXPECT_EQ(back.fridayMinutesAfter, 120u);
  EXPECT_EQ(back.fridayReminderMinutes, 240u);
  EXPECT_TRUE(back.fridaySettings);
  EXPECT_TRUE(back.fridayReminder);
}

// Regression: a stored method the list does not offer (the custom method)
// opened with no selection, and OK stored -1, which computes as another
// method: OK without touching anything changed the user's times.
TEST_F(AdvancedDlgTest, AListLeftWithoutASelectionKeepsTheValueItWasGiven) {
  Register();
  AddinSettings settings = SettingsAt(kCairo);
  settings.method = eCustom;
  settings.asrSchool = 7;
  settings.fridayBusyStatus = 9;
  CAdvancedDlg& advanced = Make<CAdvancedDlg>(settings);
  HWND dialog = Open(advanced);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(Control(dialog, CAdvancedDlg::kMethod).selection, -1);
  EXPECT_EQ(Control(dialog, CAdvancedDlg::kSchool).selection, -1);
  EXPECT_EQ(Control(dialog, CAdvancedDlg::kFridayBusy).selection, -1);
  ASSERT_TRUE(m_frontEnd->Click(dialog, IDOK));
  EXPECT_EQ(Result(), IDOK);
  EXPECT_EQ(advanced.Values().method, static_cast<DWORD>(eCustom));
  EXPECT_EQ(advanced.Values().asrSchool, 7u);
  EXPECT_EQ(advanced.Values().fridayBusyStatus, 9u);
}

// Regression: the lists of minutes were read without a check: "abc" stored
// 0 and "-30" a huge unsigned number, so a Friday appointment spanned days
// or none.
TEST_F(AdvancedDlgTest, AListOfMinutesTakesOnlyAWholeNumberWithinADay) {
  Register();
  CAdvancedDlg& advanced = Make<CAdvancedDlg>(SettingsAt(kCairo));
  HWND dialog = Open(advanced);
  ASSERT_NE(dialog, nullptr);
  struct Field {
    int id;
    UINT name;
  };
  for (const Field field : {Field{CAdvancedDlg::kFridayBefore, CAdvancedDlg::kBeforeName},
                            Field{CAdvancedDlg::kFridayAfter, CAdvancedDlg::kAfterName},
                            Field{CAdvancedDlg::kFridayReminderMinutes, CAdvancedDlg::kReminderName}}) {
    const std::string expected = text::FormatResource(ResourceUtf8(CMinutesList::kOutOfRange), ResourceUtf8(field.name),
                                                      CMinutesList::kLowest, CMinutesList::kHighest);
    EXPECT_NE(expected.find(ResourceUtf8(field.name)), std::string::npos);
    EXPECT_NE(expected.find("1440"), std::string::npos);
    for (const char* bad : {"abc", "-30", "", "0", "1441", "12x", "1.5", "99999999999"}) {
      SCOPED_TRACE(std::string(bad) + " in " + std::to_string(field.id));
      m_frontEnd->Clear();
      ASSERT_TRUE(m_frontEnd->ReplaceText(dialog, field.id, bad));
      ASSERT_TRUE(m_frontEnd->Click(dialog, IDOK));
      ASSERT_EQ(m_frontEnd->MessageBoxes().size(), 1u);
      EXPECT_EQ(m_frontEnd->MessageBoxes()[0].text, expected);
      EXPECT_EQ(m_frontEnd->MessageBoxes()[0].caption, ResourceUtf8(138));
      EXPECT_EQ(m_frontEnd->MessageBoxes()[0].style, static_cast<UINT>(MB_OK));
      EXPECT_EQ(m_frontEnd->Snapshot(dialog)->focusId, field.id);
      EXPECT_TRUE(IsWindowVisible(dialog));
    }
    ASSERT_TRUE(m_frontEnd->ReplaceText(dialog, field.id, " 1440 "));
  }
  m_frontEnd->Clear();
  ASSERT_TRUE(m_frontEnd->Click(dialog, IDOK));
  EXPECT_TRUE(m_frontEnd->MessageBoxes().empty());
  EXPECT_EQ(Result(), IDOK);
  EXPECT_EQ(advanced.Values().fridayMinutesBefore, 1440u);
  EXPECT_EQ(advanced.Values().fridayMinutesAfter, 1440u);
  EXPECT_EQ(advanced.Values().fridayReminderMinutes, 1440u);
}

TEST_F(AdvancedDlgTest, UntickingTheReminderDisablesItsMinutesAndSoundButKeepsTheirValues) {
  Register();
  AddinSettings settings = SettingsAt(kCairo);
  settings.fridayReminderMinutes = 15;
  CAdvancedDlg& advanced = Make<CAdvancedDlg>(settings);
  HWND dialog = Open(advanced);
  ASSERT_NE(dialog, nullptr);
  ASSERT_TRUE(m_frontEnd->ReplaceText(dialog, CAdvancedDlg::kFridayReminderMinutes, "20"));
  ASSERT_TRUE(m_frontEnd->Click(dialog, CAdvancedDlg::kFridayReminder));
  for (const int id : {CAdvancedDlg::kFridayReminderMinutes, CAdvancedDlg::kFridayReminderLabel,
                       CAdvancedDlg::kFridaySound}) {
    EXPECT_FALSE(Control(dialog, id).enabled) << id;
  }
  EXPECT_FALSE(m_frontEnd->Click(dialog, CAdvancedDlg::kFridaySound));
  ASSERT_TRUE(m_frontEnd->Click(dialog, IDOK));
  EXPECT_EQ(Result(), IDOK);
  EXPECT_FALSE(advanced.Values().fridayReminder);
  EXPECT_EQ(advanced.Values().fridayReminderMinutes, 20u);

  // A text no one can correct any more (the list is disabled) leaves the
  // value the dialog was given, and no message.
  settings.fridayReminder = true;
  CAdvancedDlg& again = Make<CAdvancedDlg>(settings);
  dialog = Open(again);
  ASSERT_NE(dialog, nullptr);
  ASSERT_TRUE(m_frontEnd->ReplaceText(dialog, CAdvancedDlg::kFridayReminderMinutes, "soon"));
  ASSERT_TRUE(m_frontEnd->Click(dialog, CAdvancedDlg::kFridayReminder));
  m_frontEnd->Clear();
  ASSERT_TRUE(m_frontEnd->Click(dialog, IDOK));
  EXPECT_TRUE(m_frontEnd->MessageBoxes().empty());
  EXPECT_EQ(Result(), IDOK);
  EXPECT_EQ(again.Values().fridayReminderMinutes, 15u);
}

TEST_F(AdvancedDlgTest, TheSoundButtonEditsTheFridaySoundAndCancelKeepsIt) {
  Register();
  const std::filesystem::path sound = m_profile.Dir() / "adhan.wav";
  std::ofstream(sound) << "RIFF";
  CAdvancedDlg& advanced = Make<CAdvancedDlg>(SettingsAt(kCairo));
  HWND dialog = Open(advanced);
  ASSERT_NE(dialog, nullptr);
  // The sound dialog runs on the dialog's thread until it closes.
  HWND soundDialog = OpenFrom(dialog, CAdvancedDlg::kFridaySound, CSoundDlg::IDD);
  ASSERT_NE(soundDialog, nullptr);
  EXPECT_EQ(m_frontEnd->Snapshot(soundDialog)->owner, dialog);
  EXPECT_FALSE(m_frontEnd->Click(dialog, IDOK));  // the advanced dialog waits
  ASSERT_TRUE(m_frontEnd->Click(soundDialog, CSoundDlg::kPlay));
  ASSERT_TRUE(m_frontEnd->ReplaceText(soundDialog, CSoundDlg::kFile, sound.string()));
  ASSERT_TRUE(m_frontEnd->Click(soundDialog, IDOK));
  WaitClosed(soundDialog, dialog);

  // Opened again, it shows the new choice; Cancel there keeps it.
  soundDialog = OpenFrom(dialog, CAdvancedDlg::kFridaySound, CSoundDlg::IDD);
  ASSERT_NE(soundDialog, nullptr);
  EXPECT_EQ(Control(soundDialog, CSoundDlg::kPlay).checked, BST_CHECKED);
  EXPECT_EQ(Control(soundDialog, CSoundDlg::kFile).text, sound.string());
  ASSERT_TRUE(m_frontEnd->Click(soundDialog, CSoundDlg::kPlay));
  ASSERT_TRUE(m_frontEnd->Click(soundDialog, IDCANCEL));
  WaitClosed(soundDialog, dialog);
  ASSERT_TRUE(m_frontEnd->Click(dialog, IDOK));
  EXPECT_EQ(Result(), IDOK);
  EXPECT_TRUE(advanced.Values().fridayPlaySound);
  EXPECT_EQ(TToUtf8(advanced.Values().fridaySoundFile), sound.string());
}

// Regression: without a calculator (its class not registered) the handlers
// of the lists and the date called through a null pointer.
TEST_F(AdvancedDlgTest, WithoutACalculatorThePreviewStaysEmptyAndTheRestWorks) {
  CAdvancedDlg& advanced = Make<CAdvancedDlg>(SettingsAt(kCairo));  // nothing registered in this profile
  EXPECT_FALSE(advanced.HasCalculator());
  HWND dialog = Open(advanced);
  ASSERT_NE(dialog, nullptr);
  ASSERT_TRUE(m_frontEnd->Select(dialog, CAdvancedDlg::kMethod, eISNA));
  ASSERT_TRUE(m_frontEnd->Select(dialog, CAdvancedDlg::kSchool, eHanafi));
  ASSERT_TRUE(m_frontEnd->Select(dialog, CAdvancedDlg::kHighLatitude, 1));
  ASSERT_TRUE(PickDay(dialog, 2027, 1, 15));
  for (const int id : {CAdvancedDlg::kPreviewDay, CAdvancedDlg::kFajr, CAdvancedDlg::kShorouk, CAdvancedDlg::kZuhr,
                       CAdvancedDlg::kAsr, CAdvancedDlg::kMaghrib, CAdvancedDlg::kIsha}) {
    EXPECT_EQ(Control(dialog, id).text, "") << id;
  }
  ASSERT_TRUE(m_frontEnd->ReplaceText(dialog, CAdvancedDlg::kFridayBefore, "20"));
  ASSERT_TRUE(m_frontEnd->Click(dialog, IDOK));
  EXPECT_EQ(Result(), IDOK);
  EXPECT_EQ(advanced.Values().method, static_cast<DWORD>(eISNA));
  EXPECT_EQ(advanced.Values().asrSchool, static_cast<DWORD>(eHanafi));
  EXPECT_EQ(advanced.Values().fridayMinutesBefore, 20u);
}

TEST_F(AdvancedDlgTest, ItsMessagesReadRightToLeftWithTheArabicInterface) {
  Register();
  ASSERT_EQ(ReloadResourceLibrary(1025), S_OK);
  const LONG saved = UILanguageID;
  UILanguageID = 1025;
  CAdvancedDlg& advanced = Make<CAdvancedDlg>(SettingsAt(kCairo));
  HWND dialog = Open(advanced);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(Control(dialog, CAdvancedDlg::kHighLatitude).items[0], "سُبع الليل");
  ASSERT_TRUE(m_frontEnd->ReplaceText(dialog, CAdvancedDlg::kFridayAfter, "-5"));
  ASSERT_TRUE(m_frontEnd->Click(dialog, IDOK));
  ASSERT_EQ(m_frontEnd->MessageBoxes().size(), 1u);
  EXPECT_EQ(m_frontEnd->MessageBoxes()[0].text, "«الدقائق بعد الظهر» يقبل عددًا صحيحًا من الدقائق من 1 إلى 1440. يرجى تصحيحه.");
  EXPECT_EQ(m_frontEnd->MessageBoxes()[0].style, static_cast<UINT>(MB_OK | 0x00180000));
  ASSERT_TRUE(m_frontEnd->Click(dialog, IDCANCEL));
  EXPECT_EQ(Result(), IDCANCEL);
  UILanguageID = saved;
}

}  // namespace
