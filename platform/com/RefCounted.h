#pragma once
// IUnknown's reference counting for an object that deletes itself when its
// last reference goes: derive from CRefCounted<Base>, where Base is the
// interface (or a class of several interfaces) the object implements, and
// write QueryInterface. The count starts at 0: whoever makes the object
// takes the first reference.
//
// The count is atomic: a few of these objects are released on a window's
// thread or a worker's as well as on the main thread.

#include <atomic>

#include "platform/com/Unknown.h"

namespace com {

template <typename Base>
class CRefCounted : public Base {
 public:
  using Base::Base;

  ULONG AddRef() override { return ++m_refs; }
  ULONG Release() override {
    const ULONG left = --m_refs;
    if (left == 0) delete this;
    return left;
  }

 protected:
  virtual ~CRefCounted() = default;

 private:
  std::atomic<ULONG> m_refs{0};
};

}  // namespace com
