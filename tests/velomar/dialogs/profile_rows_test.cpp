// The profiles page's action list and day bar worked out without a window: which stored actions
// are shown, removed or skipped, how they share rows, their texts and colours; the time frames'
// colours and stretches of the day; what each action command and popup stands for.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/text/utf.h"
#include "tests/velomar/dialogs/dialog_fixture.h"
#include "velomar/dialogs/ProfileActionMenus.h"
#include "velomar/dialogs/ProfileActionRows.h"
#include "velomar/dialogs/ProfileDayBar.h"

namespace dialogs_test {
namespace {

using namespace velomar::profiles;

class ProfileRowsTest : public DialogTest {
 protected:
  // An action as stored, with an object id of its own.
  CStrAction Act(int kind, int trigger, int value, const std::u16string& text = u"", int level = -1, int mask = 0) {
    CStrAction action;
    action.SetId(static_cast<CEOID>(++m_nextId));
    action.SetKind(kind);
    action.SetTrigger(trigger);
    action.SetIntOp1(value);
    action.SetIntOp2(mask);
    action.SetIntOp3(level);
    action.SetSzOp1(text);
    return action;
  }
  static CStrPeriod Frame(int key, int bh, int bm, int eh, int em) {
    CStrPeriod period;
    period.SetKey(key);
    SYSTEMTIME begin{}, end{};
    begin.wHour = static_cast<WORD>(bh);
    begin.wMinute = static_cast<WORD>(bm);
    end.wHour = static_cast<WORD>(eh);
    end.wMinute = static_cast<WORD>(em);
    period.SetBegin(begin);
    period.SetEnd(end);
    return period;
  }
  int m_nextId = 100;
};

TEST_F(ProfileRowsTest, ActionsShareARowPerKindUntilACellIsTaken) {
  const std::vector<CStrAction> actions = {
      Act(0, 0, 1),   // Wi-Fi on entering
      Act(1, 1, 0),   // Bluetooth off on leaving only
      Act(0, 1, 0),   // Wi-Fi off on leaving: the Wi-Fi row
      Act(0, 0, 0),   // a second Wi-Fi on entering: a row of its own
      Act(7, 0, 1),   // no text for kind 7: skipped, kept
      Act(11, 0, 0),  // vibrate off: stale
      Act(0, 1, 1),   // a second Wi-Fi on leaving: both kinds' maps hold Wi-Fi, so a new row
  };
  const ActionRows built = BuildActionRows(actions);
  ASSERT_EQ(built.rows.size(), 4u);
  EXPECT_EQ(built.rows[0].name, T(u"WIFI BUTTON"));
  EXPECT_EQ(built.rows[0].cells[0], T(u"ON"));
  EXPECT_EQ(built.rows[0].cells[1], T(u"OFF"));
  EXPECT_EQ(built.rows[0].ids[0], actions[0].GetId());
  EXPECT_EQ(built.rows[0].ids[1], actions[2].GetId());
  EXPECT_EQ(built.rows[1].name, T(u"BLUETOOTH BUTTON"));
  EXPECT_EQ(built.rows[1].cells[0], u"");
  EXPECT_EQ(built.rows[1].ids[0], 0u);
  EXPECT_EQ(built.rows[1].ids[1], actions[1].GetId());
  EXPECT_EQ(built.rows[2].ids[0], actions[3].GetId());
  EXPECT_EQ(built.rows[2].ids[1], 0u);
  EXPECT_EQ(built.rows[3].ids[0], 0u);
  EXPECT_EQ(built.rows[3].ids[1], actions[6].GetId());
  EXPECT_EQ(built.rowOfKind[0].at(0), 2);
  EXPECT_EQ(built.rowOfKind[1].at(0), 3);
  ASSERT_EQ(built.stale.size(), 1u);
  EXPECT_EQ(built.stale[0].GetId(), actions[5].GetId());
}

TEST_F(ProfileRowsTest, StaleAndUnknownActionsButNeverABacklightAtBatteryTen) {
  struct Case {
    CStrAction action;
    ActionFate fate;
  };
  const Case cases[] = {
      {Act(0, 0, 10), ActionFate::kDelete},
      {Act(16, 0, 10), ActionFate::kDelete},
      {Act(52, 0, 10), ActionFate::kShow},  // battery 10, AC 0
      {Act(10, 0, 0), ActionFate::kDelete},
      {Act(10, 0, 1), ActionFate::kShow},
      {Act(11, 0, 0), ActionFate::kDelete},
      {Act(12, 0, -1, u""), ActionFate::kDelete},
      {Act(12, 0, -1, u"\\a.txt"), ActionFate::kShow},
      {Act(6, 0, 1), ActionFate::kSkip},
      {Act(17, 0, 1), ActionFate::kSkip},
      {Act(9, 0, 0x40000), ActionFate::kSkip},
      {Act(9, 1, 0x800000), ActionFate::kShow},
      {Act(3, 0, -1), ActionFate::kShow},  // shown with an empty cell
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.action.GetKind()) + "/" + std::to_string(c.action.GetIntOp1()));
    EXPECT_EQ(FateOfAction(c.action), c.fate);
  }
  EXPECT_EQ(ActionCellText(Act(52, 0, 10)), u"Bat:10 AC:0");
}

