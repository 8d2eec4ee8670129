// DynString and DynWString: the 8-bit and wide strings built on DynArray.
//
// A string "is terminated" when its last element is NUL; its size then counts that NUL, so a text
// of n characters has size n + 1. Operations that append first drop a terminating NUL and do not
// add one back; Terminate() adds it again.
#pragma once

#include <cstdint>

#include "cumulor/app/base/dyn_array.h"
#include "platform/base/types.h"

namespace cumulor {

template <class Ch>
class BasicDynString : public DynArray<Ch> {
 public:
  BasicDynString() = default;

  // True when the string is not empty and its last element is NUL.
  bool IsTerminated() const { return this->Size() > 0 && this->Last() == Ch(0); }
  // Adds a NUL unless the string is terminated.
  HRESULT Terminate() { return IsTerminated() ? S_OK : DynArray<Ch>::Append(Ch(0)); }
  // Drops the last element: the size goes down by one.
  void DropLast() { this->RemoveLast(); }

  HRESULT AppendChar(Ch c) {
    DropTerminator();
    return DynArray<Ch>::Append(c);
  }
  // Appends a NUL-terminated text without its NUL.
  HRESULT AppendText(const Ch* text) {
    DropTerminator();
    return text ? DynArray<Ch>::Append(text, static_cast<std::int32_t>(TextLength(text))) : S_OK;
  }
  // Appends the other string's whole content, its NUL included.
  HRESULT AppendString(const BasicDynString& other) {
    DropTerminator();
    return DynArray<Ch>::Append(other.Data(), other.Size());
  }
  // Becomes n copies of c (not terminated).
  HRESULT AssignRepeat(Ch c, std::int32_t n) {
    HRESULT hr = this->SetSize(n < 0 ? 0 : n);
    if (hr != S_OK) return hr;
    for (auto& e : *this) e = c;
    return S_OK;
  }
  // The text of a terminated string; "" for an empty or unterminated one.
  const Ch* CStr() const {
    static constexpr Ch kEmpty[1] = {Ch(0)};
    return IsTerminated() ? this->Data() : kEmpty;
  }
  // Characters before the terminator.
  std::int32_t Length() const { return IsTerminated() ? this->Size() - 1 : this->Size(); }

  static std::size_t TextLength(const Ch* text) {
    std::size_t n = 0;
    while (text[n]) ++n;
    return n;
  }

 protected:
  HRESULT AssignRaw(const Ch* text, std::int32_t count) {
    this->SetSize(0);
    HRESULT hr = DynArray<Ch>::Append(text, count);
    if (hr != S_OK) return hr;
    return DynArray<Ch>::Append(Ch(0));
  }

 private:
  void DropTerminator() {
    if (IsTerminated()) this->RemoveLast();
  }
};

class DynString : public BasicDynString<char> {
 public:
  DynString() = default;
  explicit DynString(const char* text) { AssignNarrow(text); }
  // Becomes a copy of the text including its NUL (size = length + 1); null gives "".
  HRESULT AssignNarrow(const char* text);
  // Becomes the count bytes given, then a NUL.
  HRESULT AssignBytes(const char* bytes, std::int32_t count) { return AssignRaw(bytes, count); }
};

class DynWString : public BasicDynString<WCHAR> {
 public:
  DynWString() = default;
  explicit DynWString(const WCHAR* text) { Assign(text); }
  HRESULT Assign(const WCHAR* text);
  // Widens each byte of the 8-bit text (no code page: each character keeps its value).
  HRESULT AssignNarrow(const char* text);
};

// Equal sizes and equal elements (the name comparison of the document model).
bool BufferEquals(const DynString& a, const DynString& b);

}  // namespace cumulor
