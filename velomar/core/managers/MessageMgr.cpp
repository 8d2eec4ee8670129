#include "velomar/core/managers/MessageMgr.h"

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdio>
#include <cstring>

#include "platform/dialogs/message_box.h"
#include "platform/kernel/system_info.h"
#include "platform/messaging/cemapi.h"
#include "platform/messaging/sms.h"
#include "platform/text/utf.h"
#include "velomar/core/EventLog.h"
#include "velomar/core/Trace.h"
#include "velomar/ui/Translator.h"

namespace {

std::atomic<CMessageMgr*> g_instance{nullptr};

std::u16string Cut(std::u16string text, std::size_t limit) {
  if (text.size() > limit) text.resize(limit);
  return text;
}

// The debug line of a failed message-store call: its result and the line of the step.
void ReportFailure(HRESULT hr, int line) {
  char buffer[96];
  std::snprintf(buffer, sizeof buffer, "CEMAPI: FAILED(%x)at %s:%d\n", static_cast<unsigned>(hr), "MessageMgr", line);
  const std::u16string text = ce::text::FromUtf8(buffer);
  OutputDebugStringW(text.c_str());
}

// The first property of a store-table row, when it is the store's entry id.
const SBinary* RowEntryId(const SRow& row) {
  if (row.cValues == 0 || row.lpProps == nullptr) return nullptr;
  const SPropValue& first = row.lpProps[0];
  if (first.ulPropTag != PR_ENTRYID || first.Value.bin.lpb == nullptr) return nullptr;
  return &first.Value.bin;
}

void ShowMissingEntryId() { MessageBoxW(nullptr, u"Store missing PR_ENTRYID!", u"Error", 0); }

// One binary or text property of an object; null when it is not there (or not of that tag).
SPropValue* GetOneProp(IMAPIProp* object, ULONG tag, HRESULT* hr) {
  SPropTagArray tags{1, {tag}};
  ULONG count = 0;
  SPropValue* props = nullptr;
  *hr = object->GetProps(&tags, MAPI_UNICODE, &count, &props);
  if (FAILED(*hr)) return nullptr;
  if (count != 1 || props == nullptr || props[0].ulPropTag != tag) {
    if (props) MAPIFreeBuffer(props);
    *hr = MAPI_E_NOT_FOUND;
    return nullptr;
  }
  return props;
}

// The recipient list of the addresses, in one buffer freed with MAPIFreeBuffer: per address its
// type (to), its address type ("SMTP") and the address.
HRESULT BuildRecipients(const std::vector<std::u16string>& addresses, ADRLIST** out) {
  *out = nullptr;
  const std::size_t slots = std::max<std::size_t>(addresses.size(), 1);
  const auto size = static_cast<ULONG>(offsetof(ADRLIST, aEntries) + slots * sizeof(ADRENTRY));
  void* block = nullptr;
  if (HRESULT hr = MAPIAllocateBuffer(size, &block); FAILED(hr)) return hr;
  std::memset(block, 0, size);
  auto* list = static_cast<ADRLIST*>(block);
  static const char16_t kSmtp[] = u"SMTP";
  for (const std::u16string& address : addresses) {
    void* props = nullptr;
    void* text = nullptr;
    const auto text_size = static_cast<ULONG>((address.size() + 1) * sizeof(WCHAR));
    if (FAILED(MAPIAllocateMore(3 * sizeof(SPropValue), block, &props)) ||
        FAILED(MAPIAllocateMore(text_size, block, &text))) {
      MAPIFreeBuffer(block);
      return E_OUTOFMEMORY;
    }
    std::memcpy(text, address.c_str(), text_size);
    auto* values = static_cast<SPropValue*>(props);
    std::memset(values, 0, 3 * sizeof(SPropValue));
    values[0].ulPropTag = PR_RECIPIENT_TYPE;
    values[0].Value.ul = MAPI_TO;
    values[1].ulPropTag = PR_ADDRTYPE_W;
    values[1].Value.lpszW = const_cast<WCHAR*>(kSmtp);
    values[2].ulPropTag = PR_EMAIL_ADDRESS_W;
    values[2].Value.lpszW = static_cast<WCHAR*>(text);
    ADRENTRY& entry = list->aEntries[list->cEntries++];
    entry.cValues = 3;
    entry.rgPropVals = values;
  }
  *out = list;
  return S_OK;
}

template <class T>
void ReleaseObject(T*& object) {
  if (object) object->Release();
  object = nullptr;
}

}  // namespace

namespace velomar::messages {

std::vector<std::u16string> SplitAddresses(const std::u16string& to) {
  std::vector<std::u16string> addresses;
  std::size_t pos = 0;
  while (pos <= to.size()) {
    std::size_t end = to.find(u';', pos);
    if (end == std::u16string::npos) end = to.size();
    std::size_t start = pos;
    while (start < end && to[start] == u' ') ++start;
    std::size_t stop = start;
    while (stop < end && to[stop] != u' ') ++stop;
    if (stop > start) addresses.push_back(to.substr(start, stop - start));
    pos = end + 1;
  }
  return addresses;
}

}  // namespace velomar::messages

