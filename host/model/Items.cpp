#include "host/model/Items.h"

#include "host/model/AppointmentItem.h"
#include "host/model/ModelErrors.h"
#include "host/model/OutlookSession.h"

namespace host {

namespace {

std::string FilterText(BSTR filter) {
  return CComBSTR(std::u16string_view(filter ? filter : u"")).Utf8();
}

}  // namespace

CItems::CItems(std::shared_ptr<OutlookSession> session, FolderKind folder)
    : session_(std::move(session)), folder_(folder), generation_(session_->StoreGeneration()), live_(true) {}

CItems::CItems(std::shared_ptr<OutlookSession> session, FolderKind folder, std::vector<ItemId> items)
    : session_(std::move(session)),
      folder_(folder),
      generation_(session_->StoreGeneration()),
      live_(false),
      ids_(std::move(items)) {}

HRESULT CItems::InternalQueryInterface(REFIID iid, void** object) {
  if (!IsOwnInterface(iid)) return E_NOINTERFACE;
  *object = static_cast<_Items*>(this);
  return S_OK;
}

std::shared_ptr<CalendarStore> CItems::Store() const { return session_->Store(generation_); }

const std::vector<ItemId>& CItems::Ids() {
  if (live_) {
    // Read again only when something changed: the add-in walks Item(1..Count).
    auto store = Store();
    const std::uint64_t changes = store->ChangeCount();
    if (changes != idsChangeCount_) {
      ids_ = store->List(folder_);
      idsChangeCount_ = changes;
    }
  } else {
    Store();  // fails once the store was closed
  }
  return ids_;
}

HRESULT CItems::get_Count(LONG* count) {
  if (count == nullptr) return E_POINTER;
  *count = 0;
  return Guarded([&] {
    *count = static_cast<LONG>(Ids().size());
    return S_OK;
  });
}

HRESULT CItems::Item(VARIANT index, IDispatch** item) {
  if (item == nullptr) return E_POINTER;
  *item = nullptr;
  return Guarded([&] {
    CComVariant number;
    if (FAILED(VariantChangeType(&number, &index, 0, VT_I4))) return DISP_E_TYPEMISMATCH;
    const std::vector<ItemId>& ids = Ids();
    if (number.lVal < 1 || static_cast<std::size_t>(number.lVal) > ids.size()) return DISP_E_BADINDEX;
    return HandOutItem(ids[number.lVal - 1], item);
  });
}

HRESULT CItems::HandOutItem(std::optional<ItemId> id, IDispatch** item) {
  if (!id) return S_OK;  // none
  std::optional<Appointment> data = Store()->Load(*id);
  // A snapshot's item deleted (or moved) since it was taken.
  if (!data || data->folder != folder_) return MAPI_E_NOT_FOUND;
  auto object = NewObject<CAppointmentItem>(session_, std::move(*data));
  *item = static_cast<_AppointmentItem*>(object.Detach());
  return S_OK;
}

HRESULT CItems::Restrict(BSTR filter, _Items** result) {
  if (result == nullptr) return E_POINTER;
  *result = nullptr;
  return Guarded([&] {
    auto store = Store();
    const std::string text = FilterText(filter);
    std::vector<ItemId> matches;
    if (live_) {
      matches = store->Restrict(folder_, text);
    } else {
      const Filter parsed = store->ParseFilter(folder_, text);
      for (ItemId id : ids_) {
        const std::optional<Appointment> data = store->Load(id);
        if (data && data->folder == folder_ && parsed.Matches(*data)) matches.push_back(id);
      }
    }
    return HandOut(NewObject<CItems>(session_, folder_, std::move(matches)), result);
  });
}

std::optional<ItemId> CItems::NextSnapshotMatch() {
  auto store = Store();
  while (snapshotPosition_ < ids_.size()) {
    const ItemId id = ids_[snapshotPosition_++];
    const std::optional<Appointment> data = store->Load(id);
    if (data && data->folder == folder_ && snapshotFilter_->Matches(*data)) return id;
  }
  return std::nullopt;
}

HRESULT CItems::Find(BSTR filter, IDispatch** item) {
  if (item == nullptr) return E_POINTER;
  *item = nullptr;
  return Guarded([&] {
    auto store = Store();
    const std::string text = FilterText(filter);
    // A filter that fails leaves no walk behind: FindNext then fails too.
    cursor_.reset();
    snapshotFilter_.reset();
    if (live_) {
      cursor_.emplace(store->Find(folder_, text));
      return HandOutItem(cursor_->Next(), item);
    }
    snapshotFilter_.emplace(store->ParseFilter(folder_, text));
    snapshotPosition_ = 0;
    return HandOutItem(NextSnapshotMatch(), item);
  });
}

HRESULT CItems::FindNext(IDispatch** item) {
  if (item == nullptr) return E_POINTER;
  *item = nullptr;
  return Guarded([&] {
    Store();
    if (cursor_) return HandOutItem(cursor_->Next(), item);
    if (snapshotFilter_) return HandOutItem(NextSnapshotMatch(), item);
    return E_UNEXPECTED;
  });
}

}  // namespace host
