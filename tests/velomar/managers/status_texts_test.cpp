// The managers' names and status texts are composed ids (EVENT_LOG_MGR_<word>_NAME and
// EVENT_LOG_MGR_<word>_STATUS_<state>): every one must be in each shipped language file, and the
// managers must answer the file's text for it.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/text/utf.h"
#include "tests/velomar/managers/manager_fixture.h"
#include "velomar/core/managers/BandMgr.h"
#include "velomar/core/managers/BeamMgr.h"
#include "velomar/core/managers/CallForwardMgr.h"
#include "velomar/core/managers/ConnectionsMgr.h"
#include "velomar/core/managers/MobilePhoneMgr.h"
#include "velomar/core/managers/SpeakerMgr.h"
#include "velomar/data/DataInstall.h"
#include "velomar/ui/Translator.h"

namespace {

struct ManagerTexts {
  const char* word;
  std::vector<const char*> states;  // empty: the manager has a name only
};

const ManagerTexts kTexts[] = {
    {"SPEAKER", {"ON", "OFF", "VIBRATE"}}, {"BEAM", {"ON", "OFF"}}, {"CALLFORWARD", {"ON", "OFF"}},
    {"CPU", {}},                          {"BACKLIGHT", {}},                        {"WIFI", {"ON", "OFF"}},
    {"BT", {"OFF", "CONNECTABLE", "DISCOVERABLE"}}, {"PHONE", {"ON", "OFF"}}, {"BAND", {"AUTO", "2G", "3G"}},
    {"CONNECTIONS", {"DISABLED", "OFF", "ON"}},
};

TEST(StatusTextsTest, EveryComposedIdIsInEachLanguageFile) {
  for (const char* file : {"english.xml", "spanish.xml"}) {
    SCOPED_TRACE(file);
    std::ifstream in(velomar::DataSourceFolder() / "traductions" / file);
    const std::string text((std::istreambuf_iterator<char>(in)), {});
    ASSERT_FALSE(text.empty());
    for (const auto& m : kTexts) {
      std::vector<std::string> ids = {std::string("EVENT_LOG_MGR_") + m.word + "_NAME"};
      for (const char* state : m.states) ids.push_back(std::string("EVENT_LOG_MGR_") + m.word + "_STATUS_" + state);
      for (const auto& id : ids) EXPECT_NE(text.find("id=\"" + id + "\""), std::string::npos) << id;
    }
  }
}

class ManagerStatusTextTest : public velomar_test::ManagerTest {};

TEST_F(ManagerStatusTextTest, ManagersAnswerTheTranslatedTextOrUnknown) {
  CSpeakerMgr speaker;
  CBeamMgr beam;
  CCallForwardMgr forward;
  CMobilePhoneMgr phone;
  CBandMgr band;
  CConnectionsMgr connections;
  CTranslator* texts = CTranslator::GetInstance();
  const struct {
    CMgr* mgr;
    int status;
    const char16_t* id;  // null: "unknown", untranslated
  } cases[] = {
      {&speaker, 2, u"EVENT_LOG_MGR_SPEAKER_STATUS_ON"},   {&speaker, 1, u"EVENT_LOG_MGR_SPEAKER_STATUS_VIBRATE"},
      {&speaker, 0, u"EVENT_LOG_MGR_SPEAKER_STATUS_OFF"},  {&speaker, -1, nullptr},
      {&beam, 1, u"EVENT_LOG_MGR_BEAM_STATUS_ON"},         {&beam, 0, u"EVENT_LOG_MGR_BEAM_STATUS_OFF"},
      {&beam, 7, nullptr},                                 {&forward, 0, u"EVENT_LOG_MGR_CALLFORWARD_STATUS_OFF"},
      {&forward, 3, u"EVENT_LOG_MGR_CALLFORWARD_STATUS_ON"},
      {&phone, 0, u"EVENT_LOG_MGR_PHONE_STATUS_ON"},       {&phone, 1, u"EVENT_LOG_MGR_PHONE_STATUS_OFF"},
      {&phone, -1, u"EVENT_LOG_MGR_PHONE_STATUS_OFF"},     {&band, 0, u"EVENT_LOG_MGR_BAND_STATUS_AUTO"},
      {&band, 1, u"EVENT_LOG_MGR_BAND_STATUS_2G"},         {&band, 2, u"EVENT_LOG_MGR_BAND_STATUS_3G"},
      {&band, -1, nullptr},
      {&connections, 0, u"EVENT_LOG_MGR_CONNECTIONS_STATUS_DISABLED"},
      {&connections, 1, u"EVENT_LOG_MGR_CONNECTIONS_STATUS_OFF"},
      {&connections, 2, u"EVENT_LOG_MGR_CONNECTIONS_STATUS_ON"},
      {&connections, -1, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.status);
    EXPECT_EQ(c.mgr->GetStatusText(c.status), c.id ? texts->GetText(c.id) : std::u16string(u"unknown"));
  }
  for (CMgr* mgr : {static_cast<CMgr*>(&speaker), static_cast<CMgr*>(&beam), static_cast<CMgr*>(&forward),
                    static_cast<CMgr*>(&phone), static_cast<CMgr*>(&band), static_cast<CMgr*>(&connections)}) {
    StopWhileDriving([&] { mgr->Stop(); });
  }
}

}  // namespace
