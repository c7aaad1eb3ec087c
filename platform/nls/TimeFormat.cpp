// GetTimeFormat: a time of day written with a Windows time picture.

#include <string>
#include <vector>

#include "platform/nls/LocaleInfo.h"
#include "platform/nls/Picture.h"
#include "platform/nls/TextResult.h"
#include "platform/text/TextConvert.h"

namespace nls {
namespace {

constexpr DWORD kTimeFlags = TIME_NOMINUTESORSECONDS | TIME_NOSECONDS | TIME_NOTIMEMARKER |
                             TIME_FORCE24HOURFORMAT | LOCALE_NOUSEROVERRIDE | LOCALE_USE_CP_ACP;

bool IsValidTime(const SYSTEMTIME& time) {
  return time.wHour <= 23 && time.wMinute <= 59 && time.wSecond <= 59 && time.wMilliseconds <= 999;
}

std::u16string Number(int value, int count) {
  // Built step by step: g++ 12 warns falsely (-Wrestrict) on "literal" + string&&.
  std::string decimal = count >= 2 && value < 10 ? "0" : "";
  decimal += std::to_string(value);
  return std::u16string(decimal.begin(), decimal.end());
}

// The first character of a designator, a surrogate pair kept whole.
std::u16string FirstCharacter(const std::u16string& text) {
  if (text.empty()) return {};
  const bool pair = text.size() >= 2 && text[0] >= 0xD800 && text[0] <= 0xDBFF;
  return text.substr(0, pair ? 2 : 1);
}

struct TimeParts {
  int hour;
  int minute;
  int second;
  const std::u16string* designator;
};

bool IsLeftOut(char16_t letter, DWORD flags) {
  switch (letter) {
    case u'm':
      return (flags & TIME_NOMINUTESORSECONDS) != 0;
    case u's':
      return (flags & (TIME_NOMINUTESORSECONDS | TIME_NOSECONDS)) != 0;
    case u't':
      return (flags & TIME_NOTIMEMARKER) != 0;
    default:
      return false;
  }
}

std::u16string WriteTime(const std::vector<PictureElement>& picture, const TimeParts& time,
                         DWORD flags) {
  const bool force24 = (flags & TIME_FORCE24HOURFORMAT) != 0;
  std::u16string text;
  // Literal text waits until the next field is written, so that a field
  // left out by the flags takes its separator with it ("h:mm:ss tt" without
  // seconds is "h:mm tt"); a field left out before any other takes the
  // separator after it.
  std::u16string pending;
  bool wroteField = false;
  bool skipNextLiteral = false;
  for (const PictureElement& e : picture) {
    if (e.letter == 0) {
      if (skipNextLiteral) {
        skipNextLiteral = false;
      } else {
        pending += e.text;
      }
      continue;
    }
    if (IsLeftOut(e.letter, flags)) {
      if (wroteField) {
        pending.clear();
      } else {
        skipNextLiteral = true;
      }
      continue;
    }
    text += pending;
    pending.clear();
    skipNextLiteral = false;
    wroteField = true;
    switch (e.letter) {
      case u'h':
        if (!force24) {
          const int hour12 = time.hour % 12 == 0 ? 12 : time.hour % 12;
          text += Number(hour12, e.count);
          break;
        }
        [[fallthrough]];
      case u'H':
        text += Number(time.hour, e.count);
        break;
      case u'm':
        text += Number(time.minute, e.count);
        break;
      case u's':
        text += Number(time.second, e.count);
        break;
      case u't':
        // A locale without designators writes nothing for them.
        text += e.count == 1 ? FirstCharacter(*time.designator) : *time.designator;
        break;
      default:
        break;
    }
  }
  return text + pending;
}

DWORD FormatTime(LCID lcid, DWORD flags, const SYSTEMTIME* time, const char16_t* picture,
                 std::u16string* out) {
  const InternationalReadScope scope;
  if ((flags & ~kTimeFlags) != 0 || (picture != nullptr && (flags & LOCALE_NOUSEROVERRIDE) != 0)) {
    return ERROR_INVALID_FLAGS;
  }
  const std::optional<LocaleRequest> request =
      ResolveRequest(lcid, (flags & LOCALE_NOUSEROVERRIDE) != 0);
  if (!request) return ERROR_INVALID_PARAMETER;
  SYSTEMTIME when;
  if (time != nullptr) {
    when = *time;
  } else {
    GetLocalTime(&when);
  }
  if (!IsValidTime(when)) return ERROR_INVALID_PARAMETER;
  const std::u16string pictureText =
      picture != nullptr ? std::u16string(picture) : *LocaleItem(*request, LOCALE_STIMEFORMAT);
  const std::u16string designator =
      *LocaleItem(*request, when.wHour < 12 ? LOCALE_S1159 : LOCALE_S2359);
  *out = WriteTime(ParsePicture(pictureText, kTimeLetters),
                   {when.wHour, when.wMinute, when.wSecond, &designator}, flags);
  return ERROR_SUCCESS;
}

}  // namespace
}  // namespace nls

int GetTimeFormat(LCID lcid, DWORD flags, const SYSTEMTIME* time, const char16_t* picture,
                  char16_t* out, int size) {
  return nls::ReturnFormatted(out, size, [&](std::u16string* result) {
    return nls::FormatTime(lcid, flags, time, picture, result);
  });
}

int GetTimeFormat(LCID lcid, DWORD flags, const SYSTEMTIME* time, const char* picture, char* out,
                  int size) {
  const std::u16string wide = picture != nullptr ? text::AnsiToUtf16(picture) : std::u16string();
  return nls::ReturnFormatted(out, size, [&](std::u16string* result) {
    return nls::FormatTime(lcid, flags, time, picture != nullptr ? wide.c_str() : nullptr, result);
  });
}
