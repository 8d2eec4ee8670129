// The connections page: the device's connections listed, the preferred one chosen through the
// connections manager, the idle close and its seconds written when the page is left.
#include <gtest/gtest.h>

#include "platform/device/device.h"
#include "tests/velomar/dialogs/option_pages_fixture.h"
#include "velomar/core/Config.h"
#include "velomar/dialogs/PropertyPageConnections.h"

namespace dialogs_test {
namespace {

class ConnectionsPageTest : public OptionPagesTest {
 protected:
  void RunOnPage(std::vector<ce::scripted::Step> steps) {
    CPropertySheetOptions sheet(nullptr);
    sheet.CreatePages();
    int index = -1;
    for (std::size_t i = 0; i < sheet.GetPages().size(); ++i)
      if (dynamic_cast<CPropertyPageConnections*>(sheet.GetPages()[i])) index = static_cast<int>(i);
    ASSERT_GE(index, 0);
    User().AnswerDialog(std::move(steps));
    sheet.DoModal(index);
  }
  static CConfig* Config() { return CConfig::GetInstance(); }
};

TEST_F(ConnectionsPageTest, PreferredConnectionAndIdleCloseAreWritten) {
  ASSERT_TRUE(ce::device::PutConnection({"Work GPRS", "{AAAAAAAA-BBBB-CCCC-DDDD-EEEEEEEEEEEE}", 0, 0, 0}));
  m_connections->Initialize();
  ASSERT_GE(m_connections->GetConnections().size(), 2u);
  Config()->SetDWORD(u"activate_idle", 0);
  Config()->SetDWORD(u"seconds_idle", 60);
  Config()->SetString(u"connection_prefered", u"");
  RunOnPage({SetText(1024, u"Work GPRS"), Check(1009, true), SetText(1032, u"45"), Click(IDOK)});
  EXPECT_EQ(Config()->GetString(u"connection_prefered"), u"Work GPRS");
  EXPECT_EQ(Config()->GetDWORD(u"activate_idle"), 1u);
  EXPECT_EQ(Config()->GetDWORD(u"seconds_idle"), 45u);

  // The empty first entry matches no connection: the stored name stays. Unchecked, the close is
  // switched off when the page is left; the seconds are kept.
  RunOnPage({SetText(1024, u""), Check(1009, false), Click(IDOK)});
  EXPECT_EQ(Config()->GetString(u"connection_prefered"), u"Work GPRS");
  EXPECT_EQ(Config()->GetDWORD(u"activate_idle"), 0u);
  EXPECT_EQ(Config()->GetDWORD(u"seconds_idle"), 45u);
}

}  // namespace
}  // namespace dialogs_test
