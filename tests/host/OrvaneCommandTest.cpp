// The orvane program as a user runs it: exit codes, messages and output.

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <algorithm>
#include <fstream>
#include <string>

#include "tests/support/TestProfile.h"

namespace {

struct RunResult {
  int exitCode;
  std::string out;  // standard output and standard error together
};

// A shell command's standard output and exit code.
RunResult RunCommand(const std::string& command) {
  RunResult result{-1, {}};
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return result;
  char buffer[4096];
  for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) result.out.append(buffer, n);
  const int status = pclose(pipe);
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

// Standard error joins the output unless stdoutOnly, when it is dropped.
RunResult RunOrvane(const std::string& arguments, bool stdoutOnly = false) {
  return RunCommand(std::string(ORVANE_PROGRAM) + " " + arguments + (stdoutOnly ? " 2>/dev/null" : " 2>&1"));
}

const char* const kCairo = "--longitude 31.25E --latitude 30.05N --timezone 2 --date 2004-03-21";

TEST(OrvaneCalc, PrintsTheWorkedTimesOfEveryMethod) {
  TestProfile profile;
  ASSERT_EQ(RunOrvane("install").exitCode, 0);
  const struct {
    const char* method;
    const char* line;
  } cases[] = {
      {"eEgypt", "2004-03-21 04:31 05:58 12:02 15:30 18:07 19:25\n"},
      {"eISNA", "2004-03-21 04:52 05:58 12:02 15:30 18:07 19:13\n"},
      {"eQurah", "2004-03-21 04:33 05:58 12:02 15:30 18:07 19:37\n"},
      {"3", "2004-03-21 04:38 05:58 12:02 15:30 18:07 19:27\n"},
      {"eWIL", "2004-03-21 04:38 05:58 12:02 15:30 18:07 19:22\n"},
      {"eCustom", "2004-03-21 04:38 05:58 12:02 15:30 18:07 19:27\n"},
      {"42", "2004-03-21 04:52 05:58 12:02 15:30 18:07 19:13\n"},  // unknown computes as eISNA
  };
  for (const auto& c : cases) {
    const RunResult r = RunOrvane(std::string("calc ") + kCairo + " --method " + c.method);
    EXPECT_EQ(r.exitCode, 0) << r.out;
    EXPECT_EQ(r.out, c.line) << c.method;
  }
  EXPECT_EQ(RunOrvane(std::string("calc ") + kCairo + " --school eHanafi").out,
            "2004-03-21 04:31 05:58 12:02 16:24 18:07 19:25\n");
  EXPECT_EQ(RunOrvane("calc --longitude -31.25 --latitude 30.05 --timezone 2 --date 2004-05-01 "
                "--daylight 04-25 09-28").out,
            "2004-05-01 04:37 06:12 12:52 16:29 19:33 20:57\n");
  EXPECT_EQ(RunOrvane("calc --longitude 74W --latitude 40.7167 --timezone -5 --method eISNA "
                "--date 2004-12-21").out,
            "2004-12-21 05:54 07:17 11:54 14:14 16:32 17:54\n");
  // The Office XP module computes the same.
  ASSERT_EQ(RunOrvane("install --office 10").exitCode, 0);
  EXPECT_EQ(RunOrvane(std::string("calc ") + kCairo).out, "2004-03-21 04:31 05:58 12:02 15:30 18:07 19:25\n");
}

TEST(OrvaneCalc, CityByTheStartOfItsNameGivesPlaceZoneAndMethod) {
  TestProfile profile;
  ASSERT_EQ(RunOrvane("install").exitCode, 0);
  RunResult r = RunOrvane("calc --city cAIRo --date 2004-03-21", true);
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, "2004-03-21 04:31 05:58 12:02 15:30 18:07 19:25\n");
  // The city's own method unless one is given.
  EXPECT_EQ(RunOrvane("calc --city \"New York\" --date 2004-12-21", true).out,
            "2004-12-21 05:54 07:17 11:54 14:14 16:32 17:54\n");
  EXPECT_EQ(RunOrvane("calc --city Cairo --method eISNA --date 2004-03-21", true).out,
            "2004-03-21 04:52 05:58 12:02 15:30 18:07 19:13\n");
  // In the Arabic interface the Arabic city file is searched.
  EXPECT_EQ(RunOrvane("--ui-language 1025 calc --city القاهرة --date 2004-03-21", true).out,
            "2004-03-21 04:31 05:58 12:02 15:30 18:07 19:25\n");
  r = RunOrvane("calc --city Atlantis");
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.out.find("no city"), std::string::npos) << r.out;
}

