// The share modes of the files this process holds open.
#include <mutex>
#include <vector>

#include "platform/files/files.h"
#include "platform/files/host_file.h"

namespace ce::files::internal {
namespace {

struct Open {
  FileId id;
  DWORD access;
  DWORD share;
  const void* token;
};

struct Opens {
  std::mutex lock;
  std::vector<Open> list;
};

Opens& TheOpens() {
  static Opens* opens = new Opens;  // never destroyed: files may close during exit
  return *opens;
}

bool Reads(DWORD access) { return access & (GENERIC_READ | GENERIC_ALL); }
bool Writes(DWORD access) { return access & (GENERIC_WRITE | GENERIC_ALL); }

}  // namespace

DWORD AddOpen(FileId id, DWORD access, DWORD share, const void* token) {
  Opens& opens = TheOpens();
  std::lock_guard<std::mutex> guard(opens.lock);
  for (const Open& o : opens.list) {
    // An open without data access (attributes only) takes no part in sharing.
    if (!(o.id == id) || !(Reads(access) || Writes(access)) || !(Reads(o.access) || Writes(o.access))) continue;
    if ((Reads(access) && !(o.share & FILE_SHARE_READ)) || (Writes(access) && !(o.share & FILE_SHARE_WRITE)) ||
        (Reads(o.access) && !(share & FILE_SHARE_READ)) || (Writes(o.access) && !(share & FILE_SHARE_WRITE))) {
      return ERROR_SHARING_VIOLATION;
    }
  }
  opens.list.push_back(Open{id, access, share, token});
  return ERROR_SUCCESS;
}

void RemoveOpen(const void* token) {
  Opens& opens = TheOpens();
  std::lock_guard<std::mutex> guard(opens.lock);
  std::erase_if(opens.list, [token](const Open& o) { return o.token == token; });
}

bool OpenConflicts(FileId id, DWORD share) {
  Opens& opens = TheOpens();
  std::lock_guard<std::mutex> guard(opens.lock);
  for (const Open& o : opens.list) {
    if (o.id == id && (share == 0 || (o.share & share) != share)) return true;
  }
  return false;
}

bool IdOf(const std::filesystem::path& host, FileId* id) {
  struct stat st;
  if (::stat(host.c_str(), &st) != 0) return false;
  *id = FileId{st.st_dev, st.st_ino};
  return true;
}

}  // namespace ce::files::internal
