#include "host/model/UserProperties.h"

#include <algorithm>
#include <cmath>

#include "host/model/ModelErrors.h"
#include "host/model/OutlookSession.h"
#include "host/store/ItemCheck.h"
#include "platform/text/CaseFold.h"

namespace host {

namespace {

// Outlook's "None" date, the value of a date property nobody has set.
constexpr double kNoDate = 949998.0;

std::string FromBstr(BSTR text) { return CComBSTR(std::u16string_view(text ? text : u"")).Utf8(); }

host::UserProperty* FindByName(std::vector<host::UserProperty>& properties, std::string_view name) {
  auto it = std::find_if(properties.begin(), properties.end(), [&](const host::UserProperty& p) {
    return text::EqualIgnoringCase(p.name, name);
  });
  return it == properties.end() ? nullptr : &*it;
}

// An optional boolean argument: missing means `otherwise`.
bool OptionalBool(const VARIANT& v, bool otherwise) {
  if (v.vt == VT_EMPTY || v.vt == VT_ERROR) return otherwise;
  CComVariant b;
  if (FAILED(VariantChangeType(&b, &v, 0, VT_BOOL))) return otherwise;
  return b.boolVal != VARIANT_FALSE;
}

}  // namespace

CUserProperties::CUserProperties(std::shared_ptr<OutlookSession> session, unsigned generation,
                                 std::shared_ptr<ItemState> item)
    : session_(std::move(session)), generation_(generation), item_(std::move(item)) {}

HRESULT CUserProperties::InternalQueryInterface(REFIID iid, void** object) {
  if (!IsOwnInterface(iid)) return E_NOINTERFACE;
  *object = static_cast<UserProperties*>(this);
  return S_OK;
}

HRESULT CUserProperties::get_Count(LONG* count) {
  if (count == nullptr) return E_POINTER;
  *count = 0;
  return Guarded([&] {
    session_->Store(generation_);
    if (item_->gone) return MAPI_E_NOT_FOUND;
    *count = static_cast<LONG>(item_->data.userProperties.size());
    return S_OK;
  });
}

HRESULT CUserProperties::Add(BSTR name, LONG type, VARIANT addToFolderFields, VARIANT,
                             ::UserProperty** property) {
  if (property == nullptr) return E_POINTER;
  *property = nullptr;
  return Guarded([&] {
    auto store = session_->Store(generation_);
    if (item_->gone) return MAPI_E_NOT_FOUND;
    const std::string text = FromBstr(name);
    if (text.empty() || !IsKnownPropertyType(type)) return E_INVALIDARG;
    const auto kind = static_cast<PropertyType>(type);
    std::vector<host::UserProperty>& properties = item_->data.userProperties;
    if (host::UserProperty* existing = FindByName(properties, text)) {
      if (existing->type != kind) return E_INVALIDARG;
      return HandOut(NewObject<CUserProperty>(session_, generation_, item_, existing->name), property);
    }
    // Outlook's default is to add the field to the folder, so that views
    // and filters can name it.
    if (OptionalBool(addToFolderFields, true)) store->AddFolderField(item_->data.folder, text, kind);
    host::UserProperty added;
    added.name = text;
    added.type = kind;
    if (kind == PropertyType::kText) {
      added.value = std::string();
    } else {
      added.value = kind == PropertyType::kDateTime ? kNoDate : 0.0;
    }
    properties.push_back(std::move(added));
    return HandOut(NewObject<CUserProperty>(session_, generation_, item_, text), property);
  });
}

HRESULT CUserProperties::Find(BSTR name, VARIANT, ::UserProperty** property) {
  if (property == nullptr) return E_POINTER;
  *property = nullptr;
  return Guarded([&] {
    session_->Store(generation_);
    if (item_->gone) return MAPI_E_NOT_FOUND;
    host::UserProperty* found = FindByName(item_->data.userProperties, FromBstr(name));
    if (found == nullptr) return S_OK;  // none
    return HandOut(NewObject<CUserProperty>(session_, generation_, item_, found->name), property);
  });
}

CUserProperty::CUserProperty(std::shared_ptr<OutlookSession> session, unsigned generation,
                             std::shared_ptr<ItemState> item, std::string name)
    : session_(std::move(session)), generation_(generation), item_(std::move(item)), name_(std::move(name)) {}

HRESULT CUserProperty::InternalQueryInterface(REFIID iid, void** object) {
  if (!IsOwnInterface(iid)) return E_NOINTERFACE;
  *object = static_cast<::UserProperty*>(this);
  return S_OK;
}

host::UserProperty* CUserProperty::Find() const {
  // A property of an item of a store closed since is as dead as its item.
  session_->Store(generation_);
  return item_->gone ? nullptr : FindByName(item_->data.userProperties, name_);
}

HRESULT CUserProperty::get_Name(BSTR* name) {
  if (name == nullptr) return E_POINTER;
  *name = CComBSTR(name_.c_str()).Detach();
  return S_OK;
}

HRESULT CUserProperty::get_Type(LONG* type) {
  if (type == nullptr) return E_POINTER;
  return Guarded([&] {
    const host::UserProperty* p = Find();
    if (p == nullptr) return MAPI_E_NOT_FOUND;
    *type = static_cast<LONG>(p->type);
    return S_OK;
  });
}

HRESULT CUserProperty::get_Value(VARIANT* value) {
  if (value == nullptr) return E_POINTER;
  VariantInit(value);
  return Guarded([&] {
    const host::UserProperty* p = Find();
    if (p == nullptr) return MAPI_E_NOT_FOUND;
    if (p->type == PropertyType::kText) {
      value->vt = VT_BSTR;
      value->bstrVal = CComBSTR(std::get<std::string>(p->value).c_str()).Detach();
      return S_OK;
    }
    const double number = std::get<double>(p->value);
    switch (p->type) {
      case PropertyType::kInteger:
        value->vt = VT_I4;
        value->lVal = static_cast<LONG>(number);
        break;
      case PropertyType::kYesNo:
        value->vt = VT_BOOL;
        value->boolVal = number != 0.0 ? VARIANT_TRUE : VARIANT_FALSE;
        break;
      case PropertyType::kDateTime:
        value->vt = VT_DATE;
        value->date = number;
        break;
      default:
        value->vt = VT_R8;
        value->dblVal = number;
        break;
    }
    return S_OK;
  });
}

HRESULT CUserProperty::put_Value(VARIANT value) {
  return Guarded([&] {
    host::UserProperty* p = Find();
    if (p == nullptr) return MAPI_E_NOT_FOUND;
    VARTYPE target = VT_R8;
    switch (p->type) {
      case PropertyType::kText: target = VT_BSTR; break;
      case PropertyType::kInteger: target = VT_I4; break;
      case PropertyType::kYesNo: target = VT_BOOL; break;
      case PropertyType::kDateTime: target = VT_DATE; break;
      case PropertyType::kNumber: target = VT_R8; break;
    }
    CComVariant converted;
    if (FAILED(VariantChangeType(&converted, &value, 0, target))) return DISP_E_TYPEMISMATCH;
    switch (target) {
      case VT_BSTR:
        p->value = CComBSTR(std::u16string_view(converted.bstrVal ? converted.bstrVal : u"")).Utf8();
        break;
      case VT_I4:
        p->value = static_cast<double>(converted.lVal);
        break;
      case VT_BOOL:
        p->value = converted.boolVal != VARIANT_FALSE ? -1.0 : 0.0;
        break;
      case VT_DATE:
        p->value = converted.date;
        break;
      default:
        if (!std::isfinite(converted.dblVal)) return DISP_E_OVERFLOW;
        p->value = converted.dblVal;
        break;
    }
    return S_OK;
  });
}

}  // namespace host
