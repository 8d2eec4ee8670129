#include "cumulor/app/base/dyn_string.h"

#include <cstring>

namespace cumulor {

HRESULT DynString::AssignNarrow(const char* text) {
  if (!text) text = "";
  return AssignRaw(text, static_cast<std::int32_t>(std::strlen(text)));
}

HRESULT DynWString::Assign(const WCHAR* text) {
  if (!text) text = u"";
  return AssignRaw(text, static_cast<std::int32_t>(TextLength(text)));
}

HRESULT DynWString::AssignNarrow(const char* text) {
  if (!text) text = "";
  std::int32_t n = static_cast<std::int32_t>(std::strlen(text));
  HRESULT hr = SetSize(n + 1);
  if (hr != S_OK) return hr;
  for (std::int32_t i = 0; i < n; ++i) (*this)[i] = static_cast<unsigned char>(text[i]);
  (*this)[n] = 0;
  return S_OK;
}

bool BufferEquals(const DynString& a, const DynString& b) {
  return a.Size() == b.Size() && (a.Size() == 0 || std::memcmp(a.Data(), b.Data(), static_cast<std::size_t>(a.Size())) == 0);
}

}  // namespace cumulor
