#pragma once
// Loading the add-ins as Outlook does: every key under
// HKCU\Software\Microsoft\Office\Outlook\Addins whose LoadBehavior is 3
// (load at start-up) names an add-in by its ProgID; it is created in
// process and connected. An add-in that cannot be created or refuses the
// connection is reported and marked not loaded (LoadBehavior 2), as Outlook
// marks it, so one broken add-in does not stop the host at every start.

#include <string>
#include <vector>

#include "office/Office.h"
#include "platform/com/ComPtr.h"

namespace host {

inline constexpr const char* kAddinsKey = "Software\\Microsoft\\Office\\Outlook\\Addins";

struct LoadedAddin {
  std::string progId;
  ComPtr<_IDTExtensibility2> addin;
};

class AddinLoader {
 public:
  // Creates and connects each add-in, in the order of their names, as at
  // Outlook's start-up (ext_cm_Startup) or to an Outlook that runs already
  // (ext_cm_AfterStartup).
  void ConnectAll(IDispatch* application, LONG mode = ext_cm_Startup);
  // OnAddInsUpdate and OnStartupComplete of each, after all connected.
  void StartupComplete();
  // OnBeginShutdown, then OnDisconnection(ext_dm_HostShutdown), and let go.
  void BeginShutdown();
  void DisconnectAll();

  const std::vector<LoadedAddin>& Addins() const { return addins_; }
  // Whether an add-in to load at start-up could not be created or refused
  // the connection (each was told on standard error as it happened).
  bool AnyFailed() const { return anyFailed_; }

 private:
  std::vector<LoadedAddin> addins_;
  bool anyFailed_ = false;
};

}  // namespace host
