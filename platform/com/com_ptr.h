// A counted reference to a component object: adds a reference when it takes a
// pointer and releases it when it lets go, on every way out of a scope.
#ifndef KORVEL_PLATFORM_COM_COM_PTR_H_
#define KORVEL_PLATFORM_COM_COM_PTR_H_

#include <cstddef>
#include <utility>

#include "platform/com/unknown.h"

template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(std::nullptr_t) {}
  // Shares the reference: the object gains one count.
  explicit ComPtr(T* object) : object_(object) { AddRefHeld(); }
  ComPtr(const ComPtr& other) : object_(other.object_) { AddRefHeld(); }
  ComPtr(ComPtr&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
  ~ComPtr() { Reset(); }

  ComPtr& operator=(const ComPtr& other) {
    ComPtr(other).Swap(*this);
    return *this;
  }
  ComPtr& operator=(ComPtr&& other) noexcept {
    ComPtr(std::move(other)).Swap(*this);
    return *this;
  }
  ComPtr& operator=(std::nullptr_t) {
    Reset();
    return *this;
  }

  T* Get() const { return object_; }
  T* operator->() const { return object_; }
  T& operator*() const { return *object_; }
  explicit operator bool() const { return object_ != nullptr; }

  // Releases the held reference, if any.
  void Reset() {
    if (T* old = std::exchange(object_, nullptr)) old->Release();
  }

  // Hands the reference to the caller, who must release it.
  T* Detach() { return std::exchange(object_, nullptr); }

  // For out parameters: releases what is held, then lets the callee store a
  // reference that this pointer owns afterwards.
  T** ReleaseAndGetAddressOf() {
    Reset();
    return &object_;
  }
  void** ReleaseAndGetVoidAddressOf() { return reinterpret_cast<void**>(ReleaseAndGetAddressOf()); }

  // Asks the held object for another interface.
  template <typename U>
  HRESULT As(ComPtr<U>* out) const {
    if (out == nullptr) return E_POINTER;
    if (object_ == nullptr) {
      out->Reset();
      return E_POINTER;
    }
    return object_->QueryInterface(UuidOf<U>(), out->ReleaseAndGetVoidAddressOf());
  }

  void Swap(ComPtr& other) noexcept { std::swap(object_, other.object_); }

  friend bool operator==(const ComPtr& a, const ComPtr& b) { return a.object_ == b.object_; }
  friend bool operator==(const ComPtr& a, std::nullptr_t) { return a.object_ == nullptr; }

 private:
  void AddRefHeld() const {
    if (object_ != nullptr) object_->AddRef();
  }

  T* object_ = nullptr;
};

#endif  // KORVEL_PLATFORM_COM_COM_PTR_H_
