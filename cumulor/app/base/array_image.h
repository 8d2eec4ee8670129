// Array images: how a DynArray travels in files and registry values.
//
// File image: a little-endian int32 element count, accepted from 0 to 50000, then the elements,
// each written field by field (little-endian) in its stored layout. Readers answer E_ABORT for a
// count outside 0..50000 or a file that ends before the count, E_FAIL for a failed or short read or
// a failed allocation, and 0 with the bytes consumed (4 + count x element size) on success.
//
// Registry image (arrays of 32-bit elements): the same bytes, (count + 1) x 4 of them, stored as
// one REG_BINARY value and read back through a 2048-byte buffer, so at most 511 elements return;
// a longer array is stored as its first 511 elements.
//
// String-list image: an int32 count (0..50000), then per string an unsigned 16-bit byte length
// and that many bytes; a length of 0 stands for a null entry.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <vector>

#include "cumulor/app/base/dyn_array.h"
#include "platform/base/errors.h"
#include "platform/base/types.h"
#include "platform/base/wire.h"

namespace cumulor {

inline constexpr std::int32_t kMaxArrayImageCount = 50000;
inline constexpr DWORD kRegistryImageBuffer = 2048;
inline constexpr std::int32_t kMaxRegistryImageCount = kRegistryImageBuffer / 4 - 1;  // 511

// How one element is laid out in an image. Numbers are provided; a record type gives its own
// specialisation with kSize, Write and Read (field by field).
template <class T>
struct ImageElement {
  static_assert(std::is_arithmetic_v<T>, "give the record type an ImageElement specialisation");
  static constexpr std::size_t kSize = sizeof(T);
  static void Write(ce::wire::Writer& w, const T& v) {
    if constexpr (sizeof(T) == 1) {
      w.U8(static_cast<std::uint8_t>(v));
    } else if constexpr (sizeof(T) == 2) {
      w.U16(std::bit_cast<std::uint16_t>(v));
    } else if constexpr (sizeof(T) == 4) {
      w.U32(std::bit_cast<std::uint32_t>(v));
    } else {
      w.U64(std::bit_cast<std::uint64_t>(v));
    }
  }
  static T Read(ce::wire::Reader& r) {
    if constexpr (sizeof(T) == 1) {
      return static_cast<T>(r.U8());
    } else if constexpr (sizeof(T) == 2) {
      return std::bit_cast<T>(r.U16());
    } else if constexpr (sizeof(T) == 4) {
      return std::bit_cast<T>(r.U32());
    } else {
      return std::bit_cast<T>(r.U64());
    }
  }
};

namespace detail {

// Where an image is read from: bytes in memory or an open file.
class ImageSource {
 public:
  enum class Result { Ok, Short, Failed };
  virtual ~ImageSource() = default;
  // Reads exactly n bytes with one read; Short when fewer were there.
  virtual Result Read(void* into, std::size_t n) = 0;
};

class MemoryImageSource : public ImageSource {
 public:
  // Null data holds no bytes.
  MemoryImageSource(const void* data, std::size_t size)
      : p_(static_cast<const std::uint8_t*>(data)), size_(data ? size : 0) {}
  Result Read(void* into, std::size_t n) override;
  std::size_t Consumed() const { return pos_; }

 private:
  const std::uint8_t* p_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

class FileImageSource : public ImageSource {
 public:
  explicit FileImageSource(HANDLE file) : file_(file) {}
  Result Read(void* into, std::size_t n) override;

