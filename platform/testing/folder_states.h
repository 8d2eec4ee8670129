// Runs a program of the device on a device folder that is full or read-only for that program
// alone (a mount namespace of its own; the test and other processes see the folder unchanged).
// Needs root and mount namespaces; `available` is false otherwise, and the test skips.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace ce::testing {

enum class FolderState {
  kFull,      // a small tmpfs with a copy of the folder's files and no free block left
  kReadOnly,  // the folder itself, mounted read-only
};

struct FolderRun {
  bool available = false;  // the folder could be put in that state
  int exit_code = -1;      // -1 when the program ended by a signal (or was killed at the time-out)
  int signal = 0;
  std::string output;      // standard output and standard error together
};

// Starts `program` with `arguments`, CE_DEVICE_DIR set to `folder`, and waits for it (killed after
// `timeout_ms`).
FolderRun RunWithFolderState(FolderState state, const std::filesystem::path& folder, const std::string& program,
                             const std::vector<std::string>& arguments, int timeout_ms = 60000);

}  // namespace ce::testing
