// The mirror as a subscriber reads it: which items, and each field of each.

#include <algorithm>
#include <iterator>
#include <limits>
#include <random>
#include <variant>

#include "host/ical/FileUri.h"
#include "host/ical/ICalText.h"
#include "tests/ical/MirrorTest.h"

using host::Appointment;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace {

class CalendarMirrorTest : public MirrorTest {};

TEST_F(CalendarMirrorTest, EmptyCalendarIsAPublishedVCalendar) {
  const std::string text = host::BuildICalendar({});
  EXPECT_EQ(text.rfind("BEGIN:VCALENDAR\r\n", 0), 0u);
  EXPECT_EQ(text.substr(text.size() - 15), "END:VCALENDAR\r\n");
  const host::MirrorCalendar calendar = RoundTrip(std::vector<Appointment>{});
  EXPECT_EQ(calendar.version + calendar.prodId + calendar.calScale + calendar.method,
            "2.0-//Orvane//Orvane 3.0//ENGREGORIANPUBLISH");
  EXPECT_EQ(calendar.name, "Orvane");
  EXPECT_TRUE(calendar.events.empty());
}

TEST_F(CalendarMirrorTest, HoldsTheCalendarFolderOnlyAndUidsFollowTheirItems) {
  std::vector<Appointment> items{Item("fajr-1"), Item("gone"), Item("dhuhr-1"), Item("asr-1")};
  items[1].folder = host::FolderKind::kDeletedItems;
  items[2].subject = "Dhuhr";
  EXPECT_THAT(Uids(RoundTrip(items)), ElementsAre("fajr-1", "dhuhr-1", "asr-1"));
  // Rewritten with one item fewer and two swapped, each keeps its UID.
  items.erase(items.begin());
  std::swap(items[1], items[2]);
  const host::MirrorCalendar again = RoundTrip(items);
  ASSERT_THAT(Uids(again), ElementsAre("asr-1", "dhuhr-1"));
  EXPECT_EQ(again.events[1].summary, "Dhuhr");
}

TEST_F(CalendarMirrorTest, RefusesAnItemWithoutUidOrSharingOne) {
  Appointment deleted = Item("same");
  deleted.folder = host::FolderKind::kDeletedItems;
  EXPECT_NO_THROW(host::BuildICalendar({Item("same"), deleted}));
  Appointment unsaved = Item("");
  unsaved.id = 42;
  EXPECT_THAT(Refusal({unsaved}), HasSubstr("id 42"));
  EXPECT_THAT(Refusal({Item("same"), Item("same")}), HasSubstr("\"same\""));
}

TEST_F(CalendarMirrorTest, TextsRoundTripAndFoldOnWholeCharacters) {
  const std::string prayer = "صلاة الفجر";
  std::string longArabic;
  for (int i = 0; i < 20; ++i) longArabic += "، " + prayer;
  for (const std::string& text :
       {std::string("Fajr, Dhuhr; Asr"), std::string("a\\b \\n c:d \"e\""),
        std::string("line 1\nline 2\n"), prayer + " — 04:52", longArabic,
        std::string("tab\there")}) {
    Appointment item = Item("t");
    item.subject = item.body = text;
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
  item.body = "a\r\nb\rc \xff \xED\xA0\x80 end";  // a lone byte and an encoded surrogate
  const host::MirrorEvent event = RoundTrip(item);
  EXPECT_EQ(event.summary, "Fajr at dawn");
  const std::string replacement = "\xEF\xBF\xBD";
  EXPECT_EQ(event.description,
            "a\nb\nc " + replacement + " " + replacement + replacement + replacement + " end");
  item.body.clear();
  EXPECT_EQ(RoundTrip(item).description, std::nullopt);
}

// Regression (found by fuzz_mirror): an item without a subject was written
// with "SUMMARY:" and, with its reminder, a display alarm without text;
// libical dropped both and reported the calendar as faulty (a published
// event must have a summary).
TEST_F(CalendarMirrorTest, AnItemWithoutASubjectMirrorsWithoutAProblem) {
  for (const char* subject : {"", "   ", "\n\t"}) {
    Appointment item = Item("untitled");
    item.subject = subject;
    item.reminderSet = true;
    item.reminderMinutesBeforeStart = 10;
    const host::MirrorEvent event = RoundTrip(item);  // no problem reported
    EXPECT_EQ(event.summary, "(No Subject)");
    ASSERT_EQ(event.alarms.size(), 1u);
    EXPECT_EQ(event.alarms[0].description, "(No Subject)");
  }
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
      {-657433.0, -657433.5, "01000102T000000"},
      {51686.5, 51687.0, "20410704T120000"},  // past 2038
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
  EXPECT_THAT(Refusal({item}), HasSubstr("the end is before the start"));
  // libical would write a year after 3000 as 00000000T000000.
  for (DATE bad : {std::numeric_limits<double>::quiet_NaN(), 2958466.0, -657435.0, 402134.0}) {
    EXPECT_THAT(Refusal({Item("z", bad)}), HasSubstr("the start")) << bad;
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
    EXPECT_EQ(event.alarms[0].action + ":" + event.alarms[0].description, "DISPLAY:Fajr");
  }
  EXPECT_THAT(host::BuildICalendar({item}), HasSubstr("\r\nTRIGGER:PT5M\r\n"));
  item.reminderMinutesBeforeStart = host::kMaxReminderMinutes + 1;
  EXPECT_THAT(Refusal({item}), HasSubstr("reminder"));
}

TEST_F(CalendarMirrorTest, SoundReminderAttachesTheFileByUri) {
  const std::pair<std::string, std::filesystem::path> cases[] = {
      {"/usr/share/sounds/call to prayer.wav", "/usr/share/sounds/call to prayer.wav"},
      {"C:\\My Sounds\\أذان #1 100%.wav", m_profile.Dir() / "drive_c/My Sounds/أذان #1 100%.wav"}};
  for (const auto& [soundFile, expected] : cases) {
    Appointment item = Item("a");
    item.reminderSet = item.reminderPlaySound = true;
    item.reminderSoundFile = soundFile;
    const host::MirrorEvent event = RoundTrip(item);
    ASSERT_EQ(event.alarms.size(), 1u);
    EXPECT_EQ(event.alarms[0].action, "AUDIO");
    const std::string& uri = event.alarms[0].attach;
    EXPECT_TRUE(std::all_of(uri.begin(), uri.end(), [](unsigned char c) {
      return c > ' ' && c < 0x7F && c != '#';
    })) << uri;
    EXPECT_EQ(host::PathFromFileUri(uri), expected);
    item.reminderSoundFile.clear();
    EXPECT_EQ(RoundTrip(item).alarms.at(0).action, "DISPLAY") << "sound on, but no file";
  }
}

TEST_F(CalendarMirrorTest, EveryFormWrittenReadsBackThroughLibical) {
  // Texts, user property names and values, and reminder leads of every kind,
  // several hundred items in one calendar, each read back as it went in.
  const std::string pieces[] = {"a", "\\", ";", ",", ":", "\"", "\n", "\t", " ", "é", "ص", "😀",
                                "\\n", "%", "^", "=", "X-"};
  std::mt19937 random(20261207);
  // Names and uids keep to what libical reads back (not a backslash, a tab
  // or a line break inside a parameter, whoever wrote it), and like every
  // value it reads, they do not end in a blank.
  const std::string namePieces[] = {"a", ";", ",", ":", " ", "é", "ص", "%", "^", "=", "X-"};
  auto text = [&](std::size_t most) {
    std::string t;
    const std::size_t length = random() % most;
    for (std::size_t i = 0; i < length; ++i) t += pieces[random() % std::size(pieces)];
    return t;
  };
  auto name = [&](std::size_t most) {
    std::string t;
    const std::size_t length = random() % most;
    for (std::size_t i = 0; i < length; ++i) t += namePieces[random() % std::size(namePieces)];
    return t;
  };
  const long leads[] = {0, 1, -1, 59, 60, 61, 90, 1439, 1440, 1441, 1500, 10080, 11520, 20160,
                        -10080, -1441, host::kMaxReminderMinutes, -host::kMaxReminderMinutes};
  std::vector<Appointment> items;
  for (int i = 0; i < 300; ++i) {
    Appointment item = Item("uid-" + std::to_string(i) + name(4) + "u", kFajr + i / 7.0);
    item.id = i + 1;
    // libical trims blanks off both ends of a value it reads.
    item.subject = "s" + text(i % 5 == 0 ? 200 : 12) + "s";
    item.body = i % 3 == 0 ? "" : "b" + text(i % 7 == 0 ? 400 : 20) + "b";
    item.busyStatus = i % 4;
    item.reminderSet = i % 2 == 0;
    item.reminderMinutesBeforeStart = leads[i % std::size(leads)];
    item.userProperties = {
        {"PrayerNum", host::PropertyType::kNumber, static_cast<double>(i % 8)},
        {"n" + name(10) + "n", host::PropertyType::kText, text(i % 9 == 0 ? 150 : 10)},
        {"when" + std::to_string(i), host::PropertyType::kDateTime, kFajr + i},
        {"yes" + std::to_string(i), host::PropertyType::kYesNo, i % 2 == 0 ? -1.0 : 0.0}};
    items.push_back(item);
  }
  const std::string mirror = host::BuildICalendar(items);
  for (std::size_t at = 0, next; at < mirror.size(); at = next + 2) {
    next = mirror.find("\r\n", at);
    ASSERT_NE(next, std::string::npos);
    const std::string line = mirror.substr(at, next - at);
    ASSERT_LE(line.size(), 75u) << line;
    ASSERT_EQ(host::CleanText(line), line) << "a line starts or ends inside a character";
  }
  const host::MirrorCalendar calendar = RoundTrip(items);
  ASSERT_EQ(calendar.events.size(), items.size());
  for (std::size_t i = 0; i < items.size(); ++i) {
    const Appointment& item = items[i];
    const host::MirrorEvent& event = calendar.events[i];
    EXPECT_EQ(event.uid, host::CleanText(item.uid)) << i;
    EXPECT_EQ(event.summary, host::CleanText(item.subject)) << i;
    EXPECT_EQ(event.description.value_or(""), host::CleanText(item.body)) << i;
    EXPECT_NEAR(event.start, item.start, 0.5 / 86400.0) << i;
    EXPECT_EQ(event.alarms.size(), item.reminderSet ? 1u : 0u) << i;
    if (item.reminderSet && !event.alarms.empty()) {
      EXPECT_EQ(event.alarms[0].minutesBeforeStart, item.reminderMinutesBeforeStart) << i;
    }
    ASSERT_EQ(event.userProperties.size(), item.userProperties.size()) << i;
    for (std::size_t p = 0; p < item.userProperties.size(); ++p) {
      const host::UserProperty& back = event.userProperties[p];
      const host::UserProperty& sent = item.userProperties[p];
      EXPECT_EQ(back.name, sent.name) << i;
      EXPECT_EQ(back.type, sent.type) << i;
      if (sent.type == host::PropertyType::kText) {
        EXPECT_EQ(std::get<std::string>(back.value), host::CleanText(std::get<std::string>(sent.value))) << i;
      } else if (sent.type == host::PropertyType::kDateTime) {
        EXPECT_NEAR(std::get<double>(back.value), std::get<double>(sent.value), 0.5 / 86400.0) << i;
      } else {
        EXPECT_EQ(std::get<double>(back.value), std::get<double>(sent.value)) << i;
      }
    }
  }
}

TEST_F(CalendarMirrorTest, ReaderReportsWhatIsWrongWithACalendar) {
  const host::MirrorCalendar calendar = host::ParseMirror(
      "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//x//x//EN\r\nMETHOD:PUBLISH\r\nBEGIN:VEVENT\r\n"
      "SUMMARY:no uid, no stamp\r\nDTSTART:20040321T045200\r\n"
      "X-ORVANE-N;X-ORVANE-TYPE=NUMBER:seven\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n");
  EXPECT_THAT(calendar.problems, ::testing::Contains(HasSubstr("UID")));
  EXPECT_THAT(calendar.problems, ::testing::Contains(HasSubstr("DTSTAMP")));
  EXPECT_THAT(calendar.problems, ::testing::Contains(HasSubstr("X-ORVANE-N:seven")));
  EXPECT_THROW(host::ParseMirror("BEGIN:VEVENT\r\nEND:VEVENT\r\n"), host::MirrorError);
}

}  // namespace
