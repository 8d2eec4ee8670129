// Sending SMS (sms.dll): open the text protocol for sending, send one message, close. A sent
// message is recorded by the simulated device (recipient, text, message class).
#pragma once

#include "platform/base/errors.h"
#include "platform/base/types.h"

using SMS_HANDLE = DWORD;
using SMS_MESSAGE_ID = DWORD;

enum SMS_ADDRESS_TYPE : DWORD { SMSAT_UNKNOWN = 0, SMSAT_INTERNATIONAL = 1, SMSAT_NATIONAL = 2 };
enum SMS_DATA_ENCODING : DWORD { SMSDE_OPTIMAL = 0, SMSDE_GSM = 1, SMSDE_UCS2 = 2 };

#define SMS_MAX_ADDRESS_LENGTH 256
struct SMS_ADDRESS {
  SMS_ADDRESS_TYPE smsatAddressType;
  WCHAR ptsAddress[SMS_MAX_ADDRESS_LENGTH];
};

#define SMS_MODE_RECEIVE 0x00000001u
#define SMS_MODE_SEND 0x00000002u
#define SMS_MSGTYPE_TEXT u"Microsoft Text SMS Protocol"

enum PROVIDER_SPECIFIC_MESSAGE_CLASS : DWORD {
  PS_MESSAGE_CLASS0 = 0,
  PS_MESSAGE_CLASS1 = 1,
  PS_MESSAGE_CLASS2 = 2,
  PS_MESSAGE_CLASS3 = 3,
};

// The text protocol's provider data, 688 bytes as on the device: options at 0, message class at
// 4, replace option at 8; the rest is zero for plain messages.
struct TEXT_PROVIDER_SPECIFIC_DATA {
  DWORD dwMessageOptions;
  PROVIDER_SPECIFIC_MESSAGE_CLASS psMessageClass;
  DWORD psReplaceOption;
  BYTE reserved[676];
};
static_assert(sizeof(TEXT_PROVIDER_SPECIFIC_DATA) == 688);

// Our own codes for what the device refuses.
#define SMS_E_INVALIDPROTOCOL (static_cast<HRESULT>(0x82000003u))
#define SMS_E_NOTREADY (static_cast<HRESULT>(0x82000100u))  // radio off or not registered

HRESULT SmsOpen(LPCWSTR protocol, DWORD modes, SMS_HANDLE* handle, HANDLE* message_available_event);
// `data` is the UTF-16 text, `data_size` its byte count (a terminator at the end is dropped).
HRESULT SmsSendMessage(SMS_HANDLE handle, const SMS_ADDRESS* service_centre, const SMS_ADDRESS* destination,
                       const SYSTEMTIME* validity, const BYTE* data, DWORD data_size, const BYTE* provider_data,
                       DWORD provider_data_size, SMS_DATA_ENCODING encoding, DWORD options, SMS_MESSAGE_ID* id);
HRESULT SmsClose(SMS_HANDLE handle);
