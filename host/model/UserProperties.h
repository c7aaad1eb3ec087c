#pragma once
// The user properties of one item. They live in the item, and are stored
// with it by its Save; adding one to the folder's fields (the default, as in
// Outlook) makes its name usable in the folder's filters at once.

#include <memory>
#include <string>

#include "host/model/AppointmentItem.h"
#include "host/model/EarlyBound.h"

namespace host {

class OutlookSession;

class CUserProperties : public EarlyBound<UserProperties> {
 public:
  CUserProperties(std::shared_ptr<OutlookSession> session, unsigned generation,
                  std::shared_ptr<ItemState> item);

  HRESULT InternalQueryInterface(REFIID iid, void** object);

  HRESULT get_Count(LONG* count) override;
  // A name the item has already answers the property there when the type
  // is the same, and E_INVALIDARG when it is not.
  HRESULT Add(BSTR name, LONG type, VARIANT addToFolderFields, VARIANT displayFormat,
              ::UserProperty** property) override;
  HRESULT Find(BSTR name, VARIANT custom, ::UserProperty** property) override;

 private:
  std::shared_ptr<OutlookSession> session_;
  unsigned generation_;
  std::shared_ptr<ItemState> item_;
};

class CUserProperty : public EarlyBound<::UserProperty> {
 public:
  CUserProperty(std::shared_ptr<OutlookSession> session, unsigned generation,
                std::shared_ptr<ItemState> item, std::string name);

  HRESULT InternalQueryInterface(REFIID iid, void** object);

  HRESULT get_Name(BSTR* name) override;
  HRESULT get_Type(LONG* type) override;
  // Numbers come back as R8, integers as I4, yes/no as BOOL, dates as DATE,
  // texts as BSTR.
  HRESULT get_Value(VARIANT* value) override;
  // Converted to the property's type; DISP_E_TYPEMISMATCH when it cannot be.
  HRESULT put_Value(VARIANT value) override;

 private:
  // The property in the item; nothing once the item is gone, and
  // ModelError(MAPI_E_NOT_FOUND) once the item's store has been closed.
  host::UserProperty* Find() const;

  std::shared_ptr<OutlookSession> session_;
  unsigned generation_;
  std::shared_ptr<ItemState> item_;
  std::string name_;
};

}  // namespace host
