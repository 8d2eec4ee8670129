// The SIM's own PIN prompt: a window of the class "SIMSecurityUI" that the phone shows in the
// program's process, on a thread of its own, while the SIM asks for its PIN after the radio came
// on. It closes on WM_CLOSE.
#pragma once

namespace ce::phone {

// Shows the prompt unless one is shown; returns once the window exists.
void ShowSimPrompt();

}  // namespace ce::phone
