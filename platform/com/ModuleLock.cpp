#include <atomic>

#include "platform/com/ComObject.h"

namespace com {
namespace {
std::atomic<long> g_locks{0};
}  // namespace

long ModuleLockCount() { return g_locks.load(); }
void LockModule() { ++g_locks; }
void UnlockModule() { --g_locks; }

}  // namespace com
