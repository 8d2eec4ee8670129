// The notification launcher: starts the program of each CE user notification when it falls due on
// the device's clock, and removes the notification.
//
//   notifylauncher [--device <folder>] [--once | --list]
//
// Without an option it runs until stopped, looking once a second. --once fires what is due now and
// ends; --list prints the pending notifications. Each start is reported on standard output as
// "started <program> <arguments>", or "failed <error> <program> <arguments>". A table that cannot
// be read is reported on standard error, and --once and --list then exit 1.
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/kernel/device_folder.h"
#include "platform/kernel/threads.h"
#include "platform/notify/notify_launch.h"
#include "platform/text/utf.h"

namespace {

void ReportStart(const ce::notify::Fired& f) {
  std::string program = ce::text::ToUtf8(f.notification.application);
  std::string arguments = ce::text::ToUtf8(f.notification.arguments);
  if (f.error == 0) {
    std::printf("started %s %s\n", program.c_str(), arguments.c_str());
  } else {
    std::printf("failed %u %s %s\n", static_cast<unsigned>(f.error), program.c_str(), arguments.c_str());
  }
  std::fflush(stdout);
}

// The table of notifications could not be read: said on standard error.
void ReportUnreadable(DWORD error) {
  std::fprintf(stderr, "notifylauncher: cannot read the notifications of %s (error %u)\n",
               (ce::DeviceFolder() / "notifications.db").string().c_str(), static_cast<unsigned>(error));
}

// Fires what is due now, reporting each start as it happens. False when the table is unreadable.
bool FireDue() {
  DWORD error = 0;
  ce::notify::FireDueNotifications(ReportStart, &error);
  if (error == 0) return true;
  ReportUnreadable(error);
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  bool once = false, list = false;
  for (int i = 1; i < argc; ++i) {
    // An empty folder would fall back to $CE_DEVICE_DIR or ./device: another device than asked.
    if (!std::strcmp(argv[i], "--device") && i + 1 < argc && argv[i + 1][0] != '\0') {
      ce::SetDeviceFolder(argv[++i]);
    } else if (!std::strcmp(argv[i], "--once")) {
      once = true;
    } else if (!std::strcmp(argv[i], "--list")) {
      list = true;
    } else {
      std::fprintf(stderr, "usage: notifylauncher [--device <folder>] [--once | --list]\n");
      return 2;
    }
  }
  if (list) {
    DWORD error = 0;
    const auto notifications = ce::notify::ListNotifications(&error);
    if (error != 0) {
      ReportUnreadable(error);
      return 1;
    }
    for (const auto& n : notifications) {
      const SYSTEMTIME& t = n.start;
      std::printf("%04u-%02u-%02u %02u:%02u:%02u %s %s\n", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond,
                  ce::text::ToUtf8(n.application).c_str(), ce::text::ToUtf8(n.arguments).c_str());
    }
    return 0;
  }
  if (once) return FireDue() ? 0 : 1;
  // Running on: a table unreadable for a while (a copy being put in place) is reported and tried
  // again at the next turn.
  for (;;) {
    FireDue();
    Sleep(1000);
  }
}
