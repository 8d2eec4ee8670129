// Folder chores: making a path of folders, deleting and copying folder trees.
#include <string>

#include "platform/files/files.h"
#include "platform/kernel/sync.h"
#include "platform/text/wide_string.h"
#include "teskautils/TeskaUtils.h"

namespace {

using Path = std::u16string;

bool Exists(const Path& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool IsFolder(const WIN32_FIND_DATAW& entry) { return (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }

Path Join(const Path& folder, const WCHAR* name) { return folder + u"\\" + name; }

// Calls `visit` for every entry the pattern finds; `visit` answers false to stop the walk.
template <class Visit>
void ForEachEntry(const Path& pattern, Visit visit) {
  WIN32_FIND_DATAW entry{};
  HANDLE find = FindFirstFileW(pattern.c_str(), &entry);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    if (!visit(entry)) break;
  } while (FindNextFileW(find, &entry));
  FindClose(find);
}

void CopyFileLogged(const Path& source, const Path& target) {
  LogFormateado(2, u"Copiando %s a %s", source, target);
  CopyFileW(source.c_str(), target.c_str(), FALSE);
}

// Paths compared without regard to case or trailing backslashes.
bool SamePath(Path a, Path b) {
  while (a.size() > 1 && a.back() == u'\\') a.pop_back();
  while (b.size() > 1 && b.back() == u'\\') b.pop_back();
  return _wcsicmp(a.c_str(), b.c_str()) == 0;
}

// The unfiltered copy of `source` into `target`. `outermost` is the target the caller asked for:
// when it lies anywhere inside the source tree, that folder is skipped at every depth, so the tree
// is copied once and never into its own copy.
void CopyTree(const Path& source, const Path& target, const Path& outermost) {
  if (!Exists(target)) CreateDirectoryW(target.c_str(), nullptr);
  ForEachEntry(source + u"\\*", [&](const WIN32_FIND_DATAW& entry) {
    const Path from = Join(source, entry.cFileName);
    const Path to = Join(target, entry.cFileName);
    if (IsFolder(entry)) {
      if (!SamePath(from, outermost)) CopyTree(from, to, outermost);
    } else {
      CopyFileLogged(from, to);
    }
    return true;
  });
}

}  // namespace

extern "C" LPWSTR Substring(LPCWSTR source, LPWSTR target, BYTE start, BYTE end) {
  if (target == nullptr) return target;
  std::size_t n = 0;
  if (source != nullptr && end >= start) {
    // Never past the end of the source text.
    std::size_t length = wcslen(source);
    for (std::size_t i = start; i <= end && i < length; ++i) target[n++] = source[i];
  }
  target[n] = 0;
  return target;
}

extern "C" int CrearDirectorio(LPCWSTR path) {
  if (path == nullptr || path[0] == 0) return 1;
  const Path whole(path);
  // A leading backslash is the root, not a separator.
  for (std::size_t i = 1; i < whole.size(); ++i) {
    if (whole[i] != u'\\') continue;
    const Path prefix = whole.substr(0, i);
    if (!Exists(prefix)) CreateDirectoryW(prefix.c_str(), nullptr);
  }
  if (!Exists(whole)) CreateDirectoryW(whole.c_str(), nullptr);
  return 1;
}

extern "C" int BorrarDirectorioRecursivo(LPCWSTR path, BOOL keep_going) {
  if (path == nullptr || !Exists(path)) return 1;
  const Path folder(path);
  int result = 1;
  ForEachEntry(folder + u"\\*", [&](const WIN32_FIND_DATAW& entry) {
    const Path item = Join(folder, entry.cFileName);
    if (IsFolder(entry)) {
      BorrarDirectorioRecursivo(item.c_str(), FALSE);
      return true;
    }
    if (!DeleteFileW(item.c_str()) && !keep_going) {
      result = 0;
      return false;
    }
    return true;
  });
  if (result) RemoveDirectoryW(folder.c_str());
  return result;
}

extern "C" int CopiarArchivosRecursivo(LPCWSTR source, LPCWSTR target) {
  if (source == nullptr || target == nullptr) return 1;
  CopyTree(source, target, target);
  return 1;
}

extern "C" int CopiarArchivosRecursivoConFiltroPositivo(LPCWSTR source, LPCWSTR target, LPCWSTR extension) {
  if (source == nullptr || target == nullptr) return 1;
  const Path from_folder(source), to_folder(target);
  if (!Exists(to_folder)) CreateDirectoryW(to_folder.c_str(), nullptr);
  ForEachEntry(from_folder + u"\\*." + (extension ? extension : u""), [&](const WIN32_FIND_DATAW& entry) {
    const Path from = Join(from_folder, entry.cFileName);
    const Path to = Join(to_folder, entry.cFileName);
    if (IsFolder(entry)) {
      if (!SamePath(from, to_folder)) CopyTree(from, to, to_folder);
    } else {
      CopyFileLogged(from, to);
    }
    return true;
  });
  return 1;
}

extern "C" int CopiarArchivosRecursivoConFiltroNegativo(LPCWSTR source, LPCWSTR target, LPCWSTR text) {
  if (source == nullptr || target == nullptr) return 1;
  const Path from_folder(source), to_folder(target);
  if (!Exists(to_folder)) CreateDirectoryW(to_folder.c_str(), nullptr);
  ForEachEntry(from_folder + u"\\*", [&](const WIN32_FIND_DATAW& entry) {
    const Path from = Join(from_folder, entry.cFileName);
    const Path to = Join(to_folder, entry.cFileName);
    if (IsFolder(entry)) {
      if (!SamePath(from, to_folder)) CopyTree(from, to, to_folder);
    } else if (text == nullptr || wcsstr(entry.cFileName, text) == nullptr) {
      CopyFileLogged(from, to);
    }
    return true;
  });
  return 1;
}
