#include "platform/testing/folder_states.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>

extern char** environ;

namespace ce::testing {

FolderRun RunWithFolderState(FolderState state, const std::filesystem::path& folder, const std::string& program,
                             const std::vector<std::string>& arguments, int timeout_ms) {
  FolderRun run;
  std::vector<std::string> args = {FOLDER_STATE_RUNNER, state == FolderState::kFull ? "full" : "readonly",
                                   folder.string(), program};
  args.insert(args.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return run;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
  posix_spawn_file_actions_adddup2(&actions, fds[1], 2);
  pid_t pid = -1;
  const int spawned = posix_spawn(&pid, FOLDER_STATE_RUNNER, &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(fds[1]);
  if (spawned != 0) {
    close(fds[0]);
    return run;
  }
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      kill(pid, SIGKILL);
      break;
    }
    pollfd p{fds[0], POLLIN, 0};
    if (poll(&p, 1, static_cast<int>(left.count())) <= 0) continue;
    char buf[4096];
    const ssize_t n = read(fds[0], buf, sizeof buf);
    if (n <= 0) break;
    run.output.append(buf, static_cast<std::size_t>(n));
  }
  close(fds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  if (WIFEXITED(status)) {
    run.exit_code = WEXITSTATUS(status);
    run.available = run.exit_code != 125;
  } else if (WIFSIGNALED(status)) {
    run.signal = WTERMSIG(status);
    run.available = true;
  }
  return run;
}

}  // namespace ce::testing
