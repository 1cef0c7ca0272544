// The reference count and interface lookup shared by every component object
// this kit implements. An object derives from ComObject<I1, I2, ...>; asking
// it for any listed interface, or for one they derive from (named by an
// interface's BaseInterface), succeeds. IUnknown always comes from I1, so
// every lookup of IUnknown gives the same pointer.
#ifndef KORVEL_PLATFORM_COM_COM_OBJECT_H_
#define KORVEL_PLATFORM_COM_COM_OBJECT_H_

#include <atomic>
#include <new>
#include <utility>

#include "platform/com/com_ptr.h"
#include "platform/com/unknown.h"

namespace com_internal {

template <typename Interface, typename Self>
void* FindInterface(Self* self, REFIID iid) {
  Interface* as_interface = static_cast<Interface*>(self);
  if (iid == UuidOf<Interface>()) return as_interface;
  if constexpr (requires { typename Interface::BaseInterface; }) {
    return FindInterface<typename Interface::BaseInterface>(as_interface, iid);
  } else {
    return nullptr;
  }
}

}  // namespace com_internal

template <typename... Interfaces>
class ComObject : public Interfaces... {
 public:
  ComObject() = default;
  ComObject(const ComObject&) = delete;
  ComObject& operator=(const ComObject&) = delete;

  HRESULT QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    void* found = nullptr;
    ((found = found != nullptr ? found : com_internal::FindInterface<Interfaces>(this, iid)), ...);
    *object = found;
    if (found == nullptr) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }

  ULONG AddRef() override { return ++references_; }

  ULONG Release() override {
    ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

 protected:
  ~ComObject() override = default;

 private:
  std::atomic<ULONG> references_{0};
};

// A new object held by a counted reference; null when memory runs out.
template <typename T, typename... Args>
ComPtr<T> MakeComObject(Args&&... args) {
  try {
    return ComPtr<T>(new T(std::forward<Args>(args)...));
  } catch (const std::bad_alloc&) {
    return ComPtr<T>();
  }
}

#endif  // KORVEL_PLATFORM_COM_COM_OBJECT_H_