CMessageMgr::CMessageMgr() : CMgr(MGR_MESSAGES) { g_instance = this; }

CMessageMgr::~CMessageMgr() {
  Stop();
  CMessageMgr* self = this;
  g_instance.compare_exchange_strong(self, nullptr);
}

CMessageMgr* CMessageMgr::GetInstance() { return g_instance.load(); }

// Every failing step jumps to the release of what was obtained.
#define MAIL_STEP(call)                                 \
  if (HRESULT step_hr = (call); FAILED(step_hr)) {      \
    ReportFailure(step_hr, __LINE__);                   \
    break;                                              \
  }

void CMessageMgr::SendMail(const std::u16string& to, const std::u16string& subject, const std::u16string& body,
                           int store_index) {
  Trace(0, u"CMessageMgr::SendMail(%d)", store_index);
  CTranslator* texts = CTranslator::GetInstance();
  const std::u16string summary = Cut(texts->GetFormatted(u"EVENT_LOG_MGR_ACTION_MAIL_RESUME", to), 99);
  const std::u16string description =
      Cut(texts->GetFormatted(u"EVENT_LOG_MGR_ACTION_MAIL_DESCRIPTION", subject, to), 299);
  CEventLog::AddEvent(GetId(), EVENT_INFO, summary.c_str(), description.c_str());

  IMAPISession* session = nullptr;
  IMAPITable* table = nullptr;
  IMsgStore* store = nullptr;
  IMAPIFolder* folder = nullptr;
  IMessage* message = nullptr;
  SRowSet* rows = nullptr;
  SPropValue* folder_entry = nullptr;
  ADRLIST* recipients = nullptr;
  do {
    MAIL_STEP(MAPILogonEx(0, nullptr, nullptr, 0, &session));
    MAIL_STEP(session->GetMsgStoresTable(MAPI_UNICODE, &table));
    // A position before the first store or past the last one ends the send like a failed call.
    if (store_index < 0) {
      ReportFailure(MAPI_E_NOT_FOUND, __LINE__);
      break;
    }
    bool skipped = true;
    for (int i = 0; i < store_index && skipped; ++i) {
      HRESULT hr = table->QueryRows(1, 0, &rows);
      if (FAILED(hr)) {
        ReportFailure(hr, __LINE__);
        skipped = false;
      } else if (rows == nullptr || rows->cRows == 0) {
        ReportFailure(MAPI_E_NOT_FOUND, __LINE__);
        skipped = false;
      }
      if (rows) FreeProws(rows);
      rows = nullptr;
    }
    if (!skipped) break;
    MAIL_STEP(table->QueryRows(1, 0, &rows));
    if (rows == nullptr || rows->cRows == 0) {
      ReportFailure(MAPI_E_NOT_FOUND, __LINE__);
      break;
    }
    const SBinary* store_entry = RowEntryId(rows->aRow[0]);
    if (store_entry == nullptr) {
      ShowMissingEntryId();
      break;
    }
    MAIL_STEP(session->OpenMsgStore(0, store_entry->cb, reinterpret_cast<const ENTRYID*>(store_entry->lpb), nullptr,
                                    0, &store));
    HRESULT hr = S_OK;
    folder_entry = GetOneProp(store, PR_CE_COMPOSE_FOLDER_ENTRYID, &hr);
    MAIL_STEP(hr);
    ULONG object_type = 0;
    IUnknown* opened = nullptr;
    MAIL_STEP(store->OpenEntry(folder_entry->Value.bin.cb, reinterpret_cast<const ENTRYID*>(folder_entry->Value.bin.lpb),
                               nullptr, MAPI_MODIFY, &object_type, &opened));
    folder = dynamic_cast<IMAPIFolder*>(opened);
    if (folder == nullptr) {
      if (opened) opened->Release();
      ReportFailure(MAPI_E_INVALID_ENTRYID, __LINE__);
      break;
    }
    MAIL_STEP(folder->CreateMessage(nullptr, 0, &message));
    MAIL_STEP(BuildRecipients(velomar::messages::SplitAddresses(to), &recipients));
    MAIL_STEP(message->ModifyRecipients(MODRECIP_ADD, recipients));
    SPropValue props[3] = {};
    props[0].ulPropTag = PR_MESSAGE_FLAGS;
    props[0].Value.ul = MSGFLAG_UNSENT | MSGFLAG_FROMME;
    props[1].ulPropTag = PR_MSG_STATUS;
    props[1].Value.ul = 0x00020000u;
    ULONG prop_count = 2;
    if (!subject.empty()) {
      props[2].ulPropTag = PR_SUBJECT_W;
      props[2].Value.lpszW = const_cast<WCHAR*>(subject.c_str());
      prop_count = 3;
    }
    MAIL_STEP(message->SetProps(prop_count, props, nullptr));
    IUnknown* property = nullptr;
    MAIL_STEP(message->OpenProperty(PR_BODY_W, nullptr, STGM_WRITE, MAPI_MODIFY, &property));
    auto* stream = dynamic_cast<IStream*>(property);
    if (stream == nullptr) {
      if (property) property->Release();
      ReportFailure(MAPI_E_NO_SUPPORT, __LINE__);
      break;
    }
    ULONG written = 0;
    hr = stream->Write(body.c_str(), static_cast<ULONG>((body.size() + 1) * sizeof(WCHAR)), &written);
    stream->Release();
    MAIL_STEP(hr);
    MAIL_STEP(message->SubmitMessage(0));
  } while (false);

  if (folder_entry) MAPIFreeBuffer(folder_entry);
  if (recipients) MAPIFreeBuffer(recipients);
  if (rows) FreeProws(rows);
  ReleaseObject(message);
  ReleaseObject(folder);
  ReleaseObject(store);
  ReleaseObject(table);
  ReleaseObject(session);
}

