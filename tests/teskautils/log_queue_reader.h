// A reader of "LogQueue" inside the test process: it creates the queue, so the library's next
// record finds a reader, and hands back the records that arrived.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/kernel/last_error.h"
#include "platform/msgqueue/msgqueue.h"

namespace teskautils_test {

// The bytes of one record as the library sends it: the level, then the UTF-16 text.
inline std::vector<std::uint8_t> RecordBytes(std::int32_t level, const std::u16string& text) {
  std::vector<std::uint8_t> out;
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(std::uint32_t(level) >> (8 * i)));
  for (char16_t c : text) {
    out.push_back(static_cast<std::uint8_t>(c & 0xFF));
    out.push_back(static_cast<std::uint8_t>(c >> 8));
  }
  return out;
}

struct RawRecord {
  std::int32_t level;
  std::u16string text;  // "<program>|||<time>|||<message>|||"
};

class LogQueueReader {
 public:
  LogQueueReader() {
    MSGQUEUEOPTIONS options{sizeof(MSGQUEUEOPTIONS), MSGQUEUE_NOPRECOMMIT | MSGQUEUE_ALLOW_BROKEN, 1000, 5000, TRUE};
    SetLastError(0);
    queue_ = CreateMsgQueue(u"LogQueue", &options);
    created_new_ = queue_ != nullptr && GetLastError() == 0;
  }
  ~LogQueueReader() {
    if (queue_) CloseMsgQueue(queue_);
  }
  LogQueueReader(const LogQueueReader&) = delete;
  LogQueueReader& operator=(const LogQueueReader&) = delete;

  bool ok() const { return queue_ != nullptr; }
  // Whether this reader made the queue (nobody else had it open).
  bool created_new() const { return created_new_; }

  // The records waiting now, as raw bytes.
  std::vector<std::vector<std::uint8_t>> TakeBytes() {
    std::vector<std::vector<std::uint8_t>> out;
    std::vector<std::uint8_t> buffer(5000);
    DWORD size = 0, flags = 0;
    while (queue_ && ReadMsgQueue(queue_, buffer.data(), static_cast<DWORD>(buffer.size()), &size, 0, &flags))
      out.emplace_back(buffer.begin(), buffer.begin() + size);
    return out;
  }

  std::vector<RawRecord> Take() {
    std::vector<RawRecord> out;
    for (const auto& bytes : TakeBytes()) {
      RawRecord r{0, {}};
      if (bytes.size() >= 4)
        r.level = static_cast<std::int32_t>(bytes[0] | bytes[1] << 8 | bytes[2] << 16 | std::uint32_t(bytes[3]) << 24);
      for (std::size_t i = 4; i + 1 < bytes.size(); i += 2) r.text.push_back(char16_t(bytes[i] | bytes[i + 1] << 8));
      out.push_back(r);
    }
    return out;
  }

 private:
  HANDLE queue_ = nullptr;
  bool created_new_ = false;
};

// The record text the library sends for `message` from Velomar.exe at the fixture's 12:00:00.
inline std::u16string Expected(const std::u16string& message) {
  return u"Velomar.exe|||12:00:00|||" + message + u"|||";
}

}  // namespace teskautils_test
