#include "platform/registry/registry_notify.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <vector>

#include "platform/msgqueue/msgqueue.h"
#include "platform/registry/registry_watch.h"
#include "platform/testing/device_test.h"
#include "tests/platform/peer/peer_process.h"

namespace {

using namespace std::chrono_literals;
using ce::testing::PeerProcess;

struct Seen {
  HREGNOTIFY handle;
  DWORD user;
  std::vector<BYTE> data;
  bool deleted;
};

std::mutex g_mu;
std::condition_variable g_cv;
std::vector<Seen> g_seen;

void Record(HREGNOTIFY h, DWORD user, const BYTE* data, UINT size) {
  std::lock_guard<std::mutex> guard(g_mu);
  g_seen.push_back(Seen{h, user, data ? std::vector<BYTE>(data, data + size) : std::vector<BYTE>(), data == nullptr});
  g_cv.notify_all();
}

// Waits in real time for the callback count to reach `n`.
bool AwaitCallbacks(std::size_t n, std::chrono::milliseconds limit = 5s) {
  std::unique_lock<std::mutex> lock(g_mu);
  return g_cv.wait_for(lock, limit, [&] { return g_seen.size() >= n; });
}

class RegistryNotifyTest : public ce::testing::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    std::lock_guard<std::mutex> guard(g_mu);
    g_seen.clear();
  }
};

void SetDword(const char16_t* key, const char16_t* name, DWORD v) {
  ASSERT_EQ(S_OK, RegistrySetDWORD(HKEY_LOCAL_MACHINE, key, name, v));
}

TEST_F(RegistryNotifyTest, CallbackSeesChangesThroughTheMaskAndStopsWhenClosed) {
  const char16_t* key = u"System\\State\\Phone";
  NOTIFICATIONCONDITION cond{REG_CT_ANYCHANGE, 0x0000FFFFu, {}};
  HREGNOTIFY h = nullptr;
  // The key does not exist yet.
  ASSERT_EQ(S_OK, RegistryNotifyCallback(HKEY_LOCAL_MACHINE, key, u"Active Call Count", Record, 42, &cond, &h));
  SetDword(key, u"active call count", 1);
  ASSERT_TRUE(AwaitCallbacks(1));
  SetDword(key, u"Active Call Count", 1);            // same value: nothing
  SetDword(key, u"Active Call Count", 0x00010001u);  // only masked-out bits changed: nothing
  SetDword(key, u"Other", 5);                        // another value: nothing
  EXPECT_FALSE(AwaitCallbacks(2, 1500ms));
  HKEY k = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_LOCAL_MACHINE, key, 0, 0, &k));
  ASSERT_EQ(ERROR_SUCCESS, RegDeleteValueW(k, u"Active Call Count"));
  RegCloseKey(k);
  ASSERT_TRUE(AwaitCallbacks(2));
  {
    std::lock_guard<std::mutex> guard(g_mu);
    EXPECT_EQ(h, g_seen[0].handle);
    EXPECT_EQ(42u, g_seen[0].user);
    EXPECT_EQ((std::vector<BYTE>{1, 0, 0, 0}), g_seen[0].data);
    EXPECT_TRUE(g_seen[1].deleted);
  }
  EXPECT_EQ(S_OK, RegistryCloseNotification(h));
  SetDword(key, u"Active Call Count", 7);
  EXPECT_FALSE(AwaitCallbacks(3, 1500ms));
  EXPECT_EQ(E_INVALIDARG, RegistryCloseNotification(h));

  NOTIFICATIONCONDITION equal{static_cast<REG_COMPARISONTYPE>(1), 0, {}};
  EXPECT_EQ(E_INVALIDARG, RegistryNotifyCallback(HKEY_LOCAL_MACHINE, key, u"x", Record, 0, &equal, &h));
}

TEST_F(RegistryNotifyTest, QueueRegistrationWritesTheHandleFirst) {
  MSGQUEUEOPTIONS ro{sizeof(MSGQUEUEOPTIONS), 3, 0, 4112, TRUE};
  HANDLE queue = CreateMsgQueue(u"BROKER_QUEUE_NAME", &ro);
  ASSERT_NE(nullptr, queue);
  HREGNOTIFY h = nullptr;
  NOTIFICATIONCONDITION cond{REG_CT_ANYCHANGE, 0xFFFFFFFFu, {}};
  ASSERT_EQ(S_OK, RegistryNotifyMsgQueue(HKEY_LOCAL_MACHINE, u"System\\State\\Hardware", u"Wifi", u"BROKER_QUEUE_NAME",
                                         0, &cond, &h));
  SetDword(u"System\\State\\Hardware", u"Wifi", 3);
  BYTE buf[1000];
  DWORD got = 0, flags = 0;
  bool read = false;
  for (int i = 0; i < 50 && !read; ++i) {
    read = ReadMsgQueue(queue, buf, sizeof buf, &got, 0, &flags);
    if (!read) std::this_thread::sleep_for(100ms);
  }
  ASSERT_TRUE(read);
  ASSERT_EQ(16u, got);
  DWORD first = buf[0] | (buf[1] << 8) | (buf[2] << 16) | (static_cast<DWORD>(buf[3]) << 24);
  EXPECT_EQ(reinterpret_cast<ULONG_PTR>(h), first);
  EXPECT_EQ(4, buf[8]);  // byte count of the new data
  EXPECT_EQ(3, buf[12]);
  EXPECT_EQ(S_OK, RegistryCloseNotification(h));
  CloseMsgQueue(queue);
}

