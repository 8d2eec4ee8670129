// The action list's rows, texts and colours.
#include "velomar/dialogs/ProfileActionRows.h"

#include "platform/text/format.h"
#include "velomar/ui/Translator.h"

namespace velomar::profiles {
namespace {

CTranslator* Tr() { return CTranslator::GetInstance(); }

// Power states the list knows (the system's power-state flags).
constexpr int kPowerOn = 0x10000;
constexpr int kPowerScreenOff = 0x100000;
constexpr int kPowerStandby = 0x20000;
constexpr int kPowerReset = 0x800000;

bool KnownKind(int kind) {
  return (kind >= 0 && kind <= 5) || (kind >= 9 && kind <= 16) || (kind >= 50 && kind <= 52);
}

// The text after the last backslash (all of it when there is none).
std::u16string FileName(const std::u16string& path) {
  const auto slash = path.rfind(u'\\');
  return slash == std::u16string::npos ? path : path.substr(slash + 1);
}

}  // namespace

ActionFate FateOfAction(const CStrAction& action) {
  const int kind = action.GetKind();
  const int value = action.GetIntOp1();
  // A backlight value packs both levels, so battery 10 on AC 0 is a real action, not a stale one.
  if (value == 10 && kind != 52) return ActionFate::kDelete;
  if ((kind == 10 || kind == 11) && value == 0) return ActionFate::kDelete;
  if (kind == 12 && action.GetSzOp1().empty()) return ActionFate::kDelete;
  if (!KnownKind(kind)) return ActionFate::kSkip;
  if (kind == 9 && value != kPowerOn && value != kPowerScreenOff && value != kPowerStandby && value != kPowerReset)
    return ActionFate::kSkip;
  return ActionFate::kShow;
}

std::u16string ActionKindName(const CStrAction& action) {
  switch (action.GetKind()) {
    case 0: return Tr()->GetText(u"WIFI BUTTON");
    case 1: return Tr()->GetText(u"BLUETOOTH BUTTON");
    case 2: return Tr()->GetText(u"SPEAKER");
    case 3: return Tr()->GetText(u"PHONE");
    case 4: return Tr()->GetText(u"CONNECTIONS");
    case 5: return Tr()->GetText(u"BAND");
    case 9: return Tr()->GetText(u"POWER");
    case 10: return u"When AC All ON";
    case 11: return Tr()->GetText(u"VIBRATE");
    case 12: return Tr()->GetText(u"OPEN FILE");
    case 13: return Tr()->GetText(u"MAIL");
    case 14: return Tr()->GetText(u"SMS");
    case 15: return Tr()->GetText(u"TODAY THEME");
    case 16: return Tr()->GetText(u"RING TONE");
    case 50: return Tr()->GetText(u"BEAM");
    case 51: return Tr()->GetText(u"CALL FORWARDING");
    case 52: return Tr()->GetText(u"BACKLIGHT");
    default: return {};
  }
}

std::u16string ActionCellText(const CStrAction& action) {
  const int value = action.GetIntOp1();
  switch (action.GetKind()) {
    case 0:
      if (value == 0) return Tr()->GetText(u"OFF");
      if (value == 1) return Tr()->GetText(u"ON");
      return {};
    case 1:
      if (value == 0) return Tr()->GetText(u"OFF");
      if (value == 1) return Tr()->GetText(u"ON");
      if (value == 2) return Tr()->GetText(u"DISCOVERABLE");
      return {};
    case 2:
      if (value == 0) return Tr()->GetText(u"OFF");
      if (value == 1) return Tr()->GetText(u"VIBRATE");
      if (value == 2) {
        const int level = action.GetIntOp3();
        if (level >= 1 && level <= 5) return ce::text::Format(u"ON - %d%%", level * 20);
        return Tr()->GetText(u"ON");
      }
      return {};
    case 3: return value == 0 ? Tr()->GetText(u"ON") : Tr()->GetText(u"OFF");
    case 4:
      if (value == 0) return Tr()->GetText(u"DISABLED");
      if (value == 1) return Tr()->GetText(u"CLOSE");
      if (value == 2) return Tr()->GetText(u"CONNECT");
      return {};
    case 5:
      if (value == 0) return Tr()->GetText(u"BAND AUTO");
      if (value == 1) return Tr()->GetText(u"BAND 2G");
      if (value == 2) return Tr()->GetText(u"BAND 3G");
      return {};
    case 9:
      if (value == kPowerOn) return Tr()->GetText(u"ON");
      if (value == kPowerScreenOff) return Tr()->GetText(u"POWER SCREEN OFF");
      if (value == kPowerStandby) return Tr()->GetText(u"POWER STANDBY");
      if (value == kPowerReset) return Tr()->GetText(u"POWER RESET");
      return {};
    case 10: return value != 0 ? Tr()->GetText(u"ON") : std::u16string();
    case 11: return value != 0 ? Tr()->GetText(u"TWO SECONDS") : std::u16string();
    case 12: return FileName(action.GetSzOp1());
    case 13:
    case 14: return action.GetSzOp1();
    case 15: return FileName(action.GetSzOp1());
    case 16: return action.GetSzOp3();
    case 50:
      if (value == 1) return Tr()->GetText(u"ON");
      if (value == 0) return Tr()->GetText(u"OFF");
      return {};
    case 51:
      if (value == 1) return u"ON-" + action.GetSzOp1();
      if (value == 0) return Tr()->GetText(u"OFF");
      return {};
    case 52: {
      const auto bits = static_cast<unsigned>(value);
      return ce::text::Format(u"Bat:%u AC:%u", bits & 0xFFFFu, bits >> 16);
    }
    default: return {};
  }
}

ActionRows BuildActionRows(const std::vector<CStrAction>& actions) {
  ActionRows out;
  // Kind -> row of the latest action of that kind, one map per trigger.
  std::map<int, int>* rows_of = out.rowOfKind;
  for (const CStrAction& action : actions) {
    const ActionFate fate = FateOfAction(action);
    if (fate == ActionFate::kDelete) out.stale.push_back(action);
    if (fate != ActionFate::kShow) continue;
    const int kind = action.GetKind();
    const int trigger = action.GetTrigger() == 1 ? 1 : 0;
    const int other = 1 - trigger;
    // The row of the other trigger's latest action of this kind is shared while its own cell is
    // free; anything else opens a new row.
    int row = -1;
    if (!rows_of[trigger].count(kind) && rows_of[other].count(kind)) row = rows_of[other][kind];
    if (row < 0) {
      if (static_cast<int>(out.rows.size()) >= kMaxActionRows) continue;
      row = static_cast<int>(out.rows.size());
      out.rows.push_back({});
      out.rows.back().name = ActionKindName(action);
    }
    ActionRow& target = out.rows[static_cast<std::size_t>(row)];
    target.cells[trigger] = ActionCellText(action);
    target.ids[trigger] = action.GetId();
    rows_of[trigger][kind] = row;
  }
  return out;
}

CellColors NameCellColors(int row) { return {0x000000, row % 2 != 0 ? 0xFFFFFFu : 0xFFC8C8u}; }

CellColors ActionCellColors(const CStrAction* action) {
  if (action == nullptr) return {0x000000, 0xFFFFFF};
  if (!action->IsEnabled()) return {0x000000, 0x646464};
  return {0x000000, action->IsOffToday() ? 0xC8FFC8u : 0xC8C8FFu};
}

}  // namespace velomar::profiles
