#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/device/device.h"
#include "platform/libraries/libraries.h"
#include "platform/messaging/cemapi.h"
#include "platform/messaging/sms.h"
#include "platform/testing/device_test.h"
#include "tests/platform/device/run_tool.h"

namespace {

using ce::libraries::ProcAs;
using MessagingTest = ce::testing::DeviceTest;

// Sends one SMS the way the message manager does, through sms.dll loaded by name.
HRESULT SendSms(const std::u16string& number, const std::u16string& text) {
  HMODULE lib = LoadLibraryW(u"sms.dll");
  if (!lib) return E_FAIL;
  auto open = ProcAs<decltype(SmsOpen)>(GetProcAddress(lib, u"SmsOpen"));
  auto send = ProcAs<decltype(SmsSendMessage)>(GetProcAddress(lib, u"SmsSendMessage"));
  auto close = ProcAs<decltype(SmsClose)>(GetProcAddress(lib, u"SmsClose"));
  SMS_HANDLE h = 0;
  HRESULT hr = open(SMS_MSGTYPE_TEXT, SMS_MODE_SEND, &h, nullptr);
  if (hr == S_OK) {
    SMS_ADDRESS to{};
    to.smsatAddressType = SMSAT_UNKNOWN;
    std::memcpy(to.ptsAddress, number.c_str(), (number.size() + 1) * 2);
    TEXT_PROVIDER_SPECIFIC_DATA data{};
    data.psMessageClass = PS_MESSAGE_CLASS1;
    SMS_MESSAGE_ID id = 0;
    hr = send(h, nullptr, &to, nullptr, reinterpret_cast<const BYTE*>(text.c_str()),
              static_cast<DWORD>(text.size() * 2), reinterpret_cast<const BYTE*>(&data), sizeof data, SMSDE_OPTIMAL, 0,
              &id);
    close(h);
  }
  FreeLibrary(lib);
  return hr;
}

// Composes and submits a mail in store `index` as the message manager does; the first failing
// step's result.
HRESULT SendMail(int index, const std::vector<std::u16string>& to, const char16_t* subject, const std::u16string& body) {
  IMAPISession* session = nullptr;
  IMAPITable* table = nullptr;
  SRowSet* rows = nullptr;
  IMsgStore* store = nullptr;
  SPropValue* props = nullptr;
  IUnknown* unknown = nullptr;
  IMessage* message = nullptr;
  HRESULT hr = MAPILogonEx(0, nullptr, nullptr, 0, &session);
  if (hr == S_OK) hr = session->GetMsgStoresTable(MAPI_UNICODE, &table);
  for (int i = 0; hr == S_OK && i <= index; ++i) {
    FreeProws(rows);
    rows = nullptr;
    hr = table->QueryRows(1, 0, &rows);
    if (hr == S_OK && rows->cRows == 0) hr = MAPI_E_NOT_FOUND;
  }
  if (hr == S_OK && rows->aRow[0].lpProps[0].ulPropTag != PR_ENTRYID) hr = MAPI_E_NOT_FOUND;
  if (hr == S_OK) {
    const SBinary& id = rows->aRow[0].lpProps[0].Value.bin;
    hr = session->OpenMsgStore(0, id.cb, reinterpret_cast<const ENTRYID*>(id.lpb), nullptr, 0, &store);
  }
  ULONG count = 0;
  SPropTagArray tags{1, {PR_CE_COMPOSE_FOLDER_ENTRYID}};
  if (hr == S_OK) hr = store->GetProps(&tags, MAPI_UNICODE, &count, &props);
  ULONG type = 0;
  if (hr == S_OK)
    hr = store->OpenEntry(props[0].Value.bin.cb, reinterpret_cast<const ENTRYID*>(props[0].Value.bin.lpb), nullptr,
                          MAPI_MODIFY, &type, &unknown);
  auto folder = static_cast<IMAPIFolder*>(unknown);
  if (hr == S_OK) hr = folder->CreateMessage(nullptr, 0, &message);
  if (hr == S_OK) {
    std::vector<SPropValue> values(3 * std::max<std::size_t>(to.size(), 1));
    std::vector<std::u16string> texts(to);
    std::u16string smtp = u"SMTP";
    std::vector<ADRENTRY> entries(std::max<std::size_t>(to.size(), 1));
    std::vector<BYTE> block(offsetof(ADRLIST, aEntries) + entries.size() * sizeof(ADRENTRY));
    auto list = reinterpret_cast<ADRLIST*>(block.data());
    list->cEntries = static_cast<ULONG>(to.size());
    for (std::size_t i = 0; i < to.size(); ++i) {
      SPropValue* v = &values[3 * i];
      v[0].ulPropTag = PR_RECIPIENT_TYPE;
      v[0].Value.ul = MAPI_TO;
      v[1].ulPropTag = PR_ADDRTYPE_W;
      v[1].Value.lpszW = smtp.data();
      v[2].ulPropTag = PR_EMAIL_ADDRESS_W;
      v[2].Value.lpszW = texts[i].data();
      list->aEntries[i] = {0, 3, v};
    }
    hr = message->ModifyRecipients(MODRECIP_ADD, list);
  }
  if (hr == S_OK) {
    std::u16string s = subject ? subject : u"";
    SPropValue set[3];
    set[0].ulPropTag = PR_MESSAGE_FLAGS;
    set[0].Value.ul = MSGFLAG_UNSENT | MSGFLAG_FROMME;
    set[1].ulPropTag = PR_MSG_STATUS;
    set[1].Value.ul = 0x00020000;
    set[2].ulPropTag = PR_SUBJECT_W;
    set[2].Value.lpszW = s.data();
    hr = message->SetProps(subject ? 3 : 2, set, nullptr);
  }
  IUnknown* stream = nullptr;
  if (hr == S_OK) hr = message->OpenProperty(PR_BODY_W, nullptr, STGM_WRITE, MAPI_MODIFY | MAPI_CREATE, &stream);
  if (hr == S_OK) {
    ULONG written = 0;
    hr = static_cast<IStream*>(stream)->Write(body.c_str(), static_cast<ULONG>((body.size() + 1) * 2), &written);
    stream->Release();
  }
  if (hr == S_OK) hr = message->SubmitMessage(0);
  if (message) message->Release();
  if (unknown) unknown->Release();
  MAPIFreeBuffer(props);
  if (store) store->Release();
  FreeProws(rows);
  if (table) table->Release();
  if (session) session->Release();
  return hr;
}

TEST_F(MessagingTest, SmsAndMailAppearInTheToolsListOfSentMessages) {
  ASSERT_EQ(SendSms(u"+34600111222", u"Llego tarde"), S_OK);
  ASSERT_EQ(SendMail(1, {u"ana@example.com", u"luis@example.com"}, u"Aviso", u"Hola"), S_OK);

  auto sent = ce::testing::RunDevicectl(device_folder(), {"sent"});
  ASSERT_EQ(sent.exit_code, 0);
  EXPECT_NE(sent.out.find("sms to=+34600111222 body=Llego tarde"), std::string::npos) << sent.out;
  EXPECT_NE(sent.out.find("mail to=ana@example.com;luis@example.com account=Outlook E-mail subject=Aviso body=Hola"),
            std::string::npos)
      << sent.out;
  auto sms = ce::device::Effects("sms");
  ASSERT_EQ(sms.size(), 1u);
  EXPECT_EQ(sms[0].value, PS_MESSAGE_CLASS1);
}

TEST_F(MessagingTest, MailStepsStoresAndInjectedFailures) {
  ce::device::SetText("mail.accounts", "ActiveSync;Outlook E-mail;Work");
  EXPECT_EQ(SendMail(2, {}, nullptr, u"sin asunto"), S_OK);
  auto mail = ce::device::Effects("mail");
  ASSERT_EQ(mail.size(), 1u);
  EXPECT_EQ(mail[0].account, "Work");
  EXPECT_EQ(mail[0].target, "");
  EXPECT_EQ(mail[0].subject, "");
  EXPECT_EQ(mail[0].body, "sin asunto");

  // A store index past the last store finds no row; nothing is sent.
  EXPECT_EQ(SendMail(3, {u"a@b.c"}, u"x", u"y"), MAPI_E_NOT_FOUND);
  // Each step can be refused, with the code the script gives; the refusal is used up.
  for (const char* step : {"logon", "openstore", "openentry", "modifyrecipients", "write", "submit"}) {
    ce::device::ScriptRefusal(std::string("mapi.") + step, static_cast<std::int64_t>(E_OUTOFMEMORY), false);
    EXPECT_EQ(SendMail(0, {u"a@b.c"}, u"x", u"y"), E_OUTOFMEMORY) << step;
  }
  EXPECT_EQ(ce::device::Effects("mail").size(), 1u);
  EXPECT_EQ(SendMail(0, {u"a@b.c"}, u"x", u"y"), S_OK);
}

TEST_F(MessagingTest, SmsRefusedWithoutNetworkAndForBadArguments) {
  ce::device::SetInt("radio.power", 0);
  EXPECT_EQ(SendSms(u"600", u"x"), SMS_E_NOTREADY);
  ce::device::SetInt("radio.power", 1);

  SMS_HANDLE h = 0;
  EXPECT_EQ(SmsOpen(u"Other Protocol", SMS_MODE_SEND, &h, nullptr), SMS_E_INVALIDPROTOCOL);
  ASSERT_EQ(SmsOpen(SMS_MSGTYPE_TEXT, SMS_MODE_SEND, &h, nullptr), S_OK);
  SMS_ADDRESS unterminated;
  unterminated.smsatAddressType = SMSAT_UNKNOWN;
  for (auto& c : unterminated.ptsAddress) c = u'6';
  const char16_t text[] = u"x";
  EXPECT_EQ(SmsSendMessage(h, nullptr, &unterminated, nullptr, reinterpret_cast<const BYTE*>(text), 2, nullptr, 0,
                           SMSDE_OPTIMAL, 0, nullptr),
            E_INVALIDARG);
  SMS_ADDRESS to{SMSAT_UNKNOWN, u"600"};
  EXPECT_EQ(SmsSendMessage(h, nullptr, &to, nullptr, reinterpret_cast<const BYTE*>(text), 3, nullptr, 0, SMSDE_OPTIMAL,
                           0, nullptr),
            E_INVALIDARG);  // half a character
  EXPECT_EQ(SmsClose(h), S_OK);
  EXPECT_EQ(SmsClose(h), E_INVALIDARG);
  EXPECT_TRUE(ce::device::Effects("sms").empty());
}

}  // namespace
