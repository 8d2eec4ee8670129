#include "platform/shell/process_object.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <thread>
#include <vector>

#include "platform/base/errors.h"
#include "platform/kernel/device_folder.h"
#include "platform/text/utf.h"

extern char** environ;

namespace ce::shell::internal {

void ProcessObject::EndLocked(DWORD exit_code) {
  if (ended_) return;  // the first end counts (a termination before the reaper sees the exit)
  ended_ = true;
  exit_code_ = exit_code;
  ce::kernel::WakeWaitersLocked();
}

std::shared_ptr<ProcessObject> EndedProcess() {
  static std::atomic<DWORD> next_id{0x40000000u};  // apart from host process ids
  auto p = std::make_shared<ProcessObject>(next_id++, false);
  auto lock = ce::kernel::LockKernel();
  p->EndLocked(0);
  return p;
}

std::shared_ptr<ProcessObject> SpawnHostProgram(const std::string& host_path, std::u16string_view ce_path,
                                                std::u16string_view command_line, DWORD* error,
                                                const std::string* start_mark) {
  std::vector<std::string> env_text;
  for (char** e = environ; *e; ++e) {
    if (std::strncmp(*e, "CE_DEVICE_DIR=", 14) != 0 && std::strncmp(*e, "CE_MODULE_PATH=", 15) != 0)
      env_text.emplace_back(*e);
  }
  env_text.push_back("CE_DEVICE_DIR=" + ce::DeviceFolder().string());
  env_text.push_back("CE_MODULE_PATH=" + ce::text::ToUtf8(ce_path));
  std::vector<char*> envp;
  for (std::string& s : env_text) envp.push_back(s.data());
  envp.push_back(nullptr);

  std::string program = host_path;
  std::string arguments = ce::text::ToUtf8(command_line);
  std::vector<char*> argv = {program.data()};
  if (!arguments.empty()) argv.push_back(arguments.data());
  argv.push_back(nullptr);

  // The mark is made by the new process itself, after it exists and before its program runs, so
  // that it tells the truth even when this process dies in the middle of the start.
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (start_mark) {
    rlimit files{};
    const int mark_fd = getrlimit(RLIMIT_NOFILE, &files) == 0 && files.rlim_cur > 4 && files.rlim_cur <= 4096
                            ? static_cast<int>(files.rlim_cur) - 1
                            : 255;
    posix_spawn_file_actions_addopen(&actions, mark_fd, start_mark->c_str(), O_WRONLY | O_CREAT, 0600);
    posix_spawn_file_actions_addclose(&actions, mark_fd);
  }
  pid_t pid = 0;
  const int rc = ::posix_spawn(&pid, host_path.c_str(), &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) {
    *error = rc == ENOENT ? ERROR_FILE_NOT_FOUND : rc == EACCES ? ERROR_ACCESS_DENIED : ERROR_BAD_EXE_FORMAT;
    return nullptr;
  }
  auto process = std::make_shared<ProcessObject>(static_cast<DWORD>(pid), true);
  std::thread([process, pid] {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    const DWORD code = WIFEXITED(status) ? static_cast<DWORD>(WEXITSTATUS(status)) : 0xFFFFFFFFu;
    auto lock = ce::kernel::LockKernel();
    process->EndLocked(code);
  }).detach();
  return process;
}

}  // namespace ce::shell::internal
