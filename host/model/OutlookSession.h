#pragma once
// One run of the host: what Outlook's process holds while it runs. The
// store (which can be closed and added again), the application object and
// its namespace, the explorer windows, the command bars, the user-interface
// language, and the Options dialog. The object-model classes are thin faces
// over this; they hold the session, and the session holds the objects that
// raise events, until Shutdown breaks that circle.

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "host/store/CalendarStore.h"
#include "office/Outlook.h"
#include "platform/com/ComPtr.h"

namespace host {

class CApplication;
class CNameSpace;
class CFolders;
class CMAPIFolder;
class CExplorer;
class CommandBarLibrary;
class OptionsDialog;

struct SessionOptions {
  std::filesystem::path storeFile;  // outlook.db
  // Where the command bars that outlive a session are kept; empty keeps
  // them for this session only.
  std::filesystem::path commandBarFile;
  StoreOptions storeOptions;
  long uiLanguage = 1033;  // what LanguageSettings answers for msoLanguageIDUI
  std::string caption = "Calendar - Microsoft Outlook";
};

class OutlookSession : public std::enable_shared_from_this<OutlookSession> {
 public:
  static std::shared_ptr<OutlookSession> Create(const SessionOptions& options);
  ~OutlookSession();
  OutlookSession(const OutlookSession&) = delete;
  OutlookSession& operator=(const OutlookSession&) = delete;

  const SessionOptions& Options() const { return options_; }
  long UILanguage() const { return options_.uiLanguage; }

  _Application* Application() const;
  CNameSpace& NameSpace() const { return *nameSpace_; }
  CFolders& Folders() const { return *folders_; }
  CommandBarLibrary& CommandBars() const { return *bars_; }

  // The store, or ModelError(MAPI_E_NOT_FOUND) while it is closed or when
  // `generation` is from before it was last closed: objects taken from a
  // closed store stay dead when it comes back, as Outlook's do.
  std::shared_ptr<CalendarStore> Store(unsigned generation) const;
  bool StoreOpen() const { return store_ != nullptr; }
  unsigned StoreGeneration() const { return generation_; }
  // Closing raises FolderRemove; adding raises FolderAdd with the store's
  // top folder. Each does nothing when the store already is so.
  void CloseStore();
  void AddStore();
  // The writes the store refused for a cause of its file in this session,
  // across closing and adding it again.
  CalendarStore::FailedWrites StoreWriteFailures() const;
  // Hears of every change this process makes to the store, across closing
  // and adding it again.
  void AddStoreListener(CalendarStore::ChangeListener listener);

  // Explorer windows, most recently opened last; ActiveExplorer is that one.
  const std::vector<ComPtr<CExplorer>>& Explorers() const { return explorers_; }
  ComPtr<CExplorer> ActiveExplorer() const;
  // A window on the folder, shown (it joins Explorers) or not (GetExplorer's).
  ComPtr<CExplorer> NewExplorer(FolderKind folder, bool shown);
  // Called by the explorer's Close: it leaves Explorers first, then raises
  // its Close event, so a sink that looks finds only the windows that stay.
  void ExplorerClosed(CExplorer* explorer);

  // The built-in Options command (control 522): builds the dialog, which
  // raises OptionsPagesAdd, and hands it to the handler, which plays the
  // user. Without a handler the dialog is shown and closed unchanged.
  using OptionsHandler = std::function<void(OptionsDialog&)>;
  void SetOptionsHandler(OptionsHandler handler) { optionsHandler_ = std::move(handler); }
  HRESULT ShowOptions();

  // Raises an application event to its sinks (ApplicationEvents dispids).
  HRESULT RaiseStartup();
  HRESULT RaiseReminder(IDispatch* item);
  HRESULT RaiseQuit();
  // pages: the PropertyPages collection, as a VT_DISPATCH argument.
  HRESULT RaiseOptionsPagesAdd(VARIANT* pages);

  // Ends the session: closes every explorer, lets every event sink go and
  // keeps the command bars that outlive it. The objects still held by others
  // then fail their calls.
  void Shutdown();
  bool IsShutDown() const { return shutDown_; }

 private:
  explicit OutlookSession(const SessionOptions& options);
  void Build();

  SessionOptions options_;
  std::shared_ptr<CalendarStore> store_;
  CalendarStore::FailedWrites pastFailures_;  // of the stores closed since
  unsigned generation_ = 1;
  ComPtr<CApplication> application_;
  ComPtr<CNameSpace> nameSpace_;
  ComPtr<CFolders> folders_;
  std::unique_ptr<CommandBarLibrary> bars_;
  std::vector<ComPtr<CExplorer>> explorers_;
  std::vector<ComPtr<CExplorer>> everyExplorer_;  // shown or not, closed or not
  std::vector<CalendarStore::ChangeListener> storeListeners_;
  OptionsHandler optionsHandler_;
  bool shutDown_ = false;
};

}  // namespace host
