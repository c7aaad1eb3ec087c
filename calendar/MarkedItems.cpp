#include "calendar/MarkedItems.h"

#include <cmath>
#include <new>

#include "services/TraceLog.h"
#include "calendar/CalendarQueries.h"
#include "platform/com/Bstr.h"
#include "platform/com/Variant.h"

bool MarkCondition::Holds(double mark) const {
  return IsSatifyingCondition(static_cast<DWORD>(mark), op, static_cast<DWORD>(number));
}

MarkCondition AnyMark() { return MarkCondition{TEXT("<="), kPrayerNumLimit}; }

bool ReadPrayerMark(IDispatch* object, double* mark) {
  ComPtr<_AppointmentItem> item;
  if (object == nullptr || FAILED(object->QueryInterface(_AppointmentItem::kIID, item.ReleaseAndGetVoidAddress())) ||
      !item) {
    return false;
  }
  ComPtr<UserProperties> properties;
  if (FAILED(item->get_UserProperties(properties.ReleaseAndGetAddressOf())) || !properties) return false;
  CComBSTR name{std::u16string_view(u"PrayerNum")};
  CComVariant custom;
  custom.vt = VT_I2;
  custom.iVal = -1;
  ComPtr<UserProperty> property;
  if (FAILED(properties->Find(name.Get(), custom, property.ReleaseAndGetAddressOf())) || !property) return false;
  CComVariant value, number;
  if (FAILED(property->get_Value(&value)) || FAILED(VariantChangeType(&number, &value, 0, VT_R8))) return false;
  const double v = number.dblVal;
  // Marks are whole numbers up to the limit; anything else is not the add-in's writing.
  if (!std::isfinite(v) || v < 0 || v > kPrayerNumLimit || v != std::floor(v)) return false;
  *mark = v;
  return true;
}

namespace {

void TraceLeftAlone(IDispatch* object) {
  if (!CTraceLog::Instance().Enabled()) return;
  std::string subject = "(no subject)";
  ComPtr<_AppointmentItem> item;
  if (object != nullptr && SUCCEEDED(object->QueryInterface(_AppointmentItem::kIID, item.ReleaseAndGetVoidAddress()))) {
    CComBSTR text;
    if (SUCCEEDED(item->get_Subject(&text))) subject = text.Utf8();
  }
  Trace("Left alone, matched by subject but without the PrayerNum mark: " + subject);
}

}  // namespace

HRESULT SkipUnmarkedMatches(_Items* items, const MarkCondition& condition, HRESULT found, IDispatch** item) {
  // Bounded by the collection: FindNext walks it at most once.
  LONG count = 0;
  if (HRESULT hr = items->get_Count(&count); FAILED(hr)) return hr;
  for (LONG step = 0; SUCCEEDED(found) && *item != nullptr && step <= count; ++step) {
    double mark = 0;
    if (ReadPrayerMark(*item, &mark) && condition.Holds(mark)) return found;
    TraceLeftAlone(*item);
    (*item)->Release();
    *item = nullptr;
    found = items->FindNext(item);
  }
  if (*item != nullptr) {
    (*item)->Release();
    *item = nullptr;
  }
  return found;
}

HRESULT CMarkedItems::Create(_Items* items, const MarkCondition& condition, _Items** result) {
  if (result == nullptr) return E_POINTER;
  *result = nullptr;
  if (items == nullptr) return S_OK;
  auto* created = new (std::nothrow) CMarkedItems(items, condition);
  if (created == nullptr) return E_OUTOFMEMORY;
  created->AddRef();
  if (HRESULT hr = created->Collect(); FAILED(hr)) {
    created->Release();
    return hr;
  }
  *result = created;
  return S_OK;
}

HRESULT CMarkedItems::Collect() {
  LONG count = 0;
  if (HRESULT hr = m_items->get_Count(&count); FAILED(hr)) return hr;
  for (LONG position = 1; position <= count; ++position) {
    ComPtr<IDispatch> item;
    if (HRESULT hr = m_items->Item(CComVariant::I4(position), item.ReleaseAndGetAddressOf()); FAILED(hr)) return hr;
    double mark = 0;
    if (ReadPrayerMark(item.Get(), &mark) && m_condition.Holds(mark)) {
      m_positions.push_back(position);
    } else {
      TraceLeftAlone(item.Get());
    }
  }
  return S_OK;
}

HRESULT CMarkedItems::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (iid == IUnknown::kIID || iid == IDispatch::kIID || iid == _Items::kIID) {
    *object = static_cast<_Items*>(this);
    AddRef();
    return S_OK;
  }
  return E_NOINTERFACE;
}

HRESULT CMarkedItems::GetTypeInfoCount(UINT* count) {
  if (count == nullptr) return E_POINTER;
  *count = 0;
  return S_OK;
}

HRESULT CMarkedItems::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
  if (info != nullptr) *info = nullptr;
  return E_NOTIMPL;
}

HRESULT CMarkedItems::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return DISP_E_UNKNOWNNAME; }

HRESULT CMarkedItems::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) {
  return DISP_E_MEMBERNOTFOUND;
}

HRESULT CMarkedItems::get_Count(LONG* count) {
  if (count == nullptr) return E_POINTER;
  *count = static_cast<LONG>(m_positions.size());
  return S_OK;
}

HRESULT CMarkedItems::Item(VARIANT index, IDispatch** item) {
  if (item == nullptr) return E_POINTER;
  *item = nullptr;
  CComVariant number;
  if (FAILED(VariantChangeType(&number, &index, 0, VT_I4))) return E_INVALIDARG;
  if (number.lVal < 1 || static_cast<std::size_t>(number.lVal) > m_positions.size()) return E_INVALIDARG;
  return m_items->Item(CComVariant::I4(m_positions[static_cast<std::size_t>(number.lVal) - 1]), item);
}

HRESULT CMarkedItems::Restrict(BSTR filter, _Items** result) {
  if (result == nullptr) return E_POINTER;
  *result = nullptr;
  ComPtr<_Items> narrowed;
  if (HRESULT hr = m_items->Restrict(filter, narrowed.ReleaseAndGetAddressOf()); FAILED(hr)) return hr;
  return Create(narrowed.Get(), m_condition, result);
}

HRESULT CMarkedItems::Find(BSTR filter, IDispatch** item) {
  if (item == nullptr) return E_POINTER;
  *item = nullptr;
  return SkipUnmarkedMatches(m_items.Get(), m_condition, m_items->Find(filter, item), item);
}

HRESULT CMarkedItems::FindNext(IDispatch** item) {
  if (item == nullptr) return E_POINTER;
  *item = nullptr;
  return SkipUnmarkedMatches(m_items.Get(), m_condition, m_items->FindNext(item), item);
}
