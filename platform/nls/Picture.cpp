#include "platform/nls/Picture.h"

namespace nls {

std::vector<PictureElement> ParsePicture(std::u16string_view picture,
                                         std::u16string_view fieldLetters) {
  std::vector<PictureElement> elements;
  auto literal = [&elements]() -> std::u16string& {
    if (elements.empty() || elements.back().letter != 0) elements.push_back({0, 0, {}});
    return elements.back().text;
  };
  for (std::size_t i = 0; i < picture.size();) {
    const char16_t c = picture[i];
    if (c == u'\'') {
      if (i + 1 < picture.size() && picture[i + 1] == u'\'') {
        literal().push_back(u'\'');
        i += 2;
        continue;
      }
      std::u16string& text = literal();
      for (++i; i < picture.size(); ++i) {
        if (picture[i] != u'\'') {
          text.push_back(picture[i]);
        } else if (i + 1 < picture.size() && picture[i + 1] == u'\'') {
          text.push_back(u'\'');
          ++i;
        } else {
          ++i;
          break;
        }
      }
      continue;
    }
    if (fieldLetters.find(c) != std::u16string_view::npos) {
      std::size_t end = i;
      while (end < picture.size() && picture[end] == c) ++end;
      elements.push_back({c, static_cast<int>(end - i), {}});
      i = end;
      continue;
    }
    literal().push_back(c);
    ++i;
  }
  return elements;
}

int DateOrderOfPicture(std::u16string_view picture) {
  std::size_t day = std::u16string_view::npos;
  std::size_t month = std::u16string_view::npos;
  std::size_t year = std::u16string_view::npos;
  const std::vector<PictureElement> elements = ParsePicture(picture, kDateLetters);
  for (std::size_t i = 0; i < elements.size(); ++i) {
    const PictureElement& e = elements[i];
    // The day of the week ("ddd") says nothing about the order.
    if (e.letter == u'd' && e.count <= 2 && day == std::u16string_view::npos) day = i;
    if (e.letter == u'M' && month == std::u16string_view::npos) month = i;
    if (e.letter == u'y' && year == std::u16string_view::npos) year = i;
  }
  if (year < month && year < day) return 2;
  if (day < month) return 1;
  return 0;
}

}  // namespace nls
