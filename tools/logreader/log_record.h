// A "LogQueue" record: a little-endian 32-bit level, then UTF-16 text "<program>|||<time>|||<message>|||".
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace logreader {

struct LogRecord {
  std::int32_t level = 0;
  std::u16string program;
  std::u16string time;
  std::u16string message;
};

// Null when the bytes are not a record (too short, an odd text length, separators missing).
std::optional<LogRecord> ParseLogRecord(const std::uint8_t* data, std::size_t size);

// One line, in UTF-8 and without a line end: "<level> <program> <time> <message>", with line
// breaks inside the message shown as spaces.
std::string FormatLogLine(const LogRecord& record);

}  // namespace logreader
