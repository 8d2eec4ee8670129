// The message manager on the simulated device: mail composed in the chosen message store, the
// store list, refusals at every message-store step, and text messages.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "platform/device/device.h"
#include "platform/kernel/device_folder.h"
#include "platform/text/utf.h"
#include "tests/velomar/managers/manager_fixture.h"
#include "velomar/core/managers/MessageMgr.h"

namespace {

TEST(MessageAddressesTest, SplitsAtSemicolonsAndBlanks) {
  const struct {
    std::u16string to;
    std::vector<std::u16string> addresses;
  } cases[] = {
      {u"a@x.org; b@y.org", {u"a@x.org", u"b@y.org"}},
      {u"   a@x.org", {u"a@x.org"}},
      {u"", {}},
      {u" ; ;", {}},
      {u"a@x.org trailing;b@y.org;", {u"a@x.org", u"b@y.org"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(ce::text::ToUtf8(c.to));
    EXPECT_EQ(velomar::messages::SplitAddresses(c.to), c.addresses);
  }
}

class MessageMgrTest : public velomar_test::ManagerTest {
 protected:
  void SetUp() override {
    ManagerTest::SetUp();
    SetSetting(u"events_log_write_to_file", 1);
    StartEventLog();
    ce::device::SetText("mail.accounts", "ActiveSync;Outlook E-mail;Work");
    ce::device::ClearEffects();
  }
  void TearDown() override {
    StopWhileDriving([&] { m_mgr.Stop(); });
    ManagerTest::TearDown();
  }
  static std::string LogText() {
    std::ifstream in(ce::DeviceRootFolder() / "Program Files/Velomar/log.txt", std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), {});
    std::u16string wide;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
      wide.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                           (static_cast<unsigned char>(bytes[i + 1]) << 8)));
    return ce::text::ToUtf8(wide);
  }
  bool LogHolds(const std::string& text) {
    return DriveUntilReal([&] { return LogText().find(text) != std::string::npos; });
  }
  CMessageMgr m_mgr;
};

TEST_F(MessageMgrTest, MailGoesOutFromTheChosenStoreWithItsRecipientsAndFlags) {
  EXPECT_EQ(CMessageMgr::GetInstance(), &m_mgr);
  m_mgr.SendMail(u"a@x.org; b@y.org", u"Hello", u"Body text", 1);
  auto mails = ce::device::Effects("mail");
  ASSERT_EQ(mails.size(), 1u);
  EXPECT_EQ(mails[0].account, "Outlook E-mail");
  EXPECT_EQ(mails[0].target, "a@x.org;b@y.org");
  EXPECT_EQ(mails[0].subject, "Hello");
  EXPECT_EQ(mails[0].body, "Body text");
  EXPECT_EQ(mails[0].value, 0x28);
  EXPECT_TRUE(LogHolds("Mail to a@x.org; b@y.org")) << LogText();

  // Without a subject or recipients the mail is still composed, in the last store.
  m_mgr.SendMail(u"", u"", u"x", 2);
  mails = ce::device::Effects("mail");
  ASSERT_EQ(mails.size(), 2u);
  EXPECT_EQ(mails[1].account, "Work");
  EXPECT_EQ(mails[1].target, "");
  EXPECT_EQ(mails[1].subject, "");
}

TEST_F(MessageMgrTest, AStoreOutsideTheTableSendsNothing) {
  for (int index : {3, 40, -1}) {
    SCOPED_TRACE(index);
    m_mgr.SendMail(u"a@x.org", u"s", u"b", index);
  }
  ce::device::SetText("mail.accounts", "");
  m_mgr.SendMail(u"a@x.org", u"s", u"b", 0);
  EXPECT_TRUE(ce::device::Effects("mail").empty());
}

TEST_F(MessageMgrTest, ARefusalAtAnyStepEndsTheMailCleanly) {
  for (const char* step : {"logon", "storestable", "queryrows", "openstore", "getprops", "openentry", "createmessage",
                           "modifyrecipients", "setprops", "openproperty", "write", "submit"}) {
    SCOPED_TRACE(step);
    ASSERT_TRUE(ce::device::ScriptRefusal(std::string("mapi.") + step, 0, true));
    m_mgr.SendMail(u"a@x.org", u"s", u"b", 1);
    EXPECT_TRUE(ce::device::Effects("mail").empty());
    for (const auto& entry : ce::device::Script()) EXPECT_EQ(entry.refusals, 0) << "the step was not reached";
    ce::device::ClearScript();
  }
  m_mgr.SendMail(u"a@x.org", u"s", u"b", 1);
  EXPECT_EQ(ce::device::Effects("mail").size(), 1u);
}

TEST_F(MessageMgrTest, AccountsAreTheStoreNamesInTableOrder) {
  std::vector<std::u16string> accounts;
  m_mgr.EnumAccounts(&accounts);
  EXPECT_EQ(accounts, (std::vector<std::u16string>{u"ActiveSync", u"Outlook E-mail", u"Work"}));
  // A refused store open ends the list where it is.
  ASSERT_TRUE(ce::device::ScriptRefusal("mapi.openstore", 0, true));
  accounts.clear();
  m_mgr.EnumAccounts(&accounts);
  EXPECT_TRUE(accounts.empty());
}

TEST_F(MessageMgrTest, TextMessageCarriesNumberTextAndClassOne) {
  ce::device::SetInt("radio.power", 1);
  ce::device::SetInt("radio.registered", 1);
  m_mgr.SendSMS(u"+34600111222", u"On my way");
  const auto sms = ce::device::Effects("sms");
  ASSERT_EQ(sms.size(), 1u);
  EXPECT_EQ(sms[0].target, "+34600111222");
  EXPECT_EQ(sms[0].body, "On my way");
  EXPECT_EQ(sms[0].value, 1);
  EXPECT_TRUE(LogHolds("SMS to +34600111222")) << LogText();
  EXPECT_EQ(LogText().find("WARNING"), std::string::npos) << LogText();
}

TEST_F(MessageMgrTest, ATextMessageThatDoesNotLeaveIsLoggedAsAWarning) {
  const struct {
    const char* what;
    std::function<void()> arrange;
    const char* code;
  } cases[] = {
      {"the open refused", [] { ASSERT_TRUE(ce::device::ScriptRefusal("sms.open", 0, true)); }, "0x80004005"},
      {"no network (the SIM locked)", [] { ce::device::SetInt("radio.registered", 0); }, "0x"},
      {"the send refused", [] { ASSERT_TRUE(ce::device::ScriptRefusal("sms.send", 0x80070070, false)); }, "0x80070070"},
  };
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ce::device::SetInt("radio.power", 1);
    ce::device::SetInt("radio.registered", 1);
    c.arrange();
    const std::string number = "60000000" + std::to_string(++n);
    m_mgr.SendSMS(ce::text::FromUtf8(number), u"text");
    EXPECT_TRUE(ce::device::Effects("sms").empty());
    EXPECT_TRUE(LogHolds("WARNING. SMS to " + number + " failed. The text message to " + number +
                         " could not be sent (error " + c.code))
        << LogText();
  }
}

}  // namespace