 private:
  HANDLE file_;
};

// Reads the count word and checks it: 0 with the count, or E_ABORT / E_FAIL.
HRESULT ReadImageCount(ImageSource& source, std::int32_t& count);
// Writes bytes to an open file: 0 or E_FAIL.
HRESULT WriteImageBytes(HANDLE file, const std::vector<std::uint8_t>& bytes);

template <class T, class E>
HRESULT ReadArrayImageFrom(ImageSource& source, DynArray<T>& array, DWORD* consumed) {
  std::int32_t count = 0;
  HRESULT hr = ReadImageCount(source, count);
  if (hr != S_OK) return hr;
  std::vector<std::uint8_t> bytes;
  try {
    bytes.resize(static_cast<std::size_t>(count) * E::kSize);
  } catch (...) {
    return E_FAIL;
  }
  if (!bytes.empty() && source.Read(bytes.data(), bytes.size()) != ImageSource::Result::Ok) return E_FAIL;
  if (array.SetSize(count) != S_OK) return E_FAIL;
  ce::wire::Reader reader(bytes);
  for (std::int32_t i = 0; i < count; ++i) array[i] = E::Read(reader);
  if (consumed) *consumed = static_cast<DWORD>(4 + bytes.size());
  return S_OK;
}

}  // namespace detail

// Appends the file image of array to w.
template <class T, class E = ImageElement<T>>
void WriteArrayImage(ce::wire::Writer& w, const DynArray<T>& array) {
  w.I32(array.Size());
  for (const T& e : array) E::Write(w, e);
}

// Reads a file image from bytes in memory.
template <class T, class E = ImageElement<T>>
HRESULT ReadArrayImage(const void* data, std::size_t size, DynArray<T>& array, DWORD* consumed) {
  detail::MemoryImageSource source(data, size);
  return detail::ReadArrayImageFrom<T, E>(source, array, consumed);
}

// Reads a file image from an open file at its current position.
template <class T, class E = ImageElement<T>>
HRESULT ReadArrayImage(HANDLE file, DynArray<T>& array, DWORD* consumed) {
  detail::FileImageSource source(file);
  return detail::ReadArrayImageFrom<T, E>(source, array, consumed);
}

// Writes the file image of array to an open file: 0 or E_FAIL; the bytes written go to *written.
template <class T, class E = ImageElement<T>>
HRESULT WriteArrayImage(HANDLE file, const DynArray<T>& array, DWORD* written) {
  ce::wire::Writer w;
  WriteArrayImage<T, E>(w, array);
  HRESULT hr = detail::WriteImageBytes(file, w.bytes());
  if (written) *written = hr == S_OK ? static_cast<DWORD>(w.bytes().size()) : 0;
  return hr;
}

// The registry image of an array of 32-bit elements: its first 511 elements at most.
std::vector<std::uint8_t> RegistryImage(const DynArray<std::int32_t>& array);
// Fills array from a registry image of size bytes. Only the elements that are really there are
// taken: count = min(stored count, (size - 4) / 4), none when the stored count is negative or
// fewer than 4 bytes are given. Of a value larger than the 2048-byte buffer only the first 2048
// bytes are taken (511 elements at most).
void ArrayFromRegistryImage(const void* data, std::size_t size, DynArray<std::int32_t>& array);

// Reads the array stored as the REG_BINARY value name under key, 511 elements at most (a longer
// value gives its first 511). A value that is missing or cannot be read leaves the array empty;
// the registry's result is returned.
LONG ReadRegistryArray(HKEY key, const WCHAR* name, DynArray<std::int32_t>& array);
// Stores the array's registry image as the REG_BINARY value name under key.
LONG WriteRegistryArray(HKEY key, const WCHAR* name, const DynArray<std::int32_t>& array);

// Reads a string-list image into array, which is emptied first (its entries freed): each string
// NUL-terminated in a block of its own (new[]), null for a
// length of 0. 0 with the bytes consumed (4 + the sum of length + 2); E_ABORT for a bad count or a
// missing count word; E_FAIL for a failed or short read (the entries read so far are freed).
HRESULT ReadPointerArray(HANDLE file, DynArray<char*>& array, DWORD* consumed);
HRESULT ReadPointerArray(const void* data, std::size_t size, DynArray<char*>& array, DWORD* consumed);

// Deletes each non-null element and empties the array.
void FreePointerArray(DynArray<char*>& array);
template <class T>
void FreePointerArray(DynArray<T*>& array) {
  for (T* e : array) delete e;
  array.SetSize(0);
}

}  // namespace cumulor