TEST(OrvaneCalc, ManyDaysRunAcrossMonthAndYearEnds) {
  TestProfile profile("2004-12-30T10:00:00");
  ASSERT_EQ(RunOrvane("install").exitCode, 0);
  const RunResult r = RunOrvane("calc --longitude 39.8167E --latitude 21.4167N --timezone 3 --method eQurah --days 3");
  ASSERT_EQ(r.exitCode, 0) << r.out;
  EXPECT_EQ(r.out.substr(0, 11), "2004-12-30 ");  // today comes from ORVANE_NOW
  EXPECT_NE(r.out.find("\n2004-12-31 "), std::string::npos);
  EXPECT_NE(r.out.find("\n2005-01-01 "), std::string::npos);
  EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 3);
}

TEST(OrvaneCalc, TimesPastMidnightCarryTheNextDayAndOnlyPastTheCalendarAreDashes) {
  TestProfile profile;
  ASSERT_EQ(RunOrvane("install").exitCode, 0);
  // A zone far from the place's longitude puts Isha past midnight: it used
  // to print as --:-- (or as the morning's twilight), it is the next day's.
  RunResult r = RunOrvane("calc --longitude -13.4 --latitude 45 --timezone 4 --method eISNA --date 2004-06-21");
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, "2004-06-21 05:23 07:20 15:08 19:18 22:57 00:54+1\n");
  // The last day of the calendar ends at its midnight: no time of it can be
  // written as a date.
  r = RunOrvane("calc --longitude -13.4 --latitude 45 --timezone 3 --method eISNA --date 9999-12-31");
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, "9999-12-31 --:-- --:-- --:-- --:-- --:-- --:--\n");
}

