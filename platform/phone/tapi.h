// The telephony line (TAPI) of the phone, with the cellular extensions of cellcore.dll: equipment
// state (radio power), network registration and call forwarding. Asynchronous requests answer a
// positive request id at once and a LINE_REPLY later on the telephony callback thread; a negative
// answer is a refusal (LINEERR_*) and no reply follows.
#pragma once

#include "platform/base/errors.h"
#include "platform/base/types.h"

CE_DECLARE_HANDLE(HLINEAPP);
CE_DECLARE_HANDLE(HLINE);
CE_DECLARE_HANDLE(HCALL);

// For LINE_REPLY: device 0, instance 0, param1 the request id, param2 0 or the LINEERR_ code.
using LINECALLBACK = void (*)(DWORD device, DWORD message, DWORD_PTR instance, DWORD_PTR param1, DWORD_PTR param2,
                              DWORD_PTR param3);

#define LINE_REPLY 12u
#define LINECALLPRIVILEGE_NONE 0x00000001u
#define LINEFORWARDMODE_UNCOND 0x00000001u
#define LINEEQUIPSTATE_MINIMUM 0x00000001u
#define LINEEQUIPSTATE_FULL 0x00000005u
#define LINEREGMODE_AUTOMATIC 0x00000001u

#define LINEERR_BADDEVICEID (static_cast<LONG>(0x80000002u))
#define LINEERR_INCOMPATIBLEAPIVERSION (static_cast<LONG>(0x8000000Cu))
#define LINEERR_INVALAPPHANDLE (static_cast<LONG>(0x80000015u))
#define LINEERR_INVALLINEHANDLE (static_cast<LONG>(0x8000002Bu))
#define LINEERR_INVALPARAM (static_cast<LONG>(0x80000032u))
#define LINEERR_INVALPOINTER (static_cast<LONG>(0x80000035u))
#define LINEERR_OPERATIONFAILED (static_cast<LONG>(0x80000048u))

// The forward list is given as the device lays it out (little-endian, offsets from its start):
//   0 total size, 4 entry count, then 24-byte entries from 8: forward mode, caller address size,
//   caller address offset, destination country code, destination address size, destination
//   address offset. A destination address is UTF-16 text with its terminator.
struct LINEFORWARDLIST;
struct LINECALLPARAMS;

// The phone has one line device (0); API versions 0x00010004 to 0x00020000 are accepted.
LONG lineInitialize(HLINEAPP* app, HINSTANCE instance, LINECALLBACK callback, LPCWSTR app_name, LPDWORD devices);
LONG lineShutdown(HLINEAPP app);  // closes the application's lines too
LONG lineOpen(HLINEAPP app, DWORD device_id, HLINE* line, DWORD api_version, DWORD ext_version,
              DWORD_PTR callback_instance, DWORD privileges, DWORD media_modes, const LINECALLPARAMS* params);
LONG lineClose(HLINE line);
// Unconditional forwarding to the list's first destination, or none (a null list) to cancel.
LONG lineForward(HLINE line, DWORD all_addresses, DWORD address_id, const LINEFORWARDLIST* list,
                 DWORD rings_no_answer, HCALL* consult_call, const LINECALLPARAMS* params);

// cellcore.dll (ordinal 63): the radio's power; LINEEQUIPSTATE_FULL switches it on, the other
// states (1 to 4) off.
LONG lineSetEquipmentState(HLINE line, DWORD state);
// cellcore.dll, by name: the current equipment state and whether a radio is present (1).
LONG lineGetEquipmentState(HLINE line, LPDWORD state, LPDWORD radio_support);
// cellcore.dll (ordinal 58): registers on the network; fails in its reply when the radio is off
// or the SIM is locked.
LONG lineRegister(HLINE line, DWORD mode, LPCWSTR operator_name, DWORD operator_format);
// cellcore.dll, by name: leaves the network.
LONG lineUnregister(HLINE line);
