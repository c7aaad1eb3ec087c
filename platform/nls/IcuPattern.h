#pragma once
// ICU's date and time patterns as Windows pictures, for the locales whose
// Windows defaults our table does not hold.

#include <string>
#include <string_view>

namespace nls {

// The Windows picture that writes what the ICU pattern writes, as near as
// Windows pictures can: "EEEE d MMMM y" is "dddd d MMMM yyyy", "h:mm a" is
// "h:mm tt". Fields Windows pictures lack (time zones, quarters, weeks) are
// left out, and so are the bidirectional marks ICU puts around Arabic
// separators: on Windows the caller asks for them with DATE_RTLREADING.
std::u16string PictureFromIcuPattern(std::u16string_view pattern);

struct IcuPictures {
  std::u16string shortDate;
  std::u16string longDate;
  std::u16string yearMonth;
  std::u16string time;
};

// The locale's Gregorian short and full date, year-and-month and medium
// time, as Windows pictures. Read once per locale.
const IcuPictures& IcuPicturesFor(const std::string& icuName);

}  // namespace nls
