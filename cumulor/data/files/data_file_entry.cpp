#include "cumulor/data/files/data_file_entry.h"

namespace cumulor {

namespace {

bool TextEquals(const WCHAR* a, const WCHAR* b) {
  for (std::int32_t i = 0; i < kDataFileNameChars; ++i) {
    if (a[i] != b[i]) return false;
    if (a[i] == 0) return true;
  }
  return true;
}

}  // namespace

DataFileEntry NewDataFileEntry() {
  DataFileEntry e{};
  e.handle = -1;
  return e;
}

void SetEntryText(WCHAR (&field)[kDataFileNameChars], const WCHAR* text) {
  std::int32_t i = 0;
  for (; text && text[i] && i < kDataFileNameChars - 1; ++i) field[i] = text[i];
  for (; i < kDataFileNameChars; ++i) field[i] = 0;
}

bool DataFileEntryEquals(const DataFileEntry& a, const DataFileEntry& b) {
  return TextEquals(a.name, b.name) && TextEquals(a.folder, b.folder);
}

bool PathListEquals(const PathList& a, const PathList& b) {
  if (a.Size() != b.Size()) return false;
  for (std::int32_t i = 0; i < a.Size(); ++i)
    if (!DataFileEntryEquals(a[i], b[i])) return false;
  return true;
}

}  // namespace cumulor