#undef MAIL_STEP

void CMessageMgr::SendSMS(const std::u16string& number, const std::u16string& text) {
  Trace(0, u"CMessageMgr::SendSMS");
  CTranslator* texts = CTranslator::GetInstance();
  const std::u16string summary = Cut(texts->GetFormatted(u"EVENT_LOG_MGR_ACTION_SMS_RESUME", number), 99);
  const std::u16string description = Cut(texts->GetFormatted(u"EVENT_LOG_MGR_ACTION_SMS_DESCRIPTION", number), 299);
  CEventLog::AddEvent(GetId(), EVENT_INFO, summary.c_str(), description.c_str());

  // A message that does not leave (no radio, the SIM locked, the store refusing it) is told in the
  // log: the line above only says that it was asked for.
  auto report_failure = [&](HRESULT hr) {
    const std::u16string failed = Cut(texts->GetFormatted(u"EVENT_LOG_MGR_ACTION_SMS_FAILED_RESUME", number), 99);
    const std::u16string why = Cut(texts->GetFormatted(u"EVENT_LOG_MGR_ACTION_SMS_FAILED_DESCRIPTION", number,
                                                       static_cast<unsigned>(hr)),
                                   299);
    CEventLog::AddEvent(GetId(), EVENT_WARNING, failed.c_str(), why.c_str());
  };
  SMS_HANDLE handle = 0;
  if (const HRESULT hr = SmsOpen(SMS_MSGTYPE_TEXT, SMS_MODE_SEND, &handle, nullptr); FAILED(hr)) {
    report_failure(hr);
    return;
  }
  SMS_ADDRESS destination{};
  destination.smsatAddressType = SMSAT_UNKNOWN;
  const std::size_t length = std::min<std::size_t>(number.size(), SMS_MAX_ADDRESS_LENGTH - 1);
  std::copy_n(number.c_str(), length, destination.ptsAddress);
  TEXT_PROVIDER_SPECIFIC_DATA provider{};
  provider.dwMessageOptions = 0;
  provider.psMessageClass = PS_MESSAGE_CLASS1;
  provider.psReplaceOption = 0;
  SMS_MESSAGE_ID id = 0;
  const HRESULT sent =
      SmsSendMessage(handle, nullptr, &destination, nullptr, reinterpret_cast<const BYTE*>(text.c_str()),
                     static_cast<DWORD>(text.size() * sizeof(WCHAR)), reinterpret_cast<const BYTE*>(&provider),
                     sizeof provider, SMSDE_OPTIMAL, 0, &id);
  SmsClose(handle);
  if (FAILED(sent)) report_failure(sent);
}

void CMessageMgr::EnumAccounts(std::vector<std::u16string>* accounts) {
  IMAPISession* session = nullptr;
  IMAPITable* table = nullptr;
  if (FAILED(MAPILogonEx(0, nullptr, nullptr, 0, &session))) return;
  if (SUCCEEDED(session->GetMsgStoresTable(MAPI_UNICODE, &table))) {
    for (;;) {
      SRowSet* rows = nullptr;
      if (FAILED(table->QueryRows(1, 0, &rows))) break;
      bool more = rows != nullptr && rows->cRows != 0;
      if (more) {
        const SBinary* entry = RowEntryId(rows->aRow[0]);
        IMsgStore* store = nullptr;
        if (entry == nullptr) {
          ShowMissingEntryId();
          more = false;
        } else if (FAILED(session->OpenMsgStore(0, entry->cb, reinterpret_cast<const ENTRYID*>(entry->lpb), nullptr, 0,
                                                &store))) {
          more = false;
        } else {
          HRESULT hr = S_OK;
          SPropValue* name = GetOneProp(store, PR_DISPLAY_NAME_W, &hr);
          if (name != nullptr) {
            if (name->Value.lpszW) accounts->emplace_back(ce::text::WideView(name->Value.lpszW));
            MAPIFreeBuffer(name);
          } else if (FAILED(hr) && hr != MAPI_E_NOT_FOUND) {
            more = false;
          }
          store->Release();
        }
      }
      if (rows) FreeProws(rows);
      if (!more) break;
    }
  }
  ReleaseObject(table);
  ReleaseObject(session);
}
