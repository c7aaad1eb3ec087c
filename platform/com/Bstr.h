#pragma once
// Automation strings: UTF-16, length-prefixed, allocated by SysAllocString and
// freed by SysFreeString. All modules share the process's allocator, so a
// string allocated in one module may be freed in another. A null BSTR is the
// empty string.

#include <string>
#include <string_view>

#include "platform/com/WinTypes.h"

using OLECHAR = char16_t;
using BSTR = OLECHAR*;
using LPOLESTR = OLECHAR*;
using LPCOLESTR = const OLECHAR*;
using UINT = unsigned int;

BSTR SysAllocString(const OLECHAR* text);
BSTR SysAllocStringLen(const OLECHAR* text, UINT length);
void SysFreeString(BSTR text);
UINT SysStringLen(BSTR text);
UINT SysStringByteLen(BSTR text);

// An owning BSTR.
class CComBSTR {
 public:
  CComBSTR() = default;
  explicit CComBSTR(std::u16string_view text)
      : m_str(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
  // From UTF-8.
  explicit CComBSTR(const char* utf8);
  CComBSTR(const CComBSTR& other) : m_str(SysAllocStringLen(other.m_str, other.Length())) {}
  CComBSTR& operator=(const CComBSTR& other);
  ~CComBSTR() { SysFreeString(m_str); }

  UINT Length() const { return SysStringLen(m_str); }
  BSTR Get() const { return m_str; }
  // For out parameters.
  BSTR* operator&() {
    Empty();
    return &m_str;
  }
  void Empty() {
    SysFreeString(m_str);
    m_str = nullptr;
  }
  BSTR Detach() {
    BSTR s = m_str;
    m_str = nullptr;
    return s;
  }
  std::u16string_view View() const { return {m_str ? m_str : u"", Length()}; }
  std::string Utf8() const;

 private:
  BSTR m_str = nullptr;
};
