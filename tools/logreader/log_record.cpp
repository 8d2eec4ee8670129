#include "tools/logreader/log_record.h"

#include "platform/base/wire.h"
#include "platform/text/utf.h"

namespace logreader {

std::optional<LogRecord> ParseLogRecord(const std::uint8_t* data, std::size_t size) {
  if (data == nullptr || size < 4 || (size - 4) % 2 != 0) return std::nullopt;
  ce::wire::Reader reader(data, size);
  LogRecord record;
  record.level = static_cast<std::int32_t>(reader.U32());
  std::u16string text;
  text.reserve((size - 4) / 2);
  for (std::size_t i = 4; i < size; i += 2) text.push_back(reader.U16());

  static const std::u16string kSeparator = u"|||";
  const std::size_t first = text.find(kSeparator);
  if (first == std::u16string::npos) return std::nullopt;
  const std::size_t second = text.find(kSeparator, first + kSeparator.size());
  if (second == std::u16string::npos) return std::nullopt;
  const std::size_t body = second + kSeparator.size();
  // The message runs to the final separator, so it may hold "|||" itself.
  if (text.size() < body + kSeparator.size() || text.compare(text.size() - kSeparator.size(), kSeparator.size(), kSeparator) != 0)
    return std::nullopt;
  record.program = text.substr(0, first);
  record.time = text.substr(first + kSeparator.size(), second - first - kSeparator.size());
  record.message = text.substr(body, text.size() - kSeparator.size() - body);
  return record;
}

std::string FormatLogLine(const LogRecord& record) {
  std::string message = ce::text::ToUtf8(record.message);
  for (char& c : message)
    if (c == '\r' || c == '\n') c = ' ';
  return std::to_string(record.level) + " " + ce::text::ToUtf8(record.program) + " " + ce::text::ToUtf8(record.time) +
         " " + message;
}

}  // namespace logreader
