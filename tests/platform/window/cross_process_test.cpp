// Windows across processes: a real second process finds, posts to and answers this one.
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/base/wire.h"
#include "platform/kernel/device_folder.h"
#include "platform/testing/folder_states.h"
#include "tests/platform/window/window_fixture.h"

extern char** environ;

namespace {

class Peer {
 public:
  explicit Peer(const std::filesystem::path& device, std::vector<std::string> args = {}) {
    int fds[2];
    if (pipe(fds) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    std::string env_dir = "CE_DEVICE_DIR=" + device.string();
    std::vector<char*> env;
    for (char** e = environ; *e; ++e)
      if (std::string(*e).rfind("CE_DEVICE_DIR=", 0) != 0) env.push_back(*e);
    env.push_back(env_dir.data());
    env.push_back(nullptr);
    std::vector<char*> argv{const_cast<char*>(WINDOW_PEER_PROGRAM)};
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    if (posix_spawn(&pid_, WINDOW_PEER_PROGRAM, &actions, nullptr, argv.data(), env.data()) != 0) pid_ = 0;
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    out_ = fdopen(fds[0], "r");
  }
  ~Peer() {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    if (out_) fclose(out_);
  }
  // The peer's first line ("ready <handle>"), or "" when it ended first.
  std::string Line() {
    char buf[128];
    return out_ && fgets(buf, sizeof buf, out_) ? std::string(buf) : std::string();
  }
  void Kill() {
    if (pid_ > 0) kill(pid_, SIGKILL);
  }
  // Waits for the peer to end; its exit code, or -1.
  int Wait() {
    int status = 0;
    if (pid_ <= 0 || waitpid(pid_, &status, 0) != pid_) return -1;
    pid_ = 0;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

 private:
  pid_t pid_ = 0;
  FILE* out_ = nullptr;
};

}  // namespace

using CrossProcessTest = WindowTest;

namespace {

LRESULT HostProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  if (msg == WM_USER + 9) return static_cast<LRESULT>(wparam * 10);
  if (msg == WM_USER + 20) {
    // Slow enough that the senders pile up behind one another.
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    return static_cast<LRESULT>(wparam * 3);
  }
  return DefWindowProcW(hwnd, msg, wparam, lparam);
}

}  // namespace

// A top-level window whose record other processes cannot read (a full or read-only folder) would
// run unseen and could not be closed by them: it is not made, and the program learns why.
TEST_F(CrossProcessTest, AWindowNobodyCouldFindIsNotMade) {
  // Full: ERROR_DISK_FULL. Read-only: the records' folder itself may be missing there.
  for (const auto& [state, said] : {std::pair{ce::testing::FolderState::kFull, "no window (error 112)"},
                                    std::pair{ce::testing::FolderState::kReadOnly, "no window (error "}}) {
    SCOPED_TRACE(said);
    const auto run = ce::testing::RunWithFolderState(state, ce::DeviceFolder(), WINDOW_PEER_PROGRAM, {}, 50000);
    if (!run.available) GTEST_SKIP() << "no such folder here: " << run.output;
    EXPECT_EQ(run.exit_code, 2) << run.output;
    EXPECT_NE(run.output.find(said), std::string::npos) << run.output;
  }
  // An empty record an earlier version left is no window, and goes when windows are looked for.
  const auto empty = ce::DeviceRuntimeFolder() / "windows" / "w-00000000000ffff0";
  std::filesystem::create_directories(empty.parent_path());
  { std::ofstream touch(empty); }
  EXPECT_EQ(FindWindowW(u"NoSuchClass", nullptr), nullptr);
  EXPECT_FALSE(std::filesystem::exists(empty));
}

TEST_F(CrossProcessTest, AnotherProcessIsFoundPostedToAndAnswersSends) {
  WNDCLASSW host{};
  host.lpfnWndProc = HostProc;
  host.lpszClassName = u"TestHost";
  ASSERT_NE(RegisterClassW(&host), 0);
  HWND mine = CreateWindowExW(0, u"TestHost", u"host", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(mine, nullptr);

  Peer peer(device_folder());
  std::string ready = peer.Line();
  ASSERT_EQ(ready.rfind("ready ", 0), 0u) << ready;
  HWND theirs = reinterpret_cast<HWND>(static_cast<ULONG_PTR>(std::stoull(ready.substr(6), nullptr, 16)));

  // Found by class from here; its handle is not one of this process's.
  EXPECT_EQ(FindWindowW(u"PeerWindow", nullptr), theirs);
  EXPECT_EQ(FindWindowW(u"PeerWindow", u"Peer"), theirs);
  EXPECT_NE(theirs, mine);
  EXPECT_TRUE(IsWindow(theirs));
  DWORD pid = 0;
  GetWindowThreadProcessId(theirs, &pid);
  EXPECT_NE(pid, static_cast<DWORD>(getpid()));

  // A posted message with its two integers; the peer answers by posting back to our window.
  ASSERT_TRUE(PostMessageW(theirs, WM_USER + 5, 1234, -5678));
  MSG m{};
  bool got = false;
  for (int i = 0; i < 500 && !got; ++i) {
    got = PeekMessageW(&m, mine, WM_USER + 6, WM_USER + 6, PM_REMOVE);
    if (!got) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ASSERT_TRUE(got);
  EXPECT_EQ(m.wParam, 1234u);
  EXPECT_EQ(m.lParam, -5678);

  // A send waits for the other process's answer, and handles what that process sends back
  // meanwhile.
  EXPECT_EQ(SendMessageW(theirs, WM_USER + 7, 21, 0), 42);
  EXPECT_EQ(SendMessageW(theirs, WM_USER + 8, 4, 0), 41);

  // Its class, as its record names it.
  WCHAR cls[32] = {};
  EXPECT_EQ(GetClassNameW(theirs, cls, 32), 10);
  EXPECT_EQ(std::u16string(cls), u"PeerWindow");

  // Brought to the front from here.
  SendMessageW(theirs, WM_USER + 11, 0, 0);
  EXPECT_EQ(SendMessageW(theirs, WM_USER + 10, 0, 0), 0);
  EXPECT_TRUE(SetForegroundWindow(theirs));
  EXPECT_EQ(SendMessageW(theirs, WM_USER + 10, 0, 0), 1);
  // Shown and hidden from here, each answering whether it was visible.
  EXPECT_EQ(SendMessageW(theirs, WM_USER + 12, 0, 0), 0);
  EXPECT_FALSE(ShowWindow(theirs, SW_SHOW));
  EXPECT_EQ(SendMessageW(theirs, WM_USER + 12, 0, 0), 1);
  EXPECT_TRUE(ShowWindow(theirs, SW_HIDE));
  EXPECT_EQ(SendMessageW(theirs, WM_USER + 12, 0, 0), 0);

  // A send whose time-out passes before the other process answers fails as timed out, not as a
  // missing window; the window is still there.
  DWORD_PTR answer = 7;
  SetLastError(0);
  EXPECT_FALSE(SendMessageTimeoutW(theirs, WM_USER + 21, 500, 0, SMTO_NORMAL, 50, &answer));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_TIMEOUT));
  EXPECT_EQ(answer, 0u);
  EXPECT_TRUE(SendMessageTimeoutW(theirs, WM_USER + 21, 0, 0, SMTO_NORMAL, 5000, &answer));
  EXPECT_EQ(answer, 1u);

  // Closing it: the peer ends and its window is gone for everyone.
  ASSERT_TRUE(PostMessageW(theirs, WM_CLOSE, 0, 0));
  EXPECT_EQ(peer.Wait(), 3);
  EXPECT_EQ(FindWindowW(u"PeerWindow", nullptr), nullptr);
  EXPECT_FALSE(PostMessageW(theirs, WM_USER, 0, 0));
  EXPECT_EQ(SendMessageW(theirs, WM_USER + 7, 1, 0), 0);
  EXPECT_EQ(GetClassNameW(theirs, cls, 32), 0);
  DestroyWindow(mine);
  UnregisterClassW(u"TestHost", nullptr);
}

// Many threads of many processes sending to one window at once all get their answers: the
// requests beyond those served at once wait their turn.
TEST_F(CrossProcessTest, SixtyFourSendersFromEightProcessesAllGetTheirAnswers) {
  WNDCLASSW host{};
  host.lpfnWndProc = HostProc;
  host.lpszClassName = u"TestHost";
  ASSERT_NE(RegisterClassW(&host), 0);
  HWND mine = CreateWindowExW(0, u"TestHost", u"host", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(mine, nullptr);
  std::vector<std::unique_ptr<Peer>> peers;
  for (int i = 0; i < 8; ++i) peers.push_back(std::make_unique<Peer>(device_folder(), std::vector<std::string>{"senders", "8"}));
  // Answer until every peer has reported (its line comes when all its senders are done).
  std::vector<std::string> lines(peers.size());
  std::vector<std::thread> readers;
  std::atomic<int> reported{0};
  for (std::size_t i = 0; i < peers.size(); ++i) {
    readers.emplace_back([&, i] {
      lines[i] = peers[i]->Line();
      ++reported;
    });
  }
  const auto start = std::chrono::steady_clock::now();
  while (reported < static_cast<int>(peers.size()) && std::chrono::steady_clock::now() - start < std::chrono::seconds(60)) {
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  if (reported < static_cast<int>(peers.size())) {
    for (auto& p : peers) p->Kill();  // a peer that hangs: its line ends now
  }
  for (auto& t : readers) t.join();
  for (std::size_t i = 0; i < peers.size(); ++i) {
    EXPECT_EQ(lines[i], "answered 8\n") << "peer " << i;
    EXPECT_EQ(peers[i]->Wait(), 0) << "peer " << i;
  }
  DestroyWindow(mine);
  UnregisterClassW(u"TestHost", nullptr);
}

namespace {

// A socket connected to this process's window listener, or -1.
int ConnectToListener() {
  sockaddr_un a{};
  a.sun_family = AF_UNIX;
  std::size_t hash = std::hash<std::string>()(std::filesystem::absolute(ce::DeviceRuntimeFolder()).string());
  int n = std::snprintf(a.sun_path + 1, sizeof a.sun_path - 1, "ce-windows-%zx-%ld", hash, static_cast<long>(getpid()));
  int fd = socket(AF_UNIX, SOCK_STREAM, 0);
  if (connect(fd, reinterpret_cast<sockaddr*>(&a), static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + n)) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

// Writes raw bytes to this process's window listener as a peer would; the reply bytes, empty when
// the listener closed without one.
std::vector<std::uint8_t> RawRequest(const std::vector<std::uint8_t>& bytes) {
  int fd = ConnectToListener();
  std::vector<std::uint8_t> reply;
  if (fd >= 0) {
    if (!bytes.empty()) (void)!write(fd, bytes.data(), bytes.size());
    shutdown(fd, SHUT_WR);
    std::uint8_t buf[64];
    ssize_t got;
    while ((got = read(fd, buf, sizeof buf)) > 0) reply.insert(reply.end(), buf, buf + got);
  }
  close(fd);
  return reply;
}

std::vector<std::uint8_t> Packet(std::uint32_t magic, std::uint32_t kind, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  ce::wire::Writer w;
  w.U32(magic);
  w.U32(kind);
  w.U64(reinterpret_cast<ULONG_PTR>(hwnd));
  w.U32(msg);
  w.U64(static_cast<std::uint64_t>(wp));
  w.U64(static_cast<std::uint64_t>(lp));
  w.U32(0);
  return w.Take();
}

}  // namespace

TEST_F(CrossProcessTest, GarbageFromAPeerIsRefused) {
  HWND mine = Make();
  ASSERT_NE(mine, nullptr);
  constexpr std::uint32_t kMagic = 0x47534D57, kPost = 1, kSend = 2;
  LPARAM wild = 0x10;  // an address of the sender's, meaningless here
  struct {
    std::vector<std::uint8_t> bytes;
    bool answered;  // a 12-byte reply with status 1 (refused)
  } cases[] = {
      {{}, false},
      {{0x57, 0x4D, 0x53}, false},
      {Packet(0x12345678, kPost, mine, WM_USER, 0, 0), true},
      {Packet(kMagic, 99, mine, WM_USER, 0, 0), true},
      {Packet(kMagic, kPost, reinterpret_cast<HWND>(0x7FFFFFF0), WM_USER, 0, 0), true},
      {Packet(kMagic, kSend, mine, WM_SETTEXT, 0, wild), true},
      {Packet(kMagic, kSend, mine, WM_GETTEXT, 100, wild), true},
      {Packet(kMagic, kPost, mine, WM_TIMER, 1, wild), true},
      {Packet(kMagic, kSend, mine, WM_NOTIFY, 1, wild), true},
  };
  for (auto& c : cases) {
    std::vector<std::uint8_t> reply = RawRequest(c.bytes);
    if (!c.answered) {
      EXPECT_TRUE(reply.empty());
      continue;
    }
    ASSERT_EQ(reply.size(), 12u);
    EXPECT_EQ(reply[0], 1) << "refused";
  }
  Pump();  // nothing harmful was queued
  EXPECT_TRUE(Got(WM_TIMER).empty());
  // Integers still pass.
  std::vector<std::uint8_t> reply = RawRequest(Packet(kMagic, kPost, mine, WM_USER + 3, 7, -7));
  ASSERT_EQ(reply.size(), 12u);
  EXPECT_EQ(reply[0], 0);
  Pump();
  ASSERT_EQ(Got(WM_USER + 3).size(), 1u);
  EXPECT_EQ(Got(WM_USER + 3)[0].lparam, -7);
}

TEST_F(CrossProcessTest, IdleConnectionsStallNoRequest) {
  HWND mine = Make();
  ASSERT_NE(mine, nullptr);
  // 64 local connections that never send a byte (and one that sends half a request).
  std::vector<int> idle;
  for (int i = 0; i < 64; ++i) {
    const int fd = ConnectToListener();
    ASSERT_GE(fd, 0);
    idle.push_back(fd);
  }
  ASSERT_EQ(write(idle[0], "WMSG", 4), 4);
  constexpr std::uint32_t kMagic = 0x47534D57, kPost = 1;
  const auto start = std::chrono::steady_clock::now();
  std::vector<std::uint8_t> reply = RawRequest(Packet(kMagic, kPost, mine, WM_USER + 3, 1, 2));
  const auto took = std::chrono::steady_clock::now() - start;
  ASSERT_EQ(reply.size(), 12u);
  EXPECT_EQ(reply[0], 0);
  // Served as it came, not after the idle connections' time-outs (5 s each, 32 at a time).
  EXPECT_LT(took, std::chrono::seconds(3));
  Pump();
  EXPECT_EQ(Got(WM_USER + 3).size(), 1u);
  for (int fd : idle) close(fd);
}
