#include "host/model/AppointmentItem.h"

#include <cmath>
#include <optional>

#include "host/model/ModelErrors.h"
#include "host/model/OutlookSession.h"
#include "host/model/UserProperties.h"
#include "platform/com/VariantTime.h"
#include "platform/time/SystemTime.h"

namespace host {

namespace {

constexpr double kMinute = 1.0 / 1440.0;

BSTR ToBstr(const std::string& utf8) { return CComBSTR(utf8.c_str()).Detach(); }
std::string FromBstr(BSTR text) { return CComBSTR(std::u16string_view(text ? text : u"")).Utf8(); }

}  // namespace

Appointment CAppointmentItem::NewAppointment() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  now.wSecond = 0;
  now.wMilliseconds = 0;
  const int minutes = now.wHour * 60 + now.wMinute;
  const int rounded = (minutes + 29) / 30 * 30;  // the next half hour, or now when on one
  now.wHour = 0;
  now.wMinute = 0;
  DATE midnight = 0.0;
  SystemTimeToVariantTime(&now, &midnight);
  Appointment item;
  item.folder = FolderKind::kCalendar;
  item.start = midnight + rounded * kMinute;
  item.end = item.start + 30 * kMinute;
  item.busyStatus = olBusy;
  item.reminderSet = true;
  item.reminderMinutesBeforeStart = 15;
  return item;
}

CAppointmentItem::CAppointmentItem(std::shared_ptr<OutlookSession> session, Appointment data)
    : session_(std::move(session)),
      generation_(session_->StoreGeneration()),
      state_(std::make_shared<ItemState>(ItemState{std::move(data)})) {}

HRESULT CAppointmentItem::InternalQueryInterface(REFIID iid, void** object) {
  if (!IsOwnInterface(iid)) return E_NOINTERFACE;
  *object = static_cast<_AppointmentItem*>(this);
  return S_OK;
}

template <typename Body>
HRESULT CAppointmentItem::Use(Body&& body) {
  return Guarded([&] {
    session_->Store(generation_);
    if (state_->gone) return MAPI_E_NOT_FOUND;
    return body(state_->data);
  });
}

HRESULT CAppointmentItem::get_Start(DATE* start) {
  if (start == nullptr) return E_POINTER;
  return Use([&](Appointment& a) { *start = a.start; return S_OK; });
}

HRESULT CAppointmentItem::put_Start(DATE start) {
  return Use([&](Appointment& a) {
    if (!std::isfinite(start)) return E_INVALIDARG;
    a.end = start + (a.end - a.start);  // the duration stays
    a.start = start;
    return S_OK;
  });
}

HRESULT CAppointmentItem::get_End(DATE* end) {
  if (end == nullptr) return E_POINTER;
  return Use([&](Appointment& a) { *end = a.end; return S_OK; });
}

HRESULT CAppointmentItem::put_End(DATE end) {
  return Use([&](Appointment& a) {
    if (!std::isfinite(end)) return E_INVALIDARG;
    a.end = end;
    return S_OK;
  });
}

HRESULT CAppointmentItem::get_Subject(BSTR* subject) {
  if (subject == nullptr) return E_POINTER;
  *subject = nullptr;
  return Use([&](Appointment& a) { *subject = ToBstr(a.subject); return S_OK; });
}

HRESULT CAppointmentItem::put_Subject(BSTR subject) {
  return Use([&](Appointment& a) { a.subject = FromBstr(subject); return S_OK; });
}

HRESULT CAppointmentItem::get_Body(BSTR* body) {
  if (body == nullptr) return E_POINTER;
  *body = nullptr;
  return Use([&](Appointment& a) { *body = ToBstr(a.body); return S_OK; });
}

HRESULT CAppointmentItem::put_Body(BSTR body) {
  return Use([&](Appointment& a) { a.body = FromBstr(body); return S_OK; });
}

