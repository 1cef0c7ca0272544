// The message store of the voice-mail server (Zad): the object model through
// which programs reach subscribers, their inboxes, messages and audio.
//
// The store behind it is an SQLite file named by the registry value
// HKLM\Software\Halvern\Zad\1.0 "Message Store", opened read-only at Logon.
// Every method returns an HRESULT; First/Next give S_OK per entry and S_FALSE
// at the end of a list.
//
// A row of the store's optional Fault table (Method, ObjectID, HResult) makes
// the method of that name fail with HResult, for the object with that id or,
// with a NULL ObjectID, for every object. Faults are read at Logon, so they
// reach every method from Logon on. The object id of a method is the
// MailUserID of a mail user, of its inbox and of that inbox's message list,
// the MessageID of a message, of its audio list and of its audio items; First
// and Next use the id of the entry they would hand out. Logon, GetDirectory,
// get_MailUsers, get_Subscribers and the subscriber list's other methods have
// no object id, so only NULL rows reach them.
#ifndef KORVEL_KORVEL_ZAD_ZAD_H_
#define KORVEL_KORVEL_ZAD_ZAD_H_

#include <string>

#include "platform/com/bstr.h"
#include "platform/com/guid.h"
#include "platform/com/hresult.h"
#include "platform/com/unknown.h"
#include "platform/com/variant.h"
#include "platform/wintypes.h"

// A property tag: the property's id in the high 16 bits, the VARTYPE of its
// value in the low 16.
using QOPROPTAG = LONG;

constexpr VARTYPE PropertyType(QOPROPTAG tag) { return static_cast<VARTYPE>(tag & 0xFFFF); }

// Message properties.
constexpr QOPROPTAG QOP_DELIVERY_TIME = 0x0E060007;
constexpr QOPROPTAG QOP_HAS_UNKNOWN_SENDER = 0x600B000B;
constexpr QOPROPTAG QOP_SENDER_ADDRESS_TYPE = 0x7C0A0003;
constexpr QOPROPTAG QOP_SENDER_EMAIL_ADDRESS = 0x7C0B0008;
constexpr QOPROPTAG QOP_IMPORTANCE = 0x00170003;
constexpr QOPROPTAG QOP_SENSITIVITY = 0x00360003;
constexpr QOPROPTAG QOP_SEARCH_FOLDER = 0x64500003;
// The message's id in the store, the same in every session.
constexpr QOPROPTAG QOP_MESSAGE_ID = 0x67480003;
// Mail user properties.
constexpr QOPROPTAG QOP_ALIAS = 0x3A000008;
constexpr QOPROPTAG QOP_IS_SUBSCRIBER = 0x61810002;

// Values of QOP_SEARCH_FOLDER: the folder a message lies in.
constexpr LONG QO_SEARCH_FOLDER_NewVoiceFilter = 6;
constexpr LONG QO_SEARCH_FOLDER_SavedVoiceFilter = 13;

// The one filter operator: the property equals the value.
constexpr LONG QO_FILTER_EQUAL = 1;

// Logon found no store: the registry value is missing or names no store file.
constexpr HRESULT QO_E_LOGON_FAILED = MakeHresult(0x80040111);
// A property the object does not have (a VT_ERROR value of GetMany), or a
// message without a known sender (get_Sender).
constexpr HRESULT QO_E_NOT_FOUND = MakeHresult(0x8004010F);

class IQoZadSession;
class IQoZadDirectory;
class IQoZadMailUsers;
class IQoZadIterator;
class IQoZadMailUser;
class IQoZadFolder;
class IQoZadMessage;
class IQoZadAudioList;
class IQoZadListItem;

class IQoZadComponent : public IUnknown {
 public:
  static constexpr GUID kUuid = MakeGuid("5e2d9a41-7c3b-4f08-9b6e-1a4c8d2f7e01");
  using BaseInterface = IUnknown;
  virtual HRESULT Initialize(LONG flags) = 0;
};

class IQoZadManager : public IUnknown {
 public:
  static constexpr GUID kUuid = MakeGuid("5e2d9a41-7c3b-4f08-9b6e-1a4c8d2f7e02");
  using BaseInterface = IUnknown;
  // E_UNEXPECTED before Initialize.
  virtual HRESULT CreateZadSession(IQoZadSession** session) = 0;
};

class IQoZadSession : public IUnknown {
 public:
  static constexpr GUID kUuid = MakeGuid("5e2d9a41-7c3b-4f08-9b6e-1a4c8d2f7e03");
  using BaseInterface = IUnknown;
  // Opens the store named in the registry; QO_E_LOGON_FAILED when there is none.
  virtual HRESULT Logon() = 0;
  // E_UNEXPECTED before a successful Logon.
  virtual HRESULT GetDirectory(LONG flags, IQoZadDirectory** directory) = 0;
};

class IQoZadDirectory : public IUnknown {
 public:
  static constexpr GUID kUuid = MakeGuid("5e2d9a41-7c3b-4f08-9b6e-1a4c8d2f7e04");
  using BaseInterface = IUnknown;
  virtual HRESULT get_MailUsers(IQoZadMailUsers** mail_users) = 0;
};

