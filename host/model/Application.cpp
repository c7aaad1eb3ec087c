#include "host/model/Application.h"

#include "host/model/AppointmentItem.h"
#include "host/model/Explorer.h"
#include "host/model/LanguageSettings.h"
#include "host/model/ModelErrors.h"
#include "host/model/NameSpace.h"
#include "host/model/OutlookSession.h"

namespace host {

CApplication::CApplication(std::weak_ptr<OutlookSession> session) : session_(std::move(session)) {}

std::shared_ptr<OutlookSession> CApplication::Session() const {
  auto session = session_.lock();
  if (session == nullptr || session->IsShutDown()) throw ModelError(E_UNEXPECTED);
  return session;
}

HRESULT CApplication::InternalQueryInterface(REFIID iid, void** object) {
  if (IsOwnInterface(iid)) {
    *object = static_cast<_Application*>(this);
  } else if (iid == IConnectionPointContainer::kIID) {
    *object = static_cast<IConnectionPointContainer*>(this);
  } else {
    return E_NOINTERFACE;
  }
  return S_OK;
}

HRESULT CApplication::GetNamespace(BSTR type, _NameSpace** space) {
  if (space == nullptr) return E_POINTER;
  *space = nullptr;
  return Guarded([&] {
    // Outlook has only the one namespace.
    if (std::u16string_view(type ? type : u"") != u"MAPI") return E_INVALIDARG;
    _NameSpace* result = &Session()->NameSpace();
    result->AddRef();
    *space = result;
    return S_OK;
  });
}

HRESULT CApplication::ActiveExplorer(_Explorer** explorer) {
  if (explorer == nullptr) return E_POINTER;
  *explorer = nullptr;
  return Guarded([&] { return HandOut(Session()->ActiveExplorer(), explorer); });
}

HRESULT CApplication::get_Explorers(_Explorers** explorers) {
  if (explorers == nullptr) return E_POINTER;
  *explorers = nullptr;
  return Guarded([&] { return HandOut(NewObject<CExplorers>(Session()), explorers); });
}

HRESULT CApplication::CreateItem(LONG type, IDispatch** item) {
  if (item == nullptr) return E_POINTER;
  *item = nullptr;
  return Guarded([&] {
    // The host's store keeps appointments only.
    if (type != olAppointmentItem) return E_INVALIDARG;
    auto session = Session();
    if (!session->StoreOpen()) return MAPI_E_NOT_FOUND;
    auto created = NewObject<CAppointmentItem>(session, CAppointmentItem::NewAppointment());
    *item = static_cast<_AppointmentItem*>(created.Detach());
    return S_OK;
  });
}

HRESULT CApplication::get_LanguageSettings(LanguageSettings** settings) {
  if (settings == nullptr) return E_POINTER;
  *settings = nullptr;
  return Guarded([&] { return HandOut(NewObject<CLanguageSettings>(Session()->UILanguage()), settings); });
}

HRESULT CApplication::Quit() {
  return Guarded([&] {
    Session()->Shutdown();
    return S_OK;
  });
}

HRESULT CApplication::FindConnectionPoint(REFIID iid, IConnectionPoint** point) {
  return points_.Find(iid, point);
}

}  // namespace host
