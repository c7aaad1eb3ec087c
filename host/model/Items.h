#pragma once
// The items of a folder. A folder's own collection is live: Count and Item
// read the folder as it is at the call. Restrict answers a snapshot: the
// matching items as they were, in the folder's order, which later saves do
// not join (an item deleted since is skipped when reached). Find and
// FindNext walk the matches of one filter, reading the items at each call.

#include <memory>
#include <optional>
#include <vector>

#include "host/model/EarlyBound.h"
#include "host/store/CalendarStore.h"
#include "office/Outlook.h"

namespace host {

class OutlookSession;

class CItems : public EarlyBound<_Items> {
 public:
  // The live collection of a folder.
  CItems(std::shared_ptr<OutlookSession> session, FolderKind folder);
  // A snapshot of these items of the folder.
  CItems(std::shared_ptr<OutlookSession> session, FolderKind folder, std::vector<ItemId> items);

  HRESULT InternalQueryInterface(REFIID iid, void** object);

  HRESULT get_Count(LONG* count) override;
  // 1 to Count; DISP_E_BADINDEX outside.
  HRESULT Item(VARIANT index, IDispatch** item) override;
  // E_INVALIDARG for a filter the store cannot read.
  HRESULT Restrict(BSTR filter, _Items** result) override;
  HRESULT Find(BSTR filter, IDispatch** item) override;
  // E_UNEXPECTED before a Find; S_OK with none after the last match.
  HRESULT FindNext(IDispatch** item) override;

 private:
  std::shared_ptr<CalendarStore> Store() const;
  // The ids in the collection now: the snapshot, or the folder's items.
  const std::vector<ItemId>& Ids();
  std::optional<ItemId> NextSnapshotMatch();
  HRESULT HandOutItem(std::optional<ItemId> id, IDispatch** item);

  std::shared_ptr<OutlookSession> session_;
  FolderKind folder_;
  unsigned generation_;
  bool live_;
  std::vector<ItemId> ids_;
  std::uint64_t idsChangeCount_ = UINT64_MAX;  // live: the store's count ids_ was read at

  // The walk of the last Find.
  std::optional<FindCursor> cursor_;        // live
  std::optional<Filter> snapshotFilter_;    // snapshot
  std::size_t snapshotPosition_ = 0;
};

}  // namespace host
