// Result codes of the component platform: a signed 32-bit value, negative for
// failure, with the platform's numbering so that logged codes read the same.
#ifndef KORVEL_PLATFORM_COM_HRESULT_H_
#define KORVEL_PLATFORM_COM_HRESULT_H_

#include <cstdint>

#include "platform/wintypes.h"

using HRESULT = std::int32_t;
using SCODE = std::int32_t;

constexpr bool SUCCEEDED(HRESULT hr) { return hr >= 0; }
constexpr bool FAILED(HRESULT hr) { return hr < 0; }

// A system error number in the Win32 facility; 0 and negative values pass unchanged.
constexpr HRESULT HRESULT_FROM_WIN32(LONG error) {
  return error <= 0 ? static_cast<HRESULT>(error)
                    : static_cast<HRESULT>((static_cast<std::uint32_t>(error) & 0xFFFFu) | 0x80070000u);
}

constexpr HRESULT MakeHresult(std::uint32_t bits) { return static_cast<HRESULT>(bits); }

constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;

constexpr HRESULT E_NOTIMPL = MakeHresult(0x80004001);
constexpr HRESULT E_NOINTERFACE = MakeHresult(0x80004002);
constexpr HRESULT E_POINTER = MakeHresult(0x80004003);
constexpr HRESULT E_ABORT = MakeHresult(0x80004004);
constexpr HRESULT E_FAIL = MakeHresult(0x80004005);
constexpr HRESULT E_UNEXPECTED = MakeHresult(0x8000FFFF);
constexpr HRESULT E_OUTOFMEMORY = MakeHresult(0x8007000E);
constexpr HRESULT E_INVALIDARG = MakeHresult(0x80070057);

constexpr HRESULT RPC_E_CHANGED_MODE = MakeHresult(0x80010106);

constexpr HRESULT DISP_E_MEMBERNOTFOUND = MakeHresult(0x80020003);
constexpr HRESULT DISP_E_PARAMNOTFOUND = MakeHresult(0x80020004);
constexpr HRESULT DISP_E_TYPEMISMATCH = MakeHresult(0x80020005);
constexpr HRESULT DISP_E_UNKNOWNNAME = MakeHresult(0x80020006);
constexpr HRESULT DISP_E_NONAMEDARGS = MakeHresult(0x80020007);
constexpr HRESULT DISP_E_BADVARTYPE = MakeHresult(0x80020008);
constexpr HRESULT DISP_E_EXCEPTION = MakeHresult(0x80020009);
constexpr HRESULT DISP_E_BADINDEX = MakeHresult(0x8002000B);
constexpr HRESULT DISP_E_ARRAYISLOCKED = MakeHresult(0x8002000D);
constexpr HRESULT DISP_E_BADPARAMCOUNT = MakeHresult(0x8002000E);

constexpr HRESULT STG_E_INVALIDFUNCTION = MakeHresult(0x80030001);
constexpr HRESULT STG_E_FILENOTFOUND = MakeHresult(0x80030002);
constexpr HRESULT STG_E_ACCESSDENIED = MakeHresult(0x80030005);
constexpr HRESULT STG_E_INVALIDPOINTER = MakeHresult(0x80030009);
constexpr HRESULT STG_E_INVALIDFLAG = MakeHresult(0x800300FF);
constexpr HRESULT STG_E_WRITEFAULT = MakeHresult(0x8003001D);
constexpr HRESULT STG_E_READFAULT = MakeHresult(0x8003001E);
constexpr HRESULT STG_E_MEDIUMFULL = MakeHresult(0x80030070);

constexpr HRESULT CLASS_E_NOAGGREGATION = MakeHresult(0x80040110);
constexpr HRESULT REGDB_E_CLASSNOTREG = MakeHresult(0x80040154);
constexpr HRESULT CO_E_NOTINITIALIZED = MakeHresult(0x800401F0);
constexpr HRESULT CO_E_CLASSSTRING = MakeHresult(0x800401F3);

#endif  // KORVEL_PLATFORM_COM_HRESULT_H_
