// Whole numbers and folders given on a tool's command line. A value that is not all a number, lies
// outside what the option allows, or names a file in a folder that is not there is refused with a
// line on stderr naming the program, the option and the value; the caller then exits 2.
#pragma once

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace tool_args {

// Reads `text` as a decimal whole number in [min, max] into `out`. No sign other than a leading
// '-', no blanks, no trailing characters.
inline bool ReadNumber(const char* program, const char* option, const char* text, long long min, long long max,
                       long long& out) {
  const bool digitsFollow = text[0] != '\0' && (text[0] == '-' ? text[1] >= '0' && text[1] <= '9'
                                                                : text[0] >= '0' && text[0] <= '9');
  char* end = nullptr;
  errno = 0;
  const long long value = digitsFollow ? std::strtoll(text, &end, 10) : 0;
  if (!digitsFollow || *end != '\0') {
    std::fprintf(stderr, "%s: %s: '%s' is not a whole number\n", program, option, text);
    return false;
  }
  if (errno == ERANGE || value < min || value > max) {
    std::fprintf(stderr, "%s: %s: %s is out of range (%lld to %lld)\n", program, option, text, min, max);
    return false;
  }
  out = value;
  return true;
}

// The same into a narrower integer.
template <class Int>
bool ReadNumberInto(const char* program, const char* option, const char* text, long long min, long long max,
                    Int& out) {
  long long value = 0;
  if (!ReadNumber(program, option, text, min, max, value)) return false;
  out = static_cast<Int>(value);
  return true;
}

// True when the folder that would hold `file` exists (a bare name is in the current folder).
inline bool FolderOfFileExists(const char* program, const char* option, const std::string& file) {
  std::string named = file;
  while (named.size() > 1 && named.back() == '/') named.pop_back();
  const std::filesystem::path folder = std::filesystem::path(named).parent_path();
  std::error_code ec;
  if (file.empty() || (!folder.empty() && !std::filesystem::is_directory(folder, ec))) {
    std::fprintf(stderr, "%s: %s: no folder for '%s'\n", program, option, file.c_str());
    return false;
  }
  return true;
}

}  // namespace tool_args
