// Outlook's filter language on items in memory: operators, precedence,
// values, fields, errors, the range of Start a filter implies, and the
// filter written out again.

#include <string>
#include <string_view>

#include "host/store/Filter.h"
#include "host/store/FilterError.h"
#include "tests/store/StoreTest.h"

namespace {

using host::Appointment;
using host::Filter;
using host::PropertyType;

class FilterTest : public StoreTest {
 protected:
  static host::FieldCatalog Catalog() {
    return host::FieldCatalog({{"PrayerNum", PropertyType::kNumber},
                               {"Note", PropertyType::kText},
                               {"Due", PropertyType::kDateTime},
                               {"Done", PropertyType::kYesNo}},
                              true);
  }
  static const host::DateReading& English() {
    static const host::DateReading reading{0, {"AM"}, {"PM"}, false};
    return reading;
  }
  static Filter Parse(std::string_view text) { return Filter::Parse(text, Catalog(), English()); }
  static bool Matches(std::string_view text, const Appointment& item) {
    return Parse(text).Matches(item);
  }
  // "character N: message", or "parsed".
  static std::string ErrorOf(std::string_view text) {
    try {
      Parse(text);
      return "parsed";
    } catch (const host::FilterError& e) {
      return std::to_string(e.Position()) + ": " + e.what();
    }
  }

