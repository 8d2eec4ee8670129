// folder_state_runner full|readonly <device folder> <program> [arguments]
//
// Runs <program> with CE_DEVICE_DIR set to the device folder, in a mount namespace of its own in
// which that folder is either full (a small tmpfs holding a copy of its files and a filler that
// takes every free block) or read-only (the folder bound onto itself read-only). Other processes
// keep seeing the folder as it was. Exits 125 with a message on standard error when the namespace
// or a mount cannot be made (not root, no mount namespaces), so a test can skip.
#include <fcntl.h>
#include <sched.h>
#include <stdlib.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kCannotSetUp = 125;
constexpr const char* kStage = ".full-stage";

int CannotSetUp(const char* what) {
  std::fprintf(stderr, "folder_state_runner: %s: %s\n", what, std::strerror(errno));
  return kCannotSetUp;
}

// Writes zeros into `path` until the file system has no block left.
void FillUp(const fs::path& path) {
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) return;
  static char zeros[65536];
  for (std::size_t chunk = sizeof zeros; chunk >= 512;) {
    if (write(fd, zeros, chunk) <= 0) chunk /= 2;
  }
  close(fd);
}

bool MakeFull(const fs::path& folder) {
  const fs::path stage = folder / kStage;
  std::error_code ec;
  fs::create_directories(stage, ec);
  if (mount("tmpfs", stage.c_str(), "tmpfs", 0, "size=16m") != 0) return false;
  // Folders and regular files only: sockets and locks of the running device are not content.
  for (auto it = fs::recursive_directory_iterator(folder, ec); it != fs::recursive_directory_iterator(); ++it) {
    const fs::path relative = it->path().lexically_relative(folder);
    if (*relative.begin() == kStage) {
      it.disable_recursion_pending();
      continue;
    }
    if (it->is_directory(ec)) {
      fs::create_directories(stage / relative, ec);
    } else if (it->is_regular_file(ec)) {
      fs::copy_file(it->path(), stage / relative, ec);
      if (ec) return false;
    }
  }
  FillUp(stage / ".filler");
  return mount(stage.c_str(), folder.c_str(), nullptr, MS_BIND, nullptr) == 0;
}

bool MakeReadOnly(const fs::path& folder) {
  return mount(folder.c_str(), folder.c_str(), nullptr, MS_BIND, nullptr) == 0 &&
         mount(nullptr, folder.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: folder_state_runner full|readonly <device folder> <program> [arguments]\n");
    return 2;
  }
  const std::string state = argv[1];
  const fs::path folder = fs::absolute(argv[2]);
  if (state != "full" && state != "readonly") return 2;
  std::error_code ec;
  fs::create_directories(folder, ec);
  if (unshare(CLONE_NEWNS) != 0) return CannotSetUp("unshare");
  if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) return CannotSetUp("private mounts");
  if (!(state == "full" ? MakeFull(folder) : MakeReadOnly(folder))) return CannotSetUp("mount");
  setenv("CE_DEVICE_DIR", folder.c_str(), 1);
  execv(argv[3], argv + 3);
  std::fprintf(stderr, "folder_state_runner: cannot start %s: %s\n", argv[3], std::strerror(errno));
  return 127;
}
