// The event detail dialog stepping through the log while other threads add and clear events, and
// the event log options.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "teskautils/teskautils_seam.h"
#include "tests/velomar/dialogs/dialog_fixture.h"
#include "velomar/core/Config.h"
#include "velomar/dialogs/EventLogDialogs.h"

namespace dialogs_test {
namespace {

class EventDialogsTest : public DialogTest {
 protected:
  static void Add(int n) {
    const std::u16string text = u"event " + ce::text::FromUtf8(std::to_string(n));
    CEventLog::AddEvent(0, n % 6, text.c_str(), (text + u" in full").c_str());
  }
  static std::vector<std::u16string> Fields() { return LastShown(ce::scripted::Kind::kDialog).texts; }
};

TEST_F(EventDialogsTest, DetailStepsThroughTheLogAndStaysAtItsEnds) {
  for (int n = 0; n < 3; ++n) Add(n);  // index 0 is the newest: "event 2"
  CDialogEventLogDetail at_newest(nullptr, 189, 0);
  User().AnswerDialog({Click(1058), Click(IDCANCEL)});  // newer than the newest: nothing
  EXPECT_EQ(at_newest.DoModal(), 2);
  EXPECT_EQ(at_newest.GetIndex(), 0);
  ASSERT_TRUE(at_newest.GetShown());
  EXPECT_EQ(at_newest.GetShown()->GetResume(), u"event 2");
  const auto fields = Fields();  // as the dialog opened
  for (const std::u16string field : {u"2026-06-01 12:00:00", u"INFO", u"event 2 in full", u"event 2"})
    EXPECT_NE(std::find(fields.begin(), fields.end(), field), fields.end()) << ce::text::ToUtf8(field);

  CDialogEventLogDetail walk(nullptr, 190, 1);
  User().AnswerDialog({Click(1057), Click(1057), Click(1057), Click(IDOK)});  // older, then stays at the last
  EXPECT_EQ(walk.DoModal(), 1);
  EXPECT_EQ(walk.GetIndex(), 2);
  EXPECT_EQ(walk.GetShown()->GetResume(), u"event 0");
  EXPECT_EQ(walk.GetShown()->GetDescription(), u"event 0 in full");

  // Beyond the log: nothing shown, and the buttons still move from that index.
  CDialogEventLogDetail beyond(nullptr, 191, 7);
  User().AnswerDialog({Click(1058), Click(IDCANCEL)});
  EXPECT_EQ(beyond.DoModal(), 2);
  EXPECT_EQ(beyond.GetIndex(), 6);
  EXPECT_FALSE(beyond.GetShown());
}

TEST_F(EventDialogsTest, DetailOnItsOwnThreadWhileTheLogGrowsAndIsCleared) {
  for (int n = 0; n < 20; ++n) Add(n);
  std::vector<ce::scripted::Step> steps;
  for (int i = 0; i < 150; ++i) steps.push_back(Click(i % 3 == 2 ? 1058 : 1057));
  steps.push_back(Click(IDCANCEL));
  User().AnswerDialog(steps);
  std::atomic<bool> done{false};
  INT_PTR result = 0;
  std::optional<CEventRecord> last;
  std::thread viewer([&] {
    CDialogEventLogDetail dialog(nullptr, 189, 0);
    result = dialog.DoModal();
    last = dialog.GetShown();
    done = true;
  });
  // The writer starts once the dialog is open on a record: started at once, it could end with its
  // last clear before a slow start of the dialog, which then had nothing to show.
  std::thread writer([&] {
    ASSERT_TRUE(User().WaitShown(ce::scripted::Kind::kDialog, 1, std::chrono::seconds(60)));
    for (int n = 0; n < 1000; ++n) {
      Add(n);
      if (n % 250 == 249) CEventLog::GetInstance()->Clear();
    }
  });
  writer.join();
  viewer.join();
  EXPECT_TRUE(done);
  EXPECT_EQ(result, 2);
  ASSERT_TRUE(last);  // a copy of its own, whatever the log did meanwhile
  EXPECT_EQ(last->GetResume().rfind(u"event ", 0), 0u);
}

TEST_F(EventDialogsTest, OptionsWriteOnlyPositiveNumbersAndAlwaysAskForARestart) {
  SetSetting(u"events_log_items_screen", 200);
  SetSetting(u"events_log_file_max_size", 500);
  SetSetting(u"events_log_write_to_file", 0);
  SetSetting(u"events_log_path", std::u16string(u"\\log.txt"));
  struct Case {
    std::u16string items, size;
    DWORD want_items, want_size;
  } cases[] = {{u"0", u"-3", 200, 500}, {u"abc", u"", 200, 500}, {u"20000", u"120", 20000, 120},
               {u"99999999", u"7", 99999999, 7}};
  for (const auto& c : cases) {
    CDialogEventLogOptions dialog(nullptr, 186);
    User().AnswerDialog({SetText(1131, c.items), SetText(1133, c.size), Check(1135, true),
                         SetText(1145, u"\\My Documents\\events.txt"), Click(IDOK)});
    EXPECT_EQ(dialog.DoModal(), 1);
    CConfig* config = CConfig::GetInstance();
    EXPECT_EQ(config->GetDWORD(u"events_log_items_screen"), c.want_items);
    EXPECT_EQ(config->GetDWORD(u"events_log_file_max_size"), c.want_size);
    EXPECT_EQ(config->GetDWORD(u"events_log_write_to_file"), 1u);
    EXPECT_EQ(config->GetString(u"events_log_path"), u"\\My Documents\\events.txt");
    const auto boxes = teskautils::seam::TakeShownBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, T(u"RESTART TO APPLY"));
    SetSetting(u"events_log_items_screen", 200);
    SetSetting(u"events_log_file_max_size", 500);
  }
  // Browse fills the path from the save chooser; cancel keeps every setting.
  CDialogEventLogOptions browse(nullptr, 188);
  User().AnswerSaveFile(u"\\Storage Card\\velomar.txt");
  User().AnswerDialog({Click(1057), Click(IDOK)});
  EXPECT_EQ(browse.DoModal(), 1);
  EXPECT_EQ(CConfig::GetInstance()->GetString(u"events_log_path"), u"\\Storage Card\\velomar.txt");
  teskautils::seam::TakeShownBoxes();
  CDialogEventLogOptions cancelled(nullptr, 187);
  User().AnswerDialog({Check(1135, false), SetText(1131, u"60"), Click(IDCANCEL)});
  EXPECT_EQ(cancelled.DoModal(), 2);
  EXPECT_EQ(CConfig::GetInstance()->GetDWORD(u"events_log_write_to_file"), 1u);
  EXPECT_EQ(CConfig::GetInstance()->GetDWORD(u"events_log_items_screen"), 200u);
  EXPECT_TRUE(teskautils::seam::TakeShownBoxes().empty());
}

}  // namespace
}  // namespace dialogs_test
