#pragma once
// How an item's user property is written in the mirror: as an X- property
// named after it, with its exact name and its type in parameters, e.g.
//
//   X-ORVANE-PRAYERNUM;X-ORVANE-NAME=PrayerNum;X-ORVANE-TYPE=NUMBER:7
//
// iCalendar names hold only letters, digits and '-', and compare without
// regard to case; user property names may hold anything. So the property name
// is the user property's name encoded (letters upper-cased, '-' doubled, any
// other byte as '-' and two hex digits: "Prayer Num" is X-ORVANE-PRAYER-20NUM),
// which a reader can decode up to case, and the name parameter keeps the name
// itself, with '%', '"', '^' and control characters as %XX so that no
// version of libical's parameter quoting can change it.
//
// Values are written in one form per type, independent of the C and C++
// locales: numbers as the shortest text that reads back as the same double
// ("7", "0.1", "-1.5e+300"), yes/no as TRUE or FALSE, dates as floating
// DATE-TIME ("20040321T053000"), text between double quotes (:"Fajr";
// libical escapes what is between them). The quotes are there because libical, reading,
// trims blanks off both ends of a value and drops a property with an empty
// one, and Outlook gives a new text property the empty text.

#include <optional>
#include <string>
#include <string_view>

#include "host/store/Appointment.h"

namespace host {

/// Every X- property of a mirrored event that starts with this is a user property.
inline constexpr std::string_view kUserPropertyPrefix = "X-ORVANE-";
/// The parameters that keep a user property's exact name and its type.
inline constexpr const char* kUserPropertyNameParameter = "X-ORVANE-NAME";
inline constexpr const char* kUserPropertyTypeParameter = "X-ORVANE-TYPE";

/// A user property in the pieces of an iCalendar property.
struct ICalUserProperty {
  std::string xName;          // X-ORVANE-…
  std::string nameParameter;  // the exact name, %-encoded where needed
  std::string typeParameter;  // TEXT, NUMBER, DATETIME, YESNO or INTEGER
  std::string value;          // unescaped; libical escapes it when writing
};

/// Throws MirrorError when the property's type is not one Outlook has, its
/// value is not of its type (text for kText, a number otherwise), or a date
/// lies outside what an OLE date can be.
ICalUserProperty UserPropertyToICal(const UserProperty& property);

/// The user property back from the pieces; `nameParameter` may be missing
/// (another program dropped it), and then the name is decoded from `xName`
/// in capitals. Nothing when the type is unknown or the value malformed.
std::optional<UserProperty> UserPropertyFromICal(std::string_view xName,
                                                 const std::optional<std::string>& nameParameter,
                                                 std::string_view typeParameter,
                                                 std::string_view value);

}  // namespace host