TEST_F(RegistryNotifyTest, TwoProcessesShareValuesAndNotifications) {
  const char16_t* key = u"\\SOFTWARE\\Morvane\\Velomar";
  ASSERT_EQ(S_OK, RegistrySetString(HKEY_LOCAL_MACHINE, key, u"current_place", u"Home"));
  {
    PeerProcess get(device_folder(), {"reg-get", "software\\morvane\\velomar", "CURRENT_PLACE"});
    EXPECT_EQ("Home", get.Line());
  }

  // A watcher in the other process is told of our write.
  PeerProcess watch(device_folder(), {"reg-watch", "SOFTWARE\\Morvane\\Velomar", "current_place", "20000"});
  ASSERT_EQ("ready", watch.Line());
  ASSERT_EQ(S_OK, RegistrySetString(HKEY_LOCAL_MACHINE, key, u"current_place", u"Office"));
  EXPECT_EQ("Office", watch.Line());

  // Our watcher is told of the other process's write, and the value is there to read.
  HREGNOTIFY h = nullptr;
  ASSERT_EQ(S_OK, RegistryNotifyCallback(HKEY_LOCAL_MACHINE, key, u"current_frame", Record, 0, nullptr, &h));
  {
    PeerProcess set(device_folder(), {"reg-set", "SOFTWARE\\Morvane\\Velomar", "current_frame", "Work 08:00"});
    EXPECT_EQ(0, set.Wait());
  }
  ASSERT_TRUE(AwaitCallbacks(1));
  WCHAR text[64];
  EXPECT_EQ(S_OK, RegistryGetString(HKEY_LOCAL_MACHINE, key, u"current_frame", text, 64));
  EXPECT_EQ(std::u16string(u"Work 08:00"), text);
  RegistryCloseNotification(h);
}

TEST_F(RegistryNotifyTest, AWriterKilledMidWriteLeavesAWholeValue) {
  PeerProcess spin(device_folder(), {"reg-spin", "Software\\Spin", "counter"});
  ASSERT_EQ("ready", spin.Line());
  std::this_thread::sleep_for(300ms);
  spin.Kill();
  spin.Wait();
  WCHAR text[32];
  ASSERT_EQ(S_OK, RegistryGetString(HKEY_LOCAL_MACHINE, u"Software\\Spin", u"counter", text, 32));
  std::u16string value(text);
  ASSERT_FALSE(value.empty());
  EXPECT_EQ(std::u16string::npos, value.find_first_not_of(u"0123456789"));
  EXPECT_EQ(S_OK, RegistrySetString(HKEY_LOCAL_MACHINE, u"Software\\Spin", u"counter", u"after"));
  EXPECT_EQ(S_OK, RegistryGetString(HKEY_LOCAL_MACHINE, u"Software\\Spin", u"counter", text, 32));
  EXPECT_EQ(std::u16string(u"after"), text);
}

}  // namespace

namespace {

// A datagram socket bound in the watcher folder, as a watcher process binds one.
struct WatcherSocket {
  int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  explicit WatcherSocket(const std::filesystem::path& path) {
    sockaddr_un addr;
    EXPECT_TRUE(ce::registry::FillAddress(path, &addr));
    EXPECT_EQ(0, bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr));
  }
  ~WatcherSocket() { close(fd); }
  // True when a datagram came within the limit.
  bool Woken() {
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, 5000) != 1) return false;
    char byte = 0;
    return recv(fd, &byte, 1, 0) == 1;
  }
};

}  // namespace

// Each commit wakes every watcher socket present before it, also after the runtime folder was
// removed and made again under a writer that had announced into the old one.
TEST_F(RegistryNotifyTest, ACommitWakesWatchersOfARuntimeFolderMadeAgain) {
  const std::filesystem::path run = device_folder() / "run";
  {
    WatcherSocket first(ce::registry::WatchFolder() / "first");
    SetDword(u"System\\State", u"Tick", 1);
    EXPECT_TRUE(first.Woken());
  }
  std::filesystem::remove_all(run);
  WatcherSocket second(ce::registry::WatchFolder() / "second");
  SetDword(u"System\\State", u"Tick", 2);
  EXPECT_TRUE(second.Woken());
  WatcherSocket third(ce::registry::WatchFolder() / "third");
  SetDword(u"System\\State", u"Tick", 3);
  EXPECT_TRUE(third.Woken());
  EXPECT_TRUE(second.Woken());
}
