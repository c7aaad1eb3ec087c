// ICU's patterns as Windows pictures, for the locales whose Windows defaults
// our table does not hold.

#include <gtest/gtest.h>

#include "platform/nls/IcuPattern.h"

namespace {

using nls::PictureFromIcuPattern;

TEST(IcuPatternTest, EachIcuFieldBecomesTheWindowsFieldThatWritesTheSame) {
  EXPECT_EQ(PictureFromIcuPattern(u"EEEE, MMMM d, y"), u"dddd, MMMM d, yyyy");
  EXPECT_EQ(PictureFromIcuPattern(u"EEE d MMM yy"), u"ddd d MMM yy");
  EXPECT_EQ(PictureFromIcuPattern(u"dd.MM.y"), u"dd.MM.yyyy");
  EXPECT_EQ(PictureFromIcuPattern(u"LLLL y G"), u"MMMM yyyy gg");
  EXPECT_EQ(PictureFromIcuPattern(u"h:mm:ss a"), u"h:mm:ss tt");
  EXPECT_EQ(PictureFromIcuPattern(u"HH:mm:ss"), u"HH:mm:ss");
  EXPECT_EQ(PictureFromIcuPattern(u"y年M月d日EEEE"), u"yyyy年M月d日dddd");
}

TEST(IcuPatternTest, TextStaysTextAndWhatWindowsLacksIsLeftOut) {
  // Letters Windows would read as fields are quoted; a quote is doubled.
  EXPECT_EQ(PictureFromIcuPattern(u"HH 'h' mm 'min'"), u"HH' h 'mm' min'");
  EXPECT_EQ(PictureFromIcuPattern(u"h 'o''clock' a"), u"h' o''clock 'tt");
  EXPECT_EQ(PictureFromIcuPattern(u"d MMMM y 'г'."), u"d MMMM yyyy г.");
  EXPECT_EQ(PictureFromIcuPattern(u"h:mm:ss a zzzz"), u"h:mm:ss tt");
  EXPECT_EQ(PictureFromIcuPattern(u"'Q'Q y"), u"'Q 'yyyy");  // the quarter goes
  // ICU's bidirectional marks around Arabic separators.
  EXPECT_EQ(PictureFromIcuPattern(u"d\u200F/M\u200F/y"), u"d/M/yyyy");
}

}  // namespace