  static Appointment Item() {
    Appointment item = Prayer("Fajr", Date(2026, 12, 6, 5, 10), 0);
    item.busyStatus = 2;
    item.body = "Prayer time";
    return item;
  }
};

TEST_F(FilterTest, EachComparisonOperatorComparesNumbers) {
  const Appointment item = Item();  // BusyStatus 2
  struct Case {
    const char* op;
    bool below;  // against 3
    bool equal;  // against 2
    bool above;  // against 1
  };
  for (const Case& c : {Case{"=", false, true, false}, Case{"<>", true, false, true},
                        Case{"<", true, false, false}, Case{"<=", true, true, false},
                        Case{">", false, false, true}, Case{">=", false, true, true}}) {
    const std::string field = std::string("[BusyStatus] ") + c.op + " ";
    EXPECT_EQ(Matches(field + "3", item), c.below) << c.op;
    EXPECT_EQ(Matches(field + "2", item), c.equal) << c.op;
    EXPECT_EQ(Matches(field + "1", item), c.above) << c.op;
  }
  // Signs and decimals.
  EXPECT_TRUE(Matches("[BusyStatus] > 1.5", item));
  EXPECT_TRUE(Matches("[BusyStatus] < +2.01", item));
  EXPECT_TRUE(Matches("[BusyStatus] > -.5", item));
  EXPECT_TRUE(Matches("[BusyStatus] = \"2\"", item));
  EXPECT_TRUE(Matches("[Duration] = 10", item));
}

TEST_F(FilterTest, NotBindsBeforeAndWhichBindsBeforeOr) {
  const Appointment item = Item();  // BusyStatus 2, Subject Fajr
  const char* kTrue = "[BusyStatus] = 2";
  const char* kFalse = "[BusyStatus] = 3";
  auto join = [](std::initializer_list<const char*> parts) {
    std::string text;
    for (const char* p : parts) text += std::string(p) + " ";
    return text;
  };
  // true OR (true AND false), not (true OR true) AND false.
  EXPECT_TRUE(Matches(join({kTrue, "OR", kTrue, "AND", kFalse}), item));
  // (true AND false) OR true.
  EXPECT_TRUE(Matches(join({kTrue, "AND", kFalse, "OR", kTrue}), item));
  EXPECT_FALSE(Matches(join({"(", kTrue, "OR", kTrue, ")", "AND", kFalse}), item));
  // (NOT false) AND true, not NOT (false AND true).
  EXPECT_TRUE(Matches(join({"NOT", kFalse, "AND", kTrue}), item));
  EXPECT_FALSE(Matches(join({"NOT", kTrue, "AND", kTrue}), item));
  EXPECT_TRUE(Matches(join({"NOT", "(", kTrue, "AND", kFalse, ")"}), item));
  EXPECT_TRUE(Matches(join({"NOT", "NOT", kTrue}), item));
  // Keywords in any case; no blanks needed around parentheses.
  EXPECT_FALSE(Matches("not([BusyStatus] = 2 or [BusyStatus] = 3) And [Subject] = 'Fajr'", item));
  EXPECT_TRUE(Matches("((([BusyStatus]=2)))", item));
}

TEST_F(FilterTest, TextsInEitherQuoteWithTheQuoteDoubledInside) {
  Appointment item = Item();
  item.subject = R"(Say "salam" it's time)";
  EXPECT_TRUE(Matches(R"([Subject] = "Say ""salam"" it's time")", item));
  EXPECT_TRUE(Matches(R"([Subject] = 'Say "salam" it''s time')", item));
  // A single quote of the same kind ends the text.
  EXPECT_EQ(ErrorOf(R"([Subject] = "Say "salam" it's time")"),
            "19: filter, character 19: expected AND, OR or the end");
  item.subject.clear();
  EXPECT_TRUE(Matches("[Subject] = \"\"", item));
  EXPECT_TRUE(Matches("[Subject] = ''", item));
  EXPECT_EQ(ErrorOf("[Subject] = \"Fajr"), "13: filter, character 13: the text has no closing quote");
  EXPECT_EQ(ErrorOf("[Subject] = 'Fajr''"), "13: filter, character 13: the text has no closing quote");
}

TEST_F(FilterTest, TextsCompareWithoutRegardToCase) {
  Appointment item = Item();
  EXPECT_TRUE(Matches("[Subject] = 'FAJR'", item));
  EXPECT_TRUE(Matches("[subject] = 'fajr'", item));  // field names too
  EXPECT_FALSE(Matches("[Subject] <> 'fAjR'", item));
  EXPECT_TRUE(Matches("[Subject] < 'ISHA'", item));
  EXPECT_TRUE(Matches("[Subject] > 'asr'", item));
  EXPECT_TRUE(Matches("[Body] = 'PRAYER TIME'", item));
  item.subject = "Été Ça";
  EXPECT_TRUE(Matches("[Subject] = 'éTÉ çA'", item));
  // A number against a text field is its text.
  item.subject = "5";
  EXPECT_TRUE(Matches("[Subject] = 5", item));
}

TEST_F(FilterTest, YesNoFieldsTakeWordsNumbersAndTexts) {
  Appointment item = Item();
  item.reminderSet = true;
  item.reminderPlaySound = false;
  for (const char* yes : {"True", "yes", "ON", "-1", "1", "'anything'"}) {
    EXPECT_TRUE(Matches(std::string("[ReminderSet] = ") + yes, item)) << yes;
    EXPECT_FALSE(Matches(std::string("[ReminderPlaySound] = ") + yes, item)) << yes;
  }
  for (const char* no : {"False", "no", "Off", "0", "''"}) {
    EXPECT_FALSE(Matches(std::string("[ReminderSet] = ") + no, item)) << no;
    EXPECT_TRUE(Matches(std::string("[ReminderPlaySound] = ") + no, item)) << no;
  }
  EXPECT_EQ(ErrorOf("[Subject] = True"),
            "13: filter, character 13: a text value must be in quotes for [Subject]");
  EXPECT_EQ(ErrorOf("[ReminderSet] = Maybe"),
            "17: filter, character 17: a text value must be in quotes for [ReminderSet]");
}

TEST_F(FilterTest, UnknownFieldsFailNamingTheField) {
  EXPECT_EQ(ErrorOf("[Subject] = 'a' AND [Colour] = 'red'"),
            "21: filter, character 21: unknown field [Colour]");
  // A property the item has is no field until the folder has it.
  Appointment item = Item();
  item.userProperties.push_back({"Colour", PropertyType::kText, std::string("red")});
  EXPECT_THROW(Matches("[Colour] = 'red'", item), host::FilterError);
  // Without the folder's fields (the host's option), user fields are unknown.
  const host::FieldCatalog builtInOnly({{"PrayerNum", PropertyType::kNumber}}, false);
  EXPECT_THROW(Filter::Parse("[PrayerNum] >= 0", builtInOnly, English()), host::FilterError);
  EXPECT_NO_THROW(Filter::Parse("[PrayerNum] >= 0", Catalog(), English()));
  // Positions count characters, not bytes.
  EXPECT_EQ(ErrorOf("[Subject] = 'صلاة' AND [X] = 1"),
            "24: filter, character 24: unknown field [X]");
}

TEST_F(FilterTest, MalformedFiltersFailWhereTheyGoWrong) {
  struct Case {
    const char* filter;
    const char* error;
  };
  for (const Case& c : {
           Case{"", "1: filter, character 1: the filter is empty"},
           Case{"   ", "4: filter, character 4: the filter is empty"},
           Case{"[Subject]", "10: filter, character 10: expected =, <>, <, <=, > or >= after [Subject]"},
           Case{"[Subject] =", "12: filter, character 12: expected a value for [Subject]"},
           Case{"[Subject] = 'a' [Body] = 'b'", "17: filter, character 17: expected AND, OR or the end"},
           Case{"([Subject] = 'a'", "17: filter, character 17: expected )"},
           Case{"[Subject] = 'a')", "16: filter, character 16: expected AND, OR or the end"},
           Case{"[Subject] = 'a' AND", "20: filter, character 20: expected a [field] or ("},
           Case{"[Subject] != 'a'", "11: filter, character 11: unexpected character"},
           Case{"[Subject] = = 'a'", "13: filter, character 13: expected a value for [Subject]"},
           Case{"[Subject = 'a'", "1: filter, character 1: the field name has no closing ]"},
           Case{"[] = 1", "1: filter, character 1: empty field name []"},
           Case{"[BusyStatus] = 'two'", "16: filter, character 16: expected a number for [BusyStatus]"},
           Case{"[BusyStatus] = AND", "16: filter, character 16: expected a value for [BusyStatus]"},
           Case{"'a' = [Subject]", "1: filter, character 1: expected a [field] or ("},
       }) {
    EXPECT_EQ(ErrorOf(c.filter), c.error) << c.filter;
  }
}

TEST_F(FilterTest, UserFieldsCompareByTheItemsPropertyType) {
  Appointment numeric = Item();  // PrayerNum 0 as a number
  numeric.userProperties[0].value = 10.0;
  EXPECT_TRUE(Matches("[PrayerNum] > 9", numeric));
  EXPECT_TRUE(Matches("[prayernum] <= 191", numeric));
  // The same name as text on another item compares as text: "10" < "9".
  Appointment textual = Item();
  textual.userProperties[0] = {"PrayerNum", PropertyType::kText, std::string("10")};
  EXPECT_FALSE(Matches("[PrayerNum] > 9", textual));
  EXPECT_TRUE(Matches("[PrayerNum] = 10", textual));
  // An item without the property matches no comparison on it, so its NOT.
  Appointment plain = Item();
  plain.userProperties.clear();
  EXPECT_FALSE(Matches("[PrayerNum] >= 0", plain));
  EXPECT_FALSE(Matches("[PrayerNum] <> 5", plain));
  EXPECT_TRUE(Matches("NOT [PrayerNum] = 5", plain));
  // Property names are matched without regard to case.
  plain.userProperties.push_back({"NOTE", PropertyType::kText, std::string("Hello")});
  EXPECT_TRUE(Matches("[Note] = 'hello'", plain));
}

TEST_F(FilterTest, DatesCompareToTheSecond) {
  Appointment item = Item();  // 6 December 2026 05:10 to 05:20
  EXPECT_TRUE(Matches("[Start] = '12/06/2026 05:10 AM'", item));
  EXPECT_TRUE(Matches("[Start] >= \"12/06/2026 05:10 AM\" AND [Start] < \"12/06/2026 05:10:01 AM\"", item));
  EXPECT_FALSE(Matches("[Start] > '12/06/2026 05:10 AM'", item));
  EXPECT_TRUE(Matches("[End] = '12/06/2026 05:20'", item));
  item.start += 0.4 / 86400.0;  // a fraction of a second does not count
  EXPECT_TRUE(Matches("[Start] = '12/06/2026 05:10 AM'", item));
  // A user date field.
  item.userProperties.push_back({"Due", PropertyType::kDateTime, Date(2026, 12, 7)});
  EXPECT_TRUE(Matches("[Due] > '12/06/2026 11:59 PM'", item));
  EXPECT_EQ(ErrorOf("[Start] >= 46000"), "12: filter, character 12: a date must be in quotes for [Start]");
  EXPECT_EQ(ErrorOf("[Start] >= '13/06/2026'"),
            "12: filter, character 12: \"13/06/2026\" is not a date for [Start]");
  // Dates before 1900 order as times do, though their DATEs do not.
  item.start = -1.25;  // 29 December 1899 06:00
  EXPECT_TRUE(Matches("[Start] < '12/29/1899 07:00'", item));
  EXPECT_TRUE(Matches("[Start] > '12/29/1899 05:00'", item));
}

TEST_F(FilterTest, RangeOfStartComesFromBoundsAndedAtTheTop) {
  const auto range = [](std::string_view text) { return Parse(text).RangeOfStart(); };
  const std::int64_t day = Seconds(2026, 12, 6, 14, 25);
  const std::int64_t next = Seconds(2026, 12, 7, 14, 25);
  const auto r = range(
      "[PrayerNum] <= 191 AND [Start] >= \"12/06/2026 02:25 PM\" AND [Start] < \"12/07/2026 02:25 PM\"");
  ASSERT_TRUE(r);
  EXPECT_EQ(r->first, day);
  EXPECT_EQ(r->last, next - 1);
  const auto strict = range("[Start] > '12/06/2026 02:25 PM' AND ([Start] <= '12/07/2026 02:25 PM')");
  ASSERT_TRUE(strict);
  EXPECT_EQ(strict->first, day + 1);
  EXPECT_EQ(strict->last, next);
  const auto exact = range("[Start] = '12/06/2026 02:25 PM'");
  ASSERT_TRUE(exact);
  EXPECT_EQ(exact->first, day);
  EXPECT_EQ(exact->last, day);
  // Bounds under OR or NOT, and <>, restrict nothing.
  EXPECT_FALSE(range("[Start] >= '12/06/2026' OR [PrayerNum] = 1"));
  EXPECT_FALSE(range("NOT [Start] >= '12/06/2026'"));
  EXPECT_FALSE(range("[Start] <> '12/06/2026'"));
  EXPECT_FALSE(range("[End] >= '12/06/2026'"));
  EXPECT_FALSE(range("[PrayerNum] >= 0 "));
}

TEST_F(FilterTest, AFilterWrittenOutParsesBackToItself) {
  for (const char* text : {
           "[PrayerNum] <= 191 AND [Start] >= \"12/06/2026 02:25 PM\" AND [Start] < \"12/07/2026 02:25 PM\"",
           "([Subject] = 'it''s' OR [Subject] = \"say \"\"hi\"\"\") AND NOT [BusyStatus] <> -2.5",
           "NOT NOT ([ReminderSet] = True AND [Done] = off) OR [Note] = 5",
       }) {
    const std::string once = Parse(text).ToString();
    EXPECT_EQ(Parse(once).ToString(), once) << text;
  }
  EXPECT_EQ(Parse("[subject]='a' and ([busystatus]=1 or not [busystatus]=2)").ToString(),
            "[subject] = 'a' AND ([busystatus] = 1 OR NOT [busystatus] = 2)");
}

TEST_F(FilterTest, NestingIsLimitedButLongChainsAreNot) {
  const Appointment item = Item();
  std::string deep = std::string(100, '(') + "[BusyStatus] = 2" + std::string(100, ')');
  EXPECT_TRUE(Matches(deep, item));
  deep = "(" + deep + ")";
  EXPECT_EQ(ErrorOf(deep), "101: filter, character 101: too deeply nested");
  std::string nots;
  for (int i = 0; i < 101; ++i) nots += "NOT ";
  EXPECT_EQ(ErrorOf(nots + "[BusyStatus] = 2"), "401: filter, character 401: too deeply nested");
  // Twenty thousand terms in a row are one level, not twenty thousand.
  std::string chain = "[BusyStatus] = 2";
  for (int i = 0; i < 20000; ++i) chain += " AND [BusyStatus] = 2";
  EXPECT_TRUE(Matches(chain, item));
}

}  // namespace
