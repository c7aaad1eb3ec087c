#include "platform/com/Guid.h"

#include <cstdio>

#include "platform/com/HResult.h"

std::string GuidToString(const GUID& g) {
  char buf[39];
  std::snprintf(buf, sizeof buf, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", g.Data1,
                g.Data2, g.Data3, g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3], g.Data4[4],
                g.Data4[5], g.Data4[6], g.Data4[7]);
  return buf;
}

HRESULT CLSIDFromString(const char16_t* text, CLSID* clsid) {
  if (text == nullptr || clsid == nullptr) return E_INVALIDARG;
  std::string narrow;
  for (const char16_t* p = text; *p != 0; ++p) {
    if (*p > 0x7F || narrow.size() > 38) return CO_E_CLASSSTRING;
    narrow.push_back(static_cast<char>(*p));
  }
  return ParseGuid(narrow, clsid) ? S_OK : CO_E_CLASSSTRING;
}

int StringFromGUID2(const GUID& guid, char16_t* buffer, int capacity) {
  const std::string text = GuidToString(guid);
  if (buffer == nullptr || capacity < static_cast<int>(text.size()) + 1) return 0;
  for (std::size_t i = 0; i < text.size(); ++i) buffer[i] = static_cast<char16_t>(text[i]);
  buffer[text.size()] = 0;
  return static_cast<int>(text.size()) + 1;
}
