// logreader: creates "LogQueue" on the device and prints every record that arrives, one line each
// ("<level> <program> <time> <message>"), until interrupted.
//
//   logreader [--device DIR] [--count N] [--ready]
//     --device DIR  the device folder (default: $CE_DEVICE_DIR, else ./device)
//     --count N     end after N records
//     --ready       print "ready" once the queue exists, before any record
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/base/errors.h"
#include "platform/kernel/device_folder.h"
#include "platform/kernel/last_error.h"
#include "platform/msgqueue/msgqueue.h"
#include "tools/logreader/log_record.h"

namespace {

volatile std::sig_atomic_t g_stop = 0;

void OnSignal(int) { g_stop = 1; }

int Usage() {
  std::fprintf(stderr, "usage: logreader [--device DIR] [--count N] [--ready]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  long count = -1;
  bool announce = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--device") == 0 && i + 1 < argc) {
      ce::SetDeviceFolder(argv[++i]);
    } else if (std::strcmp(argv[i], "--count") == 0 && i + 1 < argc) {
      const char* text = argv[++i];
      char* end = nullptr;
      errno = 0;
      count = std::strtol(text, &end, 10);
      if (end == text || *end != 0 || errno != 0 || count < 0) return Usage();
    } else if (std::strcmp(argv[i], "--ready") == 0) {
      announce = true;
    } else {
      return Usage();
    }
  }
  std::signal(SIGINT, OnSignal);
  std::signal(SIGTERM, OnSignal);

  MSGQUEUEOPTIONS options{};
  options.dwSize = sizeof(MSGQUEUEOPTIONS);
  options.dwFlags = MSGQUEUE_NOPRECOMMIT | MSGQUEUE_ALLOW_BROKEN;
  options.dwMaxMessages = 1000;
  options.cbMaxMessage = 5000;
  options.bReadAccess = TRUE;
  HANDLE queue = CreateMsgQueue(u"LogQueue", &options);
  if (queue == nullptr) {
    std::fprintf(stderr, "logreader: cannot create LogQueue (error %u)\n", static_cast<unsigned>(GetLastError()));
    return 1;
  }
  if (announce) {
    std::printf("ready\n");
    std::fflush(stdout);
  }

  std::vector<std::uint8_t> buffer(options.cbMaxMessage);
  long received = 0;
  while (!g_stop && (count < 0 || received < count)) {
    DWORD size = 0, flags = 0;
    if (!ReadMsgQueue(queue, buffer.data(), static_cast<DWORD>(buffer.size()), &size, 200, &flags)) {
      const DWORD error = GetLastError();
      if (error == ERROR_TIMEOUT) continue;
      if (error == ERROR_INSUFFICIENT_BUFFER) {
        std::fprintf(stderr, "logreader: a record over %zu bytes was dropped\n", buffer.size());
        continue;
      }
      std::fprintf(stderr, "logreader: reading LogQueue failed (error %u)\n", static_cast<unsigned>(error));
      break;
    }
    ++received;
    const auto record = logreader::ParseLogRecord(buffer.data(), size);
    if (record) {
      std::printf("%s\n", logreader::FormatLogLine(*record).c_str());
    } else {
      std::fprintf(stderr, "logreader: a message of %u bytes is not a log record\n", static_cast<unsigned>(size));
    }
    std::fflush(stdout);
  }
  CloseMsgQueue(queue);
  return 0;
}
