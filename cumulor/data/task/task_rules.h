// The task rules: how the start, the turnpoints (on task) and the finish are judged. The record's
// stored form is a fixed 264-byte little-endian image (three rules of 88 bytes), kept in the
// settings element "Rules" as a byte-list text.
#pragma once

#include <cstdint>

#include "cumulor/app/base/geo_point.h"
#include "cumulor/data/task/task_point.h"

namespace cumulor {

class XmlNode;

enum GateType : std::int32_t {
  kGateNone = 0,
  kGateSector90 = 1,
  kGateCylinder = 2,
  kGateTwoStarts = 3,   // start only: point_a in use, point_b the alternative
  kGateLine = 4,        // line across the first (start) or last (finish) leg
  kGateBearingLine = 5, // line along the bearing field
  kGateDaecSector = 6,  // on task only
};

enum TaskRuleIndex : std::int32_t { kRuleStart = 0, kRuleOnTask = 1, kRuleFinish = 2, kRuleCount = 3 };

struct TaskRule {
  std::int32_t type = 0;      // GateType
  std::int32_t width = 0;     // gate width, or the sector or cylinder radius, metres
  std::int32_t bearing = 0;   // whole degrees (bearing line)
  std::int32_t altitude = 0;  // altitude limit, feet
  TaskPoint pointA;           // start rule only: the two alternative starts
  TaskPoint pointB;
  GeoPoint pointAPosition;
  GeoPoint pointBPosition;
};

struct TaskRules {
  TaskRule rule[kRuleCount];
};

inline constexpr std::int32_t kTaskPointImageSize = 28;
inline constexpr std::int32_t kTaskRuleImageSize = 88;
inline constexpr std::int32_t kTaskRulesImageSize = 3 * kTaskRuleImageSize;

TaskRules& Rules();

// The stored image, field by field, little-endian (radials as 16 bits).
void TaskRulesToImage(const TaskRules& rules, std::uint8_t image[kTaskRulesImageSize]);
void TaskRulesFromImage(TaskRules& rules, const std::uint8_t image[kTaskRulesImageSize]);

// Start Line 1000 m, on task 90-degree sector 500 m, finish Line 1000 m, limits 17500 ft; bearings
// kept; the start's two points emptied (positions kept); then the gates are recomputed.
void TaskRulesDefaults();
// 1 when a descendant "Rules" with a text exists (whatever it holds), else 0. The record changes
// only when the text's count is 264; a value above 255 stops the filling, earlier bytes stay.
int TaskRulesLoad(const XmlNode& settings);
// Appends the child "Rules": "264" then each byte of the image after a comma.
void TaskRulesSave(XmlNode& settings);

// The most recent achieved point (task slot 25, first entry); false when none was achieved.
bool GetLastAchievedPoint(TaskPoint& out);

}  // namespace cumulor
