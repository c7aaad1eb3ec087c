#pragma once
// Texts crossing to Outlook: automation strings are UTF-16, while the
// module's own texts are in its character set (the ANSI code page in
// OrvaneXP, UTF-16 in Orvane2003).

#include <string>
#include <string_view>

#include "services/Flavour.h"
#include "platform/com/Bstr.h"

// The module's text as UTF-16, and back.
std::u16string ToWide(tstring_view text);
tstring FromWide(std::u16string_view text);
// Resource string id of the resource library (read with a 512-character
// buffer, as every subject and caption is) as UTF-16.
std::u16string ResourceText(unsigned id);

inline CComBSTR ToBstr(tstring_view text) { return CComBSTR(ToWide(text)); }
inline CComBSTR ResourceBstr(unsigned id) { return CComBSTR(ResourceText(id)); }
inline tstring FromBstr(BSTR text) { return FromWide(std::u16string_view(text ? text : u"", SysStringLen(text))); }