TEST(OrvaneCalc, CityKeepsTheSummerTimeOfItsZone) {
  TestProfile profile;
  ASSERT_EQ(RunOrvane("install").exitCode, 0);
  // London on 21 June: British Summer Time, and Fajr and Isha from a
  // seventh of the night (02:40 and 21:25 UTC, as adhan gives them).
  RunResult r = RunOrvane("calc --city london --date 2027-06-21");
  EXPECT_EQ(r.exitCode, 0) << r.out;
  EXPECT_NE(r.out.find("London, United Kingdom (latitude 51.5 N, longitude 0.1333 W, UTC+0, method 4)"),
            std::string::npos) << r.out;
  EXPECT_NE(r.out.find("summer time (Europe/London, UTC+1): 2027-03-28 to 2027-10-30"), std::string::npos)
      << r.out;
  EXPECT_EQ(RunOrvane("calc --city london --date 2027-06-21", true).out,
            "2027-06-21 03:40 04:43 13:02 17:25 21:21 22:25\n");
  // The French file names London otherwise; its zone is found by position.
  EXPECT_EQ(RunOrvane("--ui-language 1036 calc --city londres --date 2027-06-21", true).out,
            "2027-06-21 03:40 04:43 13:02 17:25 21:21 22:25\n");
  // In winter, or when asked, standard time; and by position alone, as before.
  EXPECT_EQ(RunOrvane("calc --city london --date 2027-06-21 --no-daylight", true).out,
            "2027-06-21 02:40 03:43 12:02 16:25 20:21 21:25\n");
  EXPECT_EQ(RunOrvane("calc --longitude 0.1333W --latitude 51.5N --timezone 0 --method eWIL --date 2027-06-21",
                      true).out,
            "2027-06-21 02:40 03:43 12:02 16:25 20:21 21:25\n");
  // The last day of summer time, and the first after it.
  r = RunOrvane("calc --city london --date 2027-10-30 --days 2", true);
  EXPECT_EQ(r.out.substr(0, 28), "2027-10-30 05:57 07:50 12:44") << r.out;
  EXPECT_EQ(r.out.substr(47, 28), "2027-10-31 04:59 06:52 11:44") << r.out;
  // Egypt's summer time again from 2023 (Cairo's Zuhr an hour later), and a
  // southern summer that runs over the new year.
  EXPECT_NE(RunOrvane("calc --city cairo --date 2024-07-01", true).out.find(" 12:59 "), std::string::npos);
  EXPECT_NE(RunOrvane("calc --city cairo --date 2024-07-01 --no-daylight", true).out.find(" 11:59 "),
            std::string::npos);
  r = RunOrvane("calc --city sydney --date 2026-12-31 --days 2");
  EXPECT_NE(r.out.find("2026-10-04 to 2026-12-31"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("2027-01-01 to 2027-04-03, 2027-10-03 to 2027-12-31"), std::string::npos) << r.out;
  // Cairo's longitude is east, and says so.
  r = RunOrvane("calc --city cairo --date 2004-03-21");
  EXPECT_NE(r.out.find("Cairo, Egypt (latitude 30.05 N, longitude 31.25 E, UTC+2, method 0)"), std::string::npos)
      << r.out;
  EXPECT_EQ(RunOrvane("calc --city london --daylight 04-01 09-30 --no-daylight").exitCode, 2);
}

TEST(OrvaneCalc, HighLatitudeRuleIsChosenByName) {
  TestProfile profile;
  ASSERT_EQ(RunOrvane("install").exitCode, 0);
  const std::string london = "calc --city london --date 2027-06-21 --high-latitude ";
  EXPECT_EQ(RunOrvane(london + "middle", true).out, "2027-06-21 01:02 04:43 13:02 17:25 21:21 01:02+1\n");
  EXPECT_EQ(RunOrvane(london + "angle", true).out, "2027-06-21 02:31 04:43 13:02 17:25 21:21 23:27\n");
  EXPECT_EQ(RunOrvane(london + "seventh", true).out, RunOrvane("calc --city london --date 2027-06-21", true).out);
  const RunResult bad = RunOrvane(london + "quarter");
  EXPECT_EQ(bad.exitCode, 2);
  EXPECT_NE(bad.out.find("seventh, middle or angle"), std::string::npos) << bad.out;
  // Helsinki in late April: Isha after midnight, on the next day, every day.
  const RunResult helsinki = RunOrvane("calc --city helsinki --date 2027-04-20 --days 5 --high-latitude middle", true);
  EXPECT_EQ(std::count(helsinki.out.begin(), helsinki.out.end(), '\n'), 5);
  EXPECT_EQ(helsinki.out.find("+1\n") != std::string::npos, true) << helsinki.out;
  for (std::size_t line = 0; line != std::string::npos && line < helsinki.out.size();
       line = helsinki.out.find('\n', line) + 1) {
    const std::string text = helsinki.out.substr(line, helsinki.out.find('\n', line) - line);
    EXPECT_EQ(text.substr(text.size() - 2), "+1") << text;
  }
  // Reykjavik's sun sets after midnight in June.
  EXPECT_EQ(RunOrvane("calc --city reykjavik --date 2027-06-21", true).out,
            "2027-06-21 02:31 02:55 13:29 18:22 00:03+1 00:28+1\n");
}

TEST(OrvaneCalc, BadArgumentsGiveOneLineAndNonZeroExit) {
  TestProfile profile;
  ASSERT_EQ(RunOrvane("install").exitCode, 0);
  for (const char* bad : {"calc --longitude 31.25X --latitude 30 --timezone 2",
                          "calc --longitude 31 --latitude north --timezone 2",
                          "calc --longitude 31 --latitude 30",
                          "calc --longitude 31 --latitude 30 --timezone 2 --method eMars",
                          "calc --longitude 31 --latitude 30 --timezone 2 --days 0",
                          "calc --longitude 31 --latitude 30 --timezone 2 --date 2004-02-30",
                          "calc --longitude 31 --latitude 30 --timezone 2 --daylight 13-01 09-28",
                          "calc --longitude 31 --latitude 30 --timezone 2 --frobnicate",
                          "frobnicate", "--office 12 calc"}) {
    const RunResult r = RunOrvane(bad);
    EXPECT_EQ(r.exitCode, 2) << bad << "\n" << r.out;
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 1) << bad << "\n" << r.out;
    EXPECT_EQ(r.out.rfind("orvane", 0), 0u) << r.out;
  }
}

