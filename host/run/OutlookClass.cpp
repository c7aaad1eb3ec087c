#include "host/run/OutlookClass.h"

#include "platform/com/ClassFactory.h"
#include "platform/com/ComRuntime.h"
#include "platform/fs/Profile.h"

namespace host {

class OutlookClassRegistration::Factory final : public com::CClassFactoryBase {
 public:
  explicit Factory(const HostOptions& options) : options_(options) {}

  HRESULT CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    try {
      SessionOptions session;
      session.storeFile = profile::File("outlook.db");
      session.commandBarFile = profile::File("outcmd.dat");
      session.storeOptions = options_.storeOptions;
      session.uiLanguage = OfficeUILanguage(options_.office, options_.uiLanguage);
      auto created = OutlookSession::Create(session);
      // The session lives while the factory does: Quit ends it sooner.
      sessions_.push_back(created);
      return created->Application()->QueryInterface(iid, object);
    } catch (...) {
      return E_FAIL;
    }
  }
  HRESULT LockServer(BOOL) override { return S_OK; }

  void ShutdownAll() {
    for (const auto& session : sessions_) session->Shutdown();
    sessions_.clear();
  }

 private:
  ~Factory() { ShutdownAll(); }

  HostOptions options_;
  std::vector<std::shared_ptr<OutlookSession>> sessions_;
};

OutlookClassRegistration::OutlookClassRegistration(const HostOptions& options)
    : factory_(new Factory(options)) {
  factory_->AddRef();
  CoRegisterClassObject(CLSID_OutlookApplication, factory_, CLSCTX_LOCAL_SERVER, REGCLS_MULTIPLEUSE, &cookie_);
}

OutlookClassRegistration::~OutlookClassRegistration() {
  CoRevokeClassObject(cookie_);
  factory_->ShutdownAll();
  factory_->Release();
}

}  // namespace host
