// The commands of the device control tool.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace devicectl {

extern const char kUsage[];
// Runs one command; 0 on success, 2 for bad arguments, 1 when the device could not do it (the
// same failure gives the same code in every command); `error` then says why.
int Run(const std::vector<std::string>& args, std::string* error);
// A text of the device (a name, a message) as printed: control characters as "\xHH", so that
// nothing stored can break a line of the output or steer the terminal.
std::string Escaped(std::string_view text);

}  // namespace devicectl
