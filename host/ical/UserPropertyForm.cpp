#include "host/ical/UserPropertyForm.h"

#include <charconv>
#include <cstdio>
#include <system_error>

#include "host/ical/ICalText.h"
#include "host/ical/MirrorError.h"
#include "platform/com/VariantTime.h"

namespace host {

namespace {

struct TypeName {
  PropertyType type;
  const char* name;
};

constexpr TypeName kTypeNames[] = {
    {PropertyType::kText, "TEXT"},         {PropertyType::kNumber, "NUMBER"},
    {PropertyType::kDateTime, "DATETIME"}, {PropertyType::kYesNo, "YESNO"},
    {PropertyType::kInteger, "INTEGER"},
};

constexpr char kHexDigits[] = "0123456789ABCDEF";

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Two hex digits at text[at], or -1.
int HexByte(std::string_view text, std::size_t at) {
  if (at + 1 >= text.size()) return -1;
  const int high = HexValue(text[at]);
  const int low = HexValue(text[at + 1]);
  return high < 0 || low < 0 ? -1 : high * 16 + low;
}

void AppendHex(std::string& out, unsigned char c) {
  out += kHexDigits[c >> 4];
  out += kHexDigits[c & 0x0F];
}

std::string EncodeXName(std::string_view name) {
  std::string xName(kUserPropertyPrefix);
  for (char ch : name) {
    const auto c = static_cast<unsigned char>(ch);
    if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) {
      xName += ch;
    } else if (c >= 'a' && c <= 'z') {
      xName += static_cast<char>(c - 'a' + 'A');
    } else if (c == '-') {
      xName += "--";
    } else {
      xName += '-';
      AppendHex(xName, c);
    }
  }
  return xName;
}

std::optional<std::string> DecodeXName(std::string_view xName) {
  if (xName.size() < kUserPropertyPrefix.size()) return std::nullopt;
  const std::string_view encoded = xName.substr(kUserPropertyPrefix.size());
  std::string name;
  for (std::size_t i = 0; i < encoded.size();) {
    if (encoded[i] != '-') {
      name += encoded[i++];
    } else if (i + 1 < encoded.size() && encoded[i + 1] == '-') {
      name += '-';
      i += 2;
    } else {
      const int byte = HexByte(encoded, i + 1);
      if (byte < 0) return std::nullopt;
      name += static_cast<char>(byte);
      i += 3;
    }
  }
  return name;
}

std::string EncodeNameParameter(std::string_view name) {
  std::string encoded;
  for (std::size_t i = 0; i < name.size();) {
    const auto c = static_cast<unsigned char>(name[i]);
    const std::size_t length = Utf8SequenceLength(name, i);
    if (length == 0 || c < 0x20 || c == 0x7F || c == '%' || c == '"' || c == '^') {
      encoded += '%';
      AppendHex(encoded, c);
      ++i;
    } else {
      encoded += name.substr(i, length);
      i += length;
    }
  }
  return encoded;
}

std::optional<std::string> DecodeNameParameter(std::string_view encoded) {
  std::string name;
  for (std::size_t i = 0; i < encoded.size();) {
    if (encoded[i] != '%') {
      name += encoded[i++];
      continue;
    }
    const int byte = HexByte(encoded, i + 1);
    if (byte < 0) return std::nullopt;
    name += static_cast<char>(byte);
    i += 3;
  }
  return name;
}

std::string NumberText(double value) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

std::optional<double> NumberFromText(std::string_view text) {
  double value = 0.0;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  if (result.ec != std::errc() || result.ptr != text.data() + text.size()) return std::nullopt;
  return value;
}

std::optional<std::string> DateTimeText(DATE date) {
  SYSTEMTIME st;
  if (!VariantTimeToSystemTime(date, &st)) return std::nullopt;
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%04u%02u%02uT%02u%02u%02u", st.wYear, st.wMonth, st.wDay,
                st.wHour, st.wMinute, st.wSecond);
  return std::string(buffer);
}

