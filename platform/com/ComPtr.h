#pragma once
// An owning interface pointer: releases its reference when it goes.

#include <utility>

#include "platform/com/Unknown.h"

template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(std::nullptr_t) {}
  // Takes a new reference to p.
  explicit ComPtr(T* p) : m_p(p) {
    if (m_p != nullptr) m_p->AddRef();
  }
  ComPtr(const ComPtr& other) : ComPtr(other.m_p) {}
  ComPtr(ComPtr&& other) noexcept : m_p(std::exchange(other.m_p, nullptr)) {}
  ~ComPtr() { Reset(); }

  ComPtr& operator=(const ComPtr& other) {
    ComPtr(other).Swap(*this);
    return *this;
  }
  ComPtr& operator=(ComPtr&& other) noexcept {
    ComPtr(std::move(other)).Swap(*this);
    return *this;
  }

  void Reset() {
    if (T* p = std::exchange(m_p, nullptr)) p->Release();
  }
  // Adopts a pointer that already carries its reference.
  void Attach(T* p) {
    Reset();
    m_p = p;
  }
  // Hands the reference to the caller.
  T* Detach() { return std::exchange(m_p, nullptr); }
  void Swap(ComPtr& other) noexcept { std::swap(m_p, other.m_p); }

  T* Get() const { return m_p; }
  T* operator->() const { return m_p; }
  T& operator*() const { return *m_p; }
  explicit operator bool() const { return m_p != nullptr; }

  // For out parameters: releases what is held and gives the slot.
  T** ReleaseAndGetAddressOf() {
    Reset();
    return &m_p;
  }
  void** ReleaseAndGetVoidAddress() { return reinterpret_cast<void**>(ReleaseAndGetAddressOf()); }

  // QueryInterface into another smart pointer.
  template <typename U>
  HRESULT As(ComPtr<U>* out) const {
    if (m_p == nullptr) return E_POINTER;
    return m_p->QueryInterface(IidOf<U>(), out->ReleaseAndGetVoidAddress());
  }

 private:
  T* m_p = nullptr;
};
