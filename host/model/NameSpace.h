#pragma once
// The "MAPI" namespace: the default folders and the top-level folders of
// the open stores.

#include <memory>

#include "host/model/EarlyBound.h"
#include "office/Outlook.h"

namespace host {

class OutlookSession;

class CNameSpace : public EarlyBound<_NameSpace> {
 public:
  explicit CNameSpace(std::weak_ptr<OutlookSession> session) : session_(std::move(session)) {}

  HRESULT InternalQueryInterface(REFIID iid, void** object);

  // olFolderCalendar or olFolderDeletedItems; S_OK with none while the
  // store is closed, E_INVALIDARG for a folder the host does not have.
  HRESULT GetDefaultFolder(LONG folder, MAPIFolder** result) override;
  HRESULT get_Folders(_Folders** folders) override;

 private:
  std::weak_ptr<OutlookSession> session_;
};

}  // namespace host
