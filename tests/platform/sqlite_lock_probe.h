// Whether this process holds a POSIX lock on any byte of a file, as another process sees it.
// SQLite keeps a shared lock on its "-shm" file for as long as a connection uses the file; a
// process that finds none takes the file for abandoned and resets it.
#pragma once

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>

namespace ce::testing {

// Asked from a child process: a lock test from this one would see its own locks as no conflict,
// and opening and closing the file here would drop them. The child only opens, asks and exits.
inline bool LockedByThisProcess(const std::filesystem::path& file) {
  const std::string path = file.string();
  const pid_t child = ::fork();
  if (child == 0) {
    const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) ::_exit(2);
    struct flock probe {};
    probe.l_type = F_WRLCK;
    probe.l_whence = SEEK_SET;  // l_start = l_len = 0: the whole file
    if (::fcntl(fd, F_GETLK, &probe) != 0) ::_exit(2);
    ::_exit(probe.l_type != F_UNLCK && probe.l_pid == ::getppid() ? 0 : 1);
  }
  int status = 0;
  if (child < 0 || ::waitpid(child, &status, 0) != child) return false;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace ce::testing
