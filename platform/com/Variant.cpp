#include "platform/com/Variant.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/com/Dispatch.h"
#include "platform/text/TextConvert.h"

void VariantInit(VARIANT* v) {
  v->vt = VT_EMPTY;
  v->wReserved1 = v->wReserved2 = v->wReserved3 = 0;
  v->llVal = 0;
}

HRESULT VariantClear(VARIANT* v) {
  if (v == nullptr) return E_INVALIDARG;
  switch (v->vt) {
    case VT_BSTR:
      SysFreeString(v->bstrVal);
      break;
    case VT_UNKNOWN:
      if (v->punkVal != nullptr) v->punkVal->Release();
      break;
    case VT_DISPATCH:
      if (v->pdispVal != nullptr) v->pdispVal->Release();
      break;
    default:
      break;
  }
  VariantInit(v);
  return S_OK;
}

HRESULT VariantCopy(VARIANT* dest, const VARIANT* src) {
  if (dest == nullptr || src == nullptr) return E_INVALIDARG;
  if (dest == src) return S_OK;
  VARIANT copy = *src;
  if (src->vt == VT_BSTR && src->bstrVal != nullptr) {
    copy.bstrVal = SysAllocStringLen(src->bstrVal, SysStringLen(src->bstrVal));
    if (copy.bstrVal == nullptr) return E_OUTOFMEMORY;
  } else if (src->vt == VT_UNKNOWN && src->punkVal != nullptr) {
    src->punkVal->AddRef();
  } else if (src->vt == VT_DISPATCH && src->pdispVal != nullptr) {
    src->pdispVal->AddRef();
  }
  VariantClear(dest);
  *dest = copy;
  return S_OK;
}

namespace {

// The value of a numeric-like variant as a double; false when it has none.
HRESULT AsDouble(const VARIANT& v, double* out) {
  switch (v.vt) {
    case VT_EMPTY: *out = 0.0; return S_OK;
    case VT_I2: *out = v.iVal; return S_OK;
    case VT_I4: case VT_INT: *out = v.lVal; return S_OK;
    case VT_UI4: case VT_UINT: *out = static_cast<std::uint32_t>(v.lVal); return S_OK;
    case VT_UI1: *out = v.bVal; return S_OK;
    case VT_R4: *out = v.fltVal; return S_OK;
    case VT_R8: *out = v.dblVal; return S_OK;
    case VT_DATE: *out = v.date; return S_OK;
    case VT_BOOL: *out = v.boolVal != 0 ? -1.0 : 0.0; return S_OK;
    case VT_BSTR: {
      const std::string text = text::Utf16ToUtf8({v.bstrVal ? v.bstrVal : u"", SysStringLen(v.bstrVal)});
      const char* begin = text.c_str();
      while (*begin == ' ') ++begin;
      if (*begin == '\0') return DISP_E_TYPEMISMATCH;
      char* end = nullptr;
      errno = 0;
      const double value = std::strtod(begin, &end);
      while (*end == ' ') ++end;
      if (*end != '\0') {
        std::string lower(begin);
        for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        while (!lower.empty() && lower.back() == ' ') lower.pop_back();
        if (lower == "true") { *out = -1.0; return S_OK; }
        if (lower == "false") { *out = 0.0; return S_OK; }
        return DISP_E_TYPEMISMATCH;
      }
      if (errno == ERANGE || !std::isfinite(value)) return DISP_E_OVERFLOW;
      *out = value;
      return S_OK;
    }
    default:
      return DISP_E_TYPEMISMATCH;
  }
}

// Automation rounds half to even when it makes an integer of a real.
double RoundHalfEven(double x) { return std::nearbyint(x); }

std::u16string ToText(double value) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.15g", value);
  return text::Utf8ToUtf16(buf);
}

}  // namespace

