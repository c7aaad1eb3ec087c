#include "platform/com/Bstr.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "platform/text/TextConvert.h"

// Layout: a 32-bit byte count, the characters, a terminating 0. The BSTR
// points at the first character.
BSTR SysAllocStringLen(const OLECHAR* text, UINT length) {
  if (length > 0x3FFFFFF0u) return nullptr;
  auto* block = static_cast<std::uint8_t*>(
      std::malloc(sizeof(std::uint32_t) + (length + 1) * sizeof(OLECHAR)));
  if (block == nullptr) return nullptr;
  const std::uint32_t bytes = length * sizeof(OLECHAR);
  std::memcpy(block, &bytes, sizeof bytes);
  auto* chars = reinterpret_cast<OLECHAR*>(block + sizeof(std::uint32_t));
  if (text != nullptr) {
    std::memcpy(chars, text, bytes);
  } else {
    std::memset(chars, 0, bytes);
  }
  chars[length] = 0;
  return chars;
}

BSTR SysAllocString(const OLECHAR* text) {
  if (text == nullptr) return nullptr;
  UINT length = 0;
  while (text[length] != 0) ++length;
  return SysAllocStringLen(text, length);
}

void SysFreeString(BSTR text) {
  if (text != nullptr) std::free(reinterpret_cast<std::uint8_t*>(text) - sizeof(std::uint32_t));
}

UINT SysStringByteLen(BSTR text) {
  if (text == nullptr) return 0;
  std::uint32_t bytes = 0;
  std::memcpy(&bytes, reinterpret_cast<std::uint8_t*>(text) - sizeof bytes, sizeof bytes);
  return bytes;
}

UINT SysStringLen(BSTR text) { return SysStringByteLen(text) / sizeof(OLECHAR); }

CComBSTR::CComBSTR(const char* utf8) {
  const std::u16string wide = text::Utf8ToUtf16(utf8 != nullptr ? utf8 : "");
  m_str = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
}

CComBSTR& CComBSTR::operator=(const CComBSTR& other) {
  if (this != &other) {
    SysFreeString(m_str);
    m_str = SysAllocStringLen(other.m_str, other.Length());
  }
  return *this;
}

std::string CComBSTR::Utf8() const { return text::Utf16ToUtf8(View()); }
