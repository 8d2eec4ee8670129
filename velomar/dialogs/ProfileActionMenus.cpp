// The action commands of the profiles page's menus and the choices of an action's popup.
#include "velomar/dialogs/ProfileActionMenus.h"

namespace velomar::profiles {
namespace {

// One menu entry in both menus: its command on entering and on leaving (0: not in that menu).
struct Entry {
  UINT enter;
  UINT exit;
  ActionOp op;
  int kind;
  int value;
};

constexpr Entry kEntries[] = {
    {40158, 40190, ActionOp::kStatus, 1, 0},
    {40159, 40191, ActionOp::kStatus, 1, 1},
    {40160, 40192, ActionOp::kStatus, 1, 2},
    {40161, 40193, ActionOp::kStatus, 0, 1},
    {40162, 40222, ActionOp::kStatus, 0, 0},
    {40163, 40195, ActionOp::kStatus, 2, 0},
    {40164, 40196, ActionOp::kStatus, 2, 1},
    {40165, 40197, ActionOp::kSpeakerOn, 2, 2},
    {40166, 40198, ActionOp::kStatus, 3, 1},
    {40167, 40199, ActionOp::kStatus, 3, 0},
    {40168, 40200, ActionOp::kStatus, 4, 0},
    {40169, 40201, ActionOp::kStatus, 4, 1},
    {40170, 40202, ActionOp::kStatus, 4, 2},
    {40171, 40203, ActionOp::kStatus, 5, 0},
    {40172, 40204, ActionOp::kStatus, 5, 1},
    {40173, 40205, ActionOp::kStatus, 5, 2},
    {40174, 40206, ActionOp::kStatus, 50, 1},
    {40175, 40207, ActionOp::kStatus, 50, 0},
    {40176, 40208, ActionOp::kMail, 13, 0},
    {40177, 40209, ActionOp::kSms, 14, 0},
    {40178, 40210, ActionOp::kCallForwardOff, 51, 0},
    {40179, 40211, ActionOp::kCallForwardOn, 51, 1},
    {40180, 40212, ActionOp::kStatus, 11, 1},
    {40181, 40213, ActionOp::kStatus, 11, 0},
    {40182, 40214, ActionOp::kOpenFile, 12, 0},
    {40183, 40215, ActionOp::kTodayTheme, 15, 0},
    {40184, 40216, ActionOp::kBacklight, 52, 0},
    {40185, 40217, ActionOp::kRingTone, 16, 0},
    {40186, 40218, ActionOp::kStatus, 9, 0x10000},
    {40187, 40219, ActionOp::kStatus, 9, 0x100000},
    {40188, 40220, ActionOp::kStatus, 9, 0x20000},
};

}  // namespace

std::optional<ActionCommand> FindActionCommand(UINT command) {
  // A reset is allowed only on leaving a time frame.
  if (command == 40189) return ActionCommand{ActionOp::kRefusedReset, 0, 9, 0x800000};
  if (command == 40221) return ActionCommand{ActionOp::kStatus, 1, 9, 0x800000};
  for (const Entry& entry : kEntries) {
    if (command == entry.enter) return ActionCommand{entry.op, 0, entry.kind, entry.value};
    if (command == entry.exit) return ActionCommand{entry.op, 1, entry.kind, entry.value};
  }
  return std::nullopt;
}

std::vector<PopupChoice> ActionPopupChoices(int kind) {
  std::vector<PopupChoice> out = {
      {u"DELETE", kPopupDelete, u"action_delete", false, false},
      {u"DAYS", kPopupDays, u"schedule", false, false},
  };
  auto add = [&](std::initializer_list<PopupChoice> choices) { out.insert(out.end(), choices); };
  switch (kind) {
    case 1:
      add({{u"OFF", 0, u"bt", false, true}, {u"ON", 1, u"bt", false, true}, {u"BT DISCOVERABLE", 2, u"bt", false, true}});
      break;
    case 0: add({{u"OFF", 0, u"wifi", false, true}, {u"ON", 1, u"wifi", false, true}}); break;
    case 3: add({{u"OFF", 1, u"phone", false, true}, {u"ON", 0, u"phone", false, true}}); break;
    case 2:
      add({{u"MUTE", 0, u"speaker", false, true},
           {u"VIBRATE", 1, u"speaker", false, true},
           {u"ON", 2, u"speaker", false, true}});
      break;
    case 5:
      add({{u"BAND 2G", 1, u"band", false, true},
           {u"BAND 3G", 2, u"band", false, true},
           {u"AUTO", 0, u"band", true, true}});
      break;
    case 4:
      add({{u"DISABLE", 0, u"connections", false, true},
           {u"DISCONNECTED", 1, u"connections", false, true},
           {u"CONNECTED", 2, u"connections", false, true}});
      break;
    case 13:
    case 14:
    case 16:
    case 52: add({{u"NO CHANGE", kPopupEdit, u"action_edit", false, false}}); break;
    default: break;
  }
  return out;
}

}  // namespace velomar::profiles
