#include <gtest/gtest.h>

#include "platform/com/Bstr.h"
#include "platform/com/ComObject.h"
#include "platform/com/ComPtr.h"
#include "platform/com/Dispatch.h"
#include "platform/com/DispatchThunks.h"
#include "platform/com/Guid.h"
#include "platform/com/Registrar.h"
#include "platform/com/Variant.h"
#include "platform/registry/Registry.h"
#include "tests/support/TestProfile.h"

namespace {

TEST(Guid, ParsesAndPrintsTheRegistryForm) {
  constexpr GUID calculator = MakeGuid("{c19e1bc5-5894-11d3-907b-005004d12c2c}");
  EXPECT_EQ(calculator.Data1, 0xC19E1BC5u);
  EXPECT_EQ(calculator.Data2, 0x5894);
  EXPECT_EQ(calculator.Data4[7], 0x2C);
  EXPECT_EQ(GuidToString(calculator), "{C19E1BC5-5894-11D3-907B-005004D12C2C}");

  GUID parsed;
  for (const char* bad : {"C19E1BC5-5894-11D3-907B-005004D12C2C", "{C19E1BC5-5894-11D3-907B-005004D12C2}",
                          "{C19E1BC5-5894-11D3-907B-005004D12C2G}", "{C19E1BC5+5894-11D3-907B-005004D12C2C}", ""}) {
    EXPECT_FALSE(ParseGuid(bad, &parsed)) << bad;
  }
  CLSID fromWide;
  EXPECT_EQ(CLSIDFromString(u"{C19E1BC5-5894-11D3-907B-005004D12C2C}", &fromWide), S_OK);
  EXPECT_EQ(fromWide, calculator);
  EXPECT_EQ(CLSIDFromString(u"{C19E1BC5-5894-11D3-907B-005004D12C2C}x", &fromWide), CO_E_CLASSSTRING);
  char16_t buffer[39];
  EXPECT_EQ(StringFromGUID2(calculator, buffer, 38), 0);  // no room for the terminator
  EXPECT_EQ(StringFromGUID2(calculator, buffer, 39), 39);
}

TEST(Bstr, KeepsLengthEmbeddedZerosAndNull) {
  const char16_t text[] = {u'a', 0, u'b'};
  BSTR s = SysAllocStringLen(text, 3);
  EXPECT_EQ(SysStringLen(s), 3u);
  EXPECT_EQ(SysStringByteLen(s), 6u);
  EXPECT_EQ(s[1], 0);
  EXPECT_EQ(s[3], 0);  // always terminated
  SysFreeString(s);
  EXPECT_EQ(SysStringLen(nullptr), 0u);
  SysFreeString(nullptr);
  EXPECT_EQ(CComBSTR("مكة").Utf8(), "مكة");
  EXPECT_EQ(CComBSTR("مكة").Length(), 3u);
}

HRESULT Change(CComVariant in, VARTYPE vt, CComVariant* out) {
  return VariantChangeType(out, &in, 0, vt);
}

TEST(Variant, ConvertsAsAutomationDoes) {
  CComVariant out;
  EXPECT_EQ(Change(CComVariant::Str(" 12.5 "), VT_R8, &out), S_OK);
  EXPECT_EQ(out.dblVal, 12.5);
  EXPECT_EQ(Change(CComVariant::R8(2.5), VT_I4, &out), S_OK);
  EXPECT_EQ(out.lVal, 2);  // half to even
  EXPECT_EQ(Change(CComVariant::R8(3.5), VT_I4, &out), S_OK);
  EXPECT_EQ(out.lVal, 4);
  EXPECT_EQ(Change(CComVariant::I4(7), VT_BOOL, &out), S_OK);
  EXPECT_EQ(out.boolVal, VARIANT_TRUE);
  EXPECT_EQ(Change(CComVariant::Bool(true), VT_I4, &out), S_OK);
  EXPECT_EQ(out.lVal, -1);
  EXPECT_EQ(Change(CComVariant::R8(3e10), VT_I4, &out), DISP_E_OVERFLOW);
  EXPECT_EQ(Change(CComVariant::Str("twelve"), VT_R8, &out), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(Change(CComVariant::R8(1e9), VT_DATE, &out), DISP_E_OVERFLOW);
  EXPECT_EQ(Change(CComVariant::R8(-1.25), VT_BSTR, &out), S_OK);
  EXPECT_EQ(CComBSTR(std::u16string_view(out.bstrVal, SysStringLen(out.bstrVal))).Utf8(), "-1.25");

  // In place, from a string: the string is freed once, after it was read.
  CComVariant inPlace = CComVariant::Str("42");
  EXPECT_EQ(VariantChangeType(&inPlace, &inPlace, 0, VT_I4), S_OK);
  EXPECT_EQ(inPlace.vt, VT_I4);
  EXPECT_EQ(inPlace.lVal, 42);

  // Through a reference.
  LONG target = 9;
  VARIANT byRef;
  VariantInit(&byRef);
  byRef.vt = VT_I4 | VT_BYREF;
  byRef.plVal = &target;
  EXPECT_EQ(VariantChangeType(&out, &byRef, 0, VT_R8), S_OK);
  EXPECT_EQ(out.dblVal, 9.0);
}

// A small automation object to exercise the generic parts on their own.
struct ICounter : IDispatch {
  static constexpr IID kIID = MakeGuid("{11111111-2222-3333-4444-555555555555}");
  virtual HRESULT get_Value(LONG* value) = 0;
  virtual HRESULT put_Value(LONG value) = 0;
  virtual HRESULT Add(LONG a, double b) = 0;
};

class CCounter : public ICounter {
 public:
  using PrimaryInterface = ICounter;
  static inline int alive = 0;
  CCounter() { ++alive; }
  virtual ~CCounter() { --alive; }
  HRESULT InternalQueryInterface(REFIID iid, void** object) {
    if (iid != ICounter::kIID && iid != IDispatch::kIID) return E_NOINTERFACE;
    *object = static_cast<ICounter*>(this);
    return S_OK;
  }
  HRESULT GetTypeInfoCount(UINT* n) override { *n = 0; return S_OK; }
  HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
    return com::TableGetIDsOfNames(kTable, names, count, ids);
  }
  HRESULT Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                 EXCEPINFO*, UINT* argErr) override {
    return com::TableInvoke(kTable, static_cast<ICounter*>(this), id, flags, params, result, argErr);
  }
  HRESULT get_Value(LONG* value) override { *value = m_value; return S_OK; }
  HRESULT put_Value(LONG value) override { m_value = value; return S_OK; }
  HRESULT Add(LONG a, double b) override { m_value += a * 10 + static_cast<LONG>(b); return S_OK; }

