#include "host/model/Folders.h"

#include "host/model/Folder.h"
#include "host/model/ModelErrors.h"
#include "host/model/OutlookSession.h"
#include "platform/text/CaseFold.h"

namespace host {

HRESULT CFolders::InternalQueryInterface(REFIID iid, void** object) {
  if (IsOwnInterface(iid)) {
    *object = static_cast<_Folders*>(this);
  } else if (iid == IConnectionPointContainer::kIID) {
    *object = static_cast<IConnectionPointContainer*>(this);
  } else {
    return E_NOINTERFACE;
  }
  return S_OK;
}

HRESULT CFolders::get_Count(LONG* count) {
  if (count == nullptr) return E_POINTER;
  auto session = session_.lock();
  *count = session != nullptr && session->StoreOpen() ? 1 : 0;
  return S_OK;
}

HRESULT CFolders::Item(VARIANT index, MAPIFolder** folder) {
  if (folder == nullptr) return E_POINTER;
  *folder = nullptr;
  return Guarded([&] {
    auto session = session_.lock();
    if (session == nullptr || !session->StoreOpen()) return DISP_E_BADINDEX;
    bool found = false;
    if (index.vt == VT_BSTR) {
      found = text::EqualIgnoringCase(CComBSTR(std::u16string_view(index.bstrVal ? index.bstrVal : u"")).Utf8(),
                                      kStoreName);
    } else {
      CComVariant number;
      found = SUCCEEDED(VariantChangeType(&number, &index, 0, VT_I4)) && number.lVal == 1;
    }
    if (!found) return DISP_E_BADINDEX;
    return HandOut(NewObject<CMAPIFolder>(session, FolderId::kTop), folder);
  });
}

HRESULT CFolders::FindConnectionPoint(REFIID iid, IConnectionPoint** point) {
  return points_.Find(iid, point);
}

}  // namespace host