TEST_F(ProfileRowsTest, CellTextsOfEveryKind) {
  struct Case {
    CStrAction action;
    std::u16string name;
    std::u16string cell;
  };
  const Case cases[] = {
      {Act(0, 0, 1), T(u"WIFI BUTTON"), T(u"ON")},
      {Act(0, 0, -1), T(u"WIFI BUTTON"), u""},  // no text of another cell
      {Act(1, 0, 2), T(u"BLUETOOTH BUTTON"), T(u"DISCOVERABLE")},
      {Act(2, 0, 2, u"", 3), T(u"SPEAKER"), u"ON - 60%"},
      {Act(2, 0, 2, u"", 5), T(u"SPEAKER"), u"ON - 100%"},
      {Act(2, 0, 2, u"", 0), T(u"SPEAKER"), T(u"ON")},
      {Act(2, 0, 1), T(u"SPEAKER"), T(u"VIBRATE")},
      {Act(3, 0, 0), T(u"PHONE"), T(u"ON")},
      {Act(3, 0, 1), T(u"PHONE"), T(u"OFF")},
      {Act(4, 0, 0), T(u"CONNECTIONS"), T(u"DISABLED")},
      {Act(4, 0, 2), T(u"CONNECTIONS"), T(u"CONNECT")},
      {Act(5, 0, 1), T(u"BAND"), T(u"BAND 2G")},
      {Act(9, 0, 0x100000), T(u"POWER"), T(u"POWER SCREEN OFF")},
      {Act(10, 0, 1), u"When AC All ON", T(u"ON")},
      {Act(11, 0, 1), T(u"VIBRATE"), T(u"TWO SECONDS")},
      {Act(12, 0, -1, u"\\Storage Card\\a.txt"), T(u"OPEN FILE"), u"a.txt"},
      {Act(13, 0, -1, u"ann@example.org"), T(u"MAIL"), u"ann@example.org"},
      {Act(14, 0, -1, u"+34600111222"), T(u"SMS"), u"+34600111222"},
      {Act(15, 0, -1, u"\\Windows\\Blue.tsk"), T(u"TODAY THEME"), u"Blue.tsk"},
      {Act(50, 0, 0), T(u"BEAM"), T(u"OFF")},
      {Act(51, 0, 1, u"555123"), T(u"CALL FORWARDING"), u"ON-555123"},
      {Act(51, 0, 0), T(u"CALL FORWARDING"), T(u"OFF")},
      {Act(52, 0, 0x00050003), T(u"BACKLIGHT"), u"Bat:3 AC:5"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.action.GetKind()) + "/" + std::to_string(c.action.GetIntOp1()));
    EXPECT_EQ(ActionKindName(c.action), c.name);
    EXPECT_EQ(ActionCellText(c.action), c.cell);
  }
  CStrAction ring = Act(16, 0, 4, u"\\Windows\\Rings\\bell.wav");
  ring.SetSzOp3(u"Bell");
  EXPECT_EQ(ActionCellText(ring), u"Bell");
}

TEST_F(ProfileRowsTest, TheListStopsAtItsLastRow) {
  std::vector<CStrAction> actions;
  for (int i = 0; i < kMaxActionRows + 20; ++i) actions.push_back(Act(13, 0, -1, u"to"));
  actions.push_back(Act(13, 1, -1, u"last"));  // leaving: finds the last row's free cell
  const ActionRows built = BuildActionRows(actions);
  ASSERT_EQ(built.rows.size(), static_cast<std::size_t>(kMaxActionRows));
  // The last kept row of kind 13 for entering is row 99; its leaving cell takes the last action.
  EXPECT_EQ(built.rows.back().ids[0], actions[kMaxActionRows - 1].GetId());
  EXPECT_EQ(built.rows.back().cells[1], u"last");
}

TEST_F(ProfileRowsTest, CellColoursFollowTheDayMask) {
  SYSTEMTIME monday{};
  monday.wYear = 2026;
  monday.wMonth = 6;
  monday.wDay = 1;  // a Monday
  monday.wHour = 12;
  SetSystemTimeUtc(monday);
  struct Case {
    int mask;
    COLORREF back;
  };
  const Case cases[] = {
      {0, 0xC8FFC8},         // every day, enabled
      {10, 0xC8C8FF},        // not on Mondays
      {1111100, 0xC8FFC8},   // Monday and Tuesday only
      {1, 0x646464},         // disabled
      {11111111, 0x646464},  // no day, disabled
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mask);
    const CStrAction action = Act(0, 0, 1, u"", -1, c.mask);
    EXPECT_EQ(ActionCellColors(&action).back, c.back);
    EXPECT_EQ(ActionCellColors(&action).text, 0x000000u);
  }
  EXPECT_EQ(ActionCellColors(nullptr).back, 0xFFFFFFu);
  EXPECT_EQ(NameCellColors(0).back, 0xFFC8C8u);
  EXPECT_EQ(NameCellColors(1).back, 0xFFFFFFu);
  EXPECT_EQ(NameCellColors(2).back, 0xFFC8C8u);
}

