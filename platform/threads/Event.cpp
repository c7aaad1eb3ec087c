#include "platform/threads/Event.h"

#include <new>

#include "platform/threads/KernelObject.h"

namespace {

class Event final : public threads::KernelObject {
 public:
  Event(bool manualReset, bool signalled) : m_manualReset(manualReset), m_signalled(signalled) {}
  bool Signalled() const override { return m_signalled; }
  void Acquired() override {
    if (!m_manualReset) m_signalled = false;
  }
  void Set(bool signalled) { m_signalled = signalled; }

 private:
  const bool m_manualReset;
  bool m_signalled;
};

BOOL SetState(HANDLE handle, bool signalled) {
  const auto event = std::dynamic_pointer_cast<Event>(threads::FindHandle(handle));
  if (event == nullptr) return FALSE;
  {
    std::lock_guard lock(threads::KernelMutex());
    event->Set(signalled);
  }
  if (signalled) threads::KernelSignal().notify_all();
  return TRUE;
}

}  // namespace

HANDLE CreateEvent(void* security, BOOL manualReset, BOOL initialState, const char* name) {
  if (security != nullptr || name != nullptr) return nullptr;
  auto event =
      std::shared_ptr<Event>(new (std::nothrow) Event(manualReset != FALSE, initialState != FALSE));
  return event != nullptr ? threads::AddHandle(std::move(event)) : nullptr;
}

BOOL SetEvent(HANDLE event) { return SetState(event, true); }

BOOL ResetEvent(HANDLE event) { return SetState(event, false); }