  static constexpr DispMember kTable[] = {
      {"Value", 1, DispKind::kPropertyGet, {}, 0, VT_I4, "", com::GetThunk<&ICounter::get_Value, VT_I4>},
      {"Value", 1, DispKind::kPropertyPut, {VT_I4}, 1, VT_EMPTY, "", com::CallThunk<&ICounter::put_Value>},
      {"Add", 2, DispKind::kMethod, {VT_I4, VT_R8}, 2, VT_EMPTY, "", com::CallThunk<&ICounter::Add>},
  };

 private:
  LONG m_value = 0;
};

TEST(Dispatch, InvokesByNameWithReversedConvertedArguments) {
  ComPtr<IDispatch> counter;
  ASSERT_EQ(com::CreateComObject<CCounter>(nullptr, IDispatch::kIID, counter.ReleaseAndGetVoidAddress()), S_OK);
  OLECHAR add[] = u"aDD";
  LPOLESTR names[] = {add};
  DISPID id = 0;
  ASSERT_EQ(counter->GetIDsOfNames(GUID_NULL, names, 1, 0, &id), S_OK);
  EXPECT_EQ(id, 2);
  OLECHAR nope[] = u"Nope";
  names[0] = nope;
  EXPECT_EQ(counter->GetIDsOfNames(GUID_NULL, names, 1, 0, &id), DISP_E_UNKNOWNNAME);

  // Add(3, "4"): arguments are passed last first.
  CComVariant args[2];
  args[0] = CComVariant::Str("4");
  args[1] = CComVariant::I4(3);
  DISPPARAMS call{args, nullptr, 2, 0};
  EXPECT_EQ(counter->Invoke(2, GUID_NULL, 0, DISPATCH_METHOD, &call, nullptr, nullptr, nullptr), S_OK);
  CComVariant value;
  DISPPARAMS none{};
  EXPECT_EQ(counter->Invoke(1, GUID_NULL, 0, DISPATCH_PROPERTYGET | DISPATCH_METHOD, &none, &value, nullptr, nullptr), S_OK);
  EXPECT_EQ(value.vt, VT_I4);
  EXPECT_EQ(value.lVal, 34);

  // Wrong count, wrong type (with the position), unknown member, put without its name.
  DISPPARAMS one{args, nullptr, 1, 0};
  EXPECT_EQ(counter->Invoke(2, GUID_NULL, 0, DISPATCH_METHOD, &one, nullptr, nullptr, nullptr), DISP_E_BADPARAMCOUNT);
  args[1] = CComVariant::Str("x");
  UINT argErr = 99;
  EXPECT_EQ(counter->Invoke(2, GUID_NULL, 0, DISPATCH_METHOD, &call, nullptr, nullptr, &argErr), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(argErr, 1u);
  EXPECT_EQ(counter->Invoke(9, GUID_NULL, 0, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr), DISP_E_MEMBERNOTFOUND);
  DISPPARAMS unnamedPut{args, nullptr, 1, 0};
  EXPECT_EQ(counter->Invoke(1, GUID_NULL, 0, DISPATCH_PROPERTYPUT, &unnamedPut, nullptr, nullptr, nullptr), DISP_E_PARAMNOTOPTIONAL);
  DISPID putId = DISPID_PROPERTYPUT;
  args[0] = CComVariant::I4(5);
  DISPPARAMS put{args, &putId, 1, 1};
  EXPECT_EQ(counter->Invoke(1, GUID_NULL, 0, DISPATCH_PROPERTYPUT, &put, nullptr, nullptr, nullptr), S_OK);
  ComPtr<ICounter> typed;
  ASSERT_EQ(counter.As(&typed), S_OK);
  LONG v = 0;
  typed->get_Value(&v);
  EXPECT_EQ(v, 5);
}

// An outer object that aggregates a CCounter.
class COuter final : public IUnknown {
 public:
  COuter() { EXPECT_EQ(com::CreateComObject<CCounter>(this, IUnknown::kIID, reinterpret_cast<void**>(&m_inner)), S_OK); }
  ~COuter() { m_inner->Release(); }
  HRESULT QueryInterface(REFIID iid, void** object) override {
    if (iid == IUnknown::kIID) {
      *object = static_cast<IUnknown*>(this);
      AddRef();
      return S_OK;
    }
    return m_inner->QueryInterface(iid, object);
  }
  ULONG AddRef() override { return ++m_refs; }
  ULONG Release() override {
    const ULONG left = --m_refs;
    if (left == 0) delete this;
    return left;
  }
  IUnknown* m_inner = nullptr;
  ULONG m_refs = 1;
};

TEST(ComObject, AggregatedObjectSharesTheOuterIdentityAndLifetime) {
  const long locksBefore = com::ModuleLockCount();
  auto* outer = new COuter();
  EXPECT_EQ(com::ModuleLockCount(), locksBefore + 1);
  ComPtr<ICounter> counter;
  ASSERT_EQ(outer->QueryInterface(ICounter::kIID, counter.ReleaseAndGetVoidAddress()), S_OK);
  EXPECT_EQ(outer->m_refs, 2u);  // the inner interface counts on the outer
  ComPtr<IUnknown> identity;
  ASSERT_EQ(counter->QueryInterface(IUnknown::kIID, identity.ReleaseAndGetVoidAddress()), S_OK);
  EXPECT_EQ(identity.Get(), static_cast<IUnknown*>(outer));
  identity.Reset();
  counter.Reset();
  EXPECT_EQ(CCounter::alive, 1);
  outer->Release();
  EXPECT_EQ(CCounter::alive, 0);
  EXPECT_EQ(com::ModuleLockCount(), locksBefore);

  void* object = nullptr;
  EXPECT_EQ(com::CreateComObject<CCounter>(outer, ICounter::kIID, &object), CLASS_E_NOAGGREGATION);
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(com::CreateComObject<CCounter>(nullptr, IClassFactory::kIID, &object), E_NOINTERFACE);
  EXPECT_EQ(CCounter::alive, 0);  // a refused interface does not leak the object
}

TEST(Registrar, RegistersAndRemovesWhatTheScriptSays) {
  TestProfile profile;
  constexpr std::string_view script = R"(
HKCR
{
  Test.Thing.1 = s 'Thing Class'
  {
    CLSID = s '{11111111-2222-3333-4444-555555555555}'
  }
  NoRemove CLSID
  {
    ForceRemove {11111111-2222-3333-4444-555555555555} = s 'Thing Class'
    {
      ForceRemove 'Programmable'
      InprocServer32 = s '%MODULE%'
      {
        val ThreadingModel = s 'Apartment'
      }
      'Count' = d '42'
      Blob = b '0A0B'
      'It''s' = s 'quoted'
    }
  }
})";
  const com::RegistrarReplacement module[] = {{"MODULE", "/opt/thing.so"}};
  ASSERT_EQ(com::RunRegistryScript(script, module, true), S_OK);
  std::string text;
  const char* clsidKey = "CLSID\\{11111111-2222-3333-4444-555555555555}";
  EXPECT_EQ(registry::GetString(HKEY_CLASSES_ROOT, clsidKey, nullptr, &text), ERROR_SUCCESS);
  EXPECT_EQ(text, "Thing Class");
  EXPECT_EQ(registry::GetString(HKEY_CLASSES_ROOT, (std::string(clsidKey) + "\\InprocServer32").c_str(), nullptr, &text), ERROR_SUCCESS);
  EXPECT_EQ(text, "/opt/thing.so");
  EXPECT_EQ(registry::GetString(HKEY_CLASSES_ROOT, (std::string(clsidKey) + "\\InprocServer32").c_str(), "ThreadingModel", &text), ERROR_SUCCESS);
  EXPECT_EQ(text, "Apartment");
  DWORD count = 0;
  EXPECT_EQ(registry::GetDword(HKEY_CLASSES_ROOT, (std::string(clsidKey) + "\\Count").c_str(), nullptr, &count), ERROR_SUCCESS);
  EXPECT_EQ(count, 42u);
  EXPECT_TRUE(registry::KeyExists(HKEY_CLASSES_ROOT, (std::string(clsidKey) + "\\Programmable").c_str()));
  EXPECT_TRUE(registry::KeyExists(HKEY_CLASSES_ROOT, (std::string(clsidKey) + "\\It's").c_str()));

  // Something else under CLSID survives unregistration; NoRemove keeps CLSID.
  ASSERT_EQ(registry::SetString(HKEY_CLASSES_ROOT, "CLSID\\{99999999-2222-3333-4444-555555555555}", nullptr, "other"), ERROR_SUCCESS);
  ASSERT_EQ(com::RunRegistryScript(script, module, false), S_OK);
  EXPECT_FALSE(registry::KeyExists(HKEY_CLASSES_ROOT, clsidKey));
  EXPECT_FALSE(registry::KeyExists(HKEY_CLASSES_ROOT, "Test.Thing.1"));
  EXPECT_TRUE(registry::KeyExists(HKEY_CLASSES_ROOT, "CLSID\\{99999999-2222-3333-4444-555555555555}"));
  // Unregistering again finds nothing and still succeeds.
  EXPECT_EQ(com::RunRegistryScript(script, module, false), S_OK);
}

TEST(Registrar, RefusesABrokenScriptBeforeWritingAnything) {
  TestProfile profile;
  for (const char* broken : {"HKCR { A = s 'x' { B = s 'unterminated } }", "HKXX { A = s 'x' }",
                             "HKCR { A = q 'x' }", "HKCR { A = s 'x' ", "HKCR { A = d 'ten' }",
                             "HKCR { A = b '0' }"}) {
    EXPECT_EQ(com::RunRegistryScript(std::string_view(broken), {}, true), E_INVALIDARG) << broken;
    EXPECT_FALSE(registry::KeyExists(HKEY_CLASSES_ROOT, "A")) << broken;
  }
}

}  // namespace
