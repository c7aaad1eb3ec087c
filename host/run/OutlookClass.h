#pragma once
// Outlook's application class, creatable by its class identifier while the
// host runs, as the uninstall code creates it: each object made is the
// Application of a session of its own on the profile's store, without an
// explorer window ("Outlook started without a window"), until its Quit.

#include <memory>
#include <vector>

#include "host/model/OutlookSession.h"
#include "host/run/OutlookProcess.h"

namespace host {

class OutlookClassRegistration {
 public:
  // Registers the class object for CLSID_OutlookApplication.
  explicit OutlookClassRegistration(const HostOptions& options);
  // Revokes it; sessions still open are shut down.
  ~OutlookClassRegistration();
  OutlookClassRegistration(const OutlookClassRegistration&) = delete;
  OutlookClassRegistration& operator=(const OutlookClassRegistration&) = delete;

 private:
  class Factory;
  Factory* factory_ = nullptr;  // one reference
  DWORD cookie_ = 0;
};

}  // namespace host
