// A program started by a test as a child process, its standard output read line by line.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

namespace ce::testing {

class ChildProcess {
 public:
  // What the destructor does with a child that may still run.
  enum class AtEnd { kWait, kTerminate };
  // Where its standard output goes: a pipe read with `ReadLine`, or the test's own output.
  enum class Output { kPipe, kInherit };

  // Starts `program` with `args` (argv[0] is the program) and the test's environment.
  // `started()` tells whether it ran.
  ChildProcess(const std::string& program, const std::vector<std::string>& args, AtEnd at_end = AtEnd::kWait,
               Output output = Output::kPipe);
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool started() const { return pid_ > 0; }
  pid_t pid() const { return pid_; }

  // The next output line; at the end of the output the unfinished rest, if any. Nothing when the
  // output has ended (`at_eof()`) or `timeout_ms` of real time have passed.
  std::optional<std::string> ReadLine(int timeout_ms = 10000);
  bool at_eof() const { return eof_; }

  void Kill();       // SIGKILL at once
  void Terminate();  // SIGTERM
  // Waits for the end; the exit code, or -1 for a signal or a child already waited for.
  int Wait();

 private:
  pid_t pid_ = -1;
  int fd_ = -1;
  bool eof_ = false;
  AtEnd at_end_;
  std::string pending_;
};

}  // namespace ce::testing
