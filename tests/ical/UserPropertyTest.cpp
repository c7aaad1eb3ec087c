// User properties as X- properties: every type and any name read back as
// they were, in a form that does not depend on the locale.

#include <limits>
#include <locale>
#include <regex>

#include "tests/ical/MirrorTest.h"

using host::PropertyType;
using host::UserProperty;
using ::testing::HasSubstr;

namespace {

class UserPropertyTest : public MirrorTest {
 protected:
  static host::Appointment With(const std::vector<UserProperty>& properties) {
    host::Appointment item = Item("p");
    item.userProperties = properties;
    return item;
  }
};

// A decimal comma, as a French or German locale has it.
struct CommaDecimal : std::numpunct<char> {
  char do_decimal_point() const override { return ','; }
};

TEST_F(UserPropertyTest, EachTypeRoundTrips) {
  const std::vector<UserProperty> properties{
      {"PrayerNum", PropertyType::kNumber, 7.0},
      {"Ratio", PropertyType::kNumber, 0.1},
      {"Tiny", PropertyType::kNumber, -4.9e-324},
      {"Huge", PropertyType::kInteger, -1.5e300},
      {"Count", PropertyType::kInteger, -2147483648.0},
      {"Infinite", PropertyType::kNumber, std::numeric_limits<double>::infinity()},
      {"Yes", PropertyType::kYesNo, -1.0},
      {"No", PropertyType::kYesNo, 0.0},
      {"When", PropertyType::kDateTime, kFajr},
      {"Long ago", PropertyType::kDateTime, -1.25},
      {"Note", PropertyType::kText, std::string("Fajr, Dhuhr; Asr\\n\nصلاة الفجر")},
      {"Empty", PropertyType::kText, std::string()},  // what Outlook gives a new one
      {"Blanks", PropertyType::kText, std::string(" \"quoted\"\t ")},
  };
  const std::vector<UserProperty> back = RoundTrip(With(properties)).userProperties;
  ASSERT_EQ(back.size(), properties.size());
  for (std::size_t i = 0; i < back.size(); ++i) {
    EXPECT_EQ(back[i].name, properties[i].name);
    EXPECT_EQ(back[i].type, properties[i].type) << back[i].name;
    if (properties[i].type == PropertyType::kDateTime) {
      EXPECT_NEAR(std::get<double>(back[i].value), std::get<double>(properties[i].value), 1e-6);
    } else {
      EXPECT_EQ(back[i].value, properties[i].value) << back[i].name;
    }
  }
  // Outlook's true is -1; any other non-zero value is true too.
  EXPECT_EQ(std::get<double>(
                RoundTrip(With({{"One", PropertyType::kYesNo, 1.0}})).userProperties.at(0).value),
            -1.0);
}

TEST_F(UserPropertyTest, AnyNameRoundTripsAndMakesAValidICalendarName) {
  const std::string names[] = {"PrayerNum",  "prayer num",    "A-B--C",         "a;b:c,d",
                               "say \"hi\"", "^' ^n ^^",      "100%41",         "تذكير",
                               "tab\there",  "X-ORVANE-NAME", "bad \xff utf-8", "-"};
  std::vector<UserProperty> properties;
  for (const std::string& name : names) properties.push_back({name, PropertyType::kInteger, 1.0});
  const std::vector<UserProperty> back = RoundTrip(With(properties)).userProperties;
  ASSERT_EQ(back.size(), properties.size());
  for (std::size_t i = 0; i < back.size(); ++i) EXPECT_EQ(back[i].name, names[i]);

  const std::string text = host::BuildICalendar({With(properties)});
  EXPECT_THAT(
      text,
      HasSubstr("\r\nX-ORVANE-PRAYERNUM;X-ORVANE-NAME=PrayerNum;X-ORVANE-TYPE=INTEGER:1\r\n"));
  EXPECT_THAT(text, HasSubstr("\r\nX-ORVANE-PRAYER-20NUM;"));
  const std::regex line("\r\n(X-ORVANE-[^;:]*);");
  for (auto it = std::sregex_iterator(text.begin(), text.end(), line); it != std::sregex_iterator();
       ++it) {
    EXPECT_TRUE(std::regex_match((*it)[1].str(), std::regex("[A-Z0-9-]+"))) << (*it)[1];
  }
  // Another program may drop the name parameter: the name is then decoded.
  const host::MirrorCalendar calendar = host::ParseMirror(
      "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//x//x//EN\r\nBEGIN:VEVENT\r\nUID:u\r\n"
      "DTSTAMP:20040321T023000Z\r\nDTSTART:20040321T045200\r\n"
      "X-ORVANE-PRAYER-20NUM--2;X-ORVANE-TYPE=NUMBER:2.5\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n");
  ASSERT_EQ(calendar.events.size(), 1u);
  ASSERT_EQ(calendar.events[0].userProperties.size(), 1u);
  EXPECT_EQ(calendar.events[0].userProperties[0].name, "PRAYER NUM-2");
}

TEST_F(UserPropertyTest, NumbersAreWrittenTheSameWhateverTheLocale) {
  const std::locale previous =
      std::locale::global(std::locale(std::locale::classic(), new CommaDecimal));
  const std::string text = host::BuildICalendar({With({{"Ratio", PropertyType::kNumber, 0.5}})});
  std::locale::global(previous);
  EXPECT_THAT(text, HasSubstr("X-ORVANE-TYPE=NUMBER:0.5\r\n"));
}

TEST_F(UserPropertyTest, ValueNotOfItsTypeIsRefusedNamingTheProperty) {
  const UserProperty bad[] = {{"PrayerNum", PropertyType::kNumber, std::string("7")},
                              {"Note", PropertyType::kText, 7.0},
                              {"When", PropertyType::kDateTime, 1e9},
                              {"Odd", static_cast<PropertyType>(2), 0.0}};
  for (const UserProperty& property : bad) {
    EXPECT_THAT(Refusal({With({property})}), HasSubstr("\"" + property.name + "\""));
  }
}

}  // namespace
