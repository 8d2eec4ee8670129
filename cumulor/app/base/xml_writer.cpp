#include "cumulor/app/base/xml_writer.h"

#include <cstring>

#include "cumulor/app/base/file_access.h"

namespace cumulor {

namespace {

bool IsTextAttribute(const XmlAttribute& a) {
  return a.name.Size() == 5 && std::memcmp(a.name.Data(), kXmlTextName, 5) == 0;
}

// The string's characters before its terminator (all of them when it has none).
void AppendRaw(std::string& out, const DynString& s) { out.append(s.Data() ? s.Data() : "", static_cast<std::size_t>(s.Length())); }

void AppendEscaped(std::string& out, const DynString& s) {
  const char* p = s.Data();
  for (std::int32_t i = 0, n = s.Length(); i < n; ++i) {
    switch (p[i]) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += p[i];
    }
  }
}

}  // namespace

void XmlWriteNode(const XmlNode& node, std::string& out, int indent) {
  out.append(static_cast<std::size_t>(indent), ' ');
  out += '<';
  AppendRaw(out, node.Name());
  const XmlAttribute* text = nullptr;
  for (std::int32_t i = 0; i < node.AttributeCount(); ++i) {
    const XmlAttribute& a = node.Attribute(i);
    if (IsTextAttribute(a)) {
      if (!text) text = &a;
      continue;
    }
    out += ' ';
    AppendRaw(out, a.name);
    out += "=\"";
    AppendEscaped(out, a.value);
    out += '"';
  }
  out += '>';
  if (text) {
    AppendEscaped(out, text->value);
  } else {
    out += "\r\n";
    for (std::int32_t i = 0; i < node.ChildCount(); ++i) XmlWriteNode(*node.Child(i), out, indent + 3);
    out.append(static_cast<std::size_t>(indent), ' ');
  }
  out += "</";
  AppendRaw(out, node.Name());
  out += ">\r\n";
}

void XmlWriteDocument(const XmlNode& root, std::string& out) {
  out += kXmlDeclaration;
  if (root.ChildCount() > 0) XmlWriteNode(*root.Child(0), out, 0);
}

int XmlSaveFile(XmlNode& root, const WCHAR* path, const char* profileName) {
  if (profileName && root.ChildCount() > 0) root.Child(0)->AddChildString("Profile", profileName);
  std::string document;
  XmlWriteDocument(root, document);
  return detail::ReplaceFileWith(path, document.data(), document.size()) ? 1 : 0;
}

}  // namespace cumulor
