// The commands of the device control tool.
#pragma once

#include <string>
#include <vector>

namespace devicectl {

extern const char kUsage[];
// Runs one command; 0 on success, 2 for bad arguments (with `error` set), 1 when the device
// could not do it.
int Run(const std::vector<std::string>& args, std::string* error);

}  // namespace devicectl