class IQoZadMailUsers : public IUnknown {
 public:
  static constexpr GUID kUuid = MakeGuid("5e2d9a41-7c3b-4f08-9b6e-1a4c8d2f7e05");
  using BaseInterface = IUnknown;
  // Every mail user in MailUserID order; filter with QOP_IS_SUBSCRIBER.
  virtual HRESULT get_Subscribers(IQoZadIterator** subscribers) = 0;
};

// A list of mail users or of messages, in id order. A filter set with
// SimpleFilter governs the next get_Count and First; a second filter needs
// SetFilter(nullptr) first (E_UNEXPECTED otherwise).
class IQoZadIterator : public IUnknown {
 public:
  static constexpr GUID kUuid = MakeGuid("5e2d9a41-7c3b-4f08-9b6e-1a4c8d2f7e06");
  using BaseInterface = IUnknown;
  virtual HRESULT get_Count(LONG* count) = 0;
  // The entry (an IQoZadMailUser or an IQoZadMessage, asked for with
  // QueryInterface) and S_OK, or null and S_FALSE at the end. Next before
  // First is E_UNEXPECTED.
  virtual HRESULT First(IUnknown** item) = 0;
  virtual HRESULT Next(IUnknown** item) = 0;
  // Keeps the entries whose property `tag` equals `value` (operator
  // QO_FILTER_EQUAL): QOP_IS_SUBSCRIBER on the subscriber list,
  // QOP_SEARCH_FOLDER on a message list, with an integer value.
  virtual HRESULT SimpleFilter(QOPROPTAG tag, LONG filter_operator, VARIANT* value) = 0;
  // Null removes the filter; other filter objects are not offered (E_INVALIDARG).
  virtual HRESULT SetFilter(IUnknown* filter) = 0;
};

// GetMany takes a VT_ARRAY|VT_VARIANT variant of VT_I4 tags (one dimension)
// and sets *values, as an out parameter, to an array of the same bounds with
// one value per tag. A value has its property's type when the stored value
// fits it, else the stored value's own type (VT_EMPTY, VT_I4, VT_R8, VT_BSTR,
// VT_ARRAY|VT_UI1); a tag the object lacks gives VT_ERROR QO_E_NOT_FOUND.
class IQoZadMailUser : public IUnknown {
 public:
  static constexpr GUID kUuid = MakeGuid("5e2d9a41-7c3b-4f08-9b6e-1a4c8d2f7e07");
  using BaseInterface = IUnknown;
  virtual HRESULT GetMany(VARIANT* tags, VARIANT* values) = 0;
  virtual HRESULT get_Inbox(IQoZadFolder** inbox) = 0;
  // The stored display name as text; a NULL one is a null string.
  virtual HRESULT get_DisplayName(BSTR* name) = 0;
};

class IQoZadFolder : public IUnknown {
 public:
  static constexpr GUID kUuid = MakeGuid("5e2d9a41-7c3b-4f08-9b6e-1a4c8d2f7e08");
  using BaseInterface = IUnknown;
  virtual HRESULT get_All(IQoZadIterator** messages) = 0;
};

class IQoZadMessage : public IUnknown {
 public:
  static constexpr GUID kUuid = MakeGuid("5e2d9a41-7c3b-4f08-9b6e-1a4c8d2f7e09");
  using BaseInterface = IUnknown;
  virtual HRESULT GetMany(VARIANT* tags, VARIANT* values) = 0;
  // The mail user of SenderID; QO_E_NOT_FOUND when it is NULL or names no one.
  virtual HRESULT get_Sender(IQoZadMailUser** sender) = 0;
  // The stored subject as text; a NULL one is a null string.
  virtual HRESULT get_Subject(BSTR* subject) = 0;
  virtual HRESULT get_AllAudioStreams(IQoZadAudioList** streams) = 0;
};

// The audio attachments of a message, in Seq order.
class IQoZadAudioList : public IUnknown {
 public:
  static constexpr GUID kUuid = MakeGuid("5e2d9a41-7c3b-4f08-9b6e-1a4c8d2f7e0a");
  using BaseInterface = IUnknown;
  virtual HRESULT get_Count(LONG* count) = 0;
  virtual HRESULT First(IQoZadListItem** item) = 0;
  virtual HRESULT Next(IQoZadListItem** item) = 0;
};

class IQoZadListItem : public IUnknown {
 public:
  static constexpr GUID kUuid = MakeGuid("5e2d9a41-7c3b-4f08-9b6e-1a4c8d2f7e0b");
  using BaseInterface = IUnknown;
  // An out parameter: VT_UNKNOWN holding an IStream over the audio when the
  // stored Data is a BLOB, otherwise the stored value as a plain variant.
  virtual HRESULT get_Item(VARIANT* item) = 0;
  // The attachment's Seq as text.
  virtual HRESULT get_Key(BSTR* key) = 0;
};

// The component class: created by class id, it answers IQoZadComponent and
// IQoZadManager.
struct QoZadManager {
  static constexpr CLSID kUuid = MakeGuid("5e2d9a41-7c3b-4f08-9b6e-1a4c8d2f7e00");
};

namespace korvel::zad {

// Enters QoZadManager into the process's component table. A program calls it
// once at start; calling it again changes nothing.
void RegisterClasses();

// Why the last failed Logon of this thread failed, naming the registry file
// and line or the store file and the cause; empty after a success.
std::string LastLogonFailure();

}  // namespace korvel::zad

#endif  // KORVEL_KORVEL_ZAD_ZAD_H_
