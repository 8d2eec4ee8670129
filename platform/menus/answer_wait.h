// Waiting for the scripted user's answer while the thread's messages keep flowing.
#pragma once

#include <optional>

#include "platform/scripted/scripted_user.h"

namespace ce::menus {

struct Awaited {
  std::optional<scripted::Answer> answer;  // nothing: use the default (or dismissed)
  bool dismissed = false;                  // the escape key ended the wait
};

// Takes the next answer of `kind`. When none is waiting and the scripted user holds unanswered
// things, pumps this thread's messages until one is given; with `escape_dismisses` a posted
// escape key (down or up) ends the wait as dismissed.
Awaited AwaitAnswer(scripted::Kind kind, bool escape_dismisses);

}  // namespace ce::menus
