// Answers for a headless run, read from a script file named by $CE_USER_SCRIPT (a host path) when
// the scripted user is first used, or given by a program or test as text. Format in README.md.
#pragma once

#include <string>
#include <string_view>

namespace ce::scripted {

// Adds the script's answers to the scripted user, in order. Answers nothing on success, else the
// first fault with its line ("line 3: unknown step 'tap'"); a faulty script adds nothing.
std::string LoadScript(std::string_view text);
// Reads $CE_USER_SCRIPT once (later calls do nothing); faults are reported on stderr.
void LoadScriptFromEnvironment();

}  // namespace ce::scripted
