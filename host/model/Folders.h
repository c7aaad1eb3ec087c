#pragma once
// The namespace's top-level folders, one per open store, and the source of
// FolderAdd and FolderRemove when a store is added or closed.

#include <memory>

#include "host/model/EarlyBound.h"
#include "office/Outlook.h"
#include "platform/com/EventSource.h"

namespace host {

class OutlookSession;

class CFolders : public EarlyBoundWith<_Folders, IConnectionPointContainer> {
 public:
  explicit CFolders(std::weak_ptr<OutlookSession> session) : session_(std::move(session)) {}

  HRESULT InternalQueryInterface(REFIID iid, void** object);
  com::ConnectionPoint& Events() const { return points_.Of(FoldersEvents::kIID); }
  void UnadviseAll() { points_.UnadviseAll(); }

  // One entry while the store is open, none while it is closed.
  HRESULT get_Count(LONG* count) override;
  // 1 or the store's name ("Personal Folders").
  HRESULT Item(VARIANT index, MAPIFolder** folder) override;

  HRESULT FindConnectionPoint(REFIID iid, IConnectionPoint** point) override;

 private:
  std::weak_ptr<OutlookSession> session_;
  com::ConnectionPoints points_{FoldersEvents::kIID};
};

}  // namespace host
