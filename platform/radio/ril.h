// The radio interface layer (ril.dll): initialise with callbacks, the cell-tower and signal
// queries answered asynchronously on the radio's callback thread, notifications of the network
// classes, and the device-specific modem command. Programs load it by name and take the entries
// by ordinal: 1 RIL_Initialize, 3 RIL_Deinitialize, 104 RIL_GetSignalQuality,
// 105 RIL_GetCellTowerInfo; RIL_DevSpecific by name.
#pragma once

#include "platform/base/errors.h"
#include "platform/base/types.h"

CE_DECLARE_HANDLE(HRIL);

// Result callback: the result code, the command id the query answered, its data.
using RILRESULTCALLBACK = void (*)(DWORD code, HRESULT command_id, const void* data, DWORD size, DWORD param);
// Notify callback: the notification code and its data.
using RILNOTIFYCALLBACK = void (*)(DWORD code, const void* data, DWORD size, DWORD param);

#define RIL_RESULT_OK 0x00000001u
#define RIL_RESULT_ERROR 0x00000003u     // data: the error code (32 bits)
#define RIL_RESULT_RADIOOFF 0x00000008u  // the radio is off; no data

#define RIL_NCLASS_NETWORK 0x00040000u
#define RIL_NCLASS_MISC 0x00400000u
#define RIL_NOTIFY_SYSTEMCHANGED 0x00040005u   // data: 32-bit flags, 1 = registration changed
#define RIL_NOTIFY_LOCATIONUPDATE 0x00040008u  // data below
#define RIL_NOTIFY_SIGNALQUALITY 0x00400005u   // data: a RILSIGNALQUALITY record

// Data of RIL_NOTIFY_LOCATIONUPDATE, 12 bytes, little-endian 32-bit words:
//   0 parameter mask (1 LAC given, 2 cell id given), 4 location area code, 8 cell id.
inline constexpr DWORD kRilLocationUpdateSize = 12;

// RILCELLTOWERINFO, 40 bytes: 0 size, 4 parameter mask, 8 mobile country code, 12 mobile network
// code, 16 location area code, 20 cell id, 24 base station id, 28 receive level, 32 and 36 zero.
inline constexpr DWORD kRilCellTowerInfoSize = 40;
#define RIL_PARAM_CTI_MOBILECOUNTRYCODE 0x00000001u
#define RIL_PARAM_CTI_MOBILENETWORKCODE 0x00000002u
#define RIL_PARAM_CTI_LOCATIONAREACODE 0x00000004u
#define RIL_PARAM_CTI_CELLID 0x00000008u

// RILSIGNALQUALITY, 24 bytes: 0 size, 4 parameter mask, 8 signal strength, 12 minimum strength,
// 16 maximum strength (signed 32-bit, dBm), 20 bit error rate.
inline constexpr DWORD kRilSignalQualitySize = 24;
#define RIL_PARAM_SQ_SIGNALSTRENGTH 0x00000001u
#define RIL_PARAM_SQ_MINSIGNALSTRENGTH 0x00000002u
#define RIL_PARAM_SQ_MAXSIGNALSTRENGTH 0x00000004u

// S_OK and the handle, or E_INVALIDARG (a port index other than 1, no result callback, no out
// handle) or the scripted refusal of "ril.init".
HRESULT RIL_Initialize(DWORD port_index, RILRESULTCALLBACK result_callback, RILNOTIFYCALLBACK notify_callback,
                       DWORD notification_classes, DWORD param, HRIL* ril);
HRESULT RIL_Deinitialize(HRIL ril);
// Queries: a positive command id answered later through the result callback, or a negative error
// (E_INVALIDARG for an unknown handle, a scripted immediate refusal).
HRESULT RIL_GetSignalQuality(HRIL ril);
HRESULT RIL_GetCellTowerInfo(HRIL ril);
// Sends the modem a device-specific command (recorded); answered with RIL_RESULT_OK.
HRESULT RIL_DevSpecific(HRIL ril, const BYTE* params, DWORD size);
