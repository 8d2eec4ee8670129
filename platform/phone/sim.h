// The SIM card (cellcore.dll): its lock state and unlocking with the PIN (or the PUK and a new
// PIN once the attempts are used up). Ordinals: 1 SimInitialize, 2 SimDeinitialize,
// 8 SimGetPhoneLockedState, 9 SimUnlockPhone.
#pragma once

#include "platform/base/errors.h"
#include "platform/base/types.h"

CE_DECLARE_HANDLE(HSIM);
using SIMCALLBACK = void (*)(DWORD notify_code, const void* data, DWORD size, DWORD param);

#define SIM_LOCKEDSTATE_READY 0x00000001u
#define SIM_LOCKEDSTATE_SIM_PIN 0x00000002u
#define SIM_LOCKEDSTATE_SIM_PUK 0x00000003u

#define SIM_E_INCORRECTPASSWORD (static_cast<HRESULT>(0x88000125u))
// Our own codes: the SIM asks for the PUK (attempts used up), and a PUK/new-PIN pair is missing.
#define SIM_E_SIMPUK (static_cast<HRESULT>(0x88000126u))
#define SIM_E_NEEDNEWPIN (static_cast<HRESULT>(0x88000127u))

HRESULT SimInitialize(DWORD flags, SIMCALLBACK callback, DWORD param, HSIM* sim);
HRESULT SimDeinitialize(HSIM sim);
HRESULT SimGetPhoneLockedState(HSIM sim, LPDWORD state);
// State SIM PIN: `password` is the PIN; a wrong one answers SIM_E_INCORRECTPASSWORD and uses up
// one attempt, the last one leaves the SIM asking for the PUK. State SIM PUK: `password` is the
// PUK and `new_password` the new PIN. A ready SIM answers S_OK.
HRESULT SimUnlockPhone(HSIM sim, LPCWSTR password, LPCWSTR new_password);