TEST(OrvaneCalc, UnregisteredCalculatorTellsTheUserToInstall) {
  TestProfile profile;
  const RunResult r = RunOrvane(std::string("calc ") + kCairo);
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.out.find("orvane install"), std::string::npos) << r.out;
}

TEST(OrvaneProgram, HelpOnEveryCommand) {
  TestProfile profile;
  for (const char* command : {"--help", "install --help", "calc --help", "reg --help"}) {
    const RunResult r = RunOrvane(command);
    EXPECT_EQ(r.exitCode, 0) << command;
    EXPECT_NE(r.out.find("usage: orvane"), std::string::npos) << command;
  }
}

TEST(OrvaneProgram, TheDesktopIsLoadedOnlyForAProgramThatAsksForIt) {
  // Qt is no library of the program's: a command that shows nothing does
  // not pay for loading it.
  const std::string libraries = RunCommand("ldd " + std::string(ORVANE_PROGRAM)).out;
  EXPECT_NE(libraries.find("libOrvanePlatform"), std::string::npos) << libraries;
  EXPECT_EQ(libraries.find("libQt6"), std::string::npos) << libraries;

  // Asked for, the desktop is loaded, starts and ends with the command.
  TestProfile profile;
  ASSERT_EQ(RunOrvane("install").exitCode, 0);
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  const RunResult r = RunOrvane(std::string("--ui qt calc ") + kCairo, true);
  unsetenv("QT_QPA_PLATFORM");
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, "2004-03-21 04:31 05:58 12:02 15:30 18:07 19:25\n");
}

TEST(OrvaneReg, ExportImportRoundTripThroughTheProgram) {
  TestProfile profile;
  ASSERT_EQ(RunOrvane("install").exitCode, 0);
  const RunResult exported = RunOrvane("reg export 'HKEY_CLASSES_ROOT\\CLSID'");
  ASSERT_EQ(exported.exitCode, 0) << exported.out;
  EXPECT_EQ(exported.out.rfind("Windows Registry Editor Version 5.00", 0), 0u);
  EXPECT_NE(exported.out.find("\"ThreadingModel\"=\"Apartment\""), std::string::npos);

  const std::string file = (profile.Dir() / "saved.reg").string();
  std::ofstream(file) << exported.out;
  TestProfile other;
  ASSERT_EQ(RunOrvane("reg import " + file).exitCode, 0);
  EXPECT_EQ(RunOrvane("reg export 'HKEY_CLASSES_ROOT\\CLSID'").out, exported.out);
  EXPECT_EQ(RunOrvane("reg import /nonexistent.reg").exitCode, 1);
  EXPECT_NE(RunOrvane("reg export 'HKEY_CURRENT_USER\\No\\Such\\Key'").exitCode, 0);
}

}  // namespace

namespace {

// The lines of `orvane calendar list` for a folder.
std::size_t ItemCount(const char* folder) {
  const RunResult list = RunOrvane(std::string("calendar list --folder ") + folder, true);
  return static_cast<std::size_t>(std::count(list.out.begin(), list.out.end(), '\n'));
}

TEST(OrvaneButtons, TheInstalledAddinFillsTheCalendarAndItsButtonsWork) {
  TestProfile profile;  // 21 March 2004, 05:30; the default city is Mecca
  ASSERT_EQ(RunOrvane("install").exitCode, 0);
  // Starting fills the window: Zuhr and Asr of today and the seven days after.
  RunResult run = RunOrvane("start");
  ASSERT_EQ(run.exitCode, 0) << run.out;
  EXPECT_EQ(ItemCount("calendar"), 16u);
  // Generate over a filled calendar only says so.
  run = RunOrvane("generate");
  ASSERT_EQ(run.exitCode, 0) << run.out;
  EXPECT_NE(run.out.find("Microsoft Outlook:"), std::string::npos) << run.out;
  EXPECT_EQ(ItemCount("calendar"), 16u);
  // Delete leaves nothing of the add-in's, in the calendar or in Deleted Items.
  run = RunOrvane("delete");
  ASSERT_EQ(run.exitCode, 0) << run.out;
  EXPECT_EQ(ItemCount("calendar"), 0u);
  EXPECT_EQ(ItemCount("deleted"), 0u);
}

TEST(OrvaneButtons, WithoutTheAddinThereIsNoButtonToPress) {
  TestProfile profile;
  const RunResult run = RunOrvane("generate");
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.out.find("orvane install"), std::string::npos) << run.out;
}

