#include "host/model/NameSpace.h"

#include "host/model/Folder.h"
#include "host/model/Folders.h"
#include "host/model/ModelErrors.h"
#include "host/model/OutlookSession.h"

namespace host {

HRESULT CNameSpace::InternalQueryInterface(REFIID iid, void** object) {
  if (!IsOwnInterface(iid)) return E_NOINTERFACE;
  *object = static_cast<_NameSpace*>(this);
  return S_OK;
}

HRESULT CNameSpace::GetDefaultFolder(LONG folder, MAPIFolder** result) {
  if (result == nullptr) return E_POINTER;
  *result = nullptr;
  return Guarded([&] {
    auto session = session_.lock();
    if (session == nullptr || session->IsShutDown()) return E_UNEXPECTED;
    FolderId id;
    if (folder == olFolderCalendar) {
      id = FolderId::kCalendar;
    } else if (folder == olFolderDeletedItems) {
      id = FolderId::kDeletedItems;
    } else {
      return E_INVALIDARG;
    }
    if (!session->StoreOpen()) return S_OK;  // no folder while the store is closed
    return HandOut(NewObject<CMAPIFolder>(session, id), result);
  });
}

HRESULT CNameSpace::get_Folders(_Folders** folders) {
  if (folders == nullptr) return E_POINTER;
  *folders = nullptr;
  auto session = session_.lock();
  if (session == nullptr || session->IsShutDown()) return E_UNEXPECTED;
  _Folders* result = &session->Folders();
  result->AddRef();
  *folders = result;
  return S_OK;
}

}  // namespace host
