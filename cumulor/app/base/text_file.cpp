#include "cumulor/app/base/text_file.h"

#include <cstring>

#include "cumulor/app/base/file_access.h"

namespace cumulor {

void SourceBuffer::LoadBytes(const void* data, std::int32_t size) {
  bytes.SetSize(0);
  position = 0;
  loaded = 0;
  if (data && size > 0 && bytes.Append(static_cast<const std::uint8_t*>(data), size) == S_OK) loaded = 1;
}

void LoadFileBuffer(const WCHAR* path, SourceBuffer& buffer) {
  buffer.position = 0;
  buffer.loaded = 0;
  if (detail::ReadFileWhole(path, buffer.bytes) == detail::ReadOutcome::Ok && buffer.bytes.Size() > 0)
    buffer.loaded = 1;
}

void TextLines::Split(const void* data, std::int32_t size) {
  if (!data || size <= 0) {
    result_ = kTextFileEmpty;
    return;
  }
  if (bytes_.SetSize(size + 2) != S_OK) return;  // E_FAIL stays
  std::memcpy(bytes_.Data(), data, static_cast<std::size_t>(size));
  count_ = size;
  if (!(size >= 2 && bytes_[size - 2] == '\r' && bytes_[size - 1] == '\n')) {
    bytes_[count_++] = '\r';
    bytes_[count_++] = '\n';
  }
  bytes_.SetSize(count_);

  // Room for every line at once: growing the table line by line copies it over and over, which on
  // a file of a million lines takes minutes.
  // The line ends are found with memchr over the buffer, not byte by byte through the array: a
  // large airspace file is tens of megabytes, and a checked build (ThreadSanitizer) pays a call for
  // every byte read one at a time.
  char* const text = bytes_.Data();
  const char* const end = text + count_;
  std::int32_t newlines = 0;
  for (const char* at = text; (at = static_cast<const char*>(std::memchr(at, '\n', end - at))) != nullptr; ++at)
    ++newlines;
  if (lines_.Reserve(newlines) != S_OK) return;  // E_FAIL stays
  std::int32_t start = 0;
  for (char* at = text; (at = static_cast<char*>(std::memchr(at, '\n', end - at))) != nullptr; ++at) {
    const auto i = static_cast<std::int32_t>(at - text);
    *at = 0;
    std::int32_t length = i - start;
    bool onlyCr = length == 1 && text[start] == '\r';
    if (length > 0 && !onlyCr && lines_.Append(Line{start, length}) != S_OK) {
      lines_.FreeData();
      return;  // E_FAIL stays
    }
    start = i + 1;
  }
  loaded_ = 1;
  result_ = 0;
}

TextLines SplitTextLines(const void* data, std::int32_t size) {
  TextLines lines;
  lines.Split(data, size);
  return lines;
}

TextLines ReadWholeFile(const WCHAR* path) {
  TextLines lines;
  DynArray<std::uint8_t> bytes;
  switch (detail::ReadFileWhole(path, bytes)) {
    case detail::ReadOutcome::CannotOpen:
      lines.result_ = kTextFileCannotOpen;
      break;
    case detail::ReadOutcome::ReadFailed:
      break;
    case detail::ReadOutcome::Ok:
      lines.Split(bytes.Data(), bytes.Size());
      break;
  }
  return lines;
}

}  // namespace cumulor
