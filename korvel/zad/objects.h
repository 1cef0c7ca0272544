// The objects of the store's object model and how they are handed out. Every
// object keeps the session's store alive, so an object stays usable after the
// session that led to it is gone.
#ifndef KORVEL_KORVEL_ZAD_OBJECTS_H_
#define KORVEL_KORVEL_ZAD_OBJECTS_H_

#include <cstdint>
#include <memory>
#include <utility>

#include "korvel/zad/store.h"
#include "korvel/zad/zad.h"
#include "platform/com/com_object.h"

namespace korvel::zad {

// The component class's factory for the component table.
HRESULT CreateManager(REFIID iid, void** object);

HRESULT NewSubscriberList(std::shared_ptr<Store> store, IQoZadIterator** list);
HRESULT NewMessageList(std::shared_ptr<Store> store, std::int64_t owner_id, IQoZadIterator** list);
HRESULT NewMailUser(std::shared_ptr<Store> store, std::int64_t mail_user_id, IQoZadMailUser** user);
HRESULT NewMessage(std::shared_ptr<Store> store, std::int64_t message_id, IQoZadMessage** message);
HRESULT NewAudioList(std::shared_ptr<Store> store, std::int64_t message_id, IQoZadAudioList** list);

// Makes an object of class Impl and gives the caller its reference as
// Interface; *out is null on failure.
template <typename Impl, typename Interface, typename... Args>
HRESULT HandOut(Interface** out, Args&&... args) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  ComPtr<Impl> object = MakeComObject<Impl>(std::forward<Args>(args)...);
  if (!object) return E_OUTOFMEMORY;
  *out = object.Detach();
  return S_OK;
}

}  // namespace korvel::zad

#endif  // KORVEL_KORVEL_ZAD_OBJECTS_H_
