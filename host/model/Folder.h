#pragma once
// A folder of the store: the store's top folder, the Calendar or Deleted
// Items. A folder object belongs to the store as it was opened; once the
// store is closed, its calls fail.

#include <memory>

#include "host/model/EarlyBound.h"
#include "host/store/Appointment.h"
#include "office/Outlook.h"

namespace host {

class OutlookSession;

// The store's top folder has no items of its own.
enum class FolderId { kTop, kCalendar, kDeletedItems };

inline constexpr const char* kStoreName = "Personal Folders";

class CMAPIFolder : public EarlyBound<MAPIFolder> {
 public:
  CMAPIFolder(std::shared_ptr<OutlookSession> session, FolderId id);

  HRESULT InternalQueryInterface(REFIID iid, void** object);

  HRESULT get_Name(BSTR* name) override;
  HRESULT get_Items(_Items** items) override;
  // A window on this folder that is not shown: it is not among Explorers.
  HRESULT GetExplorer(VARIANT displayMode, _Explorer** explorer) override;
  // The identity the store file keeps (CalendarStore::Identity).
  HRESULT get_StoreID(BSTR* id) override;

  FolderId Id() const { return id_; }

 private:
  std::shared_ptr<OutlookSession> session_;
  FolderId id_;
  unsigned generation_;
};

// The store folder an item folder id names; the top folder has none.
bool ToFolderKind(FolderId id, FolderKind* kind);

}  // namespace host
