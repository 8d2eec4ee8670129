#include "cumulor/app/base/array_image.h"

#include <new>

#include "platform/files/files.h"
#include "platform/registry/registry.h"

namespace cumulor {

namespace detail {

ImageSource::Result MemoryImageSource::Read(void* into, std::size_t n) {
  if (size_ - pos_ < n) {
    pos_ = size_;
    return Result::Short;
  }
  std::memcpy(into, p_ + pos_, n);
  pos_ += n;
  return Result::Ok;
}

ImageSource::Result FileImageSource::Read(void* into, std::size_t n) {
  if (n > 0xFFFFFFFFu) return Result::Failed;
  DWORD got = 0;
  if (!::ReadFile(file_, into, static_cast<DWORD>(n), &got, nullptr)) return Result::Failed;
  return got == n ? Result::Ok : Result::Short;
}

HRESULT ReadImageCount(ImageSource& source, std::int32_t& count) {
  std::uint8_t word[4];
  switch (source.Read(word, sizeof word)) {
    case ImageSource::Result::Failed:
      return E_FAIL;
    case ImageSource::Result::Short:
      return E_ABORT;
    case ImageSource::Result::Ok:
      break;
  }
  ce::wire::Reader r(word, sizeof word);
  count = r.I32();
  return count < 0 || count > kMaxArrayImageCount ? E_ABORT : S_OK;
}

HRESULT WriteImageBytes(HANDLE file, const std::vector<std::uint8_t>& bytes) {
  DWORD written = 0;
  if (bytes.size() > 0xFFFFFFFFu) return E_FAIL;
  if (!::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) || written != bytes.size())
    return E_FAIL;
  return S_OK;
}

namespace {

HRESULT ReadStrings(ImageSource& source, DynArray<char*>& array, DWORD* consumed) {
  FreePointerArray(array);
  std::int32_t count = 0;
  HRESULT hr = ReadImageCount(source, count);
  if (hr != S_OK) return hr;
  DWORD total = 4;
  for (std::int32_t i = 0; i < count; ++i) {
    std::uint8_t word[2];
    if (source.Read(word, sizeof word) != ImageSource::Result::Ok) {
      FreePointerArray(array);
      return E_FAIL;
    }
    std::size_t length = static_cast<std::size_t>(word[0] | (word[1] << 8));
    char* text = nullptr;
    if (length > 0) {
      text = new (std::nothrow) char[length + 1];
      if (!text || source.Read(text, length) != ImageSource::Result::Ok) {
        delete[] text;
        FreePointerArray(array);
        return E_FAIL;
      }
      text[length] = 0;
    }
    if (array.Append(text) != S_OK) {
      delete[] text;
      FreePointerArray(array);
      return E_FAIL;
    }
    total += static_cast<DWORD>(length + 2);
  }
  if (consumed) *consumed = total;
  return S_OK;
}

}  // namespace
}  // namespace detail

std::vector<std::uint8_t> RegistryImage(const DynArray<std::int32_t>& array) {
  // Only what the read buffer holds is stored, so a longer list comes back as its first elements.
  const std::int32_t count = array.Size() < kMaxRegistryImageCount ? array.Size() : kMaxRegistryImageCount;
  ce::wire::Writer w;
  w.I32(count);
  for (std::int32_t i = 0; i < count; ++i) w.I32(array[i]);
  return w.Take();
}

void ArrayFromRegistryImage(const void* data, std::size_t size, DynArray<std::int32_t>& array) {
  array.SetSize(0);
  if (!data || size < 4) return;
  if (size > kRegistryImageBuffer) size = kRegistryImageBuffer;
  ce::wire::Reader r(data, size);
  std::int32_t stored = r.I32();
  std::int32_t present = static_cast<std::int32_t>((size - 4) / 4);
  std::int32_t count = stored < 0 ? 0 : (stored < present ? stored : present);
  if (array.SetSize(count) != S_OK) return;
  for (std::int32_t i = 0; i < count; ++i) array[i] = r.I32();
}

LONG ReadRegistryArray(HKEY key, const WCHAR* name, DynArray<std::int32_t>& array) {
  array.SetSize(0);
  std::vector<std::uint8_t> buffer(kRegistryImageBuffer);
  DWORD type = 0;
  DWORD size = static_cast<DWORD>(buffer.size());
  LONG result = RegQueryValueExW(key, name, nullptr, &type, buffer.data(), &size);
  if (result == ERROR_MORE_DATA && size > buffer.size()) {
    // A longer value (stored by an earlier build) still gives its first elements.
    buffer.resize(size);
    result = RegQueryValueExW(key, name, nullptr, &type, buffer.data(), &size);
  }
  if (result == ERROR_SUCCESS) ArrayFromRegistryImage(buffer.data(), size, array);
  return result;
}

LONG WriteRegistryArray(HKEY key, const WCHAR* name, const DynArray<std::int32_t>& array) {
  std::vector<std::uint8_t> image = RegistryImage(array);
  return RegSetValueExW(key, name, 0, REG_BINARY, image.data(), static_cast<DWORD>(image.size()));
}

HRESULT ReadPointerArray(HANDLE file, DynArray<char*>& array, DWORD* consumed) {
  detail::FileImageSource source(file);
  return detail::ReadStrings(source, array, consumed);
}

HRESULT ReadPointerArray(const void* data, std::size_t size, DynArray<char*>& array, DWORD* consumed) {
  detail::MemoryImageSource source(data, size);
  return detail::ReadStrings(source, array, consumed);
}

void FreePointerArray(DynArray<char*>& array) {
  for (char* e : array) delete[] e;
  array.SetSize(0);
}

}  // namespace cumulor
