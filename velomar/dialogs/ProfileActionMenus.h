// The profiles page's action commands, worked out without a window: what each entry of the two
// "add action" menus (on entering, on leaving a time frame) stands for, and the choices that the
// popup of one action offers.
#pragma once

#include <optional>
#include <vector>

#include "platform/base/types.h"

namespace velomar::profiles {

// What an action command does.
enum class ActionOp {
  kStatus,            // a manager status (kind, value), after the week dialog
  kSpeakerOn,         // the sound level dialog, then the speaker status 2
  kMail,              // the message dialog (mail), then the week dialog
  kSms,               // the message dialog (SMS), then the week dialog
  kCallForwardOff,    // call forwarding status 0
  kCallForwardOn,     // the forwarding number, then call forwarding status 1
  kOpenFile,          // the file chooser, then the week dialog
  kTodayTheme,        // the Today theme dialog, then the week dialog
  kBacklight,         // the backlight dialog, then the week dialog
  kRingTone,          // the ring profile dialog, then the week dialog
  kRefusedReset,      // a reset on entering a time frame: refused
};

// An action command: what it does, for which trigger (0 entering, 1 leaving) and, for statuses,
// the kind and value stored.
struct ActionCommand {
  ActionOp op;
  int trigger;
  int kind;
  int value;
};
// The action command of a menu command id; none for ids that are no action command.
std::optional<ActionCommand> FindActionCommand(UINT command);

// The choices of an action's popup, in order: caption text id (or a literal when `literal`),
// command value and the theme node that gives the button its look. `status` marks the choices
// that show a manager status (their buttons take the pictures of that manager's button).
struct PopupChoice {
  const char16_t* caption;
  int command;
  const char16_t* theme;
  bool literal;
  bool status;
};
inline constexpr int kPopupDelete = 11;
inline constexpr int kPopupEdit = 12;
inline constexpr int kPopupDays = 13;
std::vector<PopupChoice> ActionPopupChoices(int kind);

}  // namespace velomar::profiles
