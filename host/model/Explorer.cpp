#include "host/model/Explorer.h"

#include "host/model/CommandBarLibrary.h"
#include "host/model/CommandBars.h"
#include "host/model/Folder.h"
#include "host/model/ModelErrors.h"
#include "host/model/OutlookSession.h"

namespace host {

namespace {

FolderId ToFolderId(FolderKind kind) {
  return kind == FolderKind::kDeletedItems ? FolderId::kDeletedItems : FolderId::kCalendar;
}

}  // namespace

CExplorer::CExplorer(std::weak_ptr<OutlookSession> session, FolderKind folder, bool shown)
    : session_(session), folder_(folder), shown_(shown) {
  auto owner = session.lock();
  bars_ = NewObject<CCommandBars>(session, CommandBarLibrary::BuiltIn(),
                                  owner ? owner->CommandBars().Lasting() : std::vector<BarRecord>{});
}

CExplorer::~CExplorer() = default;

void CExplorer::UnadviseAll() {
  points_.UnadviseAll();
  bars_->UnadviseAll();
}

HRESULT CExplorer::InternalQueryInterface(REFIID iid, void** object) {
  if (IsOwnInterface(iid)) {
    *object = static_cast<_Explorer*>(this);
  } else if (iid == IConnectionPointContainer::kIID) {
    *object = static_cast<IConnectionPointContainer*>(this);
  } else {
    return E_NOINTERFACE;
  }
  return S_OK;
}

HRESULT CExplorer::get_CommandBars(CommandBars** bars) {
  if (bars == nullptr) return E_POINTER;
  *bars = nullptr;
  if (closed_) return E_UNEXPECTED;
  return HandOut(bars_, bars);
}

HRESULT CExplorer::get_Caption(BSTR* caption) {
  if (caption == nullptr) return E_POINTER;
  *caption = nullptr;
  auto session = session_.lock();
  if (session == nullptr || closed_) return E_UNEXPECTED;
  *caption = CComBSTR(session->Options().caption.c_str()).Detach();
  return S_OK;
}

HRESULT CExplorer::get_CurrentFolder(MAPIFolder** folder) {
  if (folder == nullptr) return E_POINTER;
  *folder = nullptr;
  return Guarded([&] {
    auto session = session_.lock();
    if (session == nullptr || closed_) return E_UNEXPECTED;
    if (!session->StoreOpen()) return S_OK;  // the window shows nothing
    return HandOut(NewObject<CMAPIFolder>(session, ToFolderId(folder_)), folder);
  });
}

HRESULT CExplorer::putref_CurrentFolder(MAPIFolder* folder) {
  if (folder == nullptr) return E_POINTER;
  if (closed_) return E_UNEXPECTED;
  // Only the host's own folders can be shown.
  auto* ours = dynamic_cast<CMAPIFolder*>(folder);
  FolderKind kind;
  if (ours == nullptr || !ToFolderKind(ours->Id(), &kind)) return E_INVALIDARG;
  folder_ = kind;
  return S_OK;
}

HRESULT CExplorer::Close() {
  if (!MarkClosed()) return S_OK;
  if (auto session = session_.lock()) {
    session->ExplorerClosed(this);
  } else {
    Events().Fire(ExplorerEvents::kClose);
  }
  // Sinks stay advised: an add-in detaches them after the event, and the
  // session lets the rest go when it ends.
  return S_OK;
}

HRESULT CExplorer::FindConnectionPoint(REFIID iid, IConnectionPoint** point) {
  return points_.Find(iid, point);
}

HRESULT CExplorers::InternalQueryInterface(REFIID iid, void** object) {
  if (!IsOwnInterface(iid)) return E_NOINTERFACE;
  *object = static_cast<_Explorers*>(this);
  return S_OK;
}

HRESULT CExplorers::get_Count(LONG* count) {
  if (count == nullptr) return E_POINTER;
  *count = static_cast<LONG>(session_->Explorers().size());
  return S_OK;
}

HRESULT CExplorers::Item(VARIANT index, _Explorer** explorer) {
  if (explorer == nullptr) return E_POINTER;
  *explorer = nullptr;
  CComVariant number;
  if (FAILED(VariantChangeType(&number, &index, 0, VT_I4))) return DISP_E_TYPEMISMATCH;
  const auto& explorers = session_->Explorers();
  if (number.lVal < 1 || static_cast<std::size_t>(number.lVal) > explorers.size()) return DISP_E_BADINDEX;
  return HandOut(explorers[number.lVal - 1], explorer);
}

}  // namespace host
