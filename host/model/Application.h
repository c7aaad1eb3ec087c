#pragma once
// Outlook's Application object: the door the add-in is handed at
// connection, and the source of the application events.

#include <memory>

#include "host/model/EarlyBound.h"
#include "office/Outlook.h"
#include "platform/com/EventSource.h"

namespace host {

class OutlookSession;

class CApplication : public EarlyBoundWith<_Application, IConnectionPointContainer> {
 public:
  explicit CApplication(std::weak_ptr<OutlookSession> session);

  HRESULT InternalQueryInterface(REFIID iid, void** object);
  com::ConnectionPoint& Events() const { return points_.Of(ApplicationEvents::kIID); }
  void UnadviseAll() { points_.UnadviseAll(); }

  // _Application
  HRESULT GetNamespace(BSTR type, _NameSpace** space) override;
  HRESULT ActiveExplorer(_Explorer** explorer) override;
  HRESULT get_Explorers(_Explorers** explorers) override;
  HRESULT CreateItem(LONG type, IDispatch** item) override;
  HRESULT get_LanguageSettings(LanguageSettings** settings) override;
  HRESULT Quit() override;

  // IConnectionPointContainer
  HRESULT FindConnectionPoint(REFIID iid, IConnectionPoint** point) override;

 private:
  std::shared_ptr<OutlookSession> Session() const;

  // Weak: the session owns the application, not the other way round.
  std::weak_ptr<OutlookSession> session_;
  com::ConnectionPoints points_{ApplicationEvents::kIID};
};

}  // namespace host
