#include "platform/files/copy_leftovers.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cctype>

#include "platform/files/ce_path.h"

namespace ce::files {
namespace {

// True for the name of a copy's file in the making: "." + target name + ".copy-" + six characters.
bool IsCopyInTheMaking(const std::string& name) {
  constexpr std::string_view kMark = ".copy-";
  constexpr std::size_t kRandom = 6;
  if (name.size() < 1 + 1 + kMark.size() + kRandom || name[0] != '.') return false;
  const std::size_t mark = name.size() - kRandom - kMark.size();
  if (name.compare(mark, kMark.size(), kMark) != 0) return false;
  for (std::size_t i = name.size() - kRandom; i < name.size(); ++i)
    if (!std::isalnum(static_cast<unsigned char>(name[i]))) return false;
  return true;
}

}  // namespace

void RemoveAbandonedCopiesIn(const std::filesystem::path& folder, const std::string& own) {
  std::error_code ec;
  for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (!IsCopyInTheMaking(name) || it->path() == own || !it->is_regular_file(ec)) continue;
    const int fd = ::open(it->path().c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) continue;
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) ::unlink(it->path().c_str());
    ::close(fd);
  }
}

void RemoveAbandonedCopies(std::u16string_view ce_folder) {
  const std::filesystem::path folder = HostPath(ce_folder);
  if (!folder.empty()) RemoveAbandonedCopiesIn(folder);
}

}  // namespace ce::files
