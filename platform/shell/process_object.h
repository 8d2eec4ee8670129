// Inside the shell area: the process objects that CreateProcessW hands out.
#pragma once

#include <memory>
#include <string>

#include "platform/kernel/waitable.h"

namespace ce::shell::internal {

// Signalled when the process has ended.
class ProcessObject final : public ce::kernel::Waitable {
 public:
  ProcessObject(DWORD id, bool host_process) : id_(id), host_process_(host_process) {}
  DWORD id() const { return id_; }
  // A real host process (its id is the host's pid), not a recorded start.
  bool host_process() const { return host_process_; }
  bool IsSignaledLocked(ce::kernel::ThreadId) const override { return ended_; }
  // Kernel lock held.
  DWORD ExitCodeLocked() const { return ended_ ? exit_code_ : 259u; }
  void EndLocked(DWORD exit_code);

 private:
  const DWORD id_;
  const bool host_process_;
  bool ended_ = false;
  DWORD exit_code_ = 0;
};

// A process that has already ended with exit code 0: what a recorded start reports.
std::shared_ptr<ProcessObject> EndedProcess();

// Runs a host executable with the device's environment (see launch_seam.h). Null with *error
// set when it cannot be started. With `start_mark`, the new process makes that file just before
// the program runs.
std::shared_ptr<ProcessObject> SpawnHostProgram(const std::string& host_path, std::u16string_view ce_path,
                                                std::u16string_view command_line, DWORD* error,
                                                const std::string* start_mark = nullptr);

}  // namespace ce::shell::internal
