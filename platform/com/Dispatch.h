#pragma once
// IDispatch, the late-bound door to an automation object, and the machinery
// that implements it from a static table of members.

#include <cstddef>
#include <span>

#include "platform/com/Variant.h"

using DISPID = LONG;
using MEMBERID = DISPID;

inline constexpr DISPID DISPID_UNKNOWN = -1;
inline constexpr DISPID DISPID_PROPERTYPUT = -3;

enum : WORD {
  DISPATCH_METHOD = 0x1,
  DISPATCH_PROPERTYGET = 0x2,
  DISPATCH_PROPERTYPUT = 0x4,
  DISPATCH_PROPERTYPUTREF = 0x8,
};

// Arguments come last-first, as automation passes them.
struct DISPPARAMS {
  VARIANTARG* rgvarg = nullptr;
  DISPID* rgdispidNamedArgs = nullptr;
  UINT cArgs = 0;
  UINT cNamedArgs = 0;
};

struct EXCEPINFO {
  WORD wCode = 0;
  WORD wReserved = 0;
  BSTR bstrSource = nullptr;
  BSTR bstrDescription = nullptr;
  BSTR bstrHelpFile = nullptr;
  DWORD dwHelpContext = 0;
  void* pvReserved = nullptr;
  void* pfnDeferredFillIn = nullptr;
  SCODE scode = 0;
};

struct ITypeInfo;

struct IDispatch : IUnknown {
  static constexpr IID kIID = MakeGuid("{00020400-0000-0000-C000-000000000046}");
  virtual HRESULT GetTypeInfoCount(UINT* count) = 0;
  virtual HRESULT GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) = 0;
  virtual HRESULT GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID lcid,
                                DISPID* ids) = 0;
  virtual HRESULT Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params,
                         VARIANT* result, EXCEPINFO* exception, UINT* argumentError) = 0;

 protected:
  ~IDispatch() = default;
};

// One member of a dispatch table: how automation names and calls it.
enum class DispKind { kMethod, kPropertyGet, kPropertyPut };

struct DispMember {
  const char* name;
  DISPID dispid;
  DispKind kind;
  // Types of the parameters in declaration order (at most 4), and of the
  // value handed back (VT_EMPTY for none).
  VARTYPE params[4];
  std::size_t paramCount;
  VARTYPE result;
  const char* help;
  // Calls the member on the object with arguments already converted to the
  // parameter types, in declaration order; fills *result when the member
  // hands a value back.
  HRESULT (*call)(void* object, VARIANT* args, VARIANT* result);
};

namespace com {

// GetIDsOfNames over a table: names match without regard to case; only the
// first name (the member) is looked up, named arguments are not supported.
HRESULT TableGetIDsOfNames(std::span<const DispMember> table, LPOLESTR* names, UINT count,
                           DISPID* ids);

// Invoke over a table: picks the member by dispid and call kind, checks the
// argument count, converts each argument to its parameter type, and calls.
HRESULT TableInvoke(std::span<const DispMember> table, void* object, DISPID id, WORD flags,
                    DISPPARAMS* params, VARIANT* result, UINT* argumentError);

// Calls a member of an object late-bound, as a client does: arguments
// last-first, no named arguments; whatever exception information comes back
// is freed. The result is left empty when the member hands nothing back.
HRESULT InvokeMember(IDispatch* object, DISPID id, WORD flags, std::span<VARIANT> argsLastFirst,
                     VARIANT* result);

// Helpers for writing DispMember::call thunks.
template <typename T>
T FromVariant(const VARIANT& v);
template <>
inline double FromVariant<double>(const VARIANT& v) { return v.vt == VT_DATE ? v.date : v.dblVal; }
template <>
inline LONG FromVariant<LONG>(const VARIANT& v) { return v.lVal; }
template <>
inline VARIANT_BOOL FromVariant<VARIANT_BOOL>(const VARIANT& v) { return v.boolVal; }
template <>
inline BSTR FromVariant<BSTR>(const VARIANT& v) { return v.bstrVal; }

// Stores a result of the given type into *out (taking ownership of a BSTR or
// an interface reference).
void ToVariant(VARTYPE vt, double value, VARIANT* out);
void ToVariant(VARTYPE vt, LONG value, VARIANT* out);
void ToVariant(VARTYPE vt, VARIANT_BOOL value, VARIANT* out);
void ToVariant(VARTYPE vt, BSTR value, VARIANT* out);

}  // namespace com