HRESULT VariantChangeType(VARIANT* dest, const VARIANT* src, WORD /*flags*/, VARTYPE vt) {
  if (dest == nullptr || src == nullptr) return E_INVALIDARG;
  VARIANT from = *src;
  // Follow references to the value itself.
  if (from.vt & VT_BYREF) {
    const VARTYPE base = from.vt & ~VT_BYREF;
    switch (base) {
      case VT_I4: from.lVal = *src->plVal; break;
      case VT_I2: from.iVal = *src->piVal; break;
      case VT_R8: from.dblVal = *src->pdblVal; break;
      case VT_DATE: from.date = *src->pdate; break;
      case VT_BOOL: from.boolVal = *src->pboolVal; break;
      case VT_BSTR: from.bstrVal = *src->pbstrVal; break;
      case VT_VARIANT: return VariantChangeType(dest, src->pvarVal, 0, vt);
      default: return DISP_E_BADVARTYPE;
    }
    from.vt = base;
  }
  if (from.vt == vt) {
    if (dest == src) return S_OK;
    return VariantCopy(dest, &from);
  }

  VARIANT result;
  VariantInit(&result);
  result.vt = vt;
  if (vt == VT_BSTR) {
    std::u16string text;
    if (from.vt == VT_BOOL) {
      text = from.boolVal ? u"True" : u"False";
    } else {
      double value = 0;
      if (const HRESULT hr = AsDouble(from, &value); FAILED(hr)) return hr;
      text = from.vt == VT_EMPTY ? u"" : ToText(value);
    }
    result.bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  } else if (vt == VT_EMPTY) {
    // nothing to carry
  } else {
    double value = 0;
    if (const HRESULT hr = AsDouble(from, &value); FAILED(hr)) return hr;
    switch (vt) {
      case VT_R8: result.dblVal = value; break;
      case VT_R4: result.fltVal = static_cast<float>(value); break;
      case VT_DATE:
        if (value < -657434.0 || value >= 2958466.0) return DISP_E_OVERFLOW;
        result.date = value;
        break;
      case VT_BOOL: result.boolVal = value != 0.0 ? VARIANT_TRUE : VARIANT_FALSE; break;
      case VT_I2: {
        const double r = RoundHalfEven(value);
        if (r < -32768.0 || r > 32767.0) return DISP_E_OVERFLOW;
        result.iVal = static_cast<SHORT>(r);
        break;
      }
      case VT_I4: case VT_INT: {
        const double r = RoundHalfEven(value);
        if (r < -2147483648.0 || r > 2147483647.0) return DISP_E_OVERFLOW;
        result.lVal = static_cast<LONG>(r);
        break;
      }
      case VT_UI4: case VT_UINT: {
        const double r = RoundHalfEven(value);
        if (r < 0.0 || r > 4294967295.0) return DISP_E_OVERFLOW;
        result.lVal = static_cast<LONG>(static_cast<std::uint32_t>(r));
        break;
      }
      default:
        return DISP_E_TYPEMISMATCH;
    }
  }
  VariantClear(dest);  // after the value was read, since dest may be src
  *dest = result;
  return S_OK;
}

CComVariant CComVariant::I4(LONG value) {
  CComVariant v;
  v.vt = VT_I4;
  v.lVal = value;
  return v;
}
CComVariant CComVariant::R8(double value) {
  CComVariant v;
  v.vt = VT_R8;
  v.dblVal = value;
  return v;
}
CComVariant CComVariant::Date(DATE value) {
  CComVariant v;
  v.vt = VT_DATE;
  v.date = value;
  return v;
}
CComVariant CComVariant::Bool(bool value) {
  CComVariant v;
  v.vt = VT_BOOL;
  v.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
  return v;
}
CComVariant CComVariant::Str(const char* utf8) {
  CComVariant v;
  const std::u16string wide = text::Utf8ToUtf16(utf8 != nullptr ? utf8 : "");
  v.vt = VT_BSTR;
  v.bstrVal = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
  return v;
}
