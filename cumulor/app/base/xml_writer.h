// The document writer: ISO-8859-1, the 46-byte declaration, three blanks of indentation a level,
// CR LF line ends, a text element on one line. In values and texts "&", "<", ">" and the double
// quote are written as "&amp;", "&lt;", "&gt;" and "&quot;"; every other byte as it is.
#pragma once

#include <string>

#include "cumulor/app/base/xml_node.h"
#include "platform/base/types.h"

namespace cumulor {

// "<?xml version="1.0" encoding="ISO-8859-1" ?>" and CR LF.
inline constexpr const char* kXmlDeclaration = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\" ?>\r\n";

// Appends one element and its subtree at the given indentation. An element that has a text is
// written on one line with that text (its first "Text" attribute; further ones and any children
// are not written); otherwise its start tag, its children at indent + 3 and its end tag.
void XmlWriteNode(const XmlNode& node, std::string& out, int indent);

// The declaration and the root's first child (the document element), when there is one.
void XmlWriteDocument(const XmlNode& root, std::string& out);

// Writes the document under root to path. With a profile name, a child "Profile" holding it is
// first appended to the document element (and stays in the tree). The file is written to a
// temporary file in the same folder and replaces the previous one only when all of it was written:
// 1 then; 0 when it could not be created or written, the previous file left as it was.
int XmlSaveFile(XmlNode& root, const WCHAR* path, const char* profileName);

}  // namespace cumulor
