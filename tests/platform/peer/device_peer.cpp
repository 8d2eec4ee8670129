// device_peer <device folder> <command> [arguments]: one step of a cross-process test, run in its
// own process on the given device. Prints its results on standard output, one per line.
//
//   reg-set <key> <value name> <text>     writes a REG_SZ under HKEY_LOCAL_MACHINE
//   reg-get <key> <value name>            prints the text, or "missing"
//   reg-delete <key> <value name>         deletes the value under HKEY_LOCAL_MACHINE
//   reg-watch <key> <value name> <ms>     prints "ready", then the first new text (or "timeout")
//   reg-spin <key> <value name>           writes 0, 1, 2, ... as texts until killed; "ready" after
//                                         the first
//   queue-write <name> <count>            opens the queue as the log channel does and writes
//                                         <count> records with time-out 0; prints how many went
//   queue-read <name> <count> <ms>        creates the queue for reading, prints "ready", then each
//                                         record read (its level and text), "timeout" at the end
//   reg-read <key> <value name>           prints "value <text>" or "error <HRESULT in hex>"
//   reg-write <key> <value name> <text>   prints "ok" or "error <HRESULT in hex>"
//   cedb-list <volume> [new]              mounts an existing CEDB volume (CE path; with "new", made if
//                                         missing); prints the names of its databases, then
//                                         "create ok" or "create error <n>" for a new database;
//                                         "mount error <n>" when it cannot mount
//   queue-open <name>                     opens the queue as the log channel does; prints "existed"
//                                         or "created" and how many times it waited for a queue's
//                                         lock, or "error <n>"
//   queue-hold <name>                     opens the queue, takes its lock and keeps it; prints
//                                         "held", then waits until killed
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/base/wire.h"
#include "platform/cedb/cedb.h"
#include "platform/kernel/device_folder.h"
#include "platform/kernel/last_error.h"
#include "platform/kernel/sync.h"
#include "platform/msgqueue/msgqueue.h"
#include "platform/msgqueue/queue_test_seam.h"
#include "platform/registry/registry.h"
#include "platform/registry/registry_notify.h"
#include "platform/text/utf.h"

