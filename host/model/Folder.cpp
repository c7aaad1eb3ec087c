#include "host/model/Folder.h"

#include "host/model/Explorer.h"
#include "host/model/Items.h"
#include "host/model/ModelErrors.h"
#include "host/model/OutlookSession.h"

namespace host {

bool ToFolderKind(FolderId id, FolderKind* kind) {
  switch (id) {
    case FolderId::kCalendar:
      *kind = FolderKind::kCalendar;
      return true;
    case FolderId::kDeletedItems:
      *kind = FolderKind::kDeletedItems;
      return true;
    case FolderId::kTop:
      break;
  }
  return false;
}

CMAPIFolder::CMAPIFolder(std::shared_ptr<OutlookSession> session, FolderId id)
    : session_(std::move(session)), id_(id), generation_(session_->StoreGeneration()) {}

HRESULT CMAPIFolder::InternalQueryInterface(REFIID iid, void** object) {
  if (!IsOwnInterface(iid)) return E_NOINTERFACE;
  *object = static_cast<MAPIFolder*>(this);
  return S_OK;
}

HRESULT CMAPIFolder::get_Name(BSTR* name) {
  if (name == nullptr) return E_POINTER;
  *name = nullptr;
  return Guarded([&] {
    session_->Store(generation_);
    const char* text = id_ == FolderId::kCalendar       ? "Calendar"
                       : id_ == FolderId::kDeletedItems ? "Deleted Items"
                                                        : kStoreName;
    *name = CComBSTR(text).Detach();
    return S_OK;
  });
}

HRESULT CMAPIFolder::get_Items(_Items** items) {
  if (items == nullptr) return E_POINTER;
  *items = nullptr;
  return Guarded([&] {
    session_->Store(generation_);
    FolderKind kind;
    // The top folder holds folders, not items: an empty collection.
    auto result = ToFolderKind(id_, &kind)
                      ? NewObject<CItems>(session_, kind)
                      : NewObject<CItems>(session_, FolderKind::kCalendar, std::vector<ItemId>{});
    return HandOut(result, items);
  });
}

HRESULT CMAPIFolder::GetExplorer(VARIANT, _Explorer** explorer) {
  if (explorer == nullptr) return E_POINTER;
  *explorer = nullptr;
  return Guarded([&] {
    session_->Store(generation_);
    FolderKind kind = FolderKind::kCalendar;
    ToFolderKind(id_, &kind);
    return HandOut(session_->NewExplorer(kind, false), explorer);
  });
}

HRESULT CMAPIFolder::get_StoreID(BSTR* id) {
  if (id == nullptr) return E_POINTER;
  *id = nullptr;
  return Guarded([&] {
    const std::string identity = session_->Store(generation_)->Identity();
    if (identity.empty()) return E_FAIL;  // a read-only store from before identities
    *id = CComBSTR(identity.c_str()).Detach();
    return S_OK;
  });
}

}  // namespace host
