// SMS over the device model: a message is sent when the radio is on and registered.
#include "platform/messaging/sms.h"

#include <mutex>
#include <set>

#include "platform/base/wire.h"
#include "platform/device/device.h"
#include "platform/libraries/builtin_libraries.h"
#include "platform/text/utf.h"
#include "platform/text/wide_string.h"

namespace {

std::mutex g_mu;
std::set<SMS_HANDLE> g_open;
SMS_HANDLE g_next_handle = 1;
SMS_MESSAGE_ID g_next_id = 1;

// The address text, which must end within its array.
bool AddressText(const SMS_ADDRESS* a, std::u16string* out) {
  for (std::size_t i = 0; i < SMS_MAX_ADDRESS_LENGTH; ++i) {
    if (a->ptsAddress[i] == 0) {
      out->assign(a->ptsAddress, i);
      return true;
    }
  }
  return false;
}

}  // namespace

HRESULT SmsOpen(LPCWSTR protocol, DWORD modes, SMS_HANDLE* handle, HANDLE* message_available_event) {
  if (!handle || !protocol || modes == 0 || (modes & SMS_MODE_RECEIVE && !message_available_event))
    return E_INVALIDARG;
  *handle = 0;
  if (ce::text::WideView(protocol) != SMS_MSGTYPE_TEXT) return SMS_E_INVALIDPROTOCOL;
  if (modes & ~SMS_MODE_SEND) return E_NOTIMPL;  // receiving is not simulated
  ce::device::Reply reply = ce::device::TakeReply("sms.open");
  if (reply.refused) return ce::device::FailureCode(reply, E_FAIL);
  std::lock_guard<std::mutex> guard(g_mu);
  *handle = g_next_handle++;
  g_open.insert(*handle);
  return S_OK;
}

HRESULT SmsSendMessage(SMS_HANDLE handle, const SMS_ADDRESS*, const SMS_ADDRESS* destination, const SYSTEMTIME*,
                       const BYTE* data, DWORD data_size, const BYTE* provider_data, DWORD provider_data_size,
                       SMS_DATA_ENCODING, DWORD, SMS_MESSAGE_ID* id) {
  {
    std::lock_guard<std::mutex> guard(g_mu);
    if (!g_open.count(handle)) return E_INVALIDARG;
  }
  std::u16string number;
  if (!destination || !AddressText(destination, &number) || number.empty()) return E_INVALIDARG;
  if ((data_size && !data) || data_size % 2 || data_size > 0x100000) return E_INVALIDARG;
  if (provider_data_size && (!provider_data || provider_data_size < 12)) return E_INVALIDARG;
  std::u16string text;
  ce::wire::Reader r(data, data_size);
  for (DWORD i = 0; i < data_size / 2; ++i) text.push_back(r.U16());
  while (!text.empty() && text.back() == 0) text.pop_back();
  DWORD message_class = PS_MESSAGE_CLASS1;
  if (provider_data_size) {
    ce::wire::Reader p(provider_data, provider_data_size);
    p.Skip(4);
    message_class = p.U32();
  }
  ce::device::Reply reply = ce::device::TakeReply("sms.send");
  if (reply.refused) return ce::device::FailureCode(reply, E_FAIL);
  if (!ce::device::GetInt("radio.power") || !ce::device::GetInt("radio.registered")) return SMS_E_NOTREADY;
  ce::device::Effect e;
  e.kind = "sms";
  e.target = ce::text::ToUtf8(number);
  e.body = ce::text::ToUtf8(text);
  e.value = message_class;
  ce::device::Record(e);
  std::lock_guard<std::mutex> guard(g_mu);
  if (id) *id = g_next_id++;
  return S_OK;
}

HRESULT SmsClose(SMS_HANDLE handle) {
  std::lock_guard<std::mutex> guard(g_mu);
  return g_open.erase(handle) ? S_OK : E_INVALIDARG;
}

namespace {
const bool registered = [] {
  using ce::libraries::Export;
  ce::libraries::RegisterBuiltin(u"sms.dll", {.by_name = {{"SmsOpen", Export(&SmsOpen)},
                                                          {"SmsSendMessage", Export(&SmsSendMessage)},
                                                          {"SmsClose", Export(&SmsClose)}},
                                              .by_ordinal = {}});
  return true;
}();
}  // namespace
