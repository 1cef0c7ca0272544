// The component runtime of the process: start-up per thread and the table of
// component classes in which the server stand-ins register themselves, so that
// programs create components by class id or by name as they would on the
// voice-mail server.
#ifndef KORVEL_PLATFORM_COM_RUNTIME_H_
#define KORVEL_PLATFORM_COM_RUNTIME_H_

#include <functional>

#include "platform/com/bstr.h"
#include "platform/com/guid.h"
#include "platform/com/hresult.h"
#include "platform/com/unknown.h"
#include "platform/wintypes.h"

constexpr DWORD COINIT_MULTITHREADED = 0x0;
constexpr DWORD COINIT_APARTMENTTHREADED = 0x2;

constexpr DWORD CLSCTX_INPROC_SERVER = 0x1;
constexpr DWORD CLSCTX_INPROC_HANDLER = 0x2;
constexpr DWORD CLSCTX_LOCAL_SERVER = 0x4;
constexpr DWORD CLSCTX_REMOTE_SERVER = 0x10;
constexpr DWORD CLSCTX_SERVER = CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER;

// Starts the runtime on the calling thread: S_OK the first time, S_FALSE when
// it already runs in the same mode, RPC_E_CHANGED_MODE in the other mode.
// Every success is matched by one CoUninitialize.
HRESULT CoInitializeEx(void* reserved, DWORD mode);
void CoUninitialize();

// Makes a new object of the class and asks it for `iid`. The runtime must be
// started on the thread (CO_E_NOTINITIALIZED); an outer object is refused
// (CLASS_E_NOAGGREGATION); an unknown class is REGDB_E_CLASSNOTREG.
HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID iid, void** object);

// The class registered under an automation name (compared without regard to
// case); CO_E_CLASSSTRING when none is.
HRESULT CLSIDFromProgID(LPCOLESTR prog_id, LPCLSID clsid);

// Makes one object of a class and asks it for an interface.
using ComponentFactory = std::function<HRESULT(REFIID iid, void** object)>;

// Enters a class into the process's table, replacing an earlier entry of the
// same class id or automation name. `prog_id` may be null.
HRESULT CoRegisterComponentClass(REFCLSID clsid, LPCOLESTR prog_id, ComponentFactory create);

#endif  // KORVEL_PLATFORM_COM_RUNTIME_H_
