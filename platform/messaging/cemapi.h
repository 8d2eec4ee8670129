// The message store (CEMAPI): log on, the table of message stores (accounts), a store's
// properties and its compose folder, a new message with recipients, properties and a body
// stream, and submitting it. A submitted message is recorded as sent by the simulated device.
// Interfaces are plain abstract classes over IUnknown (no COM registration); objects end through
// Release.
#pragma once

#include "platform/base/errors.h"
#include "platform/base/types.h"
#include "platform/xml/com_base.h"

using SCODE = LONG;

#define MAPI_E_CALL_FAILED E_FAIL
#define MAPI_E_INVALID_PARAMETER E_INVALIDARG
#define MAPI_E_NO_SUPPORT (static_cast<HRESULT>(0x80040102u))
#define MAPI_E_NOT_FOUND (static_cast<HRESULT>(0x8004010Fu))
#define MAPI_E_INVALID_ENTRYID (static_cast<HRESULT>(0x80040107u))
#define MAPI_W_ERRORS_RETURNED (static_cast<HRESULT>(0x00040380u))

#define MAPI_UNICODE 0x80000000u
#define MAPI_MODIFY 0x00000001u
#define MAPI_CREATE 0x00000002u
#define MODRECIP_ADD 0x00000002u
#define STGM_WRITE 0x00000001u
#define MAPI_STORE 1u
#define MAPI_FOLDER 3u
#define MAPI_MESSAGE 5u
#define MAPI_TO 1u
#define MSGFLAG_UNSENT 0x00000008u
#define MSGFLAG_FROMME 0x00000020u

#define PT_LONG 0x0003u
#define PT_ERROR 0x000Au
#define PT_UNICODE 0x001Fu
#define PT_BINARY 0x0102u
#define PROP_TYPE(tag) ((tag) & 0xFFFFu)

#define PR_ENTRYID 0x0FFF0102u
#define PR_DISPLAY_NAME_W 0x3001001Fu
#define PR_RECIPIENT_TYPE 0x0C150003u
#define PR_ADDRTYPE_W 0x3002001Fu
#define PR_EMAIL_ADDRESS_W 0x3003001Fu
#define PR_MESSAGE_FLAGS 0x0E070003u
#define PR_MSG_STATUS 0x0E170003u
#define PR_SUBJECT_W 0x0037001Fu
#define PR_BODY_W 0x1000001Fu
// A store's folder in which new mail is composed (an entry id that OpenEntry accepts).
#define PR_CE_COMPOSE_FOLDER_ENTRYID 0x81040102u

struct SBinary {
  ULONG cb;
  BYTE* lpb;
};

union PropValueData {
  SHORT i;
  LONG l;
  ULONG ul;
  WCHAR* lpszW;
  SBinary bin;
  FILETIME ft;
  SCODE err;
  LONGLONG li;
};

struct SPropValue {
  ULONG ulPropTag;
  ULONG dwAlignPad;
  PropValueData Value;
};
using LPSPropValue = SPropValue*;

struct SPropTagArray {
  ULONG cValues;
  ULONG aulPropTag[1];
};

struct SRow {
  ULONG ulAdrEntryPad;
  ULONG cValues;
  SPropValue* lpProps;
};

struct SRowSet {
  ULONG cRows;
  SRow aRow[1];
};

struct ADRENTRY {
  ULONG ulReserved1;
  ULONG cValues;
  SPropValue* rgPropVals;
};

struct ADRLIST {
  ULONG cEntries;
  ADRENTRY aEntries[1];
};

struct ENTRYID {
  BYTE abFlags[4];
  BYTE ab[1];
};

struct SPropProblemArray;

struct IMAPIProp : IUnknown {
  // The values of the asked tags, in that order, in one buffer freed with MAPIFreeBuffer; a
  // property the object lacks comes back as PT_ERROR with MAPI_E_NOT_FOUND and the call answers
  // MAPI_W_ERRORS_RETURNED.
  virtual HRESULT GetProps(const SPropTagArray* tags, ULONG flags, ULONG* count, SPropValue** props) = 0;
  virtual HRESULT SetProps(ULONG count, const SPropValue* props, SPropProblemArray** problems) = 0;
  virtual HRESULT OpenProperty(ULONG tag, const IID* iid, ULONG interface_options, ULONG flags, IUnknown** out) = 0;
};

struct IMAPITable : IUnknown {
  // Up to `count` rows from the current position (none at the end), freed with FreeProws.
  virtual HRESULT QueryRows(LONG count, ULONG flags, SRowSet** rows) = 0;
};

struct IMsgStore : IMAPIProp {
  virtual HRESULT OpenEntry(ULONG entry_size, const ENTRYID* entry, const IID* iid, ULONG flags, ULONG* object_type,
                            IUnknown** out) = 0;
};

struct IMessage : IMAPIProp {
  virtual HRESULT ModifyRecipients(ULONG flags, const ADRLIST* list) = 0;
  virtual HRESULT SubmitMessage(ULONG flags) = 0;
};

struct IMAPIFolder : IMAPIProp {
  virtual HRESULT CreateMessage(const IID* iid, ULONG flags, IMessage** message) = 0;
};

struct IStream : IUnknown {
  virtual HRESULT Write(const void* data, ULONG size, ULONG* written) = 0;
  virtual HRESULT Commit(DWORD flags) = 0;
};

struct IMAPISession : IUnknown {
  // Rows of PR_ENTRYID then PR_DISPLAY_NAME_W, one per message store (mail account).
  virtual HRESULT GetMsgStoresTable(ULONG flags, IMAPITable** table) = 0;
  virtual HRESULT OpenMsgStore(ULONG_PTR ui_param, ULONG entry_size, const ENTRYID* entry, const IID* iid,
                               ULONG flags, IMsgStore** store) = 0;
  virtual HRESULT Logoff(ULONG_PTR ui_param, ULONG flags, ULONG reserved) = 0;
};

HRESULT MAPIInitialize(LPVOID reserved);
void MAPIUninitialize();
HRESULT MAPILogonEx(ULONG_PTR ui_param, LPWSTR profile, LPWSTR password, ULONG flags, IMAPISession** session);

// Buffers: a buffer from MAPIAllocateMore is freed with its parent.
SCODE MAPIAllocateBuffer(ULONG size, LPVOID* buffer);
SCODE MAPIAllocateMore(ULONG size, LPVOID parent, LPVOID* buffer);
ULONG MAPIFreeBuffer(LPVOID buffer);
void FreeProws(SRowSet* rows);
