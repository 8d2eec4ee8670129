// The XML document object model the programs use: a document, its nodes and elements, node
// lists, XPath selection, load and save. Objects are reference-counted; each interface pointer a
// call hands out is the caller's to Release.
#pragma once

#include "platform/xml/com_base.h"

extern const CLSID CLSID_DOMDocument;  // {2933BF90-7B36-11D2-B20E-00C04F983E60}
extern const IID IID_IXMLDOMNode;      // {2933BF80-7B36-11D2-B20E-00C04F983E60}
extern const IID IID_IXMLDOMDocument;  // {2933BF81-7B36-11D2-B20E-00C04F983E60}
extern const IID IID_IXMLDOMNodeList;  // {2933BF82-7B36-11D2-B20E-00C04F983E60}
extern const IID IID_IXMLDOMElement;   // {2933BF86-7B36-11D2-B20E-00C04F983E60}

enum DOMNodeType : int {
  NODE_INVALID = 0,
  NODE_ELEMENT = 1,
  NODE_ATTRIBUTE = 2,
  NODE_TEXT = 3,
  NODE_CDATA_SECTION = 4,
  NODE_PROCESSING_INSTRUCTION = 7,
  NODE_COMMENT = 8,
  NODE_DOCUMENT = 9,
};

struct IXMLDOMNodeList;

struct IXMLDOMNode : IUnknown {
  virtual HRESULT get_nodeName(BSTR* name) = 0;
  virtual HRESULT get_nodeType(DOMNodeType* type) = 0;
  // Text nodes: their text; other nodes: VT_NULL.
  virtual HRESULT get_nodeValue(VARIANT* value) = 0;
  // The text of the node and all below it; without preserveWhiteSpace, trimmed at both ends.
  virtual HRESULT get_text(BSTR* text) = 0;
  // Replaces the node's children by one text node.
  virtual HRESULT put_text(BSTR text) = 0;
  // The next four answer S_FALSE and null when there is no such node.
  virtual HRESULT get_parentNode(IXMLDOMNode** parent) = 0;
  virtual HRESULT get_firstChild(IXMLDOMNode** child) = 0;
  virtual HRESULT get_lastChild(IXMLDOMNode** child) = 0;
  virtual HRESULT get_nextSibling(IXMLDOMNode** sibling) = 0;
  virtual HRESULT get_previousSibling(IXMLDOMNode** sibling) = 0;
  virtual HRESULT get_childNodes(IXMLDOMNodeList** children) = 0;
  // Moves `child` (of the same document) to the end of this node's children; `out` may be null.
  virtual HRESULT appendChild(IXMLDOMNode* child, IXMLDOMNode** out) = 0;
  virtual HRESULT removeChild(IXMLDOMNode* child, IXMLDOMNode** out) = 0;
  // XPath 1.0 from this node. S_FALSE and null when nothing matches; E_FAIL for a bad query.
  virtual HRESULT selectSingleNode(BSTR query, IXMLDOMNode** node) = 0;
  virtual HRESULT selectNodes(BSTR query, IXMLDOMNodeList** nodes) = 0;
  virtual HRESULT get_ownerDocument(struct IXMLDOMDocument** document) = 0;
};

struct IXMLDOMElement : IXMLDOMNode {
  virtual HRESULT get_tagName(BSTR* name) = 0;
  // VT_BSTR when present; VT_NULL and S_FALSE when absent.
  virtual HRESULT getAttribute(BSTR name, VARIANT* value) = 0;
  // Strings, and integers (VT_I1..VT_UINT) written as decimal text; other types give
  // DISP_E_TYPEMISMATCH.
  virtual HRESULT setAttribute(BSTR name, VARIANT value) = 0;
  virtual HRESULT removeAttribute(BSTR name) = 0;
};

struct IXMLDOMNodeList : IUnknown {
  virtual HRESULT get_length(LONG* length) = 0;
  // S_FALSE and null past the end.
  virtual HRESULT get_item(LONG index, IXMLDOMNode** node) = 0;
  virtual HRESULT nextNode(IXMLDOMNode** node) = 0;
  virtual HRESULT reset() = 0;
};

struct IXMLDOMDocument : IXMLDOMNode {
  virtual HRESULT put_async(VARIANT_BOOL value) = 0;
  virtual HRESULT put_validateOnParse(VARIANT_BOOL value) = 0;
  virtual HRESULT get_validateOnParse(VARIANT_BOOL* value) = 0;
  virtual HRESULT put_resolveExternals(VARIANT_BOOL value) = 0;
  virtual HRESULT get_resolveExternals(VARIANT_BOOL* value) = 0;
  virtual HRESULT put_preserveWhiteSpace(VARIANT_BOOL value) = 0;
  virtual HRESULT get_preserveWhiteSpace(VARIANT_BOOL* value) = 0;
  // `source` is a VT_BSTR CE path. S_OK and VARIANT_TRUE when loaded; S_FALSE and VARIANT_FALSE
  // when the file is missing or not well-formed (the document is then empty); E_INVALIDARG for
  // a source that is not a path.
  virtual HRESULT load(VARIANT source, VARIANT_BOOL* loaded) = 0;
  virtual HRESULT loadXML(BSTR xml, VARIANT_BOOL* loaded) = 0;
  // `destination` is a VT_BSTR CE path; written as UTF-8. E_FAIL when it cannot be written whole
  // (the old file then stays as it was).
  virtual HRESULT save(VARIANT destination) = 0;
  // S_FALSE and null when the document has no element.
  virtual HRESULT get_documentElement(IXMLDOMElement** element) = 0;
  // A new element that belongs to the document but is not in the tree until appended.
  virtual HRESULT createElement(BSTR tag, IXMLDOMElement** element) = 0;
  virtual HRESULT createTextNode(BSTR text, IXMLDOMNode** node) = 0;
};