namespace {

std::u16string W(const char* s) { return ce::text::FromUtf8(s); }

HANDLE g_changed = nullptr;

void OnChange(HREGNOTIFY, DWORD, const BYTE*, UINT) { SetEvent(g_changed); }

int RegGet(const char* key, const char* name) {
  WCHAR text[256];
  if (RegistryGetString(HKEY_LOCAL_MACHINE, W(key).c_str(), W(name).c_str(), text, 256) != S_OK) {
    std::puts("missing");
  } else {
    std::puts(ce::text::ToUtf8(text).c_str());
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  ce::SetDeviceFolder(argv[1]);
  std::string cmd = argv[2];
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  if (cmd == "reg-set" && argc == 6) {
    return RegistrySetString(HKEY_LOCAL_MACHINE, W(argv[3]).c_str(), W(argv[4]).c_str(), W(argv[5]).c_str()) == S_OK
               ? 0
               : 1;
  }
  if (cmd == "reg-get" && argc == 5) return RegGet(argv[3], argv[4]);
  if (cmd == "reg-delete" && argc == 5) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, W(argv[3]).c_str(), 0, 0, &key) != ERROR_SUCCESS) return 1;
    const LONG rc = RegDeleteValueW(key, W(argv[4]).c_str());
    RegCloseKey(key);
    return rc == ERROR_SUCCESS ? 0 : 1;
  }
  if (cmd == "reg-spin" && argc == 5) {
    for (unsigned i = 0;; ++i) {
      std::u16string text = W(std::to_string(i).c_str());
      if (RegistrySetString(HKEY_LOCAL_MACHINE, W(argv[3]).c_str(), W(argv[4]).c_str(), text.c_str()) != S_OK) return 1;
      if (i == 0) std::puts("ready");
    }
  }
  if (cmd == "reg-watch" && argc == 6) {
    g_changed = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    HREGNOTIFY notify = nullptr;
    if (RegistryNotifyCallback(HKEY_LOCAL_MACHINE, W(argv[3]).c_str(), W(argv[4]).c_str(), OnChange, 0, nullptr,
                               &notify) != S_OK)
      return 1;
    std::puts("ready");
    if (WaitForSingleObject(g_changed, static_cast<DWORD>(std::atoi(argv[5]))) != WAIT_OBJECT_0) {
      std::puts("timeout");
      return 0;
    }
    RegistryCloseNotification(notify);
    return RegGet(argv[3], argv[4]);
  }
  if (cmd == "queue-write" && argc == 5) {
    MSGQUEUEOPTIONS options{sizeof(MSGQUEUEOPTIONS), 3, 1000, 5000, FALSE};
    HANDLE q = CreateMsgQueue(W(argv[3]).c_str(), &options);
    if (!q) return 1;
    if (GetLastError() != ERROR_ALREADY_EXISTS) std::puts("created");
    int sent = 0;
    for (int i = 0; i < std::atoi(argv[4]); ++i) {
      ce::wire::Writer w;
      w.I32(i % 5);
      w.Utf16(u"peer|||12:00:00|||record " + W(std::to_string(i).c_str()) + u"|||", false);
      if (WriteMsgQueue(q, const_cast<BYTE*>(w.bytes().data()), static_cast<DWORD>(w.bytes().size()), 0, 0)) ++sent;
    }
    std::printf("%d\n", sent);
    CloseMsgQueue(q);
    return 0;
  }
  if (cmd == "reg-read" && argc == 5) {
    WCHAR text[256];
    const HRESULT hr = RegistryGetString(HKEY_LOCAL_MACHINE, W(argv[3]).c_str(), W(argv[4]).c_str(), text, 256);
    if (hr == S_OK) {
      std::printf("value %s\n", ce::text::ToUtf8(text).c_str());
    } else {
      std::printf("error %08x\n", static_cast<unsigned>(hr));
    }
    return 0;
  }
  if (cmd == "reg-write" && argc == 6) {
    const HRESULT hr =
        RegistrySetString(HKEY_LOCAL_MACHINE, W(argv[3]).c_str(), W(argv[4]).c_str(), W(argv[5]).c_str());
    if (hr == S_OK) {
      std::puts("ok");
    } else {
      std::printf("error %08x\n", static_cast<unsigned>(hr));
    }
    return 0;
  }
  if (cmd == "cedb-list" && (argc == 4 || (argc == 5 && std::string(argv[4]) == "new"))) {
    CEGUID guid{};
    if (!CeMountDBVolEx(&guid, W(argv[3]).c_str(), nullptr, argc == 5 ? OPEN_ALWAYS : OPEN_EXISTING)) {
      std::printf("mount error %lu\n", static_cast<unsigned long>(GetLastError()));
      return 0;
    }
    HANDLE find = CeFindFirstDatabaseEx(&guid, 0);
    for (CEOID oid; (oid = CeFindNextDatabaseEx(find, &guid)) != 0;) {
      CEDBASEINFOEX info{};
      info.wVersion = 1;
      if (CeGetDatabaseInfoEx(&guid, oid, &info)) std::printf("%s\n", ce::text::ToUtf8(info.szDbaseName).c_str());
    }
    CloseHandle(find);
    CEDBASEINFO info{};
    info.dwFlags = CEDB_VALIDNAME;
    std::memcpy(info.szDbaseName, u"added", sizeof(u"added"));
    if (CeCreateDatabaseEx(&guid, &info) != 0) {
      std::puts("create ok");
    } else {
      std::printf("create error %lu\n", static_cast<unsigned long>(GetLastError()));
    }
    CeUnmountDBVol(&guid);
    return 0;
  }
  if (cmd == "queue-open" && argc == 4) {
    MSGQUEUEOPTIONS options{sizeof(MSGQUEUEOPTIONS), 3, 1000, 5000, FALSE};
    HANDLE q = CreateMsgQueue(W(argv[3]).c_str(), &options);
    if (!q) {
      std::printf("error %lu\n", static_cast<unsigned long>(GetLastError()));
      return 0;
    }
    std::puts(GetLastError() == ERROR_ALREADY_EXISTS ? "existed" : "created");
    std::printf("%llu\n", static_cast<unsigned long long>(ce::msgqueue::QueueLockWaits()));
    CloseMsgQueue(q);
    return 0;
  }
  if (cmd == "queue-hold" && argc == 4) {
    MSGQUEUEOPTIONS options{sizeof(MSGQUEUEOPTIONS), 3, 1000, 5000, FALSE};
    HANDLE q = CreateMsgQueue(W(argv[3]).c_str(), &options);
    if (!q || !ce::msgqueue::HoldQueueLock(q)) return 1;
    std::puts("held");
    std::fflush(stdout);
    for (;;) pause();
  }
  if (cmd == "queue-read" && argc == 6) {
    MSGQUEUEOPTIONS options{sizeof(MSGQUEUEOPTIONS), 3, 1000, 5000, TRUE};
    HANDLE q = CreateMsgQueue(W(argv[3]).c_str(), &options);
    if (!q) return 1;
    std::puts("ready");
    std::fflush(stdout);
    for (int i = 0; i < std::atoi(argv[4]); ++i) {
      BYTE buf[5000];
      DWORD got = 0, flags = 0;
      if (!ReadMsgQueue(q, buf, sizeof buf, &got, static_cast<DWORD>(std::atoi(argv[5])), &flags)) {
        std::puts("timeout");
        break;
      }
      ce::wire::Reader r(buf, got);
      int level = r.I32();
      std::u16string text;
      while (r.remaining() >= 2) text += static_cast<char16_t>(r.U16());
      std::printf("%d %s\n", level, ce::text::ToUtf8(text).c_str());
    }
    CloseMsgQueue(q);
    return 0;
  }
  return 2;
}
