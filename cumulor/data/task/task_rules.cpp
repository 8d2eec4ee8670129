#include "cumulor/data/task/task_rules.h"

#include "cumulor/app/base/dyn_string.h"
#include "cumulor/app/base/number_text.h"
#include "cumulor/app/base/xml_node.h"
#include "cumulor/data/task/task_gates.h"
#include "cumulor/data/task/task_slots.h"

namespace cumulor {

namespace {

class ImageWriter {
 public:
  explicit ImageWriter(std::uint8_t* out) : out_(out) {}
  void Put32(std::int32_t value) {
    const auto v = static_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i) out_[at_++] = static_cast<std::uint8_t>(v >> (8 * i));
  }
  void Put16(std::int32_t value) {
    const auto v = static_cast<std::uint16_t>(value);
    out_[at_++] = static_cast<std::uint8_t>(v);
    out_[at_++] = static_cast<std::uint8_t>(v >> 8);
  }
  void PutPoint(const TaskPoint& p) {
    Put32(p.kind);
    Put32(p.index);
    Put32(p.lon);
    Put32(p.lat);
    Put32(p.minRadius);
    Put32(p.maxRadius);
    Put16(p.startRadial);
    Put16(p.endRadial);
  }

 private:
  std::uint8_t* out_;
  int at_ = 0;
};

class ImageReader {
 public:
  explicit ImageReader(const std::uint8_t* in) : in_(in) {}
  std::int32_t Get32() {
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= static_cast<std::uint32_t>(in_[at_++]) << (8 * i);
    return static_cast<std::int32_t>(v);
  }
  std::int32_t Get16() {
    const std::uint16_t v = static_cast<std::uint16_t>(in_[at_] | (in_[at_ + 1] << 8));
    at_ += 2;
    return static_cast<std::int16_t>(v);
  }
  void GetPoint(TaskPoint& p) {
    p.kind = Get32();
    p.index = Get32();
    p.lon = Get32();
    p.lat = Get32();
    p.minRadius = Get32();
    p.maxRadius = Get32();
    p.startRadial = Get16();
    p.endRadial = Get16();
  }

 private:
  const std::uint8_t* in_;
  int at_ = 0;
};

}  // namespace

TaskRules& Rules() {
  static TaskRules rules;
  return rules;
}

void TaskRulesToImage(const TaskRules& rules, std::uint8_t image[kTaskRulesImageSize]) {
  ImageWriter w(image);
  for (const TaskRule& r : rules.rule) {
    w.Put32(r.type);
    w.Put32(r.width);
    w.Put32(r.bearing);
    w.Put32(r.altitude);
    w.PutPoint(r.pointA);
    w.PutPoint(r.pointB);
    w.Put32(r.pointAPosition.lon);
    w.Put32(r.pointAPosition.lat);
    w.Put32(r.pointBPosition.lon);
    w.Put32(r.pointBPosition.lat);
  }
}

void TaskRulesFromImage(TaskRules& rules, const std::uint8_t image[kTaskRulesImageSize]) {
  ImageReader r(image);
  for (TaskRule& rule : rules.rule) {
    rule.type = r.Get32();
    rule.width = r.Get32();
    rule.bearing = r.Get32();
    rule.altitude = r.Get32();
    r.GetPoint(rule.pointA);
    r.GetPoint(rule.pointB);
    rule.pointAPosition.lon = r.Get32();
    rule.pointAPosition.lat = r.Get32();
    rule.pointBPosition.lon = r.Get32();
    rule.pointBPosition.lat = r.Get32();
  }
}

void TaskRulesDefaults() {
  static constexpr std::int32_t kTypes[kRuleCount] = {kGateLine, kGateSector90, kGateLine};
  static constexpr std::int32_t kWidths[kRuleCount] = {1000, 500, 1000};
  TaskRules& rules = Rules();
  for (int i = 0; i < kRuleCount; ++i) {
    rules.rule[i].type = kTypes[i];
    rules.rule[i].width = kWidths[i];
    rules.rule[i].altitude = 17500;
  }
  TaskPointInit(rules.rule[kRuleStart].pointA);
  TaskPointInit(rules.rule[kRuleStart].pointB);
  ComputeStartFinishGates();
}

int TaskRulesLoad(const XmlNode& settings) {
  const XmlNode* element = settings.FindNamed("Rules");
  if (element == nullptr) return 0;
  const char* text = element->GetText();
  if (text == nullptr) return 0;
  // The text fills a copy of the image, so that a value above 255 leaves the later bytes as
  // they were.
  std::uint8_t image[kTaskRulesImageSize];
  TaskRulesToImage(Rules(), image);
  TextToBytes(image, kTaskRulesImageSize, text);
  TaskRulesFromImage(Rules(), image);
  return 1;
}

void TaskRulesSave(XmlNode& settings) {
  std::uint8_t image[kTaskRulesImageSize];
  TaskRulesToImage(Rules(), image);
  DynString text;
  BytesToText(image, kTaskRulesImageSize, text);
  settings.AddChildString("Rules", text.CStr());
}

bool GetLastAchievedPoint(TaskPoint& out) {
  const DynArray<TaskPoint>& achieved = Tasks().slot[kAchievedSlot];
  if (achieved.Empty()) return false;
  out = achieved[0];
  return true;
}

}  // namespace cumulor
