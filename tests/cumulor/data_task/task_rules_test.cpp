#include <string>

#include "cumulor/app/base/xml_node.h"
#include "task_fixture.h"

namespace cumulor {
namespace {

std::string SavedText() {
  XmlNode settings("Settings");
  TaskRulesSave(settings);
  const char* text = settings.GetChildText("Rules");
  return text != nullptr ? text : "";
}

int Load(const char* text) {
  XmlNode settings("Settings");
  XmlNode* group = settings.AddChild("Group");
  if (text != nullptr) group->AddChildString("Rules", text);
  return TaskRulesLoad(settings);
}

TEST_F(TaskTest, DefaultRulesAndTheirStoredText) {
  const TaskRules& r = Rules();
  EXPECT_EQ(r.rule[kRuleStart].type, kGateLine);
  EXPECT_EQ(r.rule[kRuleStart].width, 1000);
  EXPECT_EQ(r.rule[kRuleOnTask].type, kGateSector90);
  EXPECT_EQ(r.rule[kRuleOnTask].width, 500);
  EXPECT_EQ(r.rule[kRuleFinish].type, kGateLine);
  EXPECT_EQ(r.rule[kRuleFinish].width, 1000);
  for (const TaskRule& rule : r.rule) EXPECT_EQ(rule.altitude, 17500);
  const std::string text = SavedText();
  EXPECT_EQ(text.rfind("264,4,0,0,0,232,3,0,0,0,0,0,0,92,68,0,0", 0), 0u) << text;
  int commas = 0;
  for (char c : text) commas += c == ',';
  EXPECT_EQ(commas, 264);
}

TEST_F(TaskTest, RulesImageIsLittleEndianFieldByFieldAndReadsBack) {
  TaskRule& start = Rules().rule[kRuleStart];
  start.type = kGateTwoStarts;
  start.bearing = -2;
  start.pointA = TaskPoint{4, 7, -36000, 180000, 100, 2000, 350, -10};
  start.pointBPosition = GeoPoint{-5, 0x01020304};
  std::uint8_t image[kTaskRulesImageSize];
  TaskRulesToImage(Rules(), image);
  EXPECT_EQ(image[8], 0xFE);   // bearing -2
  EXPECT_EQ(image[11], 0xFF);
  EXPECT_EQ(image[16], 4);     // point_a kind
  EXPECT_EQ(image[20], 7);     // point_a index
  EXPECT_EQ(image[40], 350 & 0xFF);  // start radial, 16 bits
  EXPECT_EQ(image[41], 350 >> 8);
  EXPECT_EQ(image[42], 0xF6);  // end radial -10
  EXPECT_EQ(image[43], 0xFF);
  EXPECT_EQ(image[84], 4);     // point_b position latitude
  EXPECT_EQ(image[87], 1);
  EXPECT_EQ(image[88], 1);     // on-task rule type at 88
  const TaskRules saved = Rules();
  const std::string text = SavedText();
  Rules() = TaskRules{};
  ASSERT_EQ(Load(text.c_str()), 1);
  std::uint8_t again[kTaskRulesImageSize];
  TaskRulesToImage(Rules(), again);
  EXPECT_EQ(0, std::memcmp(image, again, sizeof image));
  EXPECT_EQ(Rules().rule[kRuleStart].pointA.endRadial, -10);
  EXPECT_EQ(Rules().rule[kRuleStart].pointBPosition.lon, saved.rule[kRuleStart].pointBPosition.lon);
}

TEST_F(TaskTest, RulesLoadKeepsTheRecordForWrongCountsAndStopsAtAByteAbove255) {
  EXPECT_EQ(Load(nullptr), 0);
  Rules().rule[kRuleStart].bearing = 77;
  std::uint8_t before[kTaskRulesImageSize];
  TaskRulesToImage(Rules(), before);
  std::string text263 = "263";
  for (int i = 0; i < 263; ++i) text263 += ",9";
  EXPECT_EQ(Load(text263.c_str()), 1);  // a text exists, whatever it holds
  std::uint8_t after[kTaskRulesImageSize];
  TaskRulesToImage(Rules(), after);
  EXPECT_EQ(0, std::memcmp(before, after, sizeof before));

  // 300 at byte 10: bytes 0 to 9 from the text, the rest as before.
  std::string text = "264";
  for (int i = 0; i < 264; ++i) text += i == 10 ? ",300" : ",1";
  EXPECT_EQ(Load(text.c_str()), 1);
  TaskRulesToImage(Rules(), after);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(after[i], 1) << i;
  for (int i = 10; i < kTaskRulesImageSize; ++i) EXPECT_EQ(after[i], before[i]) << i;
  EXPECT_EQ(Rules().rule[kRuleStart].bearing, 0x0101);  // bytes 8, 9 from the text, 10, 11 kept
}

}  // namespace
}  // namespace cumulor