std::optional<DATE> DateTimeFromText(std::string_view text) {
  // Exactly YYYYMMDDTHHMMSS: a two-digit year would read as 19xx or 20xx.
  if (text.size() != 15 || text[8] != 'T') return std::nullopt;
  const auto field = [&](std::size_t at, std::size_t length) {
    int value = 0;
    const auto result = std::from_chars(text.data() + at, text.data() + at + length, value);
    return result.ec == std::errc() && result.ptr == text.data() + at + length ? value : -1;
  };
  const int year = field(0, 4);
  const int fields[] = {field(4, 2), field(6, 2), field(9, 2), field(11, 2), field(13, 2)};
  if (year < 100) return std::nullopt;
  for (int f : fields) {
    if (f < 0) return std::nullopt;
  }
  SYSTEMTIME st;
  st.wYear = static_cast<WORD>(year);
  st.wMonth = static_cast<WORD>(fields[0]);
  st.wDay = static_cast<WORD>(fields[1]);
  st.wHour = static_cast<WORD>(fields[2]);
  st.wMinute = static_cast<WORD>(fields[3]);
  st.wSecond = static_cast<WORD>(fields[4]);
  DATE date = 0.0;
  if (!SystemTimeToVariantTime(&st, &date)) return std::nullopt;
  return date;
}

}  // namespace

ICalUserProperty UserPropertyToICal(const UserProperty& property) {
  const auto fail = [&](const std::string& why) -> MirrorError {
    return MirrorError("user property \"" + property.name + "\": " + why);
  };
  const TypeName* typeName = nullptr;
  for (const TypeName& t : kTypeNames) {
    if (t.type == property.type) typeName = &t;
  }
  if (typeName == nullptr) {
    throw fail("type " + std::to_string(static_cast<int>(property.type)) +
               " is not a property type");
  }
  ICalUserProperty form{
      EncodeXName(property.name), EncodeNameParameter(property.name), typeName->name, {}};
  const std::string* text = std::get_if<std::string>(&property.value);
  const double* number = std::get_if<double>(&property.value);
  if ((property.type == PropertyType::kText) != (text != nullptr)) {
    throw fail(std::string("the value is not of type ") + typeName->name);
  }
  switch (property.type) {
    case PropertyType::kText:
      form.value = '"' + CleanText(*text) + '"';
      break;
    case PropertyType::kYesNo:
      // Outlook's true is -1, but any value other than 0 is taken as true.
      form.value = *number != 0.0 ? "TRUE" : "FALSE";
      break;
    case PropertyType::kDateTime:
      if (const auto date = DateTimeText(*number)) {
        form.value = *date;
      } else {
        throw fail(NumberText(*number) + " is not a date");
      }
      break;
    case PropertyType::kNumber:
    case PropertyType::kInteger:
      form.value = NumberText(*number);
      break;
  }
  return form;
}

std::optional<UserProperty> UserPropertyFromICal(std::string_view xName,
                                                 const std::optional<std::string>& nameParameter,
                                                 std::string_view typeParameter,
                                                 std::string_view value) {
  const TypeName* typeName = nullptr;
  for (const TypeName& t : kTypeNames) {
    if (typeParameter == t.name) typeName = &t;
  }
  if (typeName == nullptr) return std::nullopt;
  const std::optional<std::string> name =
      nameParameter ? DecodeNameParameter(*nameParameter) : DecodeXName(xName);
  if (!name) return std::nullopt;
  UserProperty property;
  property.name = *name;
  property.type = typeName->type;
  switch (property.type) {
    case PropertyType::kText:
      if (value.size() < 2 || value.front() != '"' || value.back() != '"') return std::nullopt;
      property.value = std::string(value.substr(1, value.size() - 2));
      return property;
    case PropertyType::kYesNo:
      if (value != "TRUE" && value != "FALSE") return std::nullopt;
      property.value = value == "TRUE" ? -1.0 : 0.0;
      return property;
    case PropertyType::kDateTime:
      if (const auto date = DateTimeFromText(value)) {
        property.value = *date;
        return property;
      }
      return std::nullopt;
    case PropertyType::kNumber:
    case PropertyType::kInteger:
      if (const auto number = NumberFromText(value)) {
        property.value = *number;
        return property;
      }
      return std::nullopt;
  }
  return std::nullopt;
}

}  // namespace host
