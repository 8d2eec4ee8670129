#include "platform/libraries/library_seam.h"

#include "platform/files/ce_path.h"

namespace ce::libraries {

std::u16string LibraryKey(std::u16string_view name) {
  std::size_t cut = name.find_last_of(u"\\/");
  if (cut != name.npos) name.remove_prefix(cut + 1);
  std::u16string key;
  for (char16_t c : name) key.push_back(ce::files::FoldNameChar(c));
  if (key.size() > 4 && key.compare(key.size() - 4, 4, u".dll") == 0) key.resize(key.size() - 4);
  return key;
}

LibrarySeam& LibrarySeam::Get() {
  static LibrarySeam* seam = new LibrarySeam;
  return *seam;
}

void LibrarySeam::SetAbsent(std::u16string_view library, bool absent) {
  std::lock_guard<std::mutex> guard(lock_);
  if (absent) libraries_.insert(LibraryKey(library));
  else libraries_.erase(LibraryKey(library));
}

void LibrarySeam::SetEntryAbsent(std::u16string_view library, const std::string& export_name, bool absent) {
  std::lock_guard<std::mutex> guard(lock_);
  auto key = std::make_pair(LibraryKey(library), export_name);
  if (absent) entries_.insert(key);
  else entries_.erase(key);
}

void LibrarySeam::SetOrdinalAbsent(std::u16string_view library, WORD ordinal, bool absent) {
  std::lock_guard<std::mutex> guard(lock_);
  auto key = std::make_pair(LibraryKey(library), ordinal);
  if (absent) ordinals_.insert(key);
  else ordinals_.erase(key);
}

void LibrarySeam::Reset() {
  std::lock_guard<std::mutex> guard(lock_);
  libraries_.clear();
  entries_.clear();
  ordinals_.clear();
}

bool LibrarySeam::IsAbsent(std::u16string_view library) const {
  std::lock_guard<std::mutex> guard(lock_);
  return libraries_.count(LibraryKey(library)) > 0;
}

bool LibrarySeam::IsEntryAbsent(std::u16string_view library, const std::string& export_name) const {
  std::lock_guard<std::mutex> guard(lock_);
  return entries_.count(std::make_pair(LibraryKey(library), export_name)) > 0;
}

bool LibrarySeam::IsOrdinalAbsent(std::u16string_view library, WORD ordinal) const {
  std::lock_guard<std::mutex> guard(lock_);
  return ordinals_.count(std::make_pair(LibraryKey(library), ordinal)) > 0;
}

}  // namespace ce::libraries
