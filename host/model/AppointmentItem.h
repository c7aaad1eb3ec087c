#pragma once
// An appointment item: the item's fields as the add-in last set them,
// written to the store by Save. A new item (CreateItem) exists in the store
// only once saved. Setting Start moves End with it, keeping the duration,
// as Outlook does.

#include <memory>

#include "host/model/EarlyBound.h"
#include "host/store/Appointment.h"
#include "office/Outlook.h"

namespace host {

class OutlookSession;

// What an item object and its user-property objects share.
struct ItemState {
  Appointment data;
  bool gone = false;  // deleted for good: every call fails
};

class CAppointmentItem : public EarlyBound<_AppointmentItem> {
 public:
  CAppointmentItem(std::shared_ptr<OutlookSession> session, Appointment data);

  // A new item as Outlook makes one: in the Calendar, starting at the next
  // half hour from now, half an hour long, busy, reminder 15 minutes before.
  static Appointment NewAppointment();

  HRESULT InternalQueryInterface(REFIID iid, void** object);

  HRESULT get_Start(DATE* start) override;
  HRESULT put_Start(DATE start) override;
  HRESULT get_End(DATE* end) override;
  HRESULT put_End(DATE end) override;
  HRESULT get_Subject(BSTR* subject) override;
  HRESULT put_Subject(BSTR subject) override;
  HRESULT get_Body(BSTR* body) override;
  HRESULT put_Body(BSTR body) override;
  HRESULT get_BusyStatus(LONG* status) override;
  HRESULT put_BusyStatus(LONG status) override;
  HRESULT get_ReminderSet(VARIANT_BOOL* set) override;
  HRESULT put_ReminderSet(VARIANT_BOOL set) override;
  HRESULT get_ReminderMinutesBeforeStart(LONG* minutes) override;
  HRESULT put_ReminderMinutesBeforeStart(LONG minutes) override;
  HRESULT get_ReminderPlaySound(VARIANT_BOOL* play) override;
  HRESULT put_ReminderPlaySound(VARIANT_BOOL play) override;
  HRESULT get_ReminderSoundFile(BSTR* file) override;
  HRESULT put_ReminderSoundFile(BSTR file) override;
  HRESULT get_UserProperties(UserProperties** properties) override;
  HRESULT Save() override;
  // An item never saved is only dropped.
  HRESULT Delete() override;

  const Appointment& Data() const { return state_->data; }

 private:
  // Runs the body unless the item is gone or its store closed.
  template <typename Body>
  HRESULT Use(Body&& body);

  std::shared_ptr<OutlookSession> session_;
  unsigned generation_;
  std::shared_ptr<ItemState> state_;
};

}  // namespace host
