// Every dialog in every screen mode, in English and Spanish: no shown text (caption, controls,
// soft keys and their menu) is "????", every control lies inside the dialog below its caption band,
// and a screenshot of each is written for a person to look at.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "platform/text/utf.h"
#include "tests/velomar/dialogs/dialog_fixture.h"
#include "tests/velomar/dialogs/dialog_shot.h"
#include "velomar/data/DataInstall.h"
#include "velomar/dialogs/DialogAbout.h"
#include "velomar/dialogs/DialogAddLocation.h"
#include "velomar/dialogs/DialogAddPlace.h"
#include "velomar/dialogs/DialogChooseFile.h"
#include "velomar/dialogs/DialogChooseList.h"
#include "velomar/dialogs/DialogMessage.h"
#include "velomar/dialogs/DialogRing.h"
#include "velomar/dialogs/DialogSoundLevel.h"
#include "velomar/dialogs/DialogTextViewer.h"
#include "velomar/dialogs/DialogTheme.h"
#include "velomar/dialogs/DialogTimeFrame.h"
#include "velomar/dialogs/DialogWeek.h"
#include "velomar/dialogs/EventLogDialogs.h"
#include "velomar/dialogs/ScreenMode.h"
#include "velomar/dialogs/ValueDialogs.h"
#include "velomar/places/Records.h"
#include "velomar/ui/Skin.h"

namespace dialogs_test {
namespace {

using Made = std::pair<std::unique_ptr<CBaseDialog>, ShotData*>;
template <class D, class... Args>
Made Make(Args&&... args) {
  auto dialog = std::make_unique<Shot<D>>(std::forward<Args>(args)...);
  ShotData* data = dialog.get();
  return {std::move(dialog), data};
}

struct Entry {
  const char* name;
  std::function<Made(int mode)> make;
};

CStrPeriod g_period;
CStrPlace g_place;
const WCHAR kFilter[] = u"All files\0*.*\0";

UINT By(int mode, UINT p, UINT l, UINT s) { return velomar::dialogs::TemplateForMode(mode, p, l, s); }

std::vector<Entry> Dialogs() {
  return {
      {"about", [](int m) { return Make<CDialogAbout>(nullptr, By(m, 115, 116, 135)); }},
      {"add_location", [](int) { return Make<CDialogAddLocation>(nullptr, 167u, 1); }},
      {"time_frame", [](int m) { return Make<CDialogTimeFrame>(nullptr, By(m, 127, 118, 141), &g_period, 1); }},
      {"add_place",
       [](int m) { return Make<CDialogAddPlace>(nullptr, By(m, 107, 108, 139), &g_place, 1, nullptr); }},
      {"backlight",
       [](int) {
         auto made = Make<CDialogBacklight>(nullptr, 163u);
         static_cast<CDialogBacklight*>(made.first.get())->m_batteryLevel = 3;
         return made;
       }},
      {"call_forward", [](int) { return Make<CDialogCallForward>(nullptr, 161u); }},
      {"custom_time", [](int) { return Make<CDialogCustomTime>(nullptr, 143u); }},
      {"choose_place", [](int m) { return Make<CDialogChooseList>(nullptr, By(m, 153, 154, 155)); }},
      {"choose_icon", [](int m) { return Make<CDialogChooseIcon>(nullptr, By(m, 153, 154, 155)); }},
      {"choose_file", [](int) { return Make<CDialogChooseFile>(nullptr, kFilter); }},
      {"event_detail", [](int m) { return Make<CDialogEventLogDetail>(nullptr, By(m, 189, 190, 191), 0); }},
      {"event_options", [](int m) { return Make<CDialogEventLogOptions>(nullptr, By(m, 186, 188, 187)); }},
      {"message",
       [](int m) {
         auto made = Make<CDialogMessage>(nullptr, By(m, 157, 158, 159), 1);
         static_cast<CDialogMessage*>(made.first.get())->m_recipient = u"+34600111222";
         return made;
       }},
      {"ring",
       [](int) {
         auto made = Make<CDialogRing>(nullptr, 165u);
         static_cast<CDialogRing*>(made.first.get())->m_volume = 3;
         static_cast<CDialogRing*>(made.first.get())->SetRingScript(u"av3w3r");
         return made;
       }},
      {"text_viewer",
       [](int m) {
         return Make<CDialogTextViewer>(nullptr, By(m, 177, 179, 178), std::u16string(u"Changes"),
                                        std::u16string(u"\\Program Files\\Velomar\\changesQXT.txt"));
       }},
      {"theme", [](int) { return Make<CDialogTheme>(nullptr, 164u); }},
      {"week", [](int) { return Make<CDialogWeek>(nullptr, 160u, 10000000); }},
      {"sound_level", [](int) { return Make<CDialogSoundLevel>(nullptr, 162u); }},
  };
}

class ShownTextsTest : public DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    ASSERT_TRUE(velomar::InstallThemes());
    ASSERT_TRUE(velomar::InstallHelpTexts());
    SetSetting(u"theme", std::u16string(u"default"));
    SetSetting(u"current_version", std::u16string(u"2.4"));
    CEventLog::AddEvent(0, 2, u"Wi-Fi: On", u"The status of Wi-Fi changed from Off to On");
  }
  void TearDown() override {
    velomar::seam::ResetSkin();
    DialogTest::TearDown();
  }
};

TEST_F(ShownTextsTest, EveryDialogIsTranslatedAndFitsInEveryModeAndLanguage) {
  const std::pair<int, ce::display::ScreenSize> modes[] = {
      {0, ce::display::kPortrait}, {1, ce::display::kLandscape}, {2, ce::display::kSquare}};
  const char* mode_names[] = {"portrait", "landscape", "square"};
  for (const std::u16string language : {u"en", u"es"}) {
    UseLanguage(language);
    for (const auto& [mode, size] : modes) {
      ASSERT_TRUE(ce::display::SetScreenSize(size));
      velomar::seam::ResetSkin();
      ASSERT_EQ(velomar::dialogs::ScreenMode(), mode);
      for (const Entry& entry : Dialogs()) {
        SCOPED_TRACE(std::string(entry.name) + " " + mode_names[mode] + " " + ce::text::ToUtf8(language));
        auto [dialog, data] = entry.make(mode);
        data->file = std::filesystem::path(DIALOG_SCREENSHOT_DIR) /
                     (std::string(entry.name) + "_" + mode_names[mode] + "_" + ce::text::ToUtf8(language) + ".png");
        User().Reset();
        User().AnswerDialog({End(2)});
        EXPECT_NE(dialog->DoModal(), -1);
        ASSERT_TRUE(data->seen);
        const auto shown = LastShown(ce::scripted::Kind::kDialog);
        std::vector<std::u16string> texts = shown.texts;
        texts.push_back(shown.title);
        texts.insert(texts.end(), data->keyTexts.begin(), data->keyTexts.end());
        for (const auto& text : texts) EXPECT_EQ(text.find(u"????"), std::u16string::npos) << ce::text::ToUtf8(text);
        EXPECT_TRUE(data->cutControls.empty()) << data->cutControls.front();
      }
    }
  }
}

}  // namespace
}  // namespace dialogs_test