// Regression: with a registry.db that was no database, orvane start loaded
// no add-in and exited 0, as if all had gone well.
TEST(OrvaneProfile, ADamagedDatabaseIsNamedAndNothingRuns) {
  for (const char* name : {"registry.db", "outlook.db"}) {
    SCOPED_TRACE(name);
    TestProfile profile;
    ASSERT_EQ(RunOrvane("install").exitCode, 0);
    std::filesystem::remove(profile.Dir() / (std::string(name) + "-wal"));
    std::filesystem::remove(profile.Dir() / (std::string(name) + "-shm"));
    std::ofstream(profile.Dir() / name, std::ios::binary | std::ios::trunc) << std::string(4096, 'x');
    for (const char* command : {"start", "calendar list", "calc --city mecca"}) {
      const RunResult run = RunOrvane(command);
      EXPECT_EQ(run.exitCode, 1) << command;
      EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 1) << run.out;
      EXPECT_NE(run.out.find((profile.Dir() / name).string()), std::string::npos) << run.out;
      EXPECT_NE(run.out.find("backup"), std::string::npos) << run.out;
    }
  }
}

// Regression: --latitude 95N printed times for a place that cannot exist.
TEST(OrvaneCalc, RefusesPlacesAndZonesOffTheEarth) {
  TestProfile profile;
  ASSERT_EQ(RunOrvane("install").exitCode, 0);
  for (const char* bad : {"--longitude 31.25E --latitude 95N --timezone 2",
                          "--longitude 181E --latitude 30.05N --timezone 2",
                          "--longitude 31.25E --latitude 30.05N --timezone 15",
                          "--longitude 31.25E --latitude 30.05N --timezone -12.5"}) {
    const RunResult run = RunOrvane(std::string("calc ") + bad + " --date 2004-03-21");
    EXPECT_EQ(run.exitCode, 2) << bad << "\n" << run.out;
  }
  // The edges themselves are places: the pole, the date line, Kiribati's +14.
  EXPECT_EQ(RunOrvane("calc --longitude 180W --latitude 90S --timezone 14 --date 2004-03-21").exitCode, 0);
}

// Regression: an unreadable ORVANE_NOW was reported at every reading of the
// clock, hundreds of times a run.
TEST(OrvaneProfile, AnUnreadableNowIsReportedOnce) {
  TestProfile profile("yesterday");
  ASSERT_EQ(RunOrvane("install").exitCode, 0);
  const RunResult run = RunOrvane("start");
  EXPECT_EQ(run.exitCode, 0) << run.out;
  std::size_t reports = 0;
  for (std::size_t at = 0; (at = run.out.find("ORVANE_NOW", at)) != std::string::npos; ++at) ++reports;
  EXPECT_EQ(reports, 1u) << run.out;
}

}  // namespace

namespace {

TEST(OrvaneDialog, WithoutADesktopSaysSoInOneLineInsteadOfWaiting) {
  TestProfile profile;
  const RunResult r = RunOrvane("--ui terminal dialog daylight");
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 1) << r.out;
  EXPECT_NE(r.out.find("needs a desktop"), std::string::npos) << r.out;
  EXPECT_EQ(RunOrvane("dialog nothing").exitCode, 2);
  EXPECT_EQ(RunOrvane("--ui desk dialog daylight").exitCode, 2);
  // An option of another dialog is refused before anything is shown.
  const RunResult wrong = RunOrvane("--ui headless dialog daylight --edit");
  EXPECT_EQ(wrong.exitCode, 2);
  EXPECT_NE(wrong.out.find("\"--edit\" is not an option of the daylight dialog"), std::string::npos) << wrong.out;
}