HRESULT CAppointmentItem::get_BusyStatus(LONG* status) {
  if (status == nullptr) return E_POINTER;
  return Use([&](Appointment& a) { *status = static_cast<LONG>(a.busyStatus); return S_OK; });
}

HRESULT CAppointmentItem::put_BusyStatus(LONG status) {
  return Use([&](Appointment& a) {
    if (status < olFree || status > olOutOfOffice) return E_INVALIDARG;
    a.busyStatus = status;
    return S_OK;
  });
}

HRESULT CAppointmentItem::get_ReminderSet(VARIANT_BOOL* set) {
  if (set == nullptr) return E_POINTER;
  return Use([&](Appointment& a) { *set = a.reminderSet ? VARIANT_TRUE : VARIANT_FALSE; return S_OK; });
}

HRESULT CAppointmentItem::put_ReminderSet(VARIANT_BOOL set) {
  return Use([&](Appointment& a) { a.reminderSet = set != VARIANT_FALSE; return S_OK; });
}

HRESULT CAppointmentItem::get_ReminderMinutesBeforeStart(LONG* minutes) {
  if (minutes == nullptr) return E_POINTER;
  return Use([&](Appointment& a) { *minutes = static_cast<LONG>(a.reminderMinutesBeforeStart); return S_OK; });
}

HRESULT CAppointmentItem::put_ReminderMinutesBeforeStart(LONG minutes) {
  return Use([&](Appointment& a) { a.reminderMinutesBeforeStart = minutes; return S_OK; });
}

HRESULT CAppointmentItem::get_ReminderPlaySound(VARIANT_BOOL* play) {
  if (play == nullptr) return E_POINTER;
  return Use([&](Appointment& a) { *play = a.reminderPlaySound ? VARIANT_TRUE : VARIANT_FALSE; return S_OK; });
}

HRESULT CAppointmentItem::put_ReminderPlaySound(VARIANT_BOOL play) {
  return Use([&](Appointment& a) { a.reminderPlaySound = play != VARIANT_FALSE; return S_OK; });
}

HRESULT CAppointmentItem::get_ReminderSoundFile(BSTR* file) {
  if (file == nullptr) return E_POINTER;
  *file = nullptr;
  return Use([&](Appointment& a) { *file = ToBstr(a.reminderSoundFile); return S_OK; });
}

HRESULT CAppointmentItem::put_ReminderSoundFile(BSTR file) {
  return Use([&](Appointment& a) { a.reminderSoundFile = FromBstr(file); return S_OK; });
}

HRESULT CAppointmentItem::get_UserProperties(UserProperties** properties) {
  if (properties == nullptr) return E_POINTER;
  *properties = nullptr;
  return Use([&](Appointment&) {
    return HandOut(NewObject<CUserProperties>(session_, generation_, state_), properties);
  });
}

HRESULT CAppointmentItem::Save() {
  return Use([&](Appointment& a) {
    // Outlook will not keep an appointment that ends before it starts.
    if (a.end < a.start) return E_INVALIDARG;
    session_->Store(generation_)->Save(a);
    return S_OK;
  });
}

HRESULT CAppointmentItem::Delete() {
  return Use([&](Appointment& a) {
    if (a.id == 0) {
      state_->gone = true;  // never saved: nothing to move
      return S_OK;
    }
    auto store = session_->Store(generation_);
    // The store moves or removes by where the item is now. An object that
    // still thinks the item is in the Calendar, when another object has
    // moved it to Deleted Items since, must not remove it for good: the
    // item it knew is not there any more, as Outlook answers.
    const std::optional<Appointment> stored = store->Load(a.id);
    if (!stored || stored->folder != a.folder) return MAPI_E_NOT_FOUND;
    if (store->Delete(a.id) == DeleteOutcome::kRemoved) {
      state_->gone = true;
    } else {
      a.folder = FolderKind::kDeletedItems;
    }
    return S_OK;
  });
}

}  // namespace host
