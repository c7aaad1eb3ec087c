#pragma once
// VARIANT: the automation value, with the types the system passes (empty,
// I2, I4, R8, BOOL as -1/0, DATE, BSTR, DISPATCH, UNKNOWN, ERROR) and
// references to them. A VARIANT owns its BSTR and interface reference;
// VariantClear releases them.

#include "platform/com/Bstr.h"
#include "platform/com/HResult.h"
#include "platform/com/Unknown.h"

struct IDispatch;

using VARTYPE = WORD;
using VARIANT_BOOL = std::int16_t;
using SHORT = std::int16_t;

inline constexpr VARIANT_BOOL VARIANT_TRUE = -1;
inline constexpr VARIANT_BOOL VARIANT_FALSE = 0;

enum : VARTYPE {
  VT_EMPTY = 0,
  VT_NULL = 1,
  VT_I2 = 2,
  VT_I4 = 3,
  VT_R4 = 4,
  VT_R8 = 5,
  VT_DATE = 7,
  VT_BSTR = 8,
  VT_DISPATCH = 9,
  VT_ERROR = 10,
  VT_BOOL = 11,
  VT_VARIANT = 12,
  VT_UNKNOWN = 13,
  VT_UI1 = 17,
  VT_UI4 = 19,
  VT_INT = 22,
  VT_UINT = 23,
  VT_BYREF = 0x4000,
};

struct VARIANT {
  VARTYPE vt = VT_EMPTY;
  WORD wReserved1 = 0, wReserved2 = 0, wReserved3 = 0;
  union {
    std::int64_t llVal = 0;
    LONG lVal;
    SHORT iVal;
    BYTE bVal;
    float fltVal;
    double dblVal;
    VARIANT_BOOL boolVal;
    SCODE scode;
    DATE date;
    BSTR bstrVal;
    IUnknown* punkVal;
    IDispatch* pdispVal;
    LONG* plVal;
    SHORT* piVal;
    double* pdblVal;
    VARIANT_BOOL* pboolVal;
    DATE* pdate;
    BSTR* pbstrVal;
    VARIANT* pvarVal;
  };
};
using VARIANTARG = VARIANT;

void VariantInit(VARIANT* v);
// Frees what the variant owns and leaves it empty.
HRESULT VariantClear(VARIANT* v);
// A deep copy: the BSTR is duplicated, interfaces get a reference.
HRESULT VariantCopy(VARIANT* dest, const VARIANT* src);
// Converts src into dest of type vt (dest may be src). References are
// followed. Numbers, booleans, dates and strings convert into one another as
// automation does ("12.5" into R8, R8 into I4 rounding half to even, BOOL as
// -1/0); a value that does not fit gives DISP_E_OVERFLOW, text that is no
// number DISP_E_TYPEMISMATCH.
HRESULT VariantChangeType(VARIANT* dest, const VARIANT* src, WORD flags, VARTYPE vt);

// An owning VARIANT for our own code.
class CComVariant : public VARIANT {
 public:
  CComVariant() = default;
  CComVariant(const CComVariant& other) : VARIANT() { VariantCopy(this, &other); }
  CComVariant& operator=(const CComVariant& other) {
    if (this != &other) VariantCopy(this, &other);
    return *this;
  }
  ~CComVariant() { VariantClear(this); }

  static CComVariant I4(LONG value);
  static CComVariant R8(double value);
  static CComVariant Date(DATE value);
  static CComVariant Bool(bool value);
  static CComVariant Str(const char* utf8);
};
