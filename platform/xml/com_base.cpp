#include "platform/xml/com_base.h"

#include <cstdlib>
#include <cstring>

#include "platform/text/utf.h"
#include "platform/xml/dom_internal.h"

const IID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

bool operator==(const GUID& a, const GUID& b) {
  return a.Data1 == b.Data1 && a.Data2 == b.Data2 && a.Data3 == b.Data3 &&
         std::memcmp(a.Data4, b.Data4, sizeof a.Data4) == 0;
}

namespace {
thread_local int com_init_count = 0;
}

HRESULT CoInitializeEx(LPVOID, DWORD) { return com_init_count++ == 0 ? S_OK : S_FALSE; }

void CoUninitialize() {
  if (com_init_count > 0) --com_init_count;
}

HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD, REFIID iid, LPVOID* object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (outer) return CLASS_E_NOAGGREGATION;
  if (!(clsid == CLSID_DOMDocument)) return REGDB_E_CLASSNOTREG;
  if (HRESULT forced = ce::xml::detail::TakeForcedCreateFailure(); FAILED(forced)) return forced;
  IUnknown* doc = ce::xml::detail::NewDocument();
  const HRESULT hr = doc->QueryInterface(iid, object);
  doc->Release();
  return hr;
}

HRESULT CLSIDFromString(LPCOLESTR text, CLSID* clsid) {
  if (!clsid) return E_INVALIDARG;
  const std::u16string_view s = ce::text::WideView(text);
  // {8-4-4-4-12}
  if (s.size() != 38 || s.front() != u'{' || s.back() != u'}') return CO_E_CLASSSTRING;
  BYTE bytes[16];
  size_t pos = 1;
  for (int i = 0; i < 16; ++i) {
    if (pos == 9 || pos == 14 || pos == 19 || pos == 24) {
      if (s[pos] != u'-') return CO_E_CLASSSTRING;
      ++pos;
    }
    int value = 0;
    for (int k = 0; k < 2; ++k, ++pos) {
      const char16_t c = s[pos];
      int d;
      if (c >= u'0' && c <= u'9') d = c - u'0';
      else if (c >= u'a' && c <= u'f') d = c - u'a' + 10;
      else if (c >= u'A' && c <= u'F') d = c - u'A' + 10;
      else return CO_E_CLASSSTRING;
      value = value * 16 + d;
    }
    bytes[i] = static_cast<BYTE>(value);
  }
  clsid->Data1 = (DWORD{bytes[0]} << 24) | (DWORD{bytes[1]} << 16) | (DWORD{bytes[2]} << 8) | bytes[3];
  clsid->Data2 = static_cast<WORD>((bytes[4] << 8) | bytes[5]);
  clsid->Data3 = static_cast<WORD>((bytes[6] << 8) | bytes[7]);
  std::memcpy(clsid->Data4, bytes + 8, 8);
  return S_OK;
}

// A BSTR is preceded by its length in bytes (32-bit), as on the platform.
BSTR SysAllocStringLen(const WCHAR* text, UINT length) {
  if (length > 0x3FFFFFF0u) return nullptr;
  auto* block = static_cast<unsigned char*>(std::malloc(sizeof(DWORD) + (length + 1) * sizeof(WCHAR)));
  if (!block) return nullptr;
  const DWORD bytes = length * sizeof(WCHAR);
  std::memcpy(block, &bytes, sizeof bytes);
  auto* str = reinterpret_cast<WCHAR*>(block + sizeof(DWORD));
  if (text) std::memcpy(str, text, bytes);
  else std::memset(str, 0, bytes);
  str[length] = 0;
  return str;
}

BSTR SysAllocString(const WCHAR* text) {
  if (!text) return nullptr;
  return SysAllocStringLen(text, static_cast<UINT>(ce::text::WideLength(text)));
}

void SysFreeString(BSTR text) {
  if (text) std::free(reinterpret_cast<unsigned char*>(text) - sizeof(DWORD));
}

UINT SysStringLen(BSTR text) {
  if (!text) return 0;
  DWORD bytes;
  std::memcpy(&bytes, reinterpret_cast<unsigned char*>(text) - sizeof(DWORD), sizeof bytes);
  return bytes / sizeof(WCHAR);
}

void VariantInit(VARIANT* v) {
  if (!v) return;
  std::memset(v, 0, sizeof *v);
  v->vt = VT_EMPTY;
}

HRESULT VariantClear(VARIANT* v) {
  if (!v) return E_INVALIDARG;
  if (v->vt == VT_BSTR) SysFreeString(v->bstrVal);
  else if (v->vt == VT_UNKNOWN && v->punkVal) v->punkVal->Release();
  VariantInit(v);
  return S_OK;
}
