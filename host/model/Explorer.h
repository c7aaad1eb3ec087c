#pragma once
// Explorer windows: each shows a folder, has its caption and its own
// command bars, and raises Close when it closes.

#include <memory>
#include <string>
#include <utility>

#include "host/model/EarlyBound.h"
#include "host/store/Appointment.h"
#include "office/Outlook.h"
#include "platform/com/EventSource.h"

namespace host {

class OutlookSession;
class CCommandBars;

class CExplorer : public EarlyBoundWith<_Explorer, IConnectionPointContainer> {
 public:
  CExplorer(std::weak_ptr<OutlookSession> session, FolderKind folder, bool shown);
  ~CExplorer() override;

  HRESULT InternalQueryInterface(REFIID iid, void** object);
  com::ConnectionPoint& Events() const { return points_.Of(ExplorerEvents::kIID); }
  // Lets the window's sinks and its buttons' sinks go: the session is over.
  void UnadviseAll();

  HRESULT get_CommandBars(CommandBars** bars) override;
  HRESULT get_Caption(BSTR* caption) override;
  HRESULT get_CurrentFolder(MAPIFolder** folder) override;
  HRESULT putref_CurrentFolder(MAPIFolder* folder) override;
  // Closes the window: it leaves Explorers, raises Close, and keeps its
  // lasting command bars for the next window. A second Close does nothing.
  HRESULT Close() override;

  HRESULT FindConnectionPoint(REFIID iid, IConnectionPoint** point) override;

  // False when it was closed already.
  bool MarkClosed() { return !std::exchange(closed_, true); }
  bool IsShown() const { return shown_; }
  bool IsClosed() const { return closed_; }
  CCommandBars& Bars() const { return *bars_; }

 private:
  std::weak_ptr<OutlookSession> session_;
  FolderKind folder_;
  bool shown_;
  bool closed_ = false;
  ComPtr<CCommandBars> bars_;
  com::ConnectionPoints points_{ExplorerEvents::kIID};
};

class CExplorers : public EarlyBound<_Explorers> {
 public:
  explicit CExplorers(std::shared_ptr<OutlookSession> session) : session_(std::move(session)) {}

  HRESULT InternalQueryInterface(REFIID iid, void** object);
  HRESULT get_Count(LONG* count) override;
  HRESULT Item(VARIANT index, _Explorer** explorer) override;

 private:
  std::shared_ptr<OutlookSession> session_;
};

}  // namespace host
