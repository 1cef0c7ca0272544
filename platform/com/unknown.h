// The root interface of every component object: interface lookup and a
// reference count that frees the object when the last reference goes.
#ifndef KORVEL_PLATFORM_COM_UNKNOWN_H_
#define KORVEL_PLATFORM_COM_UNKNOWN_H_

#include "platform/com/guid.h"
#include "platform/com/hresult.h"
#include "platform/wintypes.h"

class IUnknown {
 public:
  static constexpr GUID kUuid = MakeGuid("00000000-0000-0000-c000-000000000046");

  // On success *object holds a counted reference; on failure it is null.
  virtual HRESULT QueryInterface(REFIID iid, void** object) = 0;
  virtual ULONG AddRef() = 0;
  virtual ULONG Release() = 0;

 protected:
  // Objects are freed by their last Release, never deleted through an interface.
  virtual ~IUnknown() = default;
};

using LPUNKNOWN = IUnknown*;

#endif  // KORVEL_PLATFORM_COM_UNKNOWN_H_
