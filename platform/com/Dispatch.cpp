#include "platform/com/Dispatch.h"

namespace com {
namespace {

char16_t FoldAscii(char16_t c) { return (c >= u'A' && c <= u'Z') ? c - u'A' + u'a' : c; }

bool NameEquals(const char* ascii, const OLECHAR* name) {
  for (; *ascii != '\0' && *name != 0; ++ascii, ++name) {
    if (FoldAscii(static_cast<char16_t>(*ascii)) != FoldAscii(*name)) return false;
  }
  return *ascii == '\0' && *name == 0;
}

const DispMember* FindMember(std::span<const DispMember> table, DISPID id, DispKind kind) {
  for (const DispMember& m : table) {
    if (m.dispid == id && m.kind == kind) return &m;
  }
  return nullptr;
}

}  // namespace

HRESULT TableGetIDsOfNames(std::span<const DispMember> table, LPOLESTR* names, UINT count,
                           DISPID* ids) {
  if (names == nullptr || ids == nullptr) return E_POINTER;
  if (count == 0) return E_INVALIDARG;
  HRESULT hr = S_OK;
  ids[0] = DISPID_UNKNOWN;
  if (names[0] != nullptr) {
    for (const DispMember& m : table) {
      if (NameEquals(m.name, names[0])) {
        ids[0] = m.dispid;
        break;
      }
    }
  }
  if (ids[0] == DISPID_UNKNOWN) hr = DISP_E_UNKNOWNNAME;
  for (UINT i = 1; i < count; ++i) {
    ids[i] = DISPID_UNKNOWN;
    hr = DISP_E_UNKNOWNNAME;
  }
  return hr;
}

HRESULT TableInvoke(std::span<const DispMember> table, void* object, DISPID id, WORD flags,
                    DISPPARAMS* params, VARIANT* result, UINT* argumentError) {
  if (params == nullptr) return E_INVALIDARG;
  const DispMember* member = nullptr;
  if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
    member = FindMember(table, id, DispKind::kPropertyPut);
    // A property put names its value argument DISPID_PROPERTYPUT.
    if (member != nullptr &&
        (params->cNamedArgs != 1 || params->rgdispidNamedArgs == nullptr ||
         params->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT)) {
      return DISP_E_PARAMNOTOPTIONAL;
    }
  } else {
    if (params->cNamedArgs != 0) return DISP_E_PARAMNOTFOUND;
    if (flags & DISPATCH_METHOD) member = FindMember(table, id, DispKind::kMethod);
    if (member == nullptr && (flags & DISPATCH_PROPERTYGET)) {
      member = FindMember(table, id, DispKind::kPropertyGet);
    }
  }
  if (member == nullptr) return DISP_E_MEMBERNOTFOUND;
  if (params->cArgs != member->paramCount) return DISP_E_BADPARAMCOUNT;
  if (params->cArgs > 0 && params->rgvarg == nullptr) return E_INVALIDARG;

  VARIANT args[4];
  for (VARIANT& a : args) VariantInit(&a);
  HRESULT hr = S_OK;
  for (std::size_t i = 0; i < member->paramCount; ++i) {
    // Declaration order i is position cArgs - 1 - i of the reversed array.
    const UINT position = params->cArgs - 1 - static_cast<UINT>(i);
    hr = VariantChangeType(&args[i], &params->rgvarg[position], 0, member->params[i]);
    if (FAILED(hr)) {
      if (argumentError != nullptr) *argumentError = position;
      break;
    }
  }
  if (SUCCEEDED(hr)) {
    VARIANT out;
    VariantInit(&out);
    hr = member->call(object, args, &out);
    if (result != nullptr) {
      VariantClear(result);
      *result = out;
    } else {
      VariantClear(&out);
    }
  }
  for (VARIANT& a : args) VariantClear(&a);
  return hr;
}

void ToVariant(VARTYPE vt, double value, VARIANT* out) {
  VariantClear(out);
  out->vt = vt;
  if (vt == VT_DATE) {
    out->date = value;
  } else {
    out->dblVal = value;
  }
}

void ToVariant(VARTYPE vt, LONG value, VARIANT* out) {
  VariantClear(out);
  out->vt = vt;
  out->lVal = value;
}

void ToVariant(VARTYPE vt, VARIANT_BOOL value, VARIANT* out) {
  VariantClear(out);
  out->vt = vt;
  out->boolVal = value;
}

void ToVariant(VARTYPE vt, BSTR value, VARIANT* out) {
  VariantClear(out);
  out->vt = vt;
  out->bstrVal = value;
}

HRESULT InvokeMember(IDispatch* object, DISPID id, WORD flags, std::span<VARIANT> argsLastFirst,
                     VARIANT* result) {
  if (object == nullptr) return E_POINTER;
  DISPPARAMS params;
  params.rgvarg = argsLastFirst.data();
  params.cArgs = static_cast<UINT>(argsLastFirst.size());
  EXCEPINFO exception;
  UINT argumentError = 0;
  const HRESULT hr = object->Invoke(id, IID_NULL, 0, flags, &params, result, &exception, &argumentError);
  SysFreeString(exception.bstrSource);
  SysFreeString(exception.bstrDescription);
  SysFreeString(exception.bstrHelpFile);
  return hr;
}

}  // namespace com
