// Whole-file readers: the source buffer that the document reader reads characters from, and the
// text-line buffer of ReadWholeFile.
#pragma once

#include <cstdint>

#include "cumulor/app/base/dyn_array.h"
#include "platform/base/errors.h"
#include "platform/base/types.h"

namespace cumulor {

// The bytes of a whole file with a read position. Next() gives each byte as 0..255 and then
// kEndOfInput for good, so every byte value, 0xFF included, is an ordinary character.
struct SourceBuffer {
  static constexpr int kEndOfInput = -1;

  DynArray<std::uint8_t> bytes;
  std::int32_t position = 0;
  std::int32_t loaded = 0;

  int Next() { return position < bytes.Size() ? bytes[position++] : kEndOfInput; }
  // Takes a copy of bytes held in memory; loaded when there is at least one (null data holds none).
  void LoadBytes(const void* data, std::int32_t size);
};

// Opens the file for reading with no sharing and reads it whole; an empty file, a file that cannot
// be opened or a failed read leaves loaded = 0.
void LoadFileBuffer(const WCHAR* path, SourceBuffer& buffer);

// Results of ReadWholeFile besides 0 and E_FAIL.
inline constexpr HRESULT kTextFileCannotOpen = 6;
inline constexpr HRESULT kTextFileEmpty = 24;

// A text file split into lines. Each line is NUL-terminated in place of its LF; a CR before the LF
// stays at the end of the line (and counts in its length). Empty lines and lines holding only a CR
// are not indexed.
class TextLines {
 public:
  struct Line {
    std::int32_t offset;
    std::int32_t length;
  };

  std::int32_t LineCount() const { return lines_.Size(); }
  const char* LineText(std::int32_t i) const { return bytes_.Data() + lines_[i].offset; }
  std::int32_t LineLength(std::int32_t i) const { return lines_[i].length; }
  // 0 read, kTextFileCannotOpen, kTextFileEmpty, else E_FAIL.
  HRESULT Result() const { return result_; }
  bool Loaded() const { return loaded_ != 0; }
  // Bytes held, the CR LF appended to a file without a final line end included.
  std::int32_t ByteCount() const { return count_; }

 private:
  friend TextLines ReadWholeFile(const WCHAR* path);
  friend TextLines SplitTextLines(const void* data, std::int32_t size);
  void Split(const void* data, std::int32_t size);

  DynArray<Line> lines_;
  std::int32_t loaded_ = 0;
  std::int32_t count_ = 0;
  HRESULT result_ = E_FAIL;
  DynArray<char> bytes_;
};

// Reads the file whole: result 6 when it cannot be opened, 24 when it is empty, E_FAIL when the
// read fails; otherwise CR LF is appended unless the file ends with it, the lines are indexed,
// loaded is set and the result is 0.
TextLines ReadWholeFile(const WCHAR* path);
// The same over bytes held in memory (an empty or null block gives 24).
TextLines SplitTextLines(const void* data, std::int32_t size);

}  // namespace cumulor
