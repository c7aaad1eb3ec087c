#include "host/model/OutlookSession.h"

#include <algorithm>
#include <utility>

#include "host/model/Application.h"
#include "host/model/CommandBarLibrary.h"
#include "host/model/CommandBars.h"
#include "host/model/Explorer.h"
#include "host/model/Folder.h"
#include "host/model/Folders.h"
#include "host/model/ModelErrors.h"
#include "host/model/NameSpace.h"
#include "host/model/OptionsDialog.h"

namespace host {

std::shared_ptr<OutlookSession> OutlookSession::Create(const SessionOptions& options) {
  std::shared_ptr<OutlookSession> session(new OutlookSession(options));
  session->Build();
  return session;
}

OutlookSession::OutlookSession(const SessionOptions& options)
    : options_(options), bars_(std::make_unique<CommandBarLibrary>(options.commandBarFile)) {}

void OutlookSession::Build() {
  store_ = CalendarStore::Open(options_.storeFile, options_.storeOptions);
  application_ = NewObject<CApplication>(weak_from_this());
  nameSpace_ = NewObject<CNameSpace>(weak_from_this());
  folders_ = NewObject<CFolders>(weak_from_this());
}

OutlookSession::~OutlookSession() { Shutdown(); }

_Application* OutlookSession::Application() const { return application_.Get(); }

std::shared_ptr<CalendarStore> OutlookSession::Store(unsigned generation) const {
  if (store_ == nullptr || generation != generation_) throw ModelError(MAPI_E_NOT_FOUND);
  return store_;
}

namespace {

void Add(CalendarStore::FailedWrites* total, const CalendarStore::FailedWrites& more) {
  if (more.count == 0) return;
  if (total->count == 0) {
    total->reason = more.reason;
    total->message = more.message;
  }
  total->count += more.count;
}

}  // namespace

CalendarStore::FailedWrites OutlookSession::StoreWriteFailures() const {
  CalendarStore::FailedWrites total = pastFailures_;
  if (store_ != nullptr) Add(&total, store_->WriteFailures());
  return total;
}

void OutlookSession::CloseStore() {
  if (store_ == nullptr) return;
  Add(&pastFailures_, store_->WriteFailures());
  store_.reset();
  ++generation_;
  folders_->Events().Fire(FoldersEvents::kFolderRemove);
}

void OutlookSession::AddStore() {
  if (store_ != nullptr || shutDown_) return;
  store_ = CalendarStore::Open(options_.storeFile, options_.storeOptions);
  for (const auto& listener : storeListeners_) store_->AddChangeListener(listener);
  auto top = NewObject<CMAPIFolder>(shared_from_this(), FolderId::kTop);
  CComVariant folder;
  folder.vt = VT_DISPATCH;
  folder.pdispVal = static_cast<MAPIFolder*>(top.Detach());
  folders_->Events().Fire(FoldersEvents::kFolderAdd, std::span<VARIANT>(static_cast<VARIANT*>(&folder), 1));
}

void OutlookSession::AddStoreListener(CalendarStore::ChangeListener listener) {
  if (store_ != nullptr) store_->AddChangeListener(listener);
  storeListeners_.push_back(std::move(listener));
}

ComPtr<CExplorer> OutlookSession::ActiveExplorer() const {
  return explorers_.empty() ? ComPtr<CExplorer>() : explorers_.back();
}

ComPtr<CExplorer> OutlookSession::NewExplorer(FolderKind folder, bool shown) {
  auto explorer = NewObject<CExplorer>(weak_from_this(), folder, shown);
  if (shown) explorers_.push_back(explorer);
  everyExplorer_.push_back(explorer);
  return explorer;
}

void OutlookSession::ExplorerClosed(CExplorer* explorer) {
  // Keep it alive through its own Close event, after it left the list.
  ComPtr<CExplorer> keep(explorer);
  std::erase_if(explorers_, [&](const ComPtr<CExplorer>& e) { return e.Get() == explorer; });
  if (explorer->IsShown()) bars_->Keep(explorer->Bars().LastingRecords());
  explorer->Events().Fire(ExplorerEvents::kClose);
}

HRESULT OutlookSession::ShowOptions() {
  OptionsDialog dialog(shared_from_this());
  const HRESULT hr = dialog.Open();
  if (optionsHandler_) optionsHandler_(dialog);
  dialog.Close();
  return hr;
}

HRESULT OutlookSession::RaiseStartup() {
  return application_->Events().Fire(ApplicationEvents::kStartup);
}

HRESULT OutlookSession::RaiseReminder(IDispatch* item) {
  CComVariant argument;
  argument.vt = VT_DISPATCH;
  argument.pdispVal = item;
  if (item != nullptr) item->AddRef();
  return application_->Events().Fire(ApplicationEvents::kReminder, std::span<VARIANT>(static_cast<VARIANT*>(&argument), 1));
}

HRESULT OutlookSession::RaiseOptionsPagesAdd(VARIANT* pages) {
  return application_->Events().Fire(ApplicationEvents::kOptionsPagesAdd, std::span<VARIANT>(pages, 1));
}

HRESULT OutlookSession::RaiseQuit() { return application_->Events().Fire(ApplicationEvents::kQuit); }

void OutlookSession::Shutdown() {
  if (shutDown_) return;
  shutDown_ = true;
  // Last opened first, as windows close when Outlook quits.
  while (!explorers_.empty()) {
    ComPtr<CExplorer> explorer = explorers_.back();
    explorer->MarkClosed();
    ExplorerClosed(explorer.Get());
  }
  bars_->Save();
  // Taken first: a sink let go here may open or close windows as it goes.
  for (const ComPtr<CExplorer>& explorer : std::exchange(everyExplorer_, {})) explorer->UnadviseAll();
  if (application_) application_->UnadviseAll();
  if (folders_) folders_->UnadviseAll();
  if (store_ != nullptr) Add(&pastFailures_, store_->WriteFailures());
  store_.reset();
  ++generation_;
}

}  // namespace host
