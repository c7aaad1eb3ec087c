#pragma once
// The syntax of Windows date and time pictures: runs of field letters
// ("dddd", "MM", "hh") and literal text. Text in single quotes is literal,
// and two quotes in a row stand for one quote, inside quotes or out; a quote
// left open runs to the end. Every character that is not a field letter of
// the kind of picture is literal too.

#include <string>
#include <string_view>
#include <vector>

namespace nls {

struct PictureElement {
  char16_t letter;      // 0 for literal text
  int count;            // how many times the letter repeats
  std::u16string text;  // the literal text
};

inline constexpr std::u16string_view kDateLetters = u"dMyg";
inline constexpr std::u16string_view kTimeLetters = u"hHmst";

std::vector<PictureElement> ParsePicture(std::u16string_view picture,
                                         std::u16string_view fieldLetters);

// The order of day, month and year in a date picture, as LOCALE_IDATE gives
// it: 0 month-day-year, 1 day-month-year, 2 year-month-day.
int DateOrderOfPicture(std::u16string_view picture);

}  // namespace nls