TEST_F(ProfileRowsTest, TimeFrameColoursAndStretchesOfTheDay) {
  // 22:00-06:00 starts last and runs past midnight: it takes the first colour at both ends.
  auto night = SortedByBegin({Frame(8, 22, 0, 6, 0), Frame(7, 7, 0, 9, 0)});
  EXPECT_EQ(night[0].GetKey(), 7);
  EXPECT_EQ(TimeFrameColor(night, 8), kDayBarPalette[0]);
  EXPECT_EQ(TimeFrameColor(night, 7), kDayBarPalette[1]);
  EXPECT_EQ(TimeFrameColor(night, 99), 0xFFFFFFu);
  const auto stretches = DayBarStretches(night, 240);
  ASSERT_EQ(stretches.size(), 3u);
  EXPECT_EQ(stretches[0].left, 0);
  EXPECT_EQ(stretches[0].right, 60);
  EXPECT_EQ(stretches[0].color, kDayBarPalette[0]);
  EXPECT_EQ(stretches[1].left, 70);
  EXPECT_EQ(stretches[1].right, 90);
  EXPECT_EQ(stretches[1].color, kDayBarPalette[1]);
  EXPECT_EQ(stretches[2].left, 220);
  EXPECT_EQ(stretches[2].right, 240);
  EXPECT_EQ(stretches[2].color, kDayBarPalette[0]);

  // An end of 00:00 is the end of the day.
  auto day = SortedByBegin({Frame(2, 12, 0, 0, 0), Frame(1, 8, 0, 12, 0)});
  const auto halves = DayBarStretches(day, 240);
  ASSERT_EQ(halves.size(), 2u);
  EXPECT_EQ(halves[1].left, 120);
  EXPECT_EQ(halves[1].right, 240);
  EXPECT_EQ(TimeFrameColorPosition(day, 1), 0);
  EXPECT_EQ(TimeFrameColorPosition(day, 2), 1);

  // Seven time frames: the seventh takes the first colour again.
  std::vector<CStrPeriod> seven;
  for (int i = 0; i < 7; ++i) seven.push_back(Frame(10 + i, 2 * i, 0, 2 * i + 1, 0));
  EXPECT_EQ(TimeFrameColorPosition(SortedByBegin(seven), 15), 5);
  EXPECT_EQ(TimeFrameColorPosition(SortedByBegin(seven), 16), 0);

  EXPECT_EQ(DayBarOffset(13, 30, 240), 135);
  EXPECT_EQ(DayBarOffset(23, 59, 100), 95 + (4 * 59) / 60);
  EXPECT_TRUE(DayBarStretches({}, 240).empty());
}

TEST_F(ProfileRowsTest, ActionCommandsAndPopupChoices) {
  struct Case {
    UINT command;
    ActionOp op;
    int trigger, kind, value;
  };
  const Case cases[] = {
      {40161, ActionOp::kStatus, 0, 0, 1},        {40222, ActionOp::kStatus, 1, 0, 0},
      {40166, ActionOp::kStatus, 0, 3, 1},        {40199, ActionOp::kStatus, 1, 3, 0},
      {40165, ActionOp::kSpeakerOn, 0, 2, 2},     {40209, ActionOp::kSms, 1, 14, 0},
      {40184, ActionOp::kBacklight, 0, 52, 0},    {40217, ActionOp::kRingTone, 1, 16, 0},
      {40189, ActionOp::kRefusedReset, 0, 9, 0x800000}, {40221, ActionOp::kStatus, 1, 9, 0x800000},
      {40174, ActionOp::kStatus, 0, 50, 1},       {40211, ActionOp::kCallForwardOn, 1, 51, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.command);
    const auto found = FindActionCommand(c.command);
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(found->op, c.op);
    EXPECT_EQ(found->trigger, c.trigger);
    EXPECT_EQ(found->kind, c.kind);
    EXPECT_EQ(found->value, c.value);
  }
  EXPECT_FALSE(FindActionCommand(40194).has_value());
  EXPECT_FALSE(FindActionCommand(40157).has_value());

  auto commands = [](int kind) {
    std::vector<int> out;
    for (const auto& choice : ActionPopupChoices(kind)) out.push_back(choice.command);
    return out;
  };
  EXPECT_EQ(commands(3), (std::vector<int>{kPopupDelete, kPopupDays, 1, 0}));
  EXPECT_EQ(commands(5), (std::vector<int>{kPopupDelete, kPopupDays, 1, 2, 0}));
  EXPECT_EQ(commands(52), (std::vector<int>{kPopupDelete, kPopupDays, kPopupEdit}));
  EXPECT_EQ(commands(12), (std::vector<int>{kPopupDelete, kPopupDays}));
}

}  // namespace
}  // namespace dialogs_test
