// Windows across processes: a real second process finds, posts to and answers this one.
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "tests/platform/window/window_fixture.h"

extern char** environ;

namespace {

class Peer {
 public:
  explicit Peer(const std::filesystem::path& device) {
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
    char* argv[] = {const_cast<char*>(WINDOW_PEER_PROGRAM), nullptr};
    if (posix_spawn(&pid_, WINDOW_PEER_PROGRAM, &actions, nullptr, argv, env.data()) != 0) pid_ = 0;
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
  return DefWindowProcW(hwnd, msg, wparam, lparam);
}

}  // namespace

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

  // Brought to the front from here.
  SendMessageW(theirs, WM_USER + 11, 0, 0);
  EXPECT_EQ(SendMessageW(theirs, WM_USER + 10, 0, 0), 0);
  EXPECT_TRUE(SetForegroundWindow(theirs));
  EXPECT_EQ(SendMessageW(theirs, WM_USER + 10, 0, 0), 1);

  // Closing it: the peer ends and its window is gone for everyone.
  ASSERT_TRUE(PostMessageW(theirs, WM_CLOSE, 0, 0));
  EXPECT_EQ(peer.Wait(), 3);
  EXPECT_EQ(FindWindowW(u"PeerWindow", nullptr), nullptr);
  EXPECT_FALSE(PostMessageW(theirs, WM_USER, 0, 0));
  EXPECT_EQ(SendMessageW(theirs, WM_USER + 7, 1, 0), 0);
  DestroyWindow(mine);
  UnregisterClassW(u"TestHost", nullptr);
}