// The dialogs on offer are the module's to say: its table's names reach
// --help, with the options each takes.
TEST(OrvaneDialog, HelpListsTheDialogsTheModuleOffers) {
  TestProfile profile;
  const RunResult r = RunOrvane("dialog --help");
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_NE(r.out.find("  daylight "), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("  add-city [--edit] "), std::string::npos) << r.out;
  for (const char* offered : {"  advanced ", "  sound [--prayers] ", "  custom-prayers ", "  custom-reminders "}) {
    EXPECT_NE(r.out.find(offered), std::string::npos) << offered << "\n" << r.out;
  }
}

TEST(OrvaneDialog, PrintsWhatTheDialogReturnsInEachLanguageAndSavesNothing) {
  TestProfile profile;
  for (const char* language : {"1033", "1036", "1025"}) {
    const RunResult r =
        RunOrvane(std::string("--ui headless --ui-language ") + language + " dialog daylight", true);
    EXPECT_EQ(r.exitCode, 0) << language;
    EXPECT_EQ(r.out,
              "DaylightStartDay=1\nDaylightStartMonth=3\nDaylightEndDay=31\nDaylightEndMonth=9\n")
        << language;
  }
  // Nothing was written: the settings key is still empty of daylight values.
  EXPECT_EQ(RunOrvane("reg export \"HKEY_CURRENT_USER\\Software\\Veltrix\"").out.find("DaylightStartDay"),
            std::string::npos);
}

// Writes values under the settings key (and the maker's key) as an
// installer or a support person would, through orvane reg import.
void ImportSettings(const TestProfile& profile, const std::string& settings, const std::string& maker = "") {
  const std::filesystem::path reg = profile.Dir() / "settings.reg";
  std::ofstream(reg) << "Windows Registry Editor Version 5.00\n\n"
                     << "[HKEY_CURRENT_USER\\Software\\Veltrix\\Orvane\\3.0]\n"
                     << maker << "\n"
                     << "[HKEY_CURRENT_USER\\Software\\Veltrix\\Orvane\\3.0\\Settings]\n"
                     << settings;
  const RunResult r = RunOrvane("reg import " + reg.string());
  ASSERT_EQ(r.exitCode, 0) << r.out;
}

TEST(OrvaneDialog, TheAdvancedAndCustomDialogsPrintWhatTheyReturnInEachLanguage) {
  TestProfile profile;
  ImportSettings(profile,
                 "\"CalculationMethod\"=dword:00000001\n"
                 "\"FridayMinutesBefore\"=dword:0000002d\n"
                 "\"FridaySoundFile\"=\"c:\\\\sounds\\\\adhan.wav\"\n"
                 "\"PrayerFlags\"=dword:0000008c\n"
                 "\"CustomReminderSubject\"=\"Say \\\"subhan Allah\\\", then سبحان الله\"\n"
                 "\"CustomReminderInterval\"=dword:00000000\n");
  for (const char* language : {"1033", "1036", "1025"}) {
    SCOPED_TRACE(language);
    const std::string run = std::string("--ui headless --ui-language ") + language + " dialog ";
    RunResult r = RunOrvane(run + "advanced", true);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out,
              "CalculationMethod=1\nAsrSchool=0\nHighLatitudeRule=0\nFridaySettingsOn=1\nFridayBusyStatus=0\n"
              "FridayMinutesBefore=45\nFridayMinutesAfter=90\nFridayReminderOn=1\nFridayReminderMinutes=30\n"
              "FridayPlaySound=0\nFridaySoundFile=c:\\sounds\\adhan.wav\n");
    r = RunOrvane(run + "sound", true);
    EXPECT_EQ(r.out, "FridayPlaySound=0\nFridaySoundFile=c:\\sounds\\adhan.wav\n");
    r = RunOrvane(run + "sound --prayers", true);
    EXPECT_EQ(r.out, "PlaySound=0\nSoundFile=\nFajrPlaySound=0\nFajrSoundFile=\n");
    // The custom prayers dialog hands the reminders' values back as it got
    // them; the reminders dialog shows a stored interval of 0 as the 60
    // minutes its list selects.
    r = RunOrvane(run + "custom-prayers", true);
    EXPECT_EQ(r.out,
              "PrayerFlags=140\nCustomRemindersFrom=08:00\nCustomRemindersTo=17:00\n"
              "CustomReminderSubject=Say \"subhan Allah\", then سبحان الله\nCustomReminderInterval=0\n"
              "CustomReminderChange=1\n");
    r = RunOrvane(run + "custom-reminders", true);
    EXPECT_EQ(r.out,
              "CustomRemindersFrom=08:00\nCustomRemindersTo=17:00\n"
              "CustomReminderSubject=Say \"subhan Allah\", then سبحان الله\nCustomReminderInterval=60\n");
  }
  // Nothing was saved: the interval is still the 0 that was stored.
  const RunResult exported = RunOrvane("reg export \"HKEY_CURRENT_USER\\Software\\Veltrix\"");
  EXPECT_NE(exported.out.find("\"CustomReminderInterval\"=dword:00000000"), std::string::npos) << exported.out;
  EXPECT_EQ(exported.out.find("HighLatitudeRule"), std::string::npos);
}

