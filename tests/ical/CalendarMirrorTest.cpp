// The mirror as a subscriber reads it: which items, and each field of each.

#include <algorithm>
#include <limits>

#include "host/ical/FileUri.h"
#include "host/ical/ICalText.h"
#include "host/ical/MirrorError.h"
#include "tests/ical/MirrorTest.h"

using host::Appointment;
using host::FolderKind;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace {

class CalendarMirrorTest : public MirrorTest {};

std::vector<std::string> Uids(const host::MirrorCalendar& calendar) {
  std::vector<std::string> uids;
  for (const auto& event : calendar.events) uids.push_back(event.uid);
  return uids;
}

TEST_F(CalendarMirrorTest, EmptyCalendarIsAPublishedVCalendar) {
  const std::string text = host::BuildICalendar({});
  EXPECT_EQ(text.rfind("BEGIN:VCALENDAR\r\n", 0), 0u);
  EXPECT_EQ(text.substr(text.size() - 15), "END:VCALENDAR\r\n");
  const host::MirrorCalendar calendar = RoundTrip(std::vector<Appointment>{});
  EXPECT_EQ(calendar.version, "2.0");
  EXPECT_EQ(calendar.prodId, "-//Orvane//Orvane 3.0//EN");
  EXPECT_EQ(calendar.calScale, "GREGORIAN");
  EXPECT_EQ(calendar.method, "PUBLISH");
  EXPECT_EQ(calendar.name, "Orvane");
  EXPECT_TRUE(calendar.events.empty());
}

TEST_F(CalendarMirrorTest, HoldsTheCalendarFolderOnlyInItsOrder) {
  std::vector<Appointment> items{Item("b"), Item("gone"), Item("a")};
  items[1].folder = FolderKind::kDeletedItems;
  EXPECT_THAT(Uids(RoundTrip(items)), ElementsAre("b", "a"));
}

TEST_F(CalendarMirrorTest, UidFollowsItsItemAcrossRewrites) {
  std::vector<Appointment> items{Item("fajr-1"), Item("dhuhr-1"), Item("asr-1")};
  items[1].subject = "Dhuhr";
  RoundTrip(items);
  items.erase(items.begin());
  std::swap(items[0], items[1]);
  const host::MirrorCalendar again = RoundTrip(items);
  ASSERT_THAT(Uids(again), ElementsAre("asr-1", "dhuhr-1"));
  EXPECT_EQ(again.events[1].summary, "Dhuhr");
}

TEST_F(CalendarMirrorTest, RefusesAnItemWithoutUidOrSharingOne) {
  Appointment deleted = Item("same");
  deleted.folder = FolderKind::kDeletedItems;
  EXPECT_NO_THROW(host::BuildICalendar({Item("same"), deleted}));
  Appointment unsaved = Item("");
  unsaved.id = 42;
  EXPECT_THROW(
      try { host::BuildICalendar({unsaved}); } catch (const host::MirrorError& e) {
        EXPECT_THAT(e.what(), HasSubstr("id 42"));
        throw;
      },
      host::MirrorError);
  EXPECT_THROW(host::BuildICalendar({Item("same"), Item("same")}), host::MirrorError);
}

TEST_F(CalendarMirrorTest, TextsRoundTripAndFoldOnWholeCharacters) {
  const std::string prayer = "صلاة الفجر";
  std::string longArabic;
  for (int i = 0; i < 20; ++i) longArabic += "، " + prayer;
  const std::string texts[] = {"Fajr, Dhuhr; Asr",  "a\\b \\n c:d \"e\"", "line 1\nline 2\n",
                               prayer + " — 04:52", longArabic,           "tab\there"};
  for (const std::string& text : texts) {
    Appointment item = Item("t");
    item.subject = text;
    item.body = text;
    const host::MirrorEvent event = RoundTrip(item);
    EXPECT_EQ(event.summary, text);
    EXPECT_EQ(event.description, text);
  }
  Appointment item = Item("long");
  item.subject = longArabic;
  const std::string mirror = host::BuildICalendar({item});
  for (std::size_t at = 0, next; at < mirror.size(); at = next + 2) {
    next = mirror.find("\r\n", at);
    ASSERT_NE(next, std::string::npos);
    const std::string line = mirror.substr(at, next - at);
    EXPECT_LE(line.size(), 75u) << line;
    EXPECT_EQ(host::CleanText(line), line) << "a line starts or ends inside a character";
  }
}

TEST_F(CalendarMirrorTest, TextsLoseWhatICalendarCannotCarry) {
  Appointment item = Item("c");
  item.subject = std::string("Fajr\0 at\x01 dawn", 15);
  item.body = "a\r\nb\rc \xff end";
  const host::MirrorEvent event = RoundTrip(item);
  EXPECT_EQ(event.summary, "Fajr at dawn");
  EXPECT_EQ(event.description, "a\nb\nc \xEF\xBF\xBD end");
  item.body.clear();
  EXPECT_EQ(RoundTrip(item).description, std::nullopt);
}

TEST_F(CalendarMirrorTest, TimesAreFloatingLocalTimesToTheSecond) {
  // Before 30 December 1899 the fraction still counts forward: -1.25 is
  // 29 December 06:00, and -1.5 six hours later.
  struct Case {
    DATE start;
    DATE end;
    const char* dtStart;
  };
  const Case cases[] = {
      {kFajr, kFajr + 90.5 / 1440.0, "20040321T045200"},
      {0.0, 0.5, "18991230T000000"},
      {-1.25, -1.5, "18991229T060000"},
      {-18201.0 - (5 * 3600 + 7 * 60 + 9) / 86400.0, -18201.5, "18500301T050709"},
      {51686.5, 51687.0, "20410704T120000"},  // past 2038
      {-657433.0, -657433.5, "01000102T000000"},
      {402133.0 + 1439 / 1440.0, 402133.0 + 1439 / 1440.0, "30001231T235900"},
  };
  for (const Case& c : cases) {
    Appointment item = Item("d", c.start);
    item.end = c.end;
    EXPECT_THAT(host::BuildICalendar({item}),
                HasSubstr(std::string("\r\nDTSTART:") + c.dtStart + "\r\n"));
    const host::MirrorEvent event = RoundTrip(item);
    EXPECT_TRUE(event.floating);
    EXPECT_NEAR(event.start, c.start, 0.5 / 86400.0);
    EXPECT_NEAR(event.end, item.end, 0.5 / 86400.0);
  }
  // DTSTAMP is "now" in UTC: 05:30 at UTC+3.
  EXPECT_THAT(host::BuildICalendar({Item("d")}), HasSubstr("\r\nDTSTAMP:20040321T023000Z\r\n"));
}

TEST_F(CalendarMirrorTest, ItemOfNoLengthHasNoEndAndAnImpossibleTimeIsRefused) {
  Appointment item = Item("z");
  item.end = item.start;
  const host::MirrorEvent event = RoundTrip(item);
  EXPECT_FALSE(event.hasEnd);
  EXPECT_EQ(event.end, event.start);
  item.end = item.start - 1 / 1440.0;
  EXPECT_THROW(host::BuildICalendar({item}), host::MirrorError);
  // libical would write a year after 3000 as 00000000T000000.
  for (DATE bad : {std::numeric_limits<double>::quiet_NaN(), 2958466.0, -657435.0, 402134.0}) {
    item = Item("z", bad);
    EXPECT_THROW(host::BuildICalendar({item}), host::MirrorError) << bad;
  }
}

TEST_F(CalendarMirrorTest, BusyStatusMapsToCdoStatusAndTransparency) {
  struct Case {
    long busyStatus;
    const char* cdo;
    const char* transp;
  };
  const Case cases[] = {{0, "FREE", "TRANSPARENT"}, {1, "TENTATIVE", "OPAQUE"},
                        {2, "BUSY", "OPAQUE"},      {3, "OOF", "OPAQUE"},
                        {7, "BUSY", "OPAQUE"},      {-1, "BUSY", "OPAQUE"}};
  for (const Case& c : cases) {
    Appointment item = Item("s");
    item.busyStatus = c.busyStatus;
    const host::MirrorEvent event = RoundTrip(item);
    EXPECT_EQ(event.busyStatus, c.cdo) << c.busyStatus;
    EXPECT_EQ(event.transp, c.transp) << c.busyStatus;
  }
}

TEST_F(CalendarMirrorTest, ReminderBecomesOneAlarmBeforeTheStart) {
  Appointment item = Item("r");
  item.reminderPlaySound = true;
  item.reminderSoundFile = "/usr/share/sounds/adhan.wav";
  EXPECT_TRUE(RoundTrip(item).alarms.empty()) << "no reminder set";
  item.reminderSet = true;
  item.reminderPlaySound = false;
  for (long minutes : {15L, 0L, 1440L, -5L}) {
    item.reminderMinutesBeforeStart = minutes;
    const host::MirrorEvent event = RoundTrip(item);
    ASSERT_EQ(event.alarms.size(), 1u);
    EXPECT_EQ(event.alarms[0].minutesBeforeStart, minutes);
    EXPECT_EQ(event.alarms[0].action, "DISPLAY");
    EXPECT_EQ(event.alarms[0].description, "Fajr");
  }
  EXPECT_THAT(host::BuildICalendar({item}), HasSubstr("\r\nTRIGGER:PT5M\r\n"));
  item.reminderMinutesBeforeStart = host::kMaxReminderMinutes + 1;
  EXPECT_THROW(host::BuildICalendar({item}), host::MirrorError);
}

TEST_F(CalendarMirrorTest, SoundReminderAttachesTheFileByUri) {
  struct Case {
    std::string soundFile;
    std::filesystem::path expected;
  };
  const Case cases[] = {
      {"/usr/share/sounds/call to prayer.wav", "/usr/share/sounds/call to prayer.wav"},
      {"C:\\My Sounds\\أذان #1 100%.wav", m_profile.Dir() / "drive_c/My Sounds/أذان #1 100%.wav"}};
  for (const Case& c : cases) {
    Appointment item = Item("a");
    item.reminderSet = true;
    item.reminderPlaySound = true;
    item.reminderSoundFile = c.soundFile;
    const host::MirrorEvent event = RoundTrip(item);
    ASSERT_EQ(event.alarms.size(), 1u);
    EXPECT_EQ(event.alarms[0].action, "AUDIO");
    const std::string& uri = event.alarms[0].attach;
    EXPECT_TRUE(std::all_of(uri.begin(), uri.end(), [](unsigned char c) {
      return c > ' ' && c < 0x7F && c != '#';
    })) << uri;
    EXPECT_EQ(host::PathFromFileUri(event.alarms[0].attach), c.expected);
    item.reminderSoundFile.clear();
    EXPECT_EQ(RoundTrip(item).alarms.at(0).action, "DISPLAY") << "sound on, but no file";
  }
}

TEST_F(CalendarMirrorTest, ReaderReportsWhatIsWrongWithACalendar) {
  const std::string broken =
      "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//x//x//EN\r\nMETHOD:PUBLISH\r\nBEGIN:VEVENT\r\n"
      "SUMMARY:no uid, no stamp\r\nDTSTART:20040321T045200\r\n"
      "X-ORVANE-N;X-ORVANE-TYPE=NUMBER:seven\r\nEND:VEVENT\r\n"
      "END:VCALENDAR\r\n";
  const host::MirrorCalendar calendar = host::ParseMirror(broken);
  EXPECT_THAT(calendar.problems, ::testing::Contains(HasSubstr("UID")));
  EXPECT_THAT(calendar.problems, ::testing::Contains(HasSubstr("DTSTAMP")));
  EXPECT_THAT(calendar.problems, ::testing::Contains(HasSubstr("X-ORVANE-N:seven")));
  EXPECT_THROW(host::ParseMirror("BEGIN:VEVENT\r\nEND:VEVENT\r\n"), host::MirrorError);
}

}  // namespace
