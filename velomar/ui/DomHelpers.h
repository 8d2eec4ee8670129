// Small owners and lookups for the XML document interfaces the window code reads themes with.
#pragma once

#include <optional>
#include <string>

#include "platform/xml/msxml.h"

namespace velomar::ui {

// A BSTR freed on every way out.
class Bstr {
 public:
  Bstr() = default;
  explicit Bstr(const std::u16string& text) : m_text(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
  ~Bstr() { SysFreeString(m_text); }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  BSTR get() const { return m_text; }
  BSTR* out() { return &m_text; }
  std::u16string str() const { return m_text ? std::u16string(m_text, SysStringLen(m_text)) : std::u16string(); }

 private:
  BSTR m_text = nullptr;
};

// An interface pointer released on every way out.
template <class T>
class Ref {
 public:
  Ref() = default;
  explicit Ref(T* ptr) : m_ptr(ptr) {}
  ~Ref() { reset(); }
  Ref(const Ref&) = delete;
  Ref& operator=(const Ref&) = delete;
  T* get() const { return m_ptr; }
  T** out() { return &m_ptr; }
  T* release() {
    T* p = m_ptr;
    m_ptr = nullptr;
    return p;
  }
  void reset(T* ptr = nullptr) {
    if (m_ptr) m_ptr->Release();
    m_ptr = ptr;
  }

 private:
  T* m_ptr = nullptr;
};

// The element that `query` selects under `node` (the caller releases it), or null.
inline IXMLDOMElement* SelectElement(IXMLDOMNode* node, const std::u16string& query) {
  if (!node) return nullptr;
  Bstr q(query);
  Ref<IXMLDOMNode> found;
  if (node->selectSingleNode(q.get(), found.out()) != S_OK || !found.get()) return nullptr;
  DOMNodeType type = NODE_INVALID;
  if (found.get()->get_nodeType(&type) != S_OK || type != NODE_ELEMENT) return nullptr;
  IXMLDOMElement* element = nullptr;
  if (found.get()->QueryInterface(IID_IXMLDOMElement, reinterpret_cast<void**>(&element)) != S_OK) return nullptr;
  return element;
}

// The value of an attribute, or nothing when the element lacks it.
inline std::optional<std::u16string> Attribute(IXMLDOMElement* element, const char16_t* name) {
  if (!element) return std::nullopt;
  Bstr n{std::u16string(name)};
  VARIANT value;
  VariantInit(&value);
  std::optional<std::u16string> text;
  if (element->getAttribute(n.get(), &value) == S_OK && value.vt == VT_BSTR)
    text = value.bstrVal ? std::u16string(value.bstrVal, SysStringLen(value.bstrVal)) : std::u16string();
  VariantClear(&value);
  return text;
}

// The value of an attribute as a decimal integer; nothing when absent or not a number (blanks
// around it allowed, no other character).
std::optional<int> IntAttribute(IXMLDOMElement* element, const char16_t* name);

// A new document loaded from the file at `path` (CE path), without validation, external
// resolution or white space; null when it cannot be made or the file is missing or does not parse.
inline IXMLDOMDocument* LoadDocument(const std::u16string& path) {
  Ref<IXMLDOMDocument> document;
  if (CoCreateInstance(CLSID_DOMDocument, nullptr, CLSCTX_ALL, IID_IXMLDOMDocument,
                       reinterpret_cast<void**>(document.out())) != S_OK ||
      !document.get())
    return nullptr;
  document.get()->put_validateOnParse(VARIANT_FALSE);
  document.get()->put_resolveExternals(VARIANT_FALSE);
  document.get()->put_preserveWhiteSpace(VARIANT_FALSE);
  VARIANT source;
  VariantInit(&source);
  source.vt = VT_BSTR;
  source.bstrVal = SysAllocStringLen(path.data(), static_cast<UINT>(path.size()));
  VARIANT_BOOL loaded = VARIANT_FALSE;
  const HRESULT hr = document.get()->load(source, &loaded);
  VariantClear(&source);
  if (hr != S_OK || loaded != VARIANT_TRUE) return nullptr;
  return document.release();
}

// True when `id` can stand between the single quotes of a query.
inline bool IsQueryId(const std::u16string& id) { return id.find(u'\'') == std::u16string::npos; }

}  // namespace velomar::ui