// Regression: a stored method outside the list (the custom method) was
// returned as -1 by OK; an unknown high-latitude rule is the default, with
// a line in the log.
TEST(OrvaneDialog, TheAdvancedDialogKeepsTheCustomMethodAndRepairsAnUnknownRule) {
  TestProfile profile;
  ImportSettings(profile, "\"CalculationMethod\"=dword:00000005\n\"HighLatitudeRule\"=dword:00000007\n",
                 "\"LogToFile\"=dword:00000001\n");
  const RunResult r = RunOrvane("--ui headless dialog advanced", true);
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_NE(r.out.find("CalculationMethod=5\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("HighLatitudeRule=0\n"), std::string::npos) << r.out;
  std::ifstream log(profile.Dir() / "drive_c" / "orvnlog.txt", std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(log)), std::istreambuf_iterator<char>());
  EXPECT_NE(text.find("\nOut of range, the default taken: HighLatitudeRule = 7 -> 0"), std::string::npos) << text;
}

// With nothing to remind of, the custom reminders dialog refuses OK; the
// headless run answers its message and cancels.
TEST(OrvaneDialog, TheCustomRemindersDialogWithoutASubjectIsCancelled) {
  TestProfile profile;
  const RunResult r = RunOrvane("--ui headless dialog custom-reminders");
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_NE(r.out.find("Please enter a subject for the reminders."), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("cancelled"), std::string::npos) << r.out;
}

// The location dialog saves what was chosen (here, pressed OK at once, the
// profile's own city) and the calendar follows: the command starts the host
// as Outlook, and the add-in rewrites its appointments and clears the mark.
TEST(OrvaneDialog, TheLocationDialogSavesTheChoiceAndTheAddinRewritesTheCalendarForIt) {
  TestProfile profile;
  for (const char* office : {"11", "10"}) {
    ASSERT_EQ(RunOrvane(std::string("install --office ") + office).exitCode, 0);
    ASSERT_EQ(RunOrvane(std::string("--office ") + office + " start").exitCode, 0);
    const RunResult r = RunOrvane(std::string("--office ") + office + " --ui headless dialog location", true);
    EXPECT_EQ(r.exitCode, 0) << office << r.out;
    EXPECT_NE(r.out.find("Name=Mecca\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Location=Mecca,,Saudi Arabia,21 25 N,39 49 E,3.000000,N,1,N,1\n"), std::string::npos)
        << r.out;
    const std::string settings = RunOrvane("reg export \"HKEY_CURRENT_USER\\Software\\Veltrix\"").out;
    EXPECT_NE(settings.find("\"UpdatePending\"=dword:00000000"), std::string::npos) << office << settings;
  }
  EXPECT_NE(RunOrvane("dialog --help").out.find("  location "), std::string::npos);
}

}  // namespace
