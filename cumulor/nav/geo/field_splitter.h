// Comma field splitters for sentences, waypoint lines and byte-block texts. Each caller keeps its
// own splitter, so the GPS reader thread and a file import never share a buffer or position.
//
// The first call passes the text, which is copied (at most Capacity - 1 characters); each further
// call passes null. A field ends at ',', CR or NUL, and the terminator becomes NUL; after a CR or
// NUL the next call returns null. An empty field is returned as the text starting at its comma,
// so a missing value shows as a comma in the first character: "a,,b" gives "a", ",b", "b", null.
#pragma once

#include <cstddef>

namespace cumulor {

template <std::size_t Capacity>
class FieldSplitter {
 public:
  FieldSplitter() = default;
  FieldSplitter(const FieldSplitter&) = delete;
  FieldSplitter& operator=(const FieldSplitter&) = delete;

  char* Next(const char* text) {
    if (text != nullptr) {
      std::size_t n = 0;
      while (n + 1 < Capacity && text[n] != '\0') {
        buffer_[n] = text[n];
        ++n;
      }
      buffer_[n] = '\0';
      next_ = buffer_;
    }
    char* field = next_;
    if (field == nullptr) return nullptr;
    if (*field == ',') {
      next_ = field + 1;
      return field;
    }
    char* p = field;
    while (*p != ',' && *p != '\r' && *p != '\0') ++p;
    next_ = *p == ',' ? p + 1 : nullptr;
    *p = '\0';
    return field;
  }

 private:
  char buffer_[Capacity] = {};
  char* next_ = nullptr;
};

using ShortSplitter = FieldSplitter<256>;
using LongSplitter = FieldSplitter<2048>;

// Sentences, waypoint lines and .cup records.
inline char* TokenizeShort(ShortSplitter& splitter, const char* text) { return splitter.Next(text); }
// The byte-block text reader.
inline char* TokenizeLong(LongSplitter& splitter, const char* text) { return splitter.Next(text); }

}  // namespace cumulor
